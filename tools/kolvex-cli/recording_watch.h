// Following a recording the library writes: how far its file has got, and
// what the finished file says. Only the file tells: the library reports a
// recording's end only when a write failed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a recording's headers say (the plain and the OpenDML layout keep
// them at the same places).
struct RecordingFigures {
    uint32_t frames = 0;  // in the whole file
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t chunkBytes = 0;  // one frame and its chunk header
    // Measured by the library from the first frame's time to the last's;
    // what players show.
    double framesPerSecond = 0;
    uint64_t bytes = 0;
    // The time the frames span at that rate.
    double seconds() const { return framesPerSecond > 0 ? frames / framesPerSecond : 0; }
};

// False when `path` holds no AVI headers.
bool ReadRecordingFigures(const std::string& path, RecordingFigures* figures);

// Frames a recording holds while it is written: the frames of its finished
// RIFFs as its header counts them, and those the RIFF being written holds
// by its length.
uint32_t FramesSoFar(const std::string& path);

// "  12.5 s  115 frames  1085.3 MB": a line of progress.
std::string ProgressLine(double seconds, uint32_t frames, uint64_t bytes);

// True when the disk that holds `path` has no room for `bytes` more.
bool DiskIsFull(const std::string& path, uint64_t bytes);

// How a recording the library was writing ended, as FollowRecording saw it.
struct RecordingOutcome {
    bool started = false;   // a frame reached the file
    bool cutShort = false;  // a write failed: the library ended the recording (12)
    bool lost = false;      // the camera stopped delivering frames (13)
    std::vector<int> history;  // the camera's error codes meanwhile, newest first
};

// Waits while camera `handle` records into `path`, which Kolvex_Record has
// just opened, until `seconds` have passed since the first frame reached
// the file, a write failed or the camera was lost; no frame within 10 s
// ends it too. `pause` waits a tenth of a second (serving windows); on a
// terminal a line of progress is redrawn after each.
RecordingOutcome FollowRecording(int handle, const std::string& path, double seconds, bool terminal,
                                 const std::function<void()>& pause);

// Once the acquisition has stopped (which finishes the file): prints what
// the file holds and what went wrong, in a user's words. True when the
// recording ran its time.
bool ReportRecording(int handle, const std::string& path, RecordingOutcome outcome, const char* what);
