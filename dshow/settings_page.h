// The filter's property page: three buttons that open the library's own
// camera, analog and image settings dialogs on the filter's camera, in the
// language the library chooses for them (Japanese on a Japanese system,
// English elsewhere), which the page's own texts follow.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <atomic>

#include "camera_access.h"
#include "module.h"

namespace kvx::dshow {

class SettingsPage final : public IPropertyPage {
public:
    SettingsPage() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override { return S_FALSE; }
    // The library's dialogs apply what they change themselves.
    HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

    // The page window's button identifiers, one per dialog.
    enum Button { kCameraButton = 101, kAnalogButton = 102, kImageButton = 103 };

private:
    ~SettingsPage();
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OpenDialog(int button);

    ModuleReference moduleReference_;
    std::atomic<ULONG> references_{1};
    IPropertyPageSite* site_ = nullptr;
    ICameraAccess* camera_ = nullptr;
    HWND window_ = nullptr;
};

}  // namespace kvx::dshow
