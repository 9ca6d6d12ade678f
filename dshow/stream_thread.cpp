#include "stream_thread.h"

#include <evcode.h>
#include <vfwmsgs.h>

#include "announcement_window.h"

namespace kvx::dshow {
namespace {

// Posted to the thread's window by Stop.
constexpr UINT kStopMessage = WM_APP + 0x100;

}  // namespace

HRESULT StreamThread::Start(const DeliveryTarget& target) {
    if (thread_.joinable()) return E_UNEXPECTED;
    target_ = target;
    log_->Reset();
    nextFrame_ = 0;
    ended_ = false;
    std::promise<HRESULT> started;
    std::future<HRESULT> result = started.get_future();
    thread_ = std::thread(&StreamThread::Main, this, &started);
    const HRESULT hr = result.get();
    if (FAILED(hr)) thread_.join();
    return hr;
}

void StreamThread::Run(IReferenceClock* clock, REFERENCE_TIME streamStart) {
    {
        std::lock_guard<std::mutex> hold(timingLock_);
        if (clock) clock->AddRef();
        if (clock_) clock_->Release();
        clock_ = clock;
        streamStart_ = streamStart;
    }
    discontinuity_ = true;
    refused_ = false;
    delivering_ = true;
}

void StreamThread::Pause() { delivering_ = false; }

void StreamThread::Stop() {
    delivering_ = false;
    if (thread_.joinable()) {
        PostMessageW(window_, kStopMessage, 0, 0);
        thread_.join();
    }
    std::lock_guard<std::mutex> hold(timingLock_);
    if (clock_) clock_->Release();
    clock_ = nullptr;
}

void StreamThread::Main(std::promise<HRESULT>* started) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        AnnouncementWindow window;
        window_ = window.handle();
        const HRESULT hr = window_ ? camera_->Start(window_) : E_OUTOFMEMORY;
        started->set_value(hr);  // `started` is gone from here on
        if (SUCCEEDED(hr)) {
            MSG m;
            while (window.Next(INFINITE, &m) && m.message != kStopMessage) {
                if (IsFrameError(m)) {
                    if (m.lParam == KOLVEX_ERR_DEVICE_LOST)
                        EndWithError(kCameraAbsent);
                    else if (delivering_ && !ended_)
                        log_->Dropped(nextFrame_++);
                } else if (IsFrameReady(m) && delivering_ && !ended_) {
                    Answer(m, &window);
                }
            }
            camera_->Stop();
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

void StreamThread::Answer(const MSG& announcement, AnnouncementWindow* window) {
    long newest = nextFrame_ + window->DiscardQueuedFrames();
    const auto* info = reinterpret_cast<const KolvexFrameInfo*>(announcement.wParam);
    // Another size than the one negotiated (the camera settings dialog can
    // change it) cannot go into these samples.
    if (info->width != target_.format.width || info->height != target_.format.height) {
        EndWithError(VFW_E_TYPE_NOT_ACCEPTED);
        return;
    }
    IMediaSample* sample = nullptr;
    BYTE* pixels = nullptr;
    const long bytes = FrameBytes(target_.format);
    bool copied = !refused_ && SUCCEEDED(target_.allocator->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT)) &&
                  SUCCEEDED(sample->GetPointer(&pixels)) && sample->GetSize() >= bytes &&
                  camera_->CopyFrame(target_.format, pixels);
    if (copied) newest += window->DiscardQueuedFrames();
    while (nextFrame_ < newest) log_->Dropped(nextFrame_++);
    const long number = nextFrame_++;
    if (!copied) {
        log_->Dropped(number);
        if (sample) sample->Release();
        return;
    }
    sample->SetActualDataLength(bytes);
    LONGLONG mediaStart = number, mediaEnd = number + 1;
    sample->SetMediaTime(&mediaStart, &mediaEnd);
    if (!StampTimes(sample)) sample->SetTime(nullptr, nullptr);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity_.exchange(false));
    const HRESULT hr = target_.input->Receive(sample);
    sample->Release();
    if (hr == S_OK) {
        log_->Delivered(number, bytes);
        return;
    }
    // Downstream takes nothing more until the graph runs again: S_FALSE, or
    // a failure, which is its own to report. A refusal because the graph is
    // stopping loses no frame.
    refused_ = true;
    if (delivering_) log_->Dropped(number);
}

bool StreamThread::StampTimes(IMediaSample* sample) {
    IReferenceClock* clock = nullptr;
    REFERENCE_TIME start = 0;
    {
        std::lock_guard<std::mutex> hold(timingLock_);
        clock = clock_;
        if (clock) clock->AddRef();
        start = streamStart_;
    }
    if (!clock) return false;
    REFERENCE_TIME now = 0;
    const bool ok = SUCCEEDED(clock->GetTime(&now));
    clock->Release();
    if (!ok) return false;
    REFERENCE_TIME begin = now - start, end = begin + target_.frameInterval;
    return SUCCEEDED(sample->SetTime(&begin, &end));
}

void StreamThread::EndWithError(HRESULT hr) {
    if (ended_) return;
    ended_ = true;
    if (target_.events) target_.events->Notify(EC_ERRORABORT, hr, 0);
    if (target_.downstream) target_.downstream->EndOfStream();
}

}  // namespace kvx::dshow
