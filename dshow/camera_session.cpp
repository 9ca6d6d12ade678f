#include "camera_session.h"

#include "KolvexSdk.h"
#include "gray16.h"

namespace kvx::dshow {
namespace {

constexpr int kGrayModeParameter = 19;
constexpr int kGrayFromColor = 2;
constexpr int kNameBufferSize = 20;

// The library's history, newest first, emptied; the codes of one failure.
std::vector<int> TakeErrors(int handle) {
    std::vector<int> codes;
    for (int code = Kolvex_GetLastError(handle); code != 0 && codes.size() < 20; code = Kolvex_GetLastError(handle))
        codes.push_back(code);
    return codes;
}

bool Contains(const std::vector<int>& codes, int code) {
    for (int c : codes)
        if (c == code) return true;
    return false;
}

// Whether the device number answers: a fresh probe, then its name.
bool DevicePresent(int handle, int device) {
    char names[10][256];  // the probe's name table; only the probe matters
    Kolvex_EnumDevice(handle, names);
    char name[kNameBufferSize];
    return Kolvex_GetDeviceName(handle, device, name, sizeof name) != 0;
}

}  // namespace

CameraSession::~CameraSession() {
    if (handle_) {
        Restore();
        Kolvex_Release(handle_);
    }
}

HRESULT CameraSession::OpenHeld() {
    if (handle_) return S_OK;
    const int handle = Kolvex_Initialize(nullptr);
    if (!handle) return E_FAIL;
    if (!Kolvex_SetDeviceNumber(handle, device_)) {
        Kolvex_Release(handle);
        return kCameraAbsent;
    }
    // The library opens a preview window of its own unless told not to:
    // the graph's renderer is the only window a DirectShow source may have.
    Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    TakeErrors(handle);
    handle_ = handle;
    return S_OK;
}

HRESULT CameraSession::Handle(int* handle) {
    std::lock_guard<std::mutex> hold(lock_);
    const HRESULT hr = OpenHeld();
    *handle = handle_;
    return hr;
}

HRESULT CameraSession::CaptureSize(int* width, int* height) {
    int handle = 0;
    const HRESULT hr = Handle(&handle);
    if (FAILED(hr)) return hr;
    *width = Kolvex_Width(handle);
    *height = Kolvex_Height(handle);
    return *width > 0 && *height > 0 ? S_OK : E_FAIL;
}

HRESULT CameraSession::Prepare(const VideoFormat& format) {
    int handle = 0;
    HRESULT hr = Handle(&handle);
    if (FAILED(hr)) return hr;
    if (!Kolvex_SetColorMode(handle, LibraryColorBits(format.kind)) || !Kolvex_SetSubSample(handle, format.half ? 1 : 0))
        return TakeErrors(handle), E_UNEXPECTED;
    std::lock_guard<std::mutex> hold(lock_);
    if (format.kind == PixelKind::Gray8) {
        int ok = 0;
        const int stored = Kolvex_GetFilterValue(handle, kGrayModeParameter, &ok);
        if (ok && stored != kGrayFromColor && keptGrayMode_ < 0) keptGrayMode_ = stored;
        Kolvex_SetFilterValue(handle, kGrayModeParameter, kGrayFromColor);
    }
    if (format.kind == PixelKind::Gray16) {
        const int stride = RowStride(format.width, 48);
        deepColor_.resize(static_cast<size_t>(stride) * format.height);
    }
    return S_OK;
}

void CameraSession::Restore() {
    std::lock_guard<std::mutex> hold(lock_);
    if (handle_ && keptGrayMode_ >= 0) Kolvex_SetFilterValue(handle_, kGrayModeParameter, keptGrayMode_);
    keptGrayMode_ = -1;
}

HRESULT CameraSession::Start(HWND window) {
    int handle = 0;
    const HRESULT hr = Handle(&handle);
    if (FAILED(hr)) return hr;
    TakeErrors(handle);
    if (Kolvex_CallBackPreview(handle, window, nullptr, 0, 0)) return S_OK;
    return StartFailure();
}

HRESULT CameraSession::StartFailure() {
    const std::vector<int> codes = TakeErrors(handle_);
    if (Contains(codes, KOLVEX_ERR_DEVICE_NUMBER))
        return DevicePresent(handle_, device_) ? kCameraBusy : kCameraAbsent;
    if (Contains(codes, KOLVEX_ERR_RESOURCE)) return E_OUTOFMEMORY;
    if (Contains(codes, KOLVEX_ERR_DEVICE_IO) || Contains(codes, KOLVEX_ERR_DEVICE_LOST)) return kCameraAbsent;
    return E_FAIL;
}

void CameraSession::Stop() {
    int handle = 0;
    if (SUCCEEDED(Handle(&handle))) Kolvex_StopPreview(handle);
}

bool CameraSession::CopyFrame(const VideoFormat& format, BYTE* buffer) {
    const int handle = handle_;
    if (format.kind != PixelKind::Gray16)
        return Kolvex_GetImage(handle, buffer, FrameBytes(format), format.topDown ? 0 : 1) != 0;
    if (!Kolvex_GetImage(handle, deepColor_.data(), static_cast<int>(deepColor_.size()), 0)) return false;
    LuminanceRows(deepColor_.data(), RowStride(format.width, 48), format.width, format.height, buffer,
                  RowStride(format.width, 16));
    return true;
}

}  // namespace kvx::dshow
