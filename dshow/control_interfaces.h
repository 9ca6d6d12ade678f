// IAMVideoProcAmp and IAMCameraControl of the filter. Their methods share
// names and signatures, so each is an object of its own inside the filter,
// with the filter's identity and references; the one template below is
// both, given the functions of camera_controls.h for its interface.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <functional>

#include "camera_controls.h"
#include "camera_session.h"

namespace kvx::dshow {

struct ControlFunctions {
    HRESULT (*range)(int handle, long property, ControlRange* range);
    HRESULT (*get)(int handle, long property, long* value, long* flags);
    HRESULT (*set)(int handle, long property, long value, long flags);
    // Whether setting the property may change the camera's frame rate.
    bool (*changesRate)(long property);
};

extern const ControlFunctions kVideoProcAmpFunctions;
extern const ControlFunctions kCameraControlFunctions;

template <class Interface>
class ControlInterface final : public Interface {
public:
    ControlInterface(IUnknown* owner, CameraSession* camera, const ControlFunctions& functions,
                     std::function<void()> rateMayChange)
        : owner_(owner), camera_(camera), functions_(functions), rateMayChange_(std::move(rateMayChange)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return owner_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }

    HRESULT STDMETHODCALLTYPE GetRange(long property, long* minimum, long* maximum, long* step, long* defaultValue,
                                       long* flags) override {
        if (!minimum || !maximum || !step || !defaultValue || !flags) return E_POINTER;
        int handle = 0;
        HRESULT hr = camera_->Handle(&handle);
        ControlRange range;
        if (SUCCEEDED(hr)) hr = functions_.range(handle, property, &range);
        if (FAILED(hr)) return hr;
        *minimum = range.minimum;
        *maximum = range.maximum;
        *step = range.step;
        *defaultValue = range.defaultValue;
        *flags = range.flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Set(long property, long value, long flags) override {
        int handle = 0;
        HRESULT hr = camera_->Handle(&handle);
        if (SUCCEEDED(hr)) hr = functions_.set(handle, property, value, flags);
        if (SUCCEEDED(hr) && functions_.changesRate(property)) rateMayChange_();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Get(long property, long* value, long* flags) override {
        if (!value || !flags) return E_POINTER;
        int handle = 0;
        const HRESULT hr = camera_->Handle(&handle);
        return SUCCEEDED(hr) ? functions_.get(handle, property, value, flags) : hr;
    }

private:
    IUnknown* const owner_;
    CameraSession* const camera_;
    const ControlFunctions& functions_;
    const std::function<void()> rateMayChange_;
};

using VideoProcAmpInterface = ControlInterface<IAMVideoProcAmp>;
using CameraControlInterface = ControlInterface<IAMCameraControl>;

}  // namespace kvx::dshow
