// The settings store on Windows is the real registry: what it writes is an
// ordinary REG_DWORD under HKEY_CURRENT_USER that any program can read.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "unique_name.h"

namespace {

using kvx::platform::SettingsKey;

TEST(Registry, StoreWritesRealDwordValuesUnderTheCurrentUser) {
    const std::string path = "Software\\KolvexTests\\" + kvx::test::UniqueName("registry");
    {
        auto key = SettingsKey::Open(path + "\\Camera_00", SettingsKey::Access::Write);
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->WriteDword("Color", 2));
    }
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (path + "\\Camera_00").c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    DWORD type = 0, data = 0, size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(raw, "Color", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data, 2u);

    // A binary value of four bytes is not a number to the store.
    BYTE bytes[4] = {1, 0, 0, 0};
    RegCloseKey(raw);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (path + "\\Camera_00").c_str(), 0, KEY_ALL_ACCESS, &raw),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(raw, "Binary", 0, REG_BINARY, bytes, sizeof bytes), ERROR_SUCCESS);
    RegCloseKey(raw);
    auto key = SettingsKey::Open(path + "\\Camera_00", SettingsKey::Access::Read);
    uint32_t value = 9;
    EXPECT_FALSE(key->ReadDword("Binary", &value));
    EXPECT_EQ(value, 9u);
    EXPECT_TRUE(SettingsKey::DeleteTree(path));
}

}  // namespace
