// IAMVideoProcAmp and IAMCameraControl of the filter. Their methods share
// names and signatures, so each is an object of its own inside the filter,
// with the filter's identity and references.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <functional>

#include "camera_session.h"

namespace kvx::dshow {

class VideoProcAmpInterface final : public IAMVideoProcAmp {
public:
    VideoProcAmpInterface(IUnknown* owner, CameraSession* camera, std::function<void()> rateMayChange)
        : owner_(owner), camera_(camera), rateMayChange_(std::move(rateMayChange)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return owner_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }

    HRESULT STDMETHODCALLTYPE GetRange(long property, long* minimum, long* maximum, long* step, long* defaultValue,
                                       long* flags) override;
    HRESULT STDMETHODCALLTYPE Set(long property, long value, long flags) override;
    HRESULT STDMETHODCALLTYPE Get(long property, long* value, long* flags) override;

private:
    IUnknown* const owner_;
    CameraSession* const camera_;
    const std::function<void()> rateMayChange_;
};

class CameraControlInterface final : public IAMCameraControl {
public:
    CameraControlInterface(IUnknown* owner, CameraSession* camera, std::function<void()> rateMayChange)
        : owner_(owner), camera_(camera), rateMayChange_(std::move(rateMayChange)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return owner_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }

    HRESULT STDMETHODCALLTYPE GetRange(long property, long* minimum, long* maximum, long* step, long* defaultValue,
                                       long* flags) override;
    HRESULT STDMETHODCALLTYPE Set(long property, long value, long flags) override;
    HRESULT STDMETHODCALLTYPE Get(long property, long* value, long* flags) override;

private:
    IUnknown* const owner_;
    CameraSession* const camera_;
    const std::function<void()> rateMayChange_;
};

}  // namespace kvx::dshow
