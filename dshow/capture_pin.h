// The filter's one output pin, "Capture": the capture pin category
// (IKsPropertySet), the offered formats and the chosen one
// (IAMStreamConfig), connection and allocator negotiation, and the counts
// of delivered and dropped frames (IAMDroppedFrames). Its references are
// the filter's.
//
// Every method takes the filter's state lock; the streaming thread never
// does, so a stop can wait for it.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "camera_session.h"
#include "dropped_frames.h"
#include "media_type.h"
#include "stream_thread.h"
#include "video_formats.h"

namespace kvx::dshow {

class CaptureFilter;

class CapturePin final : public IPin, public IAMStreamConfig, public IKsPropertySet, public IAMDroppedFrames {
public:
    CapturePin(CaptureFilter* filter, CameraSession* camera, std::recursive_mutex* stateLock);
    ~CapturePin();
    CapturePin(const CapturePin&) = delete;
    CapturePin& operator=(const CapturePin&) = delete;

    // IUnknown: the filter's references.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IAMStreamConfig
    HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** type) override;
    HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
    HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

    // IKsPropertySet
    HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data,
                                  DWORD dataSize) override;
    HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instanceSize, void* data,
                                  DWORD dataSize, DWORD* returned) override;
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // IAMDroppedFrames
    HRESULT STDMETHODCALLTYPE GetNumDropped(long* count) override;
    HRESULT STDMETHODCALLTYPE GetNumNotDropped(long* count) override;
    HRESULT STDMETHODCALLTYPE GetDroppedInfo(long size, long* numbers, long* copied) override;
    HRESULT STDMETHODCALLTYPE GetAverageFrameSize(long* size) override;

    // For the filter, which holds the state lock around each.
    HRESULT Activate(IMediaEventSink* events);  // stopped -> paused: the camera starts
    void Run(IReferenceClock* clock, REFERENCE_TIME streamStart);
    void Pause();
    void Deactivate();  // -> stopped: the camera stops
    // The camera's rate may have changed (exposure): measure again.
    void ForgetFrameIntervals();

private:
    HRESULT Offered(std::vector<VideoFormat>* formats);
    // The formats a client may choose from now: the one SetFormat chose, or
    // all offered.
    HRESULT Choosable(std::vector<VideoFormat>* formats);
    HRESULT FrameInterval(const VideoFormat& format, REFERENCE_TIME* interval);
    HRESULT TryConnection(IPin* receiver, const VideoFormat& format, REFERENCE_TIME interval);
    HRESULT Reconnect(const VideoFormat& format);
    HRESULT DecideAllocator(IMemInputPin* input, const VideoFormat& format, IMemAllocator** allocator);
    void ReleaseConnection();
    bool Stopped() const;

    CaptureFilter* const filter_;
    CameraSession* const camera_;
    std::recursive_mutex* const lock_;  // the filter's state lock: everything below

    IPin* connected_ = nullptr;
    IMemInputPin* input_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
    MediaType connectedType_;
    VideoFormat connectedFormat_;
    REFERENCE_TIME connectedInterval_ = 0;

    bool chosen_ = false;  // SetFormat named a format
    VideoFormat chosenFormat_;
    // Measured intervals by (deep samples, subsampled).
    std::map<std::pair<bool, bool>, REFERENCE_TIME> intervals_;

    DroppedFrameLog dropped_;
    StreamThread stream_;
};

}  // namespace kvx::dshow
