#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include "child_process.h"
#include "unique_name.h"

namespace {

using kvx::platform::SettingsKey;
using Access = SettingsKey::Access;

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { root_ = "Software\\KolvexTests\\" + kvx::test::UniqueName("store"); }
    void TearDown() override { SettingsKey::DeleteTree(root_); }
    std::string root_;
};

TEST_F(SettingsStore, WritingCreatesTheWholePathAndReadsBack) {
    EXPECT_EQ(SettingsKey::Open(root_ + "\\A\\B", Access::Read), nullptr);
    auto key = SettingsKey::Open(root_ + "\\A\\B", Access::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->WriteDword("Color", 2));
    EXPECT_TRUE(key->WriteDword("Big", 0xFFFFFFFFu));
    EXPECT_NE(SettingsKey::Open(root_ + "\\A", Access::Read), nullptr);

    auto reader = SettingsKey::Open(root_ + "\\A\\B", Access::Read);
    ASSERT_NE(reader, nullptr);
    uint32_t value = 0;
    EXPECT_TRUE(reader->ReadDword("Color", &value));
    EXPECT_EQ(value, 2u);
    EXPECT_TRUE(reader->ReadDword("Big", &value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST_F(SettingsStore, NamesIgnoreCaseAndSubKeysOpenRelatively) {
    auto root = SettingsKey::Open(root_, Access::Write);
    ASSERT_NE(root, nullptr);
    auto gain = root->OpenSubKey("Camera_00\\Gain", Access::Write);
    ASSERT_NE(gain, nullptr);
    EXPECT_TRUE(gain->WriteDword("Global", 40));
    auto again = SettingsKey::Open(root_ + "\\CAMERA_00\\gain", Access::Read);
    ASSERT_NE(again, nullptr);
    uint32_t value = 0;
    EXPECT_TRUE(again->ReadDword("GLOBAL", &value));
    EXPECT_EQ(value, 40u);
    EXPECT_EQ(root->OpenSubKey("Camera_01", Access::Read), nullptr);
}

TEST_F(SettingsStore, MissingValuesAndValuesOfAnotherTypeAreNotNumbers) {
    auto key = SettingsKey::Open(root_, Access::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->WriteString("Text", "12"));
    uint32_t value = 77;
    EXPECT_FALSE(key->ReadDword("Text", &value));
    EXPECT_FALSE(key->ReadDword("Absent", &value));
    EXPECT_EQ(value, 77u);
    // Overwriting with a number changes the type.
    EXPECT_TRUE(key->WriteDword("Text", 12));
    EXPECT_TRUE(key->ReadDword("Text", &value));
    EXPECT_EQ(value, 12u);
}

TEST_F(SettingsStore, DeleteTreeRemovesEverythingBelow) {
    ASSERT_NE(SettingsKey::Open(root_ + "\\X\\Y\\Z", Access::Write), nullptr);
    ASSERT_NE(SettingsKey::Open(root_ + "\\X2", Access::Write), nullptr);
    EXPECT_TRUE(SettingsKey::DeleteTree(root_ + "\\X"));
    EXPECT_EQ(SettingsKey::Open(root_ + "\\X\\Y", Access::Read), nullptr);
    EXPECT_EQ(SettingsKey::Open(root_ + "\\X", Access::Read), nullptr);
    EXPECT_NE(SettingsKey::Open(root_ + "\\X2", Access::Read), nullptr);
    EXPECT_TRUE(SettingsKey::DeleteTree(root_ + "\\X"));  // already gone
}

// Two processes writing at the same time lose none of each other's values.
TEST_F(SettingsStore, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kEach = 60;
    {
        kvx::test::ChildProcess a({"settings-write", root_ + "\\Shared", "a", std::to_string(kEach)});
        kvx::test::ChildProcess b({"settings-write", root_ + "\\Shared", "b", std::to_string(kEach)});
        ASSERT_TRUE(a.started());
        ASSERT_TRUE(b.started());
        EXPECT_EQ(a.Wait(), 0);
        EXPECT_EQ(b.Wait(), 0);
    }
    auto key = SettingsKey::Open(root_ + "\\Shared", Access::Read);
    ASSERT_NE(key, nullptr);
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kEach; ++i) {
            uint32_t value = 0xDEAD;
            ASSERT_TRUE(key->ReadDword(prefix + std::to_string(i), &value)) << prefix << i;
            EXPECT_EQ(value, static_cast<uint32_t>(i));
        }
    }
}

}  // namespace
