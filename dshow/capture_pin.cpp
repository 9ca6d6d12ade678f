#include "capture_pin.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "capture_filter.h"
#include "enumerators.h"
#include "frame_interval.h"
#include "property_set_results.h"

namespace kvx::dshow {
namespace {

const wchar_t kPinName[] = L"Capture";
// Enough for a downstream filter to hold one sample while the next fills.
constexpr long kSampleBuffers = 3;

std::pair<bool, bool> IntervalKey(const VideoFormat& f) { return {UsesDeepSamples(f.kind), f.half}; }

}  // namespace

CapturePin::CapturePin(CaptureFilter* filter, CameraSession* camera, std::recursive_mutex* stateLock)
    : filter_(filter), camera_(camera), lock_(stateLock), stream_(camera, &dropped_) {}

CapturePin::~CapturePin() {
    stream_.Stop();
    ReleaseConnection();
}

HRESULT STDMETHODCALLTYPE CapturePin::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin))
        *object = static_cast<IPin*>(this);
    else if (IsEqualIID(iid, IID_IAMStreamConfig))
        *object = static_cast<IAMStreamConfig*>(this);
    else if (IsEqualIID(iid, IID_IKsPropertySet))
        *object = static_cast<IKsPropertySet*>(this);
    else if (IsEqualIID(iid, IID_IAMDroppedFrames))
        *object = static_cast<IAMDroppedFrames*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CapturePin::AddRef() { return filter_->AddRef(); }
ULONG STDMETHODCALLTYPE CapturePin::Release() { return filter_->Release(); }

bool CapturePin::Stopped() const { return filter_->state() == State_Stopped; }

// --- formats -----------------------------------------------------------------------

HRESULT CapturePin::Offered(std::vector<VideoFormat>* formats) {
    int width = 0, height = 0;
    const HRESULT hr = camera_->CaptureSize(&width, &height);
    if (FAILED(hr)) return hr;
    *formats = OfferedFormats(width, height);
    return formats->empty() ? E_FAIL : S_OK;
}

HRESULT CapturePin::Choosable(std::vector<VideoFormat>* formats) {
    if (chosen_) {
        *formats = {chosenFormat_};
        return S_OK;
    }
    return Offered(formats);
}

HRESULT CapturePin::FrameInterval(const VideoFormat& format, REFERENCE_TIME* interval) {
    const auto known = intervals_.find(IntervalKey(format));
    if (known != intervals_.end()) {
        *interval = known->second;
        return S_OK;
    }
    // Measuring starts the camera, which is this graph's stream while it runs.
    if (!Stopped()) return VFW_E_NOT_STOPPED;
    const HRESULT hr = MeasureFrameInterval(camera_, format, interval);
    if (SUCCEEDED(hr)) intervals_[IntervalKey(format)] = *interval;
    return hr;
}

void CapturePin::ForgetFrameIntervals() {
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    intervals_.clear();
}

