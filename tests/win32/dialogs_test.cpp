// The settings dialogs as an application meets them: templates in the DLL's
// resources, and each dialog opened by its export on a camera with a
// virtual device while another thread plays the user.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "../camera/camera_fixture.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "settings/dialog_common.h"

namespace kvx::test {
namespace {

HMODULE LoadProduct() { return LoadLibraryA("KolvexSdk_410QFX_ZQP.dll"); }

// --- templates ------------------------------------------------------------------

struct TemplateFacts {
    int width = 0, height = 0, points = 0;
    bool child = false;
    std::wstring title, font;
};

const WORD* SkipNameOrOrdinal(const WORD* p) {
    if (*p == 0xFFFF) return p + 2;
    while (*p) ++p;
    return p + 1;
}

bool ReadTemplate(HMODULE module, int id, TemplateFacts* facts) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    if (!found) return false;
    const auto* p = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    if (!p || p[1] != 0xFFFF) return false;  // DLGTEMPLATEEX only
    const DWORD style = *reinterpret_cast<const DWORD*>(p + 6);
    facts->child = (style & WS_CHILD) != 0;
    facts->width = static_cast<short>(p[11]);
    facts->height = static_cast<short>(p[12]);
    const WORD* q = SkipNameOrOrdinal(SkipNameOrOrdinal(p + 13));  // menu, class
    facts->title = reinterpret_cast<const wchar_t*>(q);
    q += facts->title.size() + 1;
    facts->points = q[0];
    facts->font = reinterpret_cast<const wchar_t*>(q + 3);
    return true;
}

TEST(DialogTemplates, CarryTheirSizesTitlesAndFont) {
    HMODULE module = LoadProduct();
    ASSERT_NE(module, nullptr);
    struct Expected {
        int id, width, height;
        const wchar_t* title;  // null for pages
    };
    const Expected all[] = {
        {101, 313, 229, L"プロパティ"}, {106, 313, 229, L"Property"}, {102, 294, 194, L"プロパティ"},
        {108, 294, 194, L"Property"},    {104, 294, 199, L"プロパティ"}, {111, 294, 178, L"Property"},
        {103, 251, 142, nullptr},        {107, 251, 142, nullptr},        {113, 251, 142, nullptr},
        {112, 251, 142, nullptr},        {105, 251, 146, nullptr},        {110, 238, 126, nullptr},
    };
    for (const Expected& e : all) {
        TemplateFacts facts;
        ASSERT_TRUE(ReadTemplate(module, e.id, &facts)) << e.id;
        EXPECT_EQ(facts.width, e.width) << e.id;
        EXPECT_EQ(facts.height, e.height) << e.id;
        EXPECT_EQ(facts.font, L"MS Shell Dlg") << e.id;
        EXPECT_EQ(facts.points, 8) << e.id;
        EXPECT_EQ(facts.child, e.title == nullptr) << e.id;
        if (e.title) {
            EXPECT_EQ(facts.title, e.title) << e.id;
        }
    }
    FreeLibrary(module);
}

// --- a user on another thread ---------------------------------------------------------

BOOL CALLBACK TakeDialog(HWND window, LPARAM out) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialogOf(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, TakeDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK TakeControl(HWND window, LPARAM arg) {
    auto* s = reinterpret_cast<ControlSearch*>(arg);
    if (GetDlgCtrlID(window) == s->id && IsWindowVisible(GetParent(window))) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// Any control of the dialog or of its pages, by identifier (the first
// visible one when two pages share it).
HWND Control(HWND dialog, int id) {
    ControlSearch search = {id, nullptr};
    EnumChildWindows(dialog, TakeControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// Waits for the dialog that the test thread opens, hands it to `drive`,
// and closes it with Cancel if it is still open afterwards, so that no
// test hangs on a dialog left open; gives up if none appears.
class User {
public:
    explicit User(std::function<void(HWND)> drive)
        : owner_(GetCurrentThreadId()), thread_([this, drive] { Run(drive); }) {}
    ~User() { thread_.join(); }

private:
    void Run(const std::function<void(HWND)>& drive) {
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && !dialog; ++i) {
            dialog = FindDialogOf(owner_);
            if (!dialog) Sleep(25);
        }
        if (!dialog) return;
        drive(dialog);
        for (int i = 0; i < 100 && IsWindow(dialog); ++i) {
            if (i % 20 == 19) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            Sleep(25);
        }
    }
    DWORD owner_;
    std::thread thread_;
};

void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); }

class DialogWindows : public CameraTest {
protected:
    void SetUp() override {
        product_ = LoadProduct();
        ASSERT_NE(product_, nullptr);
        ASSERT_NE(Open(), 0);
    }
    void TearDown() override {
        settings::ForceDialogLanguageForTesting(0);
        if (product_) FreeLibrary(product_);
    }
    int DeviceExposure() {
        uint16_t lines = 0;
        Object()->device()->GetExposureLines(&lines);
        return lines;
    }
    HMODULE product_ = nullptr;
};

TEST_F(DialogWindows, CameraDialogInEnglishSavesOnOk) {
    std::wstring title, clock, apply;
    BOOL clockEnabled = TRUE, applyEnabled = TRUE;
    User user([&](HWND d) {
        title = TextOf(d);
        HWND clockCombo = Control(d, 1014);
        wchar_t item[64] = {};
        SendMessageW(clockCombo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item));
        clock = item;
        clockEnabled = IsWindowEnabled(clockCombo);
        applyEnabled = IsWindowEnabled(Control(d, 1002));
        SendMessageW(Control(d, 1045), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"33"));
        Press(d, IDOK);
    });
    EXPECT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
    EXPECT_EQ(title, L"Property");
    EXPECT_EQ(clock, L"High(74MHz)");
    EXPECT_FALSE(clockEnabled);
    EXPECT_FALSE(applyEnabled);
    EXPECT_EQ(Object()->waitTimeMs(), 33);
    EXPECT_EQ(Stored(settings::CameraKeyPath(0), "WaitTime"), 33u);
}

