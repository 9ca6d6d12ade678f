// A capture graph as DirectShow applications build one: the filter under
// test, Wine's Sample Grabber and Null Renderer, joined by the capture
// graph builder through the capture pin; the grabber's callback keeps what
// arrives.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace kvx::test {

// COM on the calling thread for a test's length.
class ComScope {
public:
    ComScope() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~ComScope() { CoUninitialize(); }
};

// Samples as the grabber hands them over: times, numbers and the bytes of
// the newest, and a way to wait for a count.
class SampleLog final : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double time, IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }

    struct Sample {
        REFERENCE_TIME start = 0, end = 0;
        bool timed = false;
        REFERENCE_TIME streamTimeAtArrival = 0;  // the graph clock's, when it came
        LONGLONG mediaStart = 0;
        long bytes = 0;
    };

    bool WaitFor(size_t count, DWORD timeoutMs);
    std::vector<Sample> samples() const;
    std::vector<BYTE> NewestBytes() const;
    // Time the callback spends with each sample, as a slow consumer would.
    void SetDelay(DWORD milliseconds) { delayMs_ = milliseconds; }
    // Whether the newest sample's bytes are copied (a benchmark's consumer
    // only counts).
    void KeepBytes(bool keep) { keepBytes_ = keep; }
    // The clock and stream start against which arrivals are measured.
    void Watch(IReferenceClock* clock, REFERENCE_TIME streamStart);

private:
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Sample> samples_;
    std::vector<BYTE> newest_;
    DWORD delayMs_ = 0;
    bool keepBytes_ = true;
    IReferenceClock* clock_ = nullptr;
    REFERENCE_TIME streamStart_ = 0;
};

class CaptureGraph {
public:
    // The filter of `device`, made directly (not through the registry) and
    // added to a new graph.
    explicit CaptureGraph(int device);
    ~CaptureGraph();
    CaptureGraph(const CaptureGraph&) = delete;
    CaptureGraph& operator=(const CaptureGraph&) = delete;

    IBaseFilter* filter() const { return filter_; }
    IPin* pin() const { return pin_; }
    template <typename I>
    I* Query(REFIID iid) const {
        I* found = nullptr;
        filter_->QueryInterface(iid, reinterpret_cast<void**>(&found));
        return found;  // the caller releases
    }
    IAMStreamConfig* StreamConfig() const;

    // Offered format `capability` (GetStreamCaps); the caller deletes it.
    AM_MEDIA_TYPE* Capability(int capability) const;
    // The way an application picks a format: one of the offered ones, by
    // SetFormat before connecting. (The capture graph builder puts a tee
    // between the capture pin and the grabber, so a grabber's wish would not
    // reach the pin.)
    HRESULT ChooseFormat(int capability);
    // Capture pin -> Sample Grabber -> Null Renderer, by the capture graph
    // builder (which puts a tee after the capture pin), or pin to pin.
    HRESULT Connect();
    // `subtype`: the only one the grabber takes, if given.
    HRESULT ConnectDirectly(const GUID* subtype = nullptr);
    HRESULT Run();
    HRESULT Stop();
    // The first event other than the ones a graph reports in passing, or 0.
    long WaitForEvent(DWORD timeoutMs, LONG_PTR* param1);
    AM_MEDIA_TYPE ConnectedType() const;  // free with dshow::FreeMediaTypeContents
    SampleLog& samples() { return log_; }

private:
    HRESULT AddGrabberAndRenderer(const GUID* subtype = nullptr);

    IGraphBuilder* graph_ = nullptr;
    ICaptureGraphBuilder2* builder_ = nullptr;
    IBaseFilter* filter_ = nullptr;
    IPin* pin_ = nullptr;
    IBaseFilter* grabberFilter_ = nullptr;
    ISampleGrabber* grabber_ = nullptr;
    IBaseFilter* renderer_ = nullptr;
    IMediaControl* control_ = nullptr;
    IMediaEvent* events_ = nullptr;
    SampleLog log_;
};

const BITMAPINFOHEADER& BitmapHeader(const AM_MEDIA_TYPE& type);

}  // namespace kvx::test
