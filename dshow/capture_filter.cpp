#include "capture_filter.h"

#include <evcode.h>
#include <vfwmsgs.h>

#include <new>

#include "class_factory.h"
#include "enumerators.h"
#include "guids.h"

namespace kvx::dshow {
namespace {

const wchar_t kPinName[] = L"Capture";

}  // namespace

IUnknown* CreateCaptureFilter(int device) {
    return static_cast<IBaseFilter*>(new (std::nothrow) CaptureFilter(device));
}

CaptureFilter::CaptureFilter(int device)
    : device_(device),
      camera_(device),
      pin_(this, &camera_, &lock_),
      videoProcAmp_(static_cast<IBaseFilter*>(this), &camera_, kVideoProcAmpFunctions,
                    [this] { pin_.ForgetFrameIntervals(); }),
      cameraControl_(static_cast<IBaseFilter*>(this), &camera_, kCameraControlFunctions,
                     [this] { pin_.ForgetFrameIntervals(); }) {}

CaptureFilter::~CaptureFilter() {
    // A graph stops its filters before it lets them go; a client without a
    // graph may not have.
    Stop();
    if (clock_) clock_->Release();
}

HRESULT STDMETHODCALLTYPE CaptureFilter::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IMediaFilter) ||
        IsEqualIID(iid, IID_IBaseFilter))
        *object = static_cast<IBaseFilter*>(this);
    else if (IsEqualIID(iid, IID_IAMFilterMiscFlags))
        *object = static_cast<IAMFilterMiscFlags*>(this);
    else if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
        *object = static_cast<ISpecifyPropertyPages*>(this);
    else if (IsEqualIID(iid, IID_IAMVideoProcAmp))
        *object = static_cast<IAMVideoProcAmp*>(&videoProcAmp_);
    else if (IsEqualIID(iid, IID_IAMCameraControl))
        *object = static_cast<IAMCameraControl*>(&cameraControl_);
    else if (IsEqualIID(iid, kCameraAccessId))
        *object = static_cast<ICameraAccess*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CaptureFilter::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE CaptureFilter::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::GetClassID(CLSID* id) {
    if (!id) return E_POINTER;
    *id = FilterClassId(device_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::Stop() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ != State_Stopped) pin_.Deactivate();
    state_ = State_Stopped;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::Pause() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ == State_Stopped) {
        // The camera starts now, so that a busy or missing camera fails the
        // graph's pause or run rather than leaving it running without frames.
        const HRESULT hr = pin_.Activate(events_);
        if (FAILED(hr)) {
            // Said as an event as well: not every graph manager gives up
            // when one filter cannot pause (Wine's runs the others), and
            // the application must not wait for frames that never come.
            if (events_) events_->Notify(EC_ERRORABORT, hr, 0);
            return hr;
        }
    } else if (state_ == State_Running) {
        pin_.Pause();
    }
    state_ = State_Paused;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::Run(REFERENCE_TIME start) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr)) return hr;
    }
    pin_.Run(clock_, start);
    state_ = State_Running;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    // No lock: the streaming thread's downstream may ask while a stop holds it.
    *state = state_.load();
    // A live source has nothing to show while paused.
    return *state == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (clock) clock->AddRef();
    if (clock_) clock_->Release();
    clock_ = clock;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    *clock = clock_;
    if (clock_) clock_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::EnumPins(IEnumPins** pins) {
    if (!pins) return E_POINTER;
    *pins = CreatePinEnumerator(static_cast<IBaseFilter*>(this), {&pin_});
    return *pins ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    if (lstrcmpW(id, kPinName) != 0) {
        *pin = nullptr;
        return VFW_E_NOT_FOUND;
    }
    *pin = &pin_;
    pin_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    graph_ = graph;
    name_ = name ? name : L"";
    events_ = nullptr;
    IMediaEventSink* sink = nullptr;
    if (graph && SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
        // Held without a reference, as the graph is: it outlives our stay.
        events_ = sink;
        sink->Release();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::QueryVendorInfo(LPWSTR* info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

ULONG STDMETHODCALLTYPE CaptureFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

HRESULT STDMETHODCALLTYPE CaptureFilter::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = kSettingsPageClassId;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CaptureFilter::CameraHandle(int* handle) {
    if (!handle) return E_POINTER;
    return camera_.Handle(handle);
}

}  // namespace kvx::dshow
