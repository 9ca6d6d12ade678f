// Choosing the readout window outright and from stored size presets.
#include <climits>

#include "parameter_fixture.h"

namespace {

using kvx::test::ParameterTest;
using namespace kvx::settings;

class CaptureWindow : public ParameterTest {
protected:
    struct Window {
        int ht, hs, w, vt, vs, h;
        bool operator==(const Window& o) const {
            return ht == o.ht && hs == o.hs && w == o.w && vt == o.vt && vs == o.vs && h == o.h;
        }
    };
    Window Current() {
        Window g{};
        Kolvex_GetCaptureWindowEx(handle_, &g.ht, &g.hs, &g.w, &g.vt, &g.vs, &g.h);
        return g;
    }
    void StorePreset(const std::string& parent, int index, std::array<uint32_t, 6> values) {
        const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS"};
        const std::string key = parent + "\\" + SizeKeyName(index);
        for (size_t i = 0; i < 6; ++i) Store(key, names[i], values[i]);
    }
    int ReadoutWidth() const { return sandbox_.Camera(0)->CurrentReadout().lineWidth; }
};

TEST_F(CaptureWindow, AValidWindowIsStoredAndReachesTheSensor) {
    EXPECT_EQ(Kolvex_SetCaptureWindowEx(handle_, 2048, 512, 1024, 1536, 384, 768), 1);
    EXPECT_EQ(Current(), (Window{2048, 512, 1024, 1536, 384, 768}));
    EXPECT_EQ(Kolvex_Width(handle_), 1024);
    EXPECT_EQ(Kolvex_Height(handle_), 768);
    EXPECT_EQ(ReadoutWidth(), 1024);
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(CaptureWindow, ARefusedWindowRecordsSevenAndChangesNothing) {
    ASSERT_EQ(Kolvex_SetCaptureWindowEx(handle_, 2048, 0, 1024, 1536, 0, 768), 1);
    const Window kept = Current();
    for (Window bad : {Window{2048, 1, 2048, 1536, 0, 1536}, Window{2048, INT_MAX, 2, 1536, 0, 16},
                       Window{2048, 0, -2, 1536, 0, 16}, Window{2048, 0, 64, 1536, 1537, 0},
                       Window{2048, INT_MIN, INT_MIN, 1536, INT_MIN, INT_MIN}, Window{2048, 0, 100000, 1536, 0, 16},
                       Window{2048, 0, 16, 1536, 0, 100000}}) {
        EXPECT_EQ(Kolvex_SetCaptureWindowEx(handle_, bad.ht, bad.hs, bad.w, bad.vt, bad.vs, bad.h), 0);
        EXPECT_EQ(TakeReported(), RecordedAndPosted(KOLVEX_ERR_GEOMETRY));
        EXPECT_EQ(Current(), kept);
        EXPECT_EQ(ReadoutWidth(), 1024);
    }
    // The camera goes on with the window it kept.
    std::vector<uint8_t> buffer(1024 * 768 * 3);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(Kolvex_Width(handle_), 1024);
}

// The device cannot read out fewer than 4 x 3 pixels: such a window is
// refused when it is given, not at the next start.
TEST_F(CaptureWindow, WindowsBelowFourByThreeAreRefusedUpFront) {
    for (Window tiny : {Window{2048, 0, 0, 1536, 0, 0}, Window{2048, 0, 3, 1536, 0, 2}, Window{2048, 0, 3, 1536, 0, 3},
                        Window{2048, 0, 4, 1536, 0, 2}, Window{2048, 0, 1, 1536, 0, 1536}}) {
        EXPECT_EQ(Kolvex_SetCaptureWindowEx(handle_, tiny.ht, tiny.hs, tiny.w, tiny.vt, tiny.vs, tiny.h), 0)
            << tiny.w << " x " << tiny.h;
        EXPECT_EQ(TakeReported(), RecordedAndPosted(KOLVEX_ERR_GEOMETRY));
    }
    EXPECT_EQ(Current(), (Window{2048, 0, 2048, 1536, 0, 1536}));

    // The smallest window the device takes, at the far corner, full and
    // subsampled.
    ASSERT_EQ(Kolvex_SetCaptureWindowEx(handle_, 2048, 2044, 4, 1536, 1533, 3), 1);
    std::vector<uint8_t> buffer(64);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    ASSERT_EQ(Kolvex_SetSubSample(handle_, 1), 1);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(CaptureWindow, APresetIsFoundInTheCameraKeyFirstAndThenBelowTheRoot) {
    StorePreset(CameraKeyPath(0), 1, {2048, 1536, 1024, 768, 512, 384});
    StorePreset(kRootKey, 0, {2048, 1536, 1024, 768, 0, 0});
    StorePreset(kRootKey, 1, {2048, 1536, 640, 480, 16, 32});
    EXPECT_EQ(Kolvex_SetCaptureWindow(handle_, 1024, 768), 1);
    EXPECT_EQ(Current(), (Window{2048, 512, 1024, 1536, 384, 768}));
    EXPECT_EQ(ReadoutWidth(), 1024);
    EXPECT_EQ(Kolvex_SetCaptureWindow(handle_, 640, 480), 1);
    EXPECT_EQ(Current(), (Window{2048, 16, 640, 1536, 32, 480}));
    EXPECT_EQ(ReadoutWidth(), 640);
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(CaptureWindow, NoMatchingPresetRecordsFourAndKeepsTheWindow) {
    ASSERT_EQ(Kolvex_SetCaptureWindowEx(handle_, 2048, 8, 1024, 1536, 8, 768), 1);
    // The search stops at the first gap in the numbering.
    StorePreset(CameraKeyPath(0), 2, {2048, 1536, 800, 600, 0, 0});
    EXPECT_EQ(Kolvex_SetCaptureWindow(handle_, 800, 600), 0);
    EXPECT_EQ(Kolvex_SetCaptureWindow(handle_, 0, 0), 0);
    EXPECT_EQ(TakeReported(), (kvx::test::Reported{{4, 4}, {4, 4}}));
    EXPECT_EQ(Current(), (Window{2048, 8, 1024, 1536, 8, 768}));
}

TEST_F(CaptureWindow, AnInvalidPresetIsAnnouncedAndTheFullSensorTakesItsPlace) {
    ASSERT_EQ(Kolvex_SetCaptureWindowEx(handle_, 1024, 8, 1024, 768, 8, 768), 1);
    StorePreset(CameraKeyPath(0), 1, {4096, 4096, 2048, 1000, 8, 0});
    EXPECT_EQ(Kolvex_SetCaptureWindow(handle_, 2048, 1000), 1);
    EXPECT_EQ(TakeReported(), PostedOnly(KOLVEX_ERR_GEOMETRY));
    EXPECT_EQ(Current(), (Window{2048, 0, 2048, 1536, 0, 1536}));
    EXPECT_EQ(ReadoutWidth(), 2048);
}

}  // namespace