TEST_F(DialogWindows, CameraDialogInJapaneseCancelsWithoutSaving) {
    settings::ForceDialogLanguageForTesting(0x411);
    std::wstring title, mono, cancel;
    User user([&](HWND d) {
        title = TextOf(d);
        wchar_t item[64] = {};
        SendMessageW(Control(d, 1009), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
        mono = item;
        cancel = TextOf(Control(d, IDCANCEL));
        SendMessageW(Control(d, 1045), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"44"));
        Press(d, IDCANCEL);
    });
    const int wait = Object()->waitTimeMs();
    EXPECT_EQ(Kolvex_SetCameraDlg(handle_, nullptr), 1);
    EXPECT_EQ(title, L"プロパティ");
    EXPECT_EQ(mono, L"白黒 12bit ※");
    EXPECT_EQ(cancel, L"キャンセル");
    EXPECT_EQ(Object()->waitTimeMs(), wait);
}

TEST_F(DialogWindows, AnalogDialogDrivesTheDeviceAndOkKeepsIt) {
    for (uint16_t language : {0x409, 0x411}) {
        settings::ForceDialogLanguageForTesting(language);
        std::wstring defaultText;
        int exposureWhileOpen = 0;
        POINT offset = {};
        User user([&](HWND d) {
            defaultText = TextOf(Control(d, 3));
            HWND edit = Control(d, 1027);
            HWND page = GetParent(edit);
            RECT tab, pageRect;
            GetWindowRect(Control(d, 1001), &tab);
            GetWindowRect(page, &pageRect);
            offset = {pageRect.left - tab.left, pageRect.top - tab.top};
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2345"));
            exposureWhileOpen = DeviceExposure();
            Press(d, IDOK);
        });
        EXPECT_EQ(Kolvex_SetAnalogDlg(handle_, nullptr), 1);
        EXPECT_EQ(defaultText, language == 0x411 ? L"規定値(&D)" : L"Default(&D)");
        EXPECT_EQ(exposureWhileOpen, 2345);
        EXPECT_EQ(offset.x, 30);
        EXPECT_EQ(offset.y, 25);
        EXPECT_EQ(DeviceExposure(), 2345);
        EXPECT_EQ(Object()->analog()[kExposureLines], 2345);
    }
}

TEST_F(DialogWindows, ImageDialogTrackbarIsLiveAndCancelUndoesIt) {
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 8), 1);
    const int brightness = Object()->filter()[kBrightness];
    int whileOpen = 0, tabs = 0;
    BOOL hueEnabled = TRUE;
    User user([&](HWND d) {
        tabs = static_cast<int>(SendMessageW(Control(d, 1001), TCM_GETITEMCOUNT, 0, 0));
        hueEnabled = IsWindowEnabled(Control(d, 2022));
        HWND trackbar = Control(d, 2001);
        SendMessageW(trackbar, TBM_SETPOS, TRUE, 77);
        SendMessageW(GetParent(trackbar), WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(trackbar));
        whileOpen = Object()->filter()[kBrightness];
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(Kolvex_SetImageDlg(handle_, nullptr), 1);
    EXPECT_EQ(tabs, 2);
    EXPECT_FALSE(hueEnabled);
    EXPECT_EQ(whileOpen, 77);
    EXPECT_EQ(Object()->filter()[kBrightness], brightness);
}

}  // namespace
}  // namespace kvx::test
