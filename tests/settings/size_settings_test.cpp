#include "settings/size_settings.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "settings_sandbox.h"

namespace {

using kvx::platform::SettingsKey;
using namespace kvx::settings;

class SizeSettings : public ::testing::Test {
protected:
    void WriteSize(const std::string& parent, int nn, const SizeEntry& s) {
        auto key = SettingsKey::Open(parent + "\\" + SizeKeyName(nn), SettingsKey::Access::Write);
        ASSERT_NE(key, nullptr);
        const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
        for (int i = 0; i < 7; ++i) key->WriteDword(names[i], static_cast<uint32_t>(s[i]));
    }
    uint32_t Read(const std::string& path, const char* name) {
        auto key = SettingsKey::Open(path, SettingsKey::Access::Read);
        uint32_t v = 0xFFFFFFFF;
        if (key) key->ReadDword(name, &v);
        return v;
    }
    kvx::test::SettingsSandbox sandbox_;
};

TEST_F(SizeSettings, FirstUseWritesTheDefaultTreeAndKeepsTheCurrentSize) {
    SizeEntry size = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(LoadCurrentSize(0, &size), 0);
    EXPECT_EQ(size, (SizeEntry{1, 2, 3, 4, 5, 6, 7}));

    const std::string camera = CameraKeyPath(0);
    EXPECT_EQ(Read(camera, "Size"), 0u);
    EXPECT_EQ(Read(camera, "Color"), 2u);
    EXPECT_EQ(Read(camera, "SubSample"), 0u);
    EXPECT_EQ(Read(camera, "WaitTime"), 1u);
    EXPECT_EQ(Read(camera, "Clock"), 2u);
    EXPECT_EQ(Read(camera + "\\Size_00", "EH"), 2048u);
    EXPECT_EQ(Read(camera + "\\Size_00", "Buf"), 4u);

    // The next load finds the tree and reads it.
    EXPECT_EQ(LoadCurrentSize(0, &size), 1);
    EXPECT_EQ(size, kDefaultSize);
    FormatValues format = {9, 9, 9, 9};
    EXPECT_EQ(LoadFormat(0, &format), 1);
    EXPECT_EQ(format.colorMode, 2);
    EXPECT_EQ(format.waitTime, 1);
    EXPECT_EQ(format.clock, 2);
}

TEST_F(SizeSettings, CurrentSizeFollowsTheStoredIndex) {
    WriteSize(CameraKeyPath(0), 0, kDefaultSize);
    WriteSize(CameraKeyPath(0), 1, {2048, 1536, 1024, 768, 512, 384, 4});
    SettingsKey::Open(CameraKeyPath(0), SettingsKey::Access::Write)->WriteDword("Size", 1);
    SizeEntry size{};
    EXPECT_EQ(LoadCurrentSize(0, &size), 1);
    EXPECT_EQ(size, (SizeEntry{2048, 1536, 1024, 768, 512, 384, 4}));
    // An index without its entry changes nothing.
    SettingsKey::Open(CameraKeyPath(0), SettingsKey::Access::Write)->WriteDword("Size", 7);
    EXPECT_EQ(LoadCurrentSize(0, &size), 0);
    EXPECT_EQ(size[2], 1024);
}

TEST_F(SizeSettings, SizeListStopsAtTheFirstGapAndSavesWhatItHolds) {
    for (int nn : {0, 1, 3}) WriteSize(CameraKeyPath(2), nn, {2048, 1536, 100 * (nn + 1), 80, 0, 0, 4});
    SizeList list;
    ASSERT_EQ(LoadSizeList(2, &list), 1);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list.entries[1][2], 200);

    list.entries[0][2] = 640;
    list.current = 1;
    list.format = {3, 1, 20, 2};
    ASSERT_EQ(SaveSizeList(2, list), 1);
    EXPECT_EQ(Read(CameraKeyPath(2) + "\\Size_00", "EH"), 640u);
    EXPECT_EQ(Read(CameraKeyPath(2) + "\\Size_03", "EH"), 400u);  // beyond the count: left alone
    EXPECT_EQ(Read(CameraKeyPath(2), "Size"), 1u);
    EXPECT_EQ(Read(CameraKeyPath(2), "Color"), 3u);
    EXPECT_EQ(Read(CameraKeyPath(2), "WaitTime"), 20u);
}

