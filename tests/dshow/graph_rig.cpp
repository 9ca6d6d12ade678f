#include "graph_rig.h"

#include <chrono>
#include <thread>

#include "class_factory.h"
#include "media_type.h"

// Wine's qedit classes: in strmiids, but not declared by the headers.
EXTERN_C const CLSID CLSID_SampleGrabber;
EXTERN_C const CLSID CLSID_NullRenderer;

namespace kvx::test {

HRESULT STDMETHODCALLTYPE SampleLog::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISampleGrabberCB)) {
        *object = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

void SampleLog::Watch(IReferenceClock* clock, REFERENCE_TIME streamStart) {
    std::lock_guard<std::mutex> hold(lock_);
    clock_ = clock;
    streamStart_ = streamStart;
}

HRESULT STDMETHODCALLTYPE SampleLog::SampleCB(double, IMediaSample* sample) {
    Sample s;
    s.timed = sample->GetTime(&s.start, &s.end) == S_OK;
    LONGLONG mediaEnd = 0;
    sample->GetMediaTime(&s.mediaStart, &mediaEnd);
    s.bytes = sample->GetActualDataLength();
    BYTE* pixels = nullptr;
    sample->GetPointer(&pixels);
    {
        std::lock_guard<std::mutex> hold(lock_);
        REFERENCE_TIME now = 0;
        if (clock_ && SUCCEEDED(clock_->GetTime(&now))) s.streamTimeAtArrival = now - streamStart_;
        if (keepBytes_) newest_.assign(pixels, pixels + s.bytes);
        samples_.push_back(s);
    }
    arrived_.notify_all();
    if (delayMs_) Sleep(delayMs_);
    return S_OK;
}

bool SampleLog::WaitFor(size_t count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> hold(lock_);
    return arrived_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return samples_.size() >= count; });
}

std::vector<SampleLog::Sample> SampleLog::samples() const {
    std::lock_guard<std::mutex> hold(lock_);
    return samples_;
}

std::vector<BYTE> SampleLog::NewestBytes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return newest_;
}

namespace {

IPin* FirstPin(IBaseFilter* filter, PIN_DIRECTION direction) {
    IEnumPins* pins = nullptr;
    IPin* found = nullptr;
    if (!filter || FAILED(filter->EnumPins(&pins))) return nullptr;
    for (IPin* pin = nullptr; !found && pins->Next(1, &pin, nullptr) == S_OK;) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction)
            found = pin;
        else
            pin->Release();
    }
    pins->Release();
    return found;
}

}  // namespace

CaptureGraph::CaptureGraph(int device) {
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     reinterpret_cast<void**>(&graph_));
    CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                     reinterpret_cast<void**>(&builder_));
    IUnknown* made = dshow::CreateCaptureFilter(device);
    made->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter_));
    made->Release();
    filter_->FindPin(L"Capture", &pin_);
    if (graph_) {
        graph_->AddFilter(filter_, L"Camera");
        graph_->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control_));
        graph_->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events_));
    }
    if (builder_) builder_->SetFiltergraph(graph_);
}

CaptureGraph::~CaptureGraph() {
    if (control_) control_->Stop();
    for (IUnknown* u : std::initializer_list<IUnknown*>{events_, control_, renderer_, grabber_, grabberFilter_, pin_,
                                                         filter_, builder_, graph_})
        if (u) u->Release();
}

IAMStreamConfig* CaptureGraph::StreamConfig() const {
    IAMStreamConfig* config = nullptr;
    pin_->QueryInterface(IID_IAMStreamConfig, reinterpret_cast<void**>(&config));
    return config;
}

AM_MEDIA_TYPE* CaptureGraph::Capability(int capability) const {
    IAMStreamConfig* config = StreamConfig();
    AM_MEDIA_TYPE* type = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    if (config && config->GetStreamCaps(capability, &type, reinterpret_cast<BYTE*>(&caps)) != S_OK) type = nullptr;
    if (config) config->Release();
    return type;
}

