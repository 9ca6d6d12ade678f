// Settings files loaded through the C interface.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "camera_fixture.h"
#include "unique_name.h"

namespace {

using kvx::test::CameraTest;

class SettingsFile : public CameraTest {
protected:
    std::string WriteFile(const std::vector<uint8_t>& bytes) {
        paths_.push_back(kvx::test::UniqueName("kolvex-config") + ".bin");
        std::ofstream out(paths_.back(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return paths_.back();
    }
    ~SettingsFile() override {
        for (const std::string& path : paths_) std::remove(path.c_str());
    }
    std::vector<std::string> paths_;
};

TEST_F(SettingsFile, ATwentyByteFileYieldsTwoPairs) {
    ASSERT_NE(Open(), 0);
    std::vector<uint8_t> bytes = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0xFC, 0xFF, 0xFF, 0xFF, 7, 7, 7, 7};
    EXPECT_EQ(Kolvex_LoadConfigFileA(handle_, WriteFile(bytes).c_str()), 1);
    EXPECT_EQ(Object()->ConfigPairs(), (std::vector<kvx::settings::ValuePair>{{1, 2}, {3, -4}}));
    // A file of fewer than eight bytes empties the list.
    EXPECT_EQ(Kolvex_LoadConfigFileA(handle_, WriteFile({1, 2, 3}).c_str()), 1);
    EXPECT_TRUE(Object()->ConfigPairs().empty());
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

TEST_F(SettingsFile, AMissingFileFailsWithoutAnErrorAndKeepsTheList) {
    ASSERT_NE(Open(), 0);
    ASSERT_EQ(Kolvex_LoadConfigFileA(handle_, WriteFile({5, 0, 0, 0, 6, 0, 0, 0}).c_str()), 1);
    EXPECT_EQ(Kolvex_LoadConfigFileA(handle_, "no-such-settings-file.bin"), 0);
    EXPECT_EQ(Kolvex_LoadConfigFileA(handle_, nullptr), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
    EXPECT_EQ(Object()->ConfigPairs().size(), 1u);
}

TEST_F(SettingsFile, WidePathsConvertOrFailWithTwelve) {
    ASSERT_NE(Open(), 0);
    std::string narrow = WriteFile({1, 0, 0, 0, 2, 0, 0, 0});
    std::wstring wide(narrow.begin(), narrow.end());
    EXPECT_EQ(Kolvex_LoadConfigFileW(handle_, wide.c_str()), 1);
    EXPECT_EQ(Object()->ConfigPairs().size(), 1u);
    window_.Take();
    // U+65E5 has no mapping in the code page (nor in the C locale).
    EXPECT_EQ(Kolvex_LoadConfigFileW(handle_, L"settings_\x65E5.bin"), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_PATH);
    EXPECT_EQ(window_.Take(), (std::vector<kvx::test::Notification>{{KOLVEX_WM_ERROR, 0, KOLVEX_ERR_PATH}}));
    EXPECT_EQ(Object()->ConfigPairs().size(), 1u);
}

// A directory once asked for 2^63 bytes (its "size" as the end of a
// stream); a file beyond what the list is meant to hold is not read at all.
TEST_F(SettingsFile, OnlyPlainFilesOfAFewMegabytesAreRead) {
    ASSERT_NE(Open(), 0);
    ASSERT_EQ(Kolvex_LoadConfigFileA(handle_, WriteFile({5, 0, 0, 0, 6, 0, 0, 0}).c_str()), 1);

    const std::string directory = kvx::test::UniqueName("kolvex-config-dir");
    ASSERT_TRUE(std::filesystem::create_directory(directory));
    EXPECT_EQ(Kolvex_LoadConfigFileA(handle_, directory.c_str()), 0);
    EXPECT_EQ(Kolvex_LoadConfigFileA(handle_, (directory + "/").c_str()), 0);
    std::filesystem::remove(directory);

    // Sparse, so it costs no disk space.
    const std::string huge = WriteFile({});
    std::filesystem::resize_file(huge, kvx::settings::kMaxConfigFileBytes + 8);
    EXPECT_EQ(Kolvex_LoadConfigFileA(handle_, huge.c_str()), 0);

    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
    EXPECT_EQ(Object()->ConfigPairs(), (std::vector<kvx::settings::ValuePair>{{5, 6}}));
}

}  // namespace