HRESULT STDMETHODCALLTYPE CapturePin::SetFormat(AM_MEDIA_TYPE* type) {
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    if (!Stopped()) return VFW_E_NOT_STOPPED;
    if (!type) {
        chosen_ = false;
        return S_OK;
    }
    std::vector<VideoFormat> offered;
    const HRESULT hr = Offered(&offered);
    if (FAILED(hr)) return hr;
    VideoFormat format;
    if (!MatchFormat(*type, offered, &format)) return VFW_E_INVALIDMEDIATYPE;
    if (connected_ && !(format == connectedFormat_)) {
        const HRESULT reconnected = Reconnect(format);
        if (FAILED(reconnected)) return reconnected;
    }
    chosen_ = true;
    chosenFormat_ = format;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::GetFormat(AM_MEDIA_TYPE** type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    if (connected_) {
        *type = CreateMediaTypeCopy(connectedType_.get());
        return *type ? S_OK : E_OUTOFMEMORY;
    }
    std::vector<VideoFormat> formats;
    HRESULT hr = Choosable(&formats);
    REFERENCE_TIME interval = 0;
    if (SUCCEEDED(hr)) hr = FrameInterval(formats.front(), &interval);
    if (FAILED(hr)) return hr;
    MediaType described;
    if (!DescribeFormat(formats.front(), interval, &described)) return E_OUTOFMEMORY;
    *type = CreateMediaTypeCopy(described.get());
    return *type ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CapturePin::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    std::vector<VideoFormat> offered;
    const HRESULT hr = Offered(&offered);
    if (FAILED(hr)) return hr;
    *count = static_cast<int>(offered.size());
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
    if (!type || !caps) return E_POINTER;
    *type = nullptr;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    std::vector<VideoFormat> offered;
    HRESULT hr = Offered(&offered);
    if (FAILED(hr)) return hr;
    if (index < 0 || index >= static_cast<int>(offered.size())) return S_FALSE;
    const VideoFormat& format = offered[static_cast<size_t>(index)];
    REFERENCE_TIME interval = 0;
    hr = FrameInterval(format, &interval);
    if (FAILED(hr)) return hr;
    MediaType described;
    if (!DescribeFormat(format, interval, &described)) return E_OUTOFMEMORY;
    *type = CreateMediaTypeCopy(described.get());
    if (!*type) return E_OUTOFMEMORY;
    const VideoFormat& full = offered.front();
    DescribeCaps(format, full.width, full.height, interval, reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    std::vector<VideoFormat> formats;
    VideoFormat format;
    return SUCCEEDED(Choosable(&formats)) && MatchFormat(*type, formats, &format) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CapturePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    *types = nullptr;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    std::vector<VideoFormat> formats;
    const HRESULT hr = Choosable(&formats);
    if (FAILED(hr)) return hr;
    // Enumerating never starts the camera: an interval not measured yet is
    // left unknown (0), and the connection measures it.
    auto list = std::make_shared<MediaTypeList>();
    for (const VideoFormat& f : formats) {
        const auto known = intervals_.find(IntervalKey(f));
        auto described = std::make_unique<MediaType>();
        if (!DescribeFormat(f, known != intervals_.end() ? known->second : 0, described.get())) return E_OUTOFMEMORY;
        list->push_back(std::move(described));
    }
    *types = CreateMediaTypeEnumerator(std::move(list));
    return *types ? S_OK : E_OUTOFMEMORY;
}

// --- connection ----------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CapturePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
    if (!receiver) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (!Stopped()) return VFW_E_NOT_STOPPED;
    std::vector<VideoFormat> formats;
    HRESULT hr = Choosable(&formats);
    if (FAILED(hr)) return hr;
    std::vector<VideoFormat> candidates;
    for (const VideoFormat& f : formats) {
        VideoFormat asked = f;
        if (!type || MatchFormat(*type, {f}, &asked)) candidates.push_back(asked);
    }
    if (candidates.empty()) return type ? VFW_E_TYPE_NOT_ACCEPTED : VFW_E_NO_ACCEPTABLE_TYPES;
    // The rate is measured afresh for the connection; this also finds a
    // camera that another program streams, or that is gone.
    intervals_.clear();
    for (const VideoFormat& f : candidates) {
        REFERENCE_TIME interval = 0;
        hr = FrameInterval(f, &interval);
        if (FAILED(hr)) return hr;
        if (SUCCEEDED(TryConnection(receiver, f, interval))) return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CapturePin::TryConnection(IPin* receiver, const VideoFormat& format, REFERENCE_TIME interval) {
    MediaType described;
    if (!DescribeFormat(format, interval, &described)) return E_OUTOFMEMORY;
    HRESULT hr = receiver->ReceiveConnection(this, &described.get());
    if (FAILED(hr)) return hr;
    IMemInputPin* input = nullptr;
    IMemAllocator* allocator = nullptr;
    hr = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
    if (SUCCEEDED(hr)) hr = DecideAllocator(input, format, &allocator);
    if (FAILED(hr)) {
        if (input) input->Release();
        receiver->Disconnect();
        return hr;
    }
    connected_ = receiver;
    connected_->AddRef();
    input_ = input;
    allocator_ = allocator;
    connectedType_.Assign(described.get());
    connectedFormat_ = format;
    connectedInterval_ = interval;
    return S_OK;
}

// A new format for a connected pin: the same receiver is asked to take it.
// One it refuses leaves the connection as it was.
HRESULT CapturePin::Reconnect(const VideoFormat& format) {
    REFERENCE_TIME interval = 0;
    HRESULT hr = FrameInterval(format, &interval);
    if (FAILED(hr)) return hr;
    MediaType described;
    if (!DescribeFormat(format, interval, &described)) return E_OUTOFMEMORY;
    if (connected_->QueryAccept(&described.get()) != S_OK) return VFW_E_INVALIDMEDIATYPE;
    IPin* receiver = connected_;
    receiver->AddRef();
    const VideoFormat previous = connectedFormat_;
    const REFERENCE_TIME previousInterval = connectedInterval_;
    receiver->Disconnect();
    ReleaseConnection();
    hr = TryConnection(receiver, format, interval);
    if (FAILED(hr)) {
        TryConnection(receiver, previous, previousInterval);
        hr = VFW_E_INVALIDMEDIATYPE;
    }
    receiver->Release();
    return hr;
}

HRESULT CapturePin::DecideAllocator(IMemInputPin* input, const VideoFormat& format, IMemAllocator** allocator) {
    ALLOCATOR_PROPERTIES wanted{};
    input->GetAllocatorRequirements(&wanted);  // optional for the input pin
    wanted.cBuffers = std::max(wanted.cBuffers, kSampleBuffers);
    wanted.cbBuffer = std::max(wanted.cbBuffer, static_cast<long>(FrameBytes(format)));
    wanted.cbAlign = std::max(wanted.cbAlign, 1L);
    // The input pin's own allocator first, then the system's.
    IMemAllocator* candidate = nullptr;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const HRESULT got =
            attempt == 0 ? input->GetAllocator(&candidate)
                         : CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                            reinterpret_cast<void**>(&candidate));
        if (FAILED(got) || !candidate) continue;
        ALLOCATOR_PROPERTIES actual{};
        if (SUCCEEDED(candidate->SetProperties(&wanted, &actual)) && actual.cbBuffer >= wanted.cbBuffer &&
            SUCCEEDED(input->NotifyAllocator(candidate, FALSE))) {
            *allocator = candidate;
            return S_OK;
        }
        candidate->Release();
        candidate = nullptr;
    }
    return VFW_E_NO_ALLOCATOR;
}

void CapturePin::ReleaseConnection() {
    if (allocator_) allocator_->Release();
    if (input_) input_->Release();
    if (connected_) connected_->Release();
    allocator_ = nullptr;
    input_ = nullptr;
    connected_ = nullptr;
    connectedType_.Clear();
}

HRESULT STDMETHODCALLTYPE CapturePin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }

