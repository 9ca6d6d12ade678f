#include "control_interfaces.h"

#include "camera_controls.h"

namespace kvx::dshow {
namespace {

HRESULT ReportRange(HRESULT hr, const ControlRange& r, long* minimum, long* maximum, long* step, long* defaultValue,
                    long* flags) {
    if (FAILED(hr)) return hr;
    *minimum = r.minimum;
    *maximum = r.maximum;
    *step = r.step;
    *defaultValue = r.defaultValue;
    *flags = r.flags;
    return S_OK;
}

bool AnyNull(const void* a, const void* b, const void* c = "", const void* d = "", const void* e = "") {
    return !a || !b || !c || !d || !e;
}

}  // namespace

HRESULT STDMETHODCALLTYPE VideoProcAmpInterface::GetRange(long property, long* minimum, long* maximum, long* step,
                                                          long* defaultValue, long* flags) {
    if (AnyNull(minimum, maximum, step, defaultValue, flags)) return E_POINTER;
    int handle = 0;
    HRESULT hr = camera_->Handle(&handle);
    ControlRange range;
    if (SUCCEEDED(hr)) hr = VideoProcAmpRange(handle, property, &range);
    return ReportRange(hr, range, minimum, maximum, step, defaultValue, flags);
}

HRESULT STDMETHODCALLTYPE VideoProcAmpInterface::Set(long property, long value, long flags) {
    int handle = 0;
    HRESULT hr = camera_->Handle(&handle);
    if (SUCCEEDED(hr)) hr = SetVideoProcAmp(handle, property, value, flags);
    // Automatic exposure by gain can lengthen frames.
    if (SUCCEEDED(hr) && property == VideoProcAmp_Gain) rateMayChange_();
    return hr;
}

HRESULT STDMETHODCALLTYPE VideoProcAmpInterface::Get(long property, long* value, long* flags) {
    if (AnyNull(value, flags)) return E_POINTER;
    int handle = 0;
    HRESULT hr = camera_->Handle(&handle);
    return SUCCEEDED(hr) ? GetVideoProcAmp(handle, property, value, flags) : hr;
}

HRESULT STDMETHODCALLTYPE CameraControlInterface::GetRange(long property, long* minimum, long* maximum, long* step,
                                                           long* defaultValue, long* flags) {
    if (AnyNull(minimum, maximum, step, defaultValue, flags)) return E_POINTER;
    int handle = 0;
    HRESULT hr = camera_->Handle(&handle);
    ControlRange range;
    if (SUCCEEDED(hr)) hr = CameraControlRange(handle, property, &range);
    return ReportRange(hr, range, minimum, maximum, step, defaultValue, flags);
}

HRESULT STDMETHODCALLTYPE CameraControlInterface::Set(long property, long value, long flags) {
    int handle = 0;
    HRESULT hr = camera_->Handle(&handle);
    if (SUCCEEDED(hr)) hr = SetCameraControl(handle, property, value, flags);
    // A longer exposure is a longer frame.
    if (SUCCEEDED(hr)) rateMayChange_();
    return hr;
}

HRESULT STDMETHODCALLTYPE CameraControlInterface::Get(long property, long* value, long* flags) {
    if (AnyNull(value, flags)) return E_POINTER;
    int handle = 0;
    HRESULT hr = camera_->Handle(&handle);
    return SUCCEEDED(hr) ? GetCameraControl(handle, property, value, flags) : hr;
}

}  // namespace kvx::dshow
