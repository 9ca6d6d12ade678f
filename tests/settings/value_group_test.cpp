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

// A store edited by hand or by a hostile program must not put values into
// the camera that its setters would refuse: each loads as its default.
TEST_F(ValueGroups, StoredValuesTheSettersWouldRefuseLoadAsTheirDefaults) {
    {
        auto filter = SettingsKey::Open(CameraKeyPath(0) + "\\Filter", SettingsKey::Access::Write);
        ASSERT_NE(filter, nullptr);
        ASSERT_TRUE(filter->WriteDwords({{"Brightness", 0x80000000u}, {"Contrast", 0x80000000u}, {"Hue", 361},
                                         {"Saturation", 0xFFFFFF00u}, {"Sharpness", 0xFFFFFFFFu}, {"R_Gain", 401},
                                         {"G_Gain", 0x7FFFFFFFu}, {"B_Gain", 0xFFFFFFFFu}, {"Gamma", 201},
                                         {"BayerMode", 4}}));
        auto gray = SettingsKey::Open(CameraKeyPath(0) + "\\Gray", SettingsKey::Access::Write);
        ASSERT_TRUE(gray->WriteDwords({{"Mode", 3}, {"GainR1", 256}, {"GainG1", 0xFFFFFFFFu}, {"GainG2", 0x80000000u},
                                       {"GainB1", 1000}, {"OffsetR1", 256}, {"OffsetG1", 0xFFFFFF00u},
                                       {"OffsetG2", 0x80000000u}, {"OffsetB1", 0x7FFFFFFFu}}));
        auto gain = SettingsKey::Open(CameraKeyPath(0) + "\\Gain", SettingsKey::Access::Write);
        ASSERT_TRUE(gain->WriteDwords({{"Global", 481}, {"ColorG1", 0xFFFFFFFFu}, {"ColorR", 481}, {"ColorB", 100000},
                                       {"ColorG2", 0x80000000u}, {"Exposure", 0}, {"V_Mirror", 0x80000000u},
                                       {"H_Mirror", 7}, {"AutoIris", 3}}));
    }
    std::array<int32_t, kFilterValues> filter;
    filter.fill(-1);
    EXPECT_EQ(FilterGroup().Load(0, filter.data()), 1);
    EXPECT_EQ(filter, (std::array<int32_t, kFilterValues>{0, 0, 0, 0, 0, 100, 100, 100, 100, 2}));

    std::array<int32_t, kGrayValues> gray;
    gray.fill(-1);
    EXPECT_EQ(GrayGroup().Load(0, gray.data()), 1);
    EXPECT_EQ(gray, (std::array<int32_t, kGrayValues>{0, 128, 128, 128, 128, 0, 0, 0, 0}));

    // The mirrors take any number, as their setters do, as 0 or 1; the
    // other defaults are those the caller gives.
    std::array<int32_t, kAnalogValues> analog;
    const std::array<int32_t, kAnalogValues> defaults = {0, 0, 0, 0, 0, kDefaultExposureLines, 0, 0, 0};
    EXPECT_EQ(AnalogGroup().Load(0, analog.data(), defaults.data()), 1);
    EXPECT_EQ(analog, (std::array<int32_t, kAnalogValues>{0, 0, 0, 0, 0, kDefaultExposureLines, 1, 1, 0}));

    ASSERT_TRUE(SettingsKey::Open(CameraKeyPath(0) + "\\Gain", SettingsKey::Access::Write)
                    ->WriteDwords({{"Exposure", 32768}, {"V_Mirror", 0}}));
    EXPECT_EQ(AnalogGroup().Load(0, analog.data(), defaults.data()), 1);
    EXPECT_EQ(analog[5], kDefaultExposureLines);
    EXPECT_EQ(analog[6], 0);
}

// A value the setter accepts is kept exactly, up to the ends of its range.
TEST_F(ValueGroups, StoredValuesAtTheEndsOfTheirRangesAreKept) {
    const std::array<int32_t, kFilterValues> low = {-255, -127, -360, -255, 0, 0, 0, 0, 0, 0};
    const std::array<int32_t, kFilterValues> high = {255, 127, 360, 255, 30, 400, 400, 400, 200, 3};
    for (const auto& saved : {low, high}) {
        ASSERT_EQ(FilterGroup().Save(0, saved.data()), 1);
        std::array<int32_t, kFilterValues> loaded{};
        EXPECT_EQ(FilterGroup().Load(0, loaded.data()), 1);
        EXPECT_EQ(loaded, saved);
    }
    const std::array<int32_t, kGrayValues> grayLow = {0, 0, 0, 0, 0, -255, -255, -255, -255};
    const std::array<int32_t, kGrayValues> grayHigh = {2, 255, 255, 255, 255, 255, 255, 255, 255};
    for (const auto& saved : {grayLow, grayHigh}) {
        ASSERT_EQ(GrayGroup().Save(0, saved.data()), 1);
        std::array<int32_t, kGrayValues> loaded{};
        EXPECT_EQ(GrayGroup().Load(0, loaded.data()), 1);
        EXPECT_EQ(loaded, saved);
    }
    const std::array<int32_t, kAnalogValues> analogLow = {0, 0, 0, 0, 0, 1, 0, 0, 0};
    const std::array<int32_t, kAnalogValues> analogHigh = {480, 480, 480, 480, 480, 32767, 1, 1, 2};
    for (const auto& saved : {analogLow, analogHigh}) {
        ASSERT_EQ(AnalogGroup().Save(0, saved.data()), 1);
        std::array<int32_t, kAnalogValues> loaded{};
        EXPECT_EQ(AnalogGroup().Load(0, loaded.data()), 1);
        EXPECT_EQ(loaded, saved);
    }
}

}  // namespace
