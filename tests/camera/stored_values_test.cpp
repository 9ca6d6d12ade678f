// Settings read back from the store pass the same tests as the setters:
// whatever a damaged or hostile store holds, the camera starts with values
// it could have been given.
#include <chrono>
#include <climits>

#include "camera_fixture.h"
#include "device/kolvex_410qfx_zqp_sdk.h"

namespace {

using kvx::test::CameraTest;
using namespace kvx::settings;

class StoredValues : public CameraTest {
protected:
    const std::string camera_ = CameraKeyPath(0);

    int Filter(int id) {
        int ok = 0;
        const int value = Kolvex_GetFilterValue(handle_, id, &ok);
        EXPECT_EQ(ok, 1) << id;
        return value;
    }
};

TEST_F(StoredValues, ValuesTheSettersWouldRefuseStartTheCameraWithDefaults) {
    // Contrast and brightness of INT_MIN would overflow in the tone
    // kernels; a colour mode or subsample code out of range would fail
    // every start.
    Store(camera_ + "\\Filter", "Contrast", 0x80000000u);
    Store(camera_ + "\\Filter", "Brightness", 0x80000000u);
    Store(camera_ + "\\Filter", "Sharpness", 31);
    Store(camera_ + "\\Filter", "BayerMode", 0xFFFFFFFFu);
    Store(camera_ + "\\Gray", "Mode", 7);
    Store(camera_ + "\\Gain", "Global", 0x7FFFFFFFu);
    Store(camera_ + "\\Gain", "AutoIris", 3);
    Store(camera_, "Color", 99);
    Store(camera_, "SubSample", 3);
    Store(camera_, "WaitTime", 0x80000000u);
    Store(camera_, "Clock", 0x80000000u);
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);

    EXPECT_EQ(Filter(1), 0);
    EXPECT_EQ(Filter(2), 0);
    EXPECT_EQ(Filter(5), 0);
    EXPECT_EQ(Filter(12), 2);
    EXPECT_EQ(Filter(19), 0);
    EXPECT_EQ(Object()->device()->GetGain(), 0);
    int ok = 0;
    EXPECT_EQ(Kolvex_GetAutoIris(handle_, &ok), 0);
    EXPECT_EQ(Kolvex_GetColorMode(handle_), 24);
    EXPECT_EQ(Kolvex_GetSubSample(handle_), 0);
    EXPECT_EQ(Kolvex_GetWaitTime(handle_), 1);
    EXPECT_EQ(Object()->clock(), 2);

    // The camera starts at once.
    std::vector<uint8_t> frame(2048 * 1536 * 3);
    EXPECT_EQ(Kolvex_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 0), 1);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

TEST_F(StoredValues, ValuesTheSettersAcceptAreKeptAsTheyAre) {
    Store(camera_ + "\\Filter", "Contrast", static_cast<uint32_t>(-127));
    Store(camera_ + "\\Filter", "Brightness", 255);
    Store(camera_ + "\\Filter", "Hue", static_cast<uint32_t>(-360));
    Store(camera_ + "\\Gain", "Global", 480);
    Store(camera_ + "\\Gain", "Exposure", 32767);
    Store(camera_, "Color", 0);
    Store(camera_, "SubSample", 1);
    Store(camera_, "WaitTime", 0);
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Filter(2), -127);
    EXPECT_EQ(Filter(1), 255);
    EXPECT_EQ(Filter(3), -360);
    EXPECT_EQ(Filter(13), 480);
    EXPECT_EQ(Filter(18), 32767);
    EXPECT_EQ(Kolvex_GetColorMode(handle_), 8);
    EXPECT_EQ(Kolvex_GetSubSample(handle_), 1);
    EXPECT_EQ(Kolvex_GetWaitTime(handle_), 0);
}

// The setter takes a pause of a million milliseconds, so the store keeps
// it; what matters is that a stop does not wait for it.
TEST_F(StoredValues, ALongStoredWaitTimeIsKeptAndStopIsPrompt) {
    Store(camera_, "WaitTime", 1000000);
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Kolvex_GetWaitTime(handle_), 1000000);
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Kolvex_Preview(handle_), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A stored 0xFFFFFFFF would read as -1, which is also what the wait time
// getter answers for an unknown handle; preview then never paused at all
// or, as a huge unsigned pause, never stopped.
TEST_F(StoredValues, AWaitTimeOfMinusOneLoadsAsTheDefaultAndStopIsPrompt) {
    Store(camera_, "WaitTime", 0xFFFFFFFFu);
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Kolvex_GetWaitTime(handle_), 1);
    ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Kolvex_Preview(handle_), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The tone kernels must not see INT_MIN from a store edited by hand, also
// when they would run (colour mode 0 takes the 8-bit gray path).
TEST_F(StoredValues, ToneControlsFromTheStoreConvertFramesWithinTheirRanges) {
    Store(camera_ + "\\Filter", "Contrast", 0x80000000u);
    Store(camera_ + "\\Filter", "Brightness", 0x80000001u);
    Store(camera_ + "\\Filter", "Gamma", 0xFFFFFFFFu);
    Store(camera_, "Color", 0);
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Filter(11), 100);
    std::vector<uint8_t> frame(2048 * 1536);
    EXPECT_EQ(Kolvex_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 0), 1);
}

}  // namespace