HRESULT CaptureGraph::ChooseFormat(int capability) {
    AM_MEDIA_TYPE* type = Capability(capability);
    IAMStreamConfig* config = StreamConfig();
    const HRESULT hr = type && config ? config->SetFormat(type) : E_FAIL;
    dshow::DeleteMediaType(type);
    if (config) config->Release();
    return hr;
}

HRESULT CaptureGraph::AddGrabberAndRenderer(const GUID* subtype) {
    HRESULT hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(&grabberFilter_));
    if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                             reinterpret_cast<void**>(&renderer_));
    if (FAILED(hr)) return hr;
    grabberFilter_->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(&grabber_));
    AM_MEDIA_TYPE wanted{};
    wanted.majortype = MEDIATYPE_Video;
    if (subtype) wanted.subtype = *subtype;
    grabber_->SetMediaType(&wanted);
    grabber_->SetBufferSamples(FALSE);
    grabber_->SetOneShot(FALSE);
    grabber_->SetCallback(&log_, 0);
    graph_->AddFilter(grabberFilter_, L"Grabber");
    return graph_->AddFilter(renderer_, L"Renderer");
}

HRESULT CaptureGraph::Connect() {
    const HRESULT hr = AddGrabberAndRenderer();
    if (FAILED(hr)) return hr;
    return builder_->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, filter_, grabberFilter_, renderer_);
}

HRESULT CaptureGraph::ConnectDirectly(const GUID* subtype) {
    HRESULT hr = AddGrabberAndRenderer(subtype);
    IPin* grabberIn = FirstPin(grabberFilter_, PINDIR_INPUT);
    IPin* grabberOut = FirstPin(grabberFilter_, PINDIR_OUTPUT);
    IPin* rendererIn = FirstPin(renderer_, PINDIR_INPUT);
    if (SUCCEEDED(hr) && !(grabberIn && grabberOut && rendererIn)) hr = VFW_E_NOT_FOUND;
    if (SUCCEEDED(hr)) hr = graph_->ConnectDirect(pin_, grabberIn, nullptr);
    if (SUCCEEDED(hr)) hr = graph_->ConnectDirect(grabberOut, rendererIn, nullptr);
    for (IPin* p : {grabberIn, grabberOut, rendererIn})
        if (p) p->Release();
    return hr;
}

HRESULT CaptureGraph::Run() {
    const HRESULT hr = control_->Run();
    if (FAILED(hr)) return hr;
    IMediaFilter* media = nullptr;
    IReferenceClock* clock = nullptr;
    graph_->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&media));
    if (media && SUCCEEDED(media->GetSyncSource(&clock)) && clock) {
        // The stream's start is the graph's to choose; the arrival times are
        // compared by their differences only.
        log_.Watch(clock, 0);
        clock->Release();  // the graph keeps it for as long as the test runs it
    }
    if (media) media->Release();
    return hr;
}

HRESULT CaptureGraph::Stop() { return control_->Stop(); }

long CaptureGraph::WaitForEvent(DWORD timeoutMs, LONG_PTR* param1) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) return 0;
        long code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        // Wine's GetEvent can end at once with an empty queue (its event stays
        // set after the last one was taken): wait on.
        if (events_->GetEvent(&code, &p1, &p2, timeoutMs - waited) != S_OK) {
            Sleep(10);
            continue;
        }
        events_->FreeEventParams(code, p1, p2);
        if (code == EC_ERRORABORT || code == EC_COMPLETE || code == EC_USERABORT || code == EC_DEVICE_LOST) {
            if (param1) *param1 = p1;
            return code;
        }
    }
}

AM_MEDIA_TYPE CaptureGraph::ConnectedType() const {
    AM_MEDIA_TYPE type{};
    pin_->ConnectionMediaType(&type);
    return type;
}

const BITMAPINFOHEADER& BitmapHeader(const AM_MEDIA_TYPE& type) {
    return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
}

}  // namespace kvx::test