TEST_F(SizeSettings, RootPresetsAreSearchedDirectlyBelowTheRoot) {
    SizeEntry preset{};
    EXPECT_EQ(FindRootSizePreset(1024, 768, &preset), PresetSearch::NoRootKey);
    WriteSize(CameraKeyPath(0), 0, {2048, 1536, 1024, 768, 0, 0, 4});  // a camera entry does not count
    EXPECT_EQ(FindRootSizePreset(1024, 768, &preset), PresetSearch::NoMatch);
    WriteSize(kRootKey, 0, {2048, 1536, 640, 480, 0, 0, 4});
    WriteSize(kRootKey, 1, {2048, 1536, 1024, 768, 8, 8, 2});
    EXPECT_EQ(FindRootSizePreset(1024, 768, &preset), PresetSearch::Found);
    EXPECT_EQ(preset, (SizeEntry{2048, 1536, 1024, 768, 8, 8, 2}));
}

TEST_F(SizeSettings, FormatValuesTheSettersWouldRefuseLoadAsTheFirstUseValues) {
    auto camera = SettingsKey::Open(CameraKeyPath(0), SettingsKey::Access::Write);
    ASSERT_NE(camera, nullptr);
    // A pause of 0xFFFFFFFF would read as -1, the answer for an unknown
    // handle; no negative pause reaches the worker.
    for (uint32_t wait : {0xFFFFFFFFu, 0x80000000u}) {
        ASSERT_TRUE(camera->WriteDwords({{"Color", 6}, {"SubSample", 2}, {"WaitTime", wait}, {"Clock", 3}}));
        FormatValues format = {4, 1, 50, 0};
        EXPECT_EQ(LoadFormat(0, &format), 1);
        EXPECT_EQ(format.colorMode, 2) << wait;
        EXPECT_EQ(format.subSample, 0);
        EXPECT_EQ(format.waitTime, 1) << wait;
        EXPECT_EQ(format.clock, 2);
    }
    ASSERT_TRUE(camera->WriteDwords({{"Color", 0xFFFFFFFFu}, {"SubSample", 17}, {"Clock", 0x80000000u}}));
    FormatValues format = {4, 1, 50, 0};
    EXPECT_EQ(LoadFormat(0, &format), 1);
    EXPECT_EQ(format.colorMode, 2);
    EXPECT_EQ(format.subSample, 0);
    EXPECT_EQ(format.clock, 2);

    // What the setters take is kept.
    for (FormatValues kept : {FormatValues{0, 0, 0, 0}, FormatValues{5, 1, 0x7FFFFFFF, 2}}) {
        ASSERT_TRUE(camera->WriteDwords({{"Color", static_cast<uint32_t>(kept.colorMode)},
                                         {"SubSample", static_cast<uint32_t>(kept.subSample)},
                                         {"WaitTime", static_cast<uint32_t>(kept.waitTime)},
                                         {"Clock", static_cast<uint32_t>(kept.clock)}}));
        FormatValues loaded = {3, 0, 7, 1};
        EXPECT_EQ(LoadFormat(0, &loaded), 1);
        EXPECT_EQ(loaded.colorMode, kept.colorMode);
        EXPECT_EQ(loaded.subSample, kept.subSample);
        EXPECT_EQ(loaded.waitTime, kept.waitTime);
        EXPECT_EQ(loaded.clock, kept.clock);
    }
}

TEST_F(SizeSettings, ACurrentIndexOutsideTheListChangesNothing) {
    WriteSize(CameraKeyPath(0), 0, kDefaultSize);
    auto camera = SettingsKey::Open(CameraKeyPath(0), SettingsKey::Access::Write);
    // Below the root something else may have made a key of that name.
    WriteSize(CameraKeyPath(0), 100, {2048, 1536, 8, 8, 0, 0, 4});
    for (uint32_t index : {100u, 0xFFFFFFFFu, 0x80000000u}) {
        ASSERT_TRUE(camera->WriteDword("Size", index));
        SizeEntry size = {1, 2, 3, 4, 5, 6, 7};
        EXPECT_EQ(LoadCurrentSize(0, &size), 0) << index;
        EXPECT_EQ(size, (SizeEntry{1, 2, 3, 4, 5, 6, 7}));
    }
}

}  // namespace
