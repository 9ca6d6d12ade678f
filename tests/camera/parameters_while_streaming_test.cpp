// Parameters changed while a worker converts frames: the format and the
// readout window wait for the next start, settings that the conversion
// reads take effect at once, and nothing races.
#include <atomic>
#include <thread>

#include "acquisition_fixture.h"
#include "parameter_fixture.h"

namespace {

using namespace kvx::test;

class WhileStreaming : public AcquisitionTest {
protected:
    static constexpr int kWidth = 64, kHeight = 48;

    // Callback preview in 24-bit colour into a buffer of exactly one frame.
    void StartColourPreview() {
        ASSERT_NE(OpenWith(kWidth, kHeight, 2), 0);
        NoPreviewWindow();
        buffer_.assign(kWidth * 3 * kHeight, 0);
        ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer_.data(),
                                         static_cast<int>(buffer_.size()), 0),
                  1);
        ASSERT_GE(Count(CollectFrames(callback_, 2), IsFrameReady), 2);
    }
    // Frames that arrive from now on; a frame that no longer fitted the
    // buffer would arrive as frame error 5 instead.
    void ExpectFramesStillFit() {
        const auto messages = CollectFrames(callback_, 3);
        EXPECT_GE(Count(messages, IsFrameReady), 3);
        EXPECT_EQ(Count(messages, [](const Notification& n) { return IsFrameError(n, KOLVEX_ERR_RESOURCE); }), 0);
    }

    std::vector<uint8_t> buffer_;
};

TEST_F(WhileStreaming, FormatAndWindowChangesWaitForTheNextStart) {
    StartColourPreview();
    EXPECT_EQ(Kolvex_SetColorMode(handle_, 64), 1);
    EXPECT_EQ(Kolvex_SetSubSample(handle_, 1), 1);
    EXPECT_EQ(Kolvex_SetCaptureWindowEx(handle_, 2048, 0, 256, 1536, 0, 128), 1);
    ExpectFramesStillFit();
    EXPECT_EQ(sandbox_.Camera(0)->CurrentReadout().lineWidth, kWidth);
    EXPECT_EQ(Kolvex_GetColorMode(handle_), 60);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_TRUE(TakeErrors().empty());

    // The next start sets everything up for the new format: 64 bits per
    // pixel at half of 256 x 128.
    std::vector<uint8_t> frame(128 * 8 * 64);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), frame.data(), static_cast<int>(frame.size()), 0),
              1);
    EXPECT_GE(Count(CollectFrames(callback_, 2), IsFrameReady), 2);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_EQ(Output(5).width(), 128);
    EXPECT_EQ(Output(5).height(), 64);
    EXPECT_EQ(Output(5).bitsPerPixel(), 64);
    EXPECT_TRUE(TakeErrors().empty());
}

TEST_F(WhileStreaming, SettersRunBesideTheWorkerWithoutRacing) {
    StartColourPreview();
    std::atomic<bool> stop{false};
    std::thread setter([&] {
        for (int i = 0; !stop.load(); ++i) {
            const int v = i % 30;
            Kolvex_SetBrightness(handle_, v);
            Kolvex_SetContrast(handle_, v);
            Kolvex_SetHue(handle_, v);
            Kolvex_SetSaturation(handle_, v);
            Kolvex_SetSharpness(handle_, v);
            Kolvex_SetGamma(handle_, 100 + v);
            Kolvex_SetBayerGainRGB(handle_, 0x646464 + v);
            Kolvex_SetBayerMode(handle_, v % 4);
            Kolvex_SetMirrorH(handle_, v & 1);
            Kolvex_SetMirrorV(handle_, (v >> 1) & 1);
            Kolvex_SetGlobalGain(handle_, v * 10);
            Kolvex_SetExposureTime(handle_, 100 + v);
            Kolvex_SetRealExposureTime(handle_, 1000 + v);
            Kolvex_SetColorMode(handle_, v & 1 ? 24 : 64);
            Kolvex_SetSubSample(handle_, v & 1);
        }
    });
    ExpectFramesStillFit();
    stop = true;
    setter.join();
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_TRUE(TakeErrors().empty());
}

}  // namespace
