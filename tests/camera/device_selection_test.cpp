// Listing, naming and switching cameras, with virtual cameras plugged in at
// chosen device numbers.
#include <cstring>

#include "camera_fixture.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "sim/camera_table.h"

namespace {

using kvx::test::CameraTest;
using namespace kvx::settings;

class TwoCameras : public CameraTest {
protected:
    TwoCameras() : CameraTest({0, 2}) {}
};

TEST_F(TwoCameras, EnumerationNumbersFoundCamerasNamesFollowDeviceNumbers) {
    ASSERT_NE(Open(), 0);
    char names[10][256];
    std::memset(names, 'x', sizeof names);
    EXPECT_EQ(Kolvex_EnumDevice(handle_, names), 2);
    EXPECT_STREQ(names[0], "Kolvex410QFX-ZQP_01");
    EXPECT_STREQ(names[1], "Kolvex410QFX-ZQP_02");
    for (int i = 2; i < 10; ++i) EXPECT_STREQ(names[i], "") << i;

    wchar_t wide[10][256];
    EXPECT_EQ(Kolvex_EnumDeviceW(handle_, wide), 2);
    EXPECT_EQ(std::wstring(wide[1]), L"Kolvex410QFX-ZQP_02");
    EXPECT_EQ(std::wstring(wide[9]), L"");

    char name[64];
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 2, name, sizeof name), 1);
    EXPECT_STREQ(name, "Kolvex410QFX-ZQP_03");
    wchar_t wideName[64];
    EXPECT_EQ(Kolvex_GetDeviceNameW(handle_, 0, wideName, 64), 1);
    EXPECT_EQ(std::wstring(wideName), L"Kolvex410QFX-ZQP_01");

    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 1, name, sizeof name), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_DEVICE_NUMBER);
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 32, name, sizeof name), 0);
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, -1, name, sizeof name), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_ARGUMENT);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_ARGUMENT);
}

TEST_F(TwoCameras, NameBuffersAreNeverWrittenPastTheirSize) {
    ASSERT_NE(Open(), 0);
    char name[24];
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 0, name, 15), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_ARGUMENT);
    EXPECT_EQ(name[0], '#');
    // 16 to 19 pass the size test, but the 19-character name and its
    // terminator do not fit: refused, nothing written.
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 0, name, 19), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_ARGUMENT);
    EXPECT_EQ(name[0], '#');
    // An absent device is reported as such whatever the size.
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 1, name, 16), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_DEVICE_NUMBER);
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 0, name, 20), 1);
    EXPECT_STREQ(name, "Kolvex410QFX-ZQP_01");
    EXPECT_EQ(name[20], '#');
    wchar_t wide[24];
    std::fill(std::begin(wide), std::end(wide), L'#');
    EXPECT_EQ(Kolvex_GetDeviceNameW(handle_, 2, wide, 18), 0);
    EXPECT_EQ(wide[0], L'#');
    EXPECT_EQ(Kolvex_GetDeviceNameW(handle_, 2, wide, 20), 1);
    EXPECT_EQ(std::wstring(wide), L"Kolvex410QFX-ZQP_03");
    EXPECT_EQ(wide[20], L'#');
}

TEST_F(TwoCameras, SwitchingSavesTheOldCamerasSettingsBeforeReadingTheNewOnes) {
    Store(CameraKeyPath(2) + "\\Gain", "Global", 99);
    Store(CameraKeyPath(2) + "\\Gain", "Exposure", 700);
    Store(CameraKeyPath(2) + "\\Filter", "Gamma", 150);
    ASSERT_NE(Open(), 0);
    auto camera = Object();
    EXPECT_EQ(camera->analog()[kvx::kGlobalGain], 0);

    EXPECT_EQ(Kolvex_SetDeviceNumber(handle_, 2), 1);
    EXPECT_EQ(camera->deviceNumber(), 2);
    EXPECT_EQ(camera->analog()[kvx::kGlobalGain], 99);
    EXPECT_EQ(camera->filter()[kvx::kGamma], 150);
    EXPECT_EQ(camera->device()->GetGain(), 99);
    // Device 0's values went to its own key on the way out.
    EXPECT_EQ(Stored(CameraKeyPath(0) + "\\Gain", "Exposure"), static_cast<uint32_t>(kDefaultExposureLines));

    // Leaving device 2 for an absent one saves device 2 and fails with 2.
    kvx::platform::SettingsKey::DeleteTree(CameraKeyPath(2));
    EXPECT_EQ(Kolvex_SetDeviceNumber(handle_, 3), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_DEVICE_NUMBER);
    EXPECT_EQ(Stored(CameraKeyPath(2) + "\\Gain", "Global"), 99u);
    EXPECT_EQ(Kolvex_SetDeviceNumber(handle_, 40), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_DEVICE_NUMBER);
}

class ManyCameras : public CameraTest {
protected:
    ManyCameras() : CameraTest({0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) {}
};

TEST_F(ManyCameras, MoreThanTenCamerasFillTheTenEntriesAndNoMore) {
    ASSERT_NE(Open(), 0);
    // Exactly ten entries: anything written beyond shows under AddressSanitizer.
    auto names = std::make_unique<char[][256]>(10);
    EXPECT_EQ(Kolvex_EnumDevice(handle_, names.get()), 10);
    EXPECT_STREQ(names[9], "Kolvex410QFX-ZQP_10");
}

class VariantCameras : public CameraTest {
protected:
    VariantCameras() : CameraTest({0}) {
        for (auto [device, variant] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{3, 7}}) {
            kvx::sim::CameraOptions options;
            options.fastFrames = true;
            options.variant = static_cast<uint8_t>(variant);
            kvx::sim::Plug(device, options);
        }
    }
};

TEST_F(VariantCameras, TheRomVariantByteSelectsTheModelVariant) {
    ASSERT_NE(Open(), 0);
    auto device = Object()->device();
    ASSERT_EQ(Kolvex_SetDeviceNumber(handle_, 2), 1);
    EXPECT_EQ(device->variant(), 1);
    ASSERT_EQ(Kolvex_SetDeviceNumber(handle_, 1), 1);
    EXPECT_EQ(device->variant(), 0);
    // Any other byte leaves the variant as the selection set it.
    ASSERT_EQ(Kolvex_SetDeviceNumber(handle_, 3), 1);
    EXPECT_EQ(device->variant(), 0);
}

}  // namespace
