#include "settings_page.h"

#include <new>

#include "KolvexSdk.h"
#include "class_factory.h"

namespace kvx::dshow {
namespace {

const wchar_t kClassName[] = L"KolvexCaptureSettingsPage";
constexpr int kButtonWidth = 200, kButtonHeight = 26, kMargin = 12;
constexpr int kPageWidth = kButtonWidth + 2 * kMargin, kPageHeight = 3 * kButtonHeight + 4 * kMargin;
constexpr LANGID kJapanese = 0x411;

struct PageTexts {
    const wchar_t* title;
    const wchar_t* buttons[3];
};

const PageTexts kEnglish = {L"Camera", {L"Camera settings...", L"Analog settings...", L"Image settings..."}};
const PageTexts kJapaneseTexts = {L"\u30AB\u30E1\u30E9",
                                  {L"\u30AB\u30E1\u30E9\u8A2D\u5B9A...", L"\u30A2\u30CA\u30ED\u30B0\u8A2D\u5B9A...",
                                   L"\u753B\u50CF\u8A2D\u5B9A..."}};

// The library chooses its dialogs' language by the same test.
const PageTexts& Texts() { return GetSystemDefaultLangID() == kJapanese ? kJapaneseTexts : kEnglish; }

// Registered while a page is shown and unregistered after: a class whose
// procedure is in this DLL must not outlive the DLL, which COM may unload
// once no object of it is left. (A second page's registration finds the
// class there; an unregistration while another page's window exists fails
// and leaves it.)
void RegisterPageClass(WNDPROC procedure) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
}

}  // namespace

IUnknown* CreateSettingsPage() { return new (std::nothrow) SettingsPage(); }

SettingsPage::~SettingsPage() {
    Deactivate();
    if (camera_) camera_->Release();
    if (site_) site_->Release();
}

HRESULT STDMETHODCALLTYPE SettingsPage::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage)) {
        *object = static_cast<IPropertyPage*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE SettingsPage::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE SettingsPage::SetPageSite(IPropertyPageSite* site) {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SettingsPage::SetObjects(ULONG count, IUnknown** objects) {
    if (camera_) camera_->Release();
    camera_ = nullptr;
    if (count == 0) return S_OK;
    if (!objects) return E_POINTER;
    for (ULONG i = 0; i < count && !camera_; ++i)
        if (objects[i]) objects[i]->QueryInterface(kCameraAccessId, reinterpret_cast<void**>(&camera_));
    return camera_ ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE SettingsPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    const wchar_t* title = Texts().title;
    const size_t bytes = (lstrlenW(title) + 1) * sizeof(wchar_t);
    info->cb = sizeof *info;
    info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!info->pszTitle) return E_OUTOFMEMORY;
    CopyMemory(info->pszTitle, title, bytes);
    info->size = {kPageWidth, kPageHeight};
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SettingsPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (!rect) return E_POINTER;
    if (window_) return E_UNEXPECTED;
    RegisterPageClass(&SettingsPage::WindowProcedure);
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_CLIPCHILDREN, rect->left, rect->top,
                              rect->right - rect->left, rect->bottom - rect->top, parent, nullptr, ThisModule(), this);
    if (!window_) return E_FAIL;
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const int ids[3] = {kCameraButton, kAnalogButton, kImageButton};
    for (int i = 0; i < 3; ++i) {
        HWND button = CreateWindowExW(0, L"BUTTON", Texts().buttons[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                      kMargin, kMargin + i * (kButtonHeight + kMargin), kButtonWidth, kButtonHeight,
                                      window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids[i])), ThisModule(),
                                      nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SettingsPage::Deactivate() {
    if (!window_) return S_OK;
    DestroyWindow(window_);
    window_ = nullptr;
    UnregisterClassW(kClassName, ThisModule());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SettingsPage::Show(UINT command) {
    if (!window_) return E_UNEXPECTED;
    ShowWindow(window_, static_cast<int>(command));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SettingsPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!window_) return E_UNEXPECTED;
    MoveWindow(window_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

LRESULT CALLBACK SettingsPage::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* page = reinterpret_cast<SettingsPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (page && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        page->OpenDialog(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SettingsPage::OpenDialog(int button) {
    int handle = 0;
    if (!camera_ || FAILED(camera_->CameraHandle(&handle))) return;
    // Modal on the page's window, as the page is on the frame's.
    switch (button) {
        case kCameraButton: Kolvex_SetCameraDlg(handle, window_); break;
        case kAnalogButton: Kolvex_SetAnalogDlg(handle, window_); break;
        case kImageButton: Kolvex_SetImageDlg(handle, window_); break;
        default: break;
    }
}

}  // namespace kvx::dshow
