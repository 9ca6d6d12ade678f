#include "platform/modal_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

namespace kvx::platform {

namespace {

constexpr UINT kPostedMessage = WM_APP + 0x40;

std::wstring Wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string Narrow(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], n, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(n - 1));
    return narrow;
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One dialog or page window. A frame's object lives on the stack of
// RunModalDialog and owns its pages' objects, which therefore outlive
// their windows.
class Win32Controls final : public DialogControls {
public:
    Win32Controls(DialogHandler& handler, HMODULE module, HBRUSH tabBrush)
        : handler_(handler), module_(module), tabBrush_(tabBrush) {}

    void SetText(int id, const std::string& text) override { SetDlgItemTextW(window_, id, Wide(text).c_str()); }
    std::string Text(int id) const override {
        wchar_t buffer[512] = {};
        GetDlgItemTextW(window_, id, buffer, 512);
        return Narrow(buffer);
    }
    void SetCheck(int id, bool checked) override { CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    bool Checked(int id) const override { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }
    void Enable(int id, bool enabled) override { EnableWindow(GetDlgItem(window_, id), enabled ? TRUE : FALSE); }

    void ComboAdd(int id, const std::string& text) override {
        SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
    }
    void ComboInsert(int id, int position, const std::string& text) override {
        SendDlgItemMessageW(window_, id, CB_INSERTSTRING, static_cast<WPARAM>(position),
                            reinterpret_cast<LPARAM>(Wide(text).c_str()));
    }
    void ComboDelete(int id, int position) override {
        SendDlgItemMessageW(window_, id, CB_DELETESTRING, static_cast<WPARAM>(position), 0);
    }
    void ComboSelect(int id, int position) override {
        SendDlgItemMessageW(window_, id, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    }
    int ComboSelection(int id) const override {
        return static_cast<int>(SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0));
    }

    void SetUpTrackbar(int id, int minimum, int maximum, int position, int tickFrequency) override {
        SendDlgItemMessageW(window_, id, TBM_SETRANGEMAX, FALSE, maximum);
        SendDlgItemMessageW(window_, id, TBM_SETRANGEMIN, FALSE, minimum);
        SendDlgItemMessageW(window_, id, TBM_SETPOS, TRUE, position);
        SendDlgItemMessageW(window_, id, TBM_SETTICFREQ, static_cast<WPARAM>(tickFrequency), 0);
    }
    void SetTrackbarPosition(int id, int position) override {
        SendDlgItemMessageW(window_, id, TBM_SETPOS, TRUE, position);
    }
    int TrackbarPosition(int id) const override {
        return static_cast<int>(SendDlgItemMessageW(window_, id, TBM_GETPOS, 0, 0));
    }
    void SetUpUpDown(int id, int minimum, int maximum, int position, int buddyId) override {
        SendDlgItemMessageW(window_, id, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
        SendDlgItemMessageW(window_, id, UDM_SETPOS32, 0, position);
        SendDlgItemMessageW(window_, id, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(window_, buddyId)), 0);
    }

    void InsertTab(int id, int index, const std::string& text) override {
        std::wstring wide = Wide(text);
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = &wide[0];
        SendDlgItemMessageW(window_, id, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    DialogControls* CreatePage(int tabId, int templateId, DialogHandler& handler, bool shown) override {
        pages_.push_back(std::make_unique<Win32Controls>(handler, module_, tabBrush_));
        Win32Controls* page = pages_.back().get();
        HWND created = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId), GetDlgItem(window_, tabId),
                                          DialogProc, reinterpret_cast<LPARAM>(page));
        if (!created) {
            pages_.pop_back();
            return nullptr;
        }
        SetWindowPos(created, nullptr, 30, 25, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(created, shown ? SW_SHOW : SW_HIDE);
        return page;
    }
    void Show(bool shown) override { ShowWindow(window_, shown ? SW_SHOW : SW_HIDE); }
    WindowHandle window() const override { return window_; }
    void End(int result) override { EndDialog(window_, result); }

    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND:
                handler_.OnCommand(*this, LOWORD(wParam), HIWORD(wParam));
                return TRUE;
            case WM_HSCROLL:
                if (lParam) handler_.OnScroll(*this, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
                return TRUE;
            case WM_NOTIFY: {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (header->code != static_cast<UINT>(TCN_SELCHANGE)) return FALSE;
                const int selected = static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
                handler_.OnTabChanged(*this, static_cast<int>(header->idFrom), selected);
                return TRUE;
            }
            case WM_DRAWITEM:
                return DrawTab(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            case kPostedMessage:
                handler_.OnPosted(*this, static_cast<int>(wParam), static_cast<int>(lParam));
                return TRUE;
            default:
                return FALSE;
        }
    }

    void Attach(HWND window) { window_ = window; }
    DialogHandler& handler() { return handler_; }

private:
    // The tabs are owner-drawn so that they take the button face colour.
    BOOL DrawTab(const DRAWITEMSTRUCT* item) {
        if (!item || item->CtlType != ODT_TAB) return FALSE;
        wchar_t text[128] = {};
        TCITEMW tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = text;
        tab.cchTextMax = 128;
        SendMessageW(item->hwndItem, TCM_GETITEMW, item->itemID, reinterpret_cast<LPARAM>(&tab));
        RECT rect = item->rcItem;
        FillRect(item->hDC, &rect, tabBrush_);
        SetBkColor(item->hDC, GetSysColor(COLOR_BTNFACE));
        DrawTextW(item->hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return TRUE;
    }

    HWND window_ = nullptr;
    DialogHandler& handler_;
    HMODULE module_;
    HBRUSH tabBrush_;
    std::vector<std::unique_ptr<Win32Controls>> pages_;
};

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* controls = reinterpret_cast<Win32Controls*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        controls->Attach(window);
        controls->handler().OnInit(*controls);
        return TRUE;
    }
    // Each window finds its own object, so dialogs of one kind on two
    // cameras never steal each other's messages.
    auto* controls = reinterpret_cast<Win32Controls*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!controls) return FALSE;
    return controls->Handle(message, wParam, lParam);
}

bool InitCommonControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX classes = {};
        classes.dwSize = sizeof(classes);
        classes.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS;
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    return done;
}

}  // namespace

int RunModalDialog(const char* moduleName, WindowHandle owner, int templateId, DialogHandler& handler) {
    InitCommonControlsOnce();
    HMODULE module = GetModuleHandleA(moduleName);
    if (!module) return -1;
    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    INT_PTR result;
    {
        Win32Controls frame(handler, module, brush);
        result = DialogBoxParamW(module, MAKEINTRESOURCEW(templateId), static_cast<HWND>(owner), DialogProc,
                                 reinterpret_cast<LPARAM>(&frame));
    }
    DeleteObject(brush);
    return result == -1 ? -1 : static_cast<int>(result);
}

void PostToDialog(WindowHandle window, int code, int value) {
    if (window) PostMessageW(static_cast<HWND>(window), kPostedMessage, static_cast<WPARAM>(code), value);
}

}  // namespace kvx::platform
