// The capture source filter of one camera: the DirectShow filter state
// machine of a live source (the camera runs from pause on; samples flow
// while running), its controls (IAMVideoProcAmp, IAMCameraControl), its
// settings page (ISpecifyPropertyPages) and its one output pin.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <ocidl.h>

#include <atomic>
#include <mutex>
#include <string>

#include "camera_access.h"
#include "camera_session.h"
#include "capture_pin.h"
#include "control_interfaces.h"
#include "module.h"

namespace kvx::dshow {

class CaptureFilter final : public IBaseFilter,
                            public IAMFilterMiscFlags,
                            public ISpecifyPropertyPages,
                            public ICameraAccess {
public:
    explicit CaptureFilter(int device);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override;
    // IMediaFilter
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;
    // IAMFilterMiscFlags
    ULONG STDMETHODCALLTYPE GetMiscFlags() override;
    // ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;
    // ICameraAccess
    HRESULT STDMETHODCALLTYPE CameraHandle(int* handle) override;

    FILTER_STATE state() const { return state_.load(); }

private:
    ~CaptureFilter();

    ModuleReference moduleReference_;
    std::atomic<ULONG> references_{1};
    const int device_;
    std::recursive_mutex lock_;  // state, clock, graph, name and the pin's fields
    std::atomic<FILTER_STATE> state_{State_Stopped};
    IReferenceClock* clock_ = nullptr;
    IFilterGraph* graph_ = nullptr;        // not held: the graph holds the filter
    IMediaEventSink* events_ = nullptr;    // the graph's, likewise
    std::wstring name_;
    CameraSession camera_;
    CapturePin pin_;
    VideoProcAmpInterface videoProcAmp_;
    CameraControlInterface cameraControl_;
};

}  // namespace kvx::dshow
