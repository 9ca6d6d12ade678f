#include "settings/value_group.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/settings_store.h"
#include "settings/registry_layout.h"
#include "settings_sandbox.h"

namespace {

using kvx::platform::SettingsKey;
using namespace kvx::settings;

class ValueGroups : public ::testing::Test {
protected:
    kvx::test::SettingsSandbox sandbox_;
};

TEST_F(ValueGroups, AMissingSubKeyLoadsTheGroupDefaults) {
    ASSERT_NE(SettingsKey::Open(CameraKeyPath(0), SettingsKey::Access::Write), nullptr);
    std::array<int32_t, kFilterValues> filter;
    filter.fill(-7);
    EXPECT_EQ(FilterGroup().Load(0, filter.data()), 0);
    EXPECT_EQ(filter, (std::array<int32_t, kFilterValues>{0, 0, 0, 0, 0, 100, 100, 100, 100, 2}));

    std::array<int32_t, kGrayValues> gray;
    EXPECT_EQ(GrayGroup().Load(0, gray.data()), 0);
    EXPECT_EQ(gray, (std::array<int32_t, kGrayValues>{0, 128, 128, 128, 128, 0, 0, 0, 0}));

    // The mirror defaults are the device's current state, given by the caller.
    std::array<int32_t, kAnalogValues> analog;
    std::array<int32_t, kAnalogValues> deviceDefaults = {0, 0, 0, 0, 0, kDefaultExposureLines, 1, 0, 0};
    EXPECT_EQ(AnalogGroup().Load(0, analog.data(), deviceDefaults.data()), 0);
    EXPECT_EQ(analog, deviceDefaults);
}

TEST_F(ValueGroups, SaveThenLoadRoundTripsUnderTheDevicesKey) {
    std::array<int32_t, kAnalogValues> saved = {40, 1, 2, 3, 4, 1500, 1, 0, 2};
    ASSERT_EQ(AnalogGroup().Save(3, saved.data()), 1);
    std::array<int32_t, kAnalogValues> loaded{};
    ASSERT_EQ(AnalogGroup().Load(3, loaded.data()), 1);
    EXPECT_EQ(loaded, saved);
    // Another device's key is untouched.
    EXPECT_EQ(AnalogGroup().Load(5, loaded.data()), 0);
    EXPECT_EQ(loaded[5], kDefaultExposureLines);

    auto gain = SettingsKey::Open(CameraKeyPath(3) + "\\Gain", SettingsKey::Access::Read);
    ASSERT_NE(gain, nullptr);
    uint32_t exposure = 0;
    EXPECT_TRUE(gain->ReadDword("Exposure", &exposure));
    EXPECT_EQ(exposure, 1500u);
}

TEST_F(ValueGroups, MissingValuesInAnExistingKey) {
    // "Filter" and "Gray" keep the field; "Gain" takes that value's default,
    // not the value read before it.
    {
        auto filter = SettingsKey::Open(CameraKeyPath(0) + "\\Filter", SettingsKey::Access::Write);
        filter->WriteDword("Gamma", 150);
        auto gain = SettingsKey::Open(CameraKeyPath(0) + "\\Gain", SettingsKey::Access::Write);
        gain->WriteDword("ColorB", 77);
        gain->WriteString("Global", "not a number");
    }
    std::array<int32_t, kFilterValues> filter;
    filter.fill(-1);
    EXPECT_EQ(FilterGroup().Load(0, filter.data()), 1);
    EXPECT_EQ(filter, (std::array<int32_t, kFilterValues>{-1, -1, -1, -1, -1, -1, -1, -1, 150, -1}));

    std::array<int32_t, kAnalogValues> analog;
    analog.fill(-1);
    EXPECT_EQ(AnalogGroup().Load(0, analog.data()), 1);
    EXPECT_EQ(analog, (std::array<int32_t, kAnalogValues>{0, 0, 0, 77, 0, kDefaultExposureLines, 0, 0, 0}));
}

}  // namespace