HRESULT STDMETHODCALLTYPE CapturePin::Disconnect() {
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    if (!Stopped()) return VFW_E_NOT_STOPPED;
    if (!connected_) return S_FALSE;
    ReleaseConnection();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    *pin = connected_;
    if (!connected_) return VFW_E_NOT_CONNECTED;
    connected_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(*lock_);
    if (!connected_) {
        std::memset(type, 0, sizeof *type);
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, connectedType_.get()) ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CapturePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = static_cast<IBaseFilter*>(filter_);
    info->pFilter->AddRef();
    info->dir = PINDIR_OUTPUT;
    lstrcpynW(info->achName, kPinName, MAX_PIN_NAME);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kPinName));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, kPinName, sizeof kPinName);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }
// An output pin receives no stream control from downstream.
HRESULT STDMETHODCALLTYPE CapturePin::EndOfStream() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE CapturePin::BeginFlush() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE CapturePin::EndFlush() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE CapturePin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

// --- streaming ----------------------------------------------------------------------

HRESULT CapturePin::Activate(IMediaEventSink* events) {
    if (!connected_) return S_OK;
    HRESULT hr = allocator_->Commit();
    if (SUCCEEDED(hr)) hr = camera_->Prepare(connectedFormat_);
    if (SUCCEEDED(hr)) {
        DeliveryTarget target;
        target.allocator = allocator_;
        target.input = input_;
        target.downstream = connected_;
        target.events = events;
        target.format = connectedFormat_;
        target.frameInterval = connectedInterval_;
        hr = stream_.Start(target);
    }
    if (FAILED(hr)) {
        camera_->Restore();
        allocator_->Decommit();
    }
    return hr;
}

void CapturePin::Run(IReferenceClock* clock, REFERENCE_TIME streamStart) {
    if (connected_) stream_.Run(clock, streamStart);
}

void CapturePin::Pause() { stream_.Pause(); }

void CapturePin::Deactivate() {
    if (!connected_) return;
    // Decommitting first fails any buffer request the thread is making.
    allocator_->Decommit();
    stream_.Stop();
    camera_->Restore();
}

// --- pin category and dropped frames ---------------------------------------------------

HRESULT STDMETHODCALLTYPE CapturePin::Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) {
    return E_PROP_SET_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CapturePin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataSize,
                                          DWORD* returned) {
    if (!IsEqualGUID(set, AMPROPSETID_Pin)) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (!data && !returned) return E_POINTER;
    if (returned) *returned = sizeof(GUID);
    if (!data) return S_OK;
    if (dataSize < sizeof(GUID)) return E_UNEXPECTED;
    *static_cast<GUID*>(data) = PIN_CATEGORY_CAPTURE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (!IsEqualGUID(set, AMPROPSETID_Pin)) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::GetNumDropped(long* count) {
    if (!count) return E_POINTER;
    *count = dropped_.dropped();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::GetNumNotDropped(long* count) {
    if (!count) return E_POINTER;
    *count = dropped_.delivered();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::GetDroppedInfo(long size, long* numbers, long* copied) {
    if (!numbers || !copied) return E_POINTER;
    if (size <= 0) return E_INVALIDARG;
    *copied = dropped_.Recent(numbers, size);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CapturePin::GetAverageFrameSize(long* size) {
    if (!size) return E_POINTER;
    *size = dropped_.averageBytes();
    return S_OK;
}

}  // namespace kvx::dshow
