// The capture pin's streaming thread: it starts the camera with
// announcements to a window of its own and, while the graph runs, answers
// each announcement with one media sample holding the newest converted
// frame, stamped with the graph clock's time.
//
// Announcements that queued up meanwhile are dropped frames; the library
// converts into one image, so only the newest of them still exists. The
// announcements that arrive while a frame is copied belong to frames that
// were converted before the copy began, that is to the copied frame: they
// are taken off the queue so that no frame goes out twice.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

#include "camera_session.h"
#include "dropped_frames.h"
#include "video_formats.h"

namespace kvx::dshow {

struct DeliveryTarget {
    IMemAllocator* allocator = nullptr;  // committed by the pin before Start
    IMemInputPin* input = nullptr;
    IPin* downstream = nullptr;          // receives the end of stream
    IMediaEventSink* events = nullptr;   // the graph's, or null outside a graph
    VideoFormat format;
    REFERENCE_TIME frameInterval = 0;
};

class StreamThread {
public:
    StreamThread(CameraSession* camera, DroppedFrameLog* log) : camera_(camera), log_(log) {}
    ~StreamThread() { Stop(); }
    StreamThread(const StreamThread&) = delete;
    StreamThread& operator=(const StreamThread&) = delete;

    // Starts the thread and the camera; returns how the camera's start went
    // (the thread is gone again when it failed). The target's pointers must
    // stay valid until Stop returns.
    HRESULT Start(const DeliveryTarget& target);
    // Delivers from now on, stamping samples against `clock` (which may be
    // null: no time stamps) with stream time 0 at `streamStart`.
    void Run(IReferenceClock* clock, REFERENCE_TIME streamStart);
    // Stops delivering; the camera keeps running.
    void Pause();
    // Stops the camera and ends the thread. Returns at once when not started.
    void Stop();

private:
    void Main(std::promise<HRESULT>* started);
    void Answer(const MSG& announcement, class AnnouncementWindow* window);
    void EndWithError(HRESULT hr);
    bool StampTimes(IMediaSample* sample);

    CameraSession* const camera_;
    DroppedFrameLog* const log_;
    DeliveryTarget target_;
    std::thread thread_;
    HWND window_ = nullptr;  // the thread's window, set before Start returns

    std::atomic<bool> delivering_{false};
    std::atomic<bool> discontinuity_{true};  // set by Run, cleared by the first sample after it
    std::mutex timingLock_;  // clock_ and streamStart_; inner to nothing
    IReferenceClock* clock_ = nullptr;
    REFERENCE_TIME streamStart_ = 0;

    // Used by the thread only.
    long nextFrame_ = 0;
    std::atomic<bool> refused_{false};  // downstream takes no more samples this run
    bool ended_ = false;
};

}  // namespace kvx::dshow
