// The product as an application meets it: the DLL loaded by name, its
// functions found by their undecorated names, its notifications arriving in
// a real window's message queue.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "KolvexSdk.h"
#include "def_exports.h"
#include "notification_window.h"

namespace {

using kvx::test::Notification;
using kvx::test::NotificationWindow;

class Dll : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA("KolvexSdk_410QFX_ZQP.dll");
        ASSERT_NE(module_, nullptr) << "LoadLibrary failed: " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    template <typename Fn>
    Fn Proc(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    const IMAGE_NT_HEADERS* Headers() const {
        auto base = reinterpret_cast<const BYTE*>(module_);
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    }
    HMODULE module_ = nullptr;
};

TEST_F(Dll, IsALibraryOfTheProgramsWordSize) {
    EXPECT_EQ(Headers()->FileHeader.Machine, sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(Headers()->FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_F(Dll, ExportsExactlyTheListedFunctionsUndecorated) {
    const auto& dir = Headers()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    auto base = reinterpret_cast<const BYTE*>(module_);
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) exported.insert(reinterpret_cast<const char*>(base + names[i]));
    EXPECT_EQ(exports->NumberOfFunctions, exports->NumberOfNames) << "no exports by ordinal only";

    std::set<std::string> listed(std::begin(kDefExports), std::end(kDefExports));
    EXPECT_EQ(exported, listed);
    for (const char* name : kDefExports) EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
}

TEST_F(Dll, ReportsItsVersion) {
    auto version = Proc<int(__cdecl*)()>("Kolvex_GetDllVersion");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 28443935);
}

TEST_F(Dll, ErrorsArePostedToTheApplicationWindowsQueue) {
    auto initialize = Proc<int(__cdecl*)(KolvexWindow)>("Kolvex_Initialize");
    auto release = Proc<int(__cdecl*)(int)>("Kolvex_Release");
    auto lastError = Proc<int(__cdecl*)(int)>("Kolvex_GetLastError");
    auto setHalfClock = Proc<int(__cdecl*)(int, int)>("Kolvex_SetHalfClock");
    auto getConfigFilter = Proc<int(__cdecl*)(int)>("Kolvex_GetConfigFilter");
    ASSERT_TRUE(initialize && release && lastError && setHalfClock && getConfigFilter);

    NotificationWindow window;
    ASSERT_NE(window.handle(), nullptr);
    int handle = initialize(window.handle());
    ASSERT_NE(handle, 0);

    EXPECT_EQ(setHalfClock(handle, 1), 0);
    EXPECT_EQ(window.Take(), (std::vector<Notification>{{KOLVEX_WM_ERROR, 0, KOLVEX_ERR_UNSUPPORTED}}));
    EXPECT_EQ(lastError(handle), 0);

    EXPECT_EQ(getConfigFilter(handle), -1);
    EXPECT_EQ(window.Take(), (std::vector<Notification>{{KOLVEX_WM_ERROR, 0, KOLVEX_ERR_UNSUPPORTED}}));
    EXPECT_EQ(lastError(handle), KOLVEX_ERR_UNSUPPORTED);
    EXPECT_EQ(release(handle), 1);
}

}  // namespace
