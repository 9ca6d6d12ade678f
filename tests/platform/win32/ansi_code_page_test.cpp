// Wide paths under each ANSI code page a user may have set: UTF-8 (65001),
// Japanese (932) and Western (1252). CTest runs this program once per code
// page, with the locale that gives Wine that code page and the number in
// KOLVEX_EXPECTED_ACP.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "KolvexSdk.h"
#include "camera_sandbox.h"
#include "platform/text_encoding.h"
#include "unique_name.h"

namespace {

using kvx::platform::WideToAnsi;

UINT ExpectedCodePage() {
    const char* value = std::getenv("KOLVEX_EXPECTED_ACP");
    return value ? static_cast<UINT>(std::strtoul(value, nullptr, 10)) : 0;
}

struct CodePageCase {
    UINT codePage;
    std::wstring representable;        // a name with a character beyond ASCII
    std::string bytes;                  // that name in the code page
    std::vector<std::wstring> missing;  // names the code page cannot carry
};

const CodePageCase& Case() {
    static const std::vector<CodePageCase> cases = {
        {65001, L"\x65E5\x00E9.bmp", "\xE6\x97\xA5\xC3\xA9.bmp", {L"\xD800.bmp", L"a\xDC00" L"b.bmp"}},
        {932, L"\x65E5.bmp", "\x93\xFA.bmp", {L"\x00E9.bmp", L"\x0100.bmp", L"\x20AC.bmp"}},
        {1252, L"\x00E9\x20AC.bmp", "\xE9\x80.bmp", {L"\x65E5.bmp", L"\x0100.bmp", L"\x0394.bmp"}},
    };
    for (const auto& c : cases)
        if (c.codePage == ExpectedCodePage()) return c;
    static const CodePageCase none{};
    return none;
}

class AnsiCodePage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Case().codePage, 0u) << "run through CTest, which sets the code page";
        ASSERT_EQ(GetACP(), Case().codePage) << "the locale did not give this code page";
    }
};

TEST_F(AnsiCodePage, APathTheCodePageCarriesConvertsExactly) {
    char out[64] = "stale";
    ASSERT_TRUE(WideToAnsi(Case().representable.c_str(), out, sizeof out));
    EXPECT_EQ(std::string(out), Case().bytes);
    ASSERT_TRUE(WideToAnsi(L"C:\\images\\frame_01.bmp", out, sizeof out));
    EXPECT_STREQ(out, "C:\\images\\frame_01.bmp");
}

TEST_F(AnsiCodePage, APathItCannotCarryFailsInsteadOfBecomingAnother) {
    for (const std::wstring& name : Case().missing) {
        char out[64] = "stale";
        EXPECT_FALSE(WideToAnsi(name.c_str(), out, sizeof out)) << static_cast<unsigned>(name[0]);
        EXPECT_STREQ(out, "");
    }
}

TEST_F(AnsiCodePage, TheWideExportsConvertTheirPaths) {
    kvx::test::CameraSandbox sandbox;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / kvx::test::UniqueName("kolvex-acp");
    std::filesystem::create_directories(dir);
    const int handle = Kolvex_Initialize(nullptr);
    ASSERT_NE(handle, 0);
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Kolvex_SetCaptureWindowEx(handle, 2048, 0, 64, 1536, 0, 48), 1);
    ASSERT_EQ(Kolvex_SnapShot(handle, nullptr, 0, 0), 1);

    const std::filesystem::path image = dir / L"frame.bmp";
    EXPECT_EQ(Kolvex_SaveImageW(handle, image.wstring().c_str(), KOLVEX_FILE_BMP), 1);
    EXPECT_TRUE(std::filesystem::exists(image));

    // A name beyond ASCII that the code page carries reaches the file
    // system as it is: listed back, it is the same name.
    const std::filesystem::path named = dir / Case().representable;
    EXPECT_EQ(Kolvex_SaveImageW(handle, named.wstring().c_str(), KOLVEX_FILE_BMP), 1);
    std::vector<std::wstring> listed;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        listed.push_back(entry.path().filename().wstring());
    EXPECT_NE(std::find(listed.begin(), listed.end(), Case().representable), listed.end());

    const std::filesystem::path settings = dir / L"settings.txt";
    { std::ofstream(settings) << "\n"; }
    EXPECT_EQ(Kolvex_LoadConfigFileW(handle, settings.wstring().c_str()), 1);
    const std::filesystem::path missing = dir / Case().missing.front();
    EXPECT_EQ(Kolvex_LoadConfigFileW(handle, missing.wstring().c_str()), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle), KOLVEX_ERR_PATH);
    EXPECT_EQ(Kolvex_RecordW(handle, missing.wstring().c_str(), 0, 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle), KOLVEX_ERR_PATH);

    EXPECT_EQ(Kolvex_Release(handle), 1);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
