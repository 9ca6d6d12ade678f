// Bringing a camera up from stored settings and tearing it down again.
#include "camera_fixture.h"
#include "device/kolvex_410qfx_zqp_sdk.h"

namespace {

using kvx::CKolvex;
using kvx::test::CameraTest;
using namespace kvx::settings;

class Initialisation : public CameraTest {};

TEST_F(Initialisation, FirstUseWritesTheDefaultTreeAndLoadsItsFormat) {
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
    const std::string camera = CameraKeyPath(0);
    EXPECT_EQ(Stored(camera, "Size"), 0u);
    EXPECT_EQ(Stored(camera, "Color"), 2u);
    EXPECT_EQ(Stored(camera, "SubSample"), 0u);
    EXPECT_EQ(Stored(camera, "WaitTime"), 1u);
    EXPECT_EQ(Stored(camera, "Clock"), 2u);
    const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
    const uint32_t values[] = {2048, 1536, 2048, 1536, 0, 0, 4};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Stored(camera + "\\Size_00", names[i]), values[i]) << names[i];

    auto object = Object();
    EXPECT_EQ(object->colorMode(), 2);
    EXPECT_EQ(object->waitTimeMs(), 1);
    EXPECT_EQ(object->clock(), 2);
    EXPECT_EQ(Kolvex_Width(handle_), 2048);
    EXPECT_EQ(Kolvex_Height(handle_), 1536);
    // No "Filter" key yet: its defaults.
    const auto& filter = object->filter();
    EXPECT_EQ(filter[kvx::kBrightness], 0);
    EXPECT_EQ(filter[kvx::kSharpness], 0);
    EXPECT_EQ(filter[kvx::kBayerGainRed], 100);
    EXPECT_EQ(filter[kvx::kGamma], 100);
    EXPECT_EQ(filter[kvx::kBayerMode], 2);
    EXPECT_EQ(filter[kvx::kGrayGainG2], 128);
    EXPECT_EQ(object->analog()[kvx::kExposureLines], kDefaultExposureLines);
}

TEST_F(Initialisation, StoredSizeAndAnalogSettingsReachTheDevice) {
    const std::string camera = CameraKeyPath(0);
    Store(camera, "Size", 1);
    Store(camera + "\\Size_01", "EH", 1024);
    Store(camera + "\\Size_01", "EV", 768);
    Store(camera + "\\Size_01", "EHS", 512);
    Store(camera + "\\Size_01", "EVS", 384);
    Store(camera + "\\Gain", "Global", 40);
    Store(camera + "\\Gain", "Exposure", 1500);
    Store(camera + "\\Gain", "H_Mirror", 1);
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);

    int ht = 0, hs = 0, w = 0, vt = 0, vs = 0, h = 0;
    EXPECT_EQ(Kolvex_GetCaptureWindowEx(handle_, &ht, &hs, &w, &vt, &vs, &h), 1);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(hs, 512);
    EXPECT_EQ(vs, 384);
    EXPECT_EQ(Kolvex_GetCaptureWindowEx(handle_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);

    auto device = Object()->device();
    EXPECT_EQ(device->GetGain(), 40);
    uint16_t lines = 0;
    device->GetExposureLines(&lines);
    EXPECT_EQ(lines, 1500);
    EXPECT_EQ(device->GetMirrorH(), 1);
    EXPECT_EQ(device->GetMirrorV(), 0);
    EXPECT_EQ(sandbox_.Camera(0)->CurrentReadout().lineWidth, 1024);
}

TEST_F(Initialisation, AnInvalidStoredSizeRecordsSevenAndFallsBackToTheFullSensor) {
    for (auto [eh, ehs] : {std::pair{2048u, 8u}, std::pair{3000u, 0u}}) {
        const std::string camera = CameraKeyPath(0);
        Store(camera, "Size", 0);
        Store(camera + "\\Size_00", "EH", eh);
        Store(camera + "\\Size_00", "EHS", ehs);
        ASSERT_NE(Open(), 0) << eh;
        EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_GEOMETRY);
        EXPECT_EQ(window_.Take(), (std::vector<kvx::test::Notification>{{KOLVEX_WM_ERROR, 0, 7}}));
        EXPECT_EQ(Kolvex_Width(handle_), 2048);
        int hs = -1;
        Kolvex_GetCaptureWindowEx(handle_, nullptr, &hs, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(hs, 0);
        Kolvex_Release(handle_);
        handle_ = 0;
    }
}

TEST_F(Initialisation, ReleaseSavesTheAnalogFilterAndGrayGroups) {
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Stored(CameraKeyPath(0) + "\\Gain", "Exposure"), 0xBAD0BAD0u);
    EXPECT_EQ(Kolvex_Release(handle_), 1);
    handle_ = 0;
    EXPECT_EQ(Stored(CameraKeyPath(0) + "\\Gain", "Exposure"), static_cast<uint32_t>(kDefaultExposureLines));
    EXPECT_EQ(Stored(CameraKeyPath(0) + "\\Filter", "Gamma"), 100u);
    EXPECT_EQ(Stored(CameraKeyPath(0) + "\\Gray", "GainB1"), 128u);
}

// A camera whose initialisation failed keeps its handle; every device call
// on it then fails cleanly with error 1, and releasing it frees everything.
TEST_F(Initialisation, AFailedInitialisationLeavesAHandleThatFailsCleanly) {
    CKolvex::SetSharedTableNameForTesting("no/such\\table");
    ASSERT_NE(Open(), 0);
    CKolvex::SetSharedTableNameForTesting(sandbox_.tableName());
    EXPECT_EQ(window_.Take(), (std::vector<kvx::test::Notification>{{KOLVEX_WM_ERROR, 0, KOLVEX_ERR_RESOURCE}}));
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_RESOURCE);

    char names[10][256];
    KolvexCameraInfo info{};
    info.size = sizeof info;
    char name[32];
    EXPECT_EQ(Kolvex_SetDeviceNumber(handle_, 0), 0);
    EXPECT_EQ(Kolvex_EnumDevice(handle_, names), 0);
    EXPECT_EQ(Kolvex_GetCameraInfo(handle_, &info), 0);
    EXPECT_EQ(Kolvex_GetDeviceName(handle_, 0, name, sizeof name), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_NO_DEVICE);
    EXPECT_EQ(Kolvex_Release(handle_), 1);
    handle_ = 0;
    // Nothing was saved from a camera that never came up.
    EXPECT_EQ(Stored(CameraKeyPath(0) + "\\Gain", "Exposure"), 0xBAD0BAD0u);
}

TEST_F(Initialisation, CameraInformationNeedsARecordOfThirtySixBytes) {
    ASSERT_NE(Open(), 0);
    KolvexCameraInfo info{};
    info.size = 35;
    EXPECT_EQ(Kolvex_GetCameraInfo(handle_, &info), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_RESOURCE);
    EXPECT_EQ(info.sensorWidth, 0);
    EXPECT_EQ(Kolvex_GetCameraInfo(handle_, nullptr), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_ARGUMENT);

    info.size = 36;
    ASSERT_EQ(Kolvex_GetCameraInfo(handle_, &info), 1);
    EXPECT_EQ(info.size, 36u);
    EXPECT_EQ(info.sensorWidth, 2048);
    EXPECT_EQ(info.sensorHeight, 1536);
    EXPECT_EQ(info.minGlobalGain, 0);
    EXPECT_EQ(info.maxGlobalGain, 480);
    EXPECT_EQ(info.minExposureLines, 1);
    EXPECT_EQ(info.maxExposureLines, 32767);
}

}  // namespace
