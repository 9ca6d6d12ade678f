// Makes the module's two kinds of object: the capture filter of one device
// number, and the settings page.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "module.h"

namespace kvx::dshow {

// New objects with one reference, or null when memory ran out.
IUnknown* CreateCaptureFilter(int device);
IUnknown* CreateSettingsPage();

class ClassFactory final : public IClassFactory {
public:
    enum class Product { Filter, SettingsPage };
    ClassFactory(Product product, int device) : product_(product), device_(device) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~ClassFactory() = default;

    ModuleReference moduleReference_;
    std::atomic<ULONG> references_{1};
    const Product product_;
    const int device_;
};

}  // namespace kvx::dshow
