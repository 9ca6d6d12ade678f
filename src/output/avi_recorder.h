// AviRecorder: the recording thread. It takes each frame the acquisition
// finishes, turns it into a 24-bit frame and appends it to a CAviFile, and
// when the requested time has passed since the first frame it finishes the
// file with the measured frame rate.
//
// The camera side stays behind RecordingFrameSource: the recorder never
// sees the camera object, only its current frame under its frame lock and
// the mark the acquisition leaves after each converted frame.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "output/avi_file.h"
#include "platform/recording_file.h"

namespace kvx {

class FrameBitmap;

class RecordingFrameSource {
public:
    virtual ~RecordingFrameSource() = default;
    // True when a frame has been converted since the last call; the call
    // takes the mark (the acquisition sets it again after its next frame).
    virtual bool TakeNewFrame() = 0;
    // Runs `use` on the current frame bitmap while the frame lock is held.
    virtual void WithCurrentFrame(const std::function<void(const FrameBitmap&)>& use) = 0;
    // On the recording thread, after the file was finished: the recording
    // ended before its time because the file could take no more frames (a
    // write failed, or the next frame would pass the format's 4 GiB).
    virtual void EndedEarly() {}
};

// Start and Stop come from one thread at a time (the camera object's
// control path); the recording thread is the only other user of the writer
// while a recording runs.
class AviRecorder {
public:
    enum class StartResult {
        Started,
        AlreadyRunning,  // one recording at a time per writer
        OpenFailed,      // no current frame, or the file cannot be written
        ThreadFailed,
    };

    explicit AviRecorder(CAviFile& writer) : writer_(writer) {}
    ~AviRecorder() { Stop(); }
    AviRecorder(const AviRecorder&) = delete;
    AviRecorder& operator=(const AviRecorder&) = delete;

    // Opens the writer for the current frame's size and starts the thread.
    // The duration counts from the first recorded frame; the recording
    // ends with the first frame more than durationMs later (a negative
    // duration: with the first frame). `sampleBits` as for still images.
    StartResult Start(RecordingFrameSource& source, const char* fileName, int32_t durationMs, int sampleBits);
    // The same on a file the caller opened; it is closed (and removed, when
    // its opening created it) if the recording does not start.
    StartResult Start(RecordingFrameSource& source, platform::RecordingFile file, int32_t durationMs,
                      int sampleBits);

    // Ends a running recording and waits for the thread. A recording that
    // had not reached its duration is finished with the frames written so
    // far. Must not be called with the frame lock held: the thread may be
    // waiting for it.
    void Stop();

    bool running() const { return run_.load() != 0; }
    // Of the last recording, once it has ended. failed: a write failed, the
    // work bitmaps could not be made or the file could not be finished.
    uint32_t framesWritten() const { return framesWritten_.load(); }
    bool failed() const { return failed_.load(); }
    bool endedEarly() const { return endedEarly_.load(); }

    // Hundredths of a frame per second over the frames written, from the
    // first frame's time to the last one's. The nominal rate when nothing
    // can be measured; never 0.
    static uint32_t MeasuredRate(uint32_t frames, uint32_t elapsedMs);

    // The most frames a recording of durationMs can take: frames are taken
    // at least kPassMs apart, the first at the start and one more to end it.
    static uint32_t MostFrames(int32_t durationMs);
    static constexpr uint32_t kPassMs = 10;

private:
    void Run(RecordingFrameSource* source, int32_t durationMs, int sampleBits);

    CAviFile& writer_;
    std::thread thread_;
    std::atomic<int32_t> run_{0};  // 1 while recording; cleared by Stop or by the thread at its end
    std::atomic<uint32_t> framesWritten_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> endedEarly_{false};
};

}  // namespace kvx
