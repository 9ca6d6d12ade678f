// ConvertFrame on real bitmaps: the step sequence, its skip rules, the
// values it writes back, and the device and dialog it reaches through its
// two interfaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "demosaic_reference.h"
#include "display/frame_bitmap.h"
#include "imaging/convert_frame.h"
#include "imaging/demosaic.h"
#include "imaging/tone/tone_params.h"
#include "platform/worker_pool.h"

namespace kvx {
namespace {

constexpr int kWidth = 70, kHeight = 37;

// Gain and exposure registers with the limits of the camera's sensor.
class SensorControls : public ExposureDevice {
public:
    int GetGain() override { return gain; }
    int GetMaxGain() override { return 255; }
    int GetExposureLines() override { return lines; }
    int GetMaxExposureLines() override { return 65535; }
    void ApplyGain(int value) override {
        gain = value;
        ++applied;
    }
    void ApplyExposureLines(int value) override {
        lines = value;
        ++applied;
    }
    int gain = 40;
    int lines = 1000;
    int applied = 0;
};

class DialogCounter : public ImageDialogRefresh {
public:
    void GainsChanged() override { ++refreshes; }
    int refreshes = 0;
};

class Camera {
public:
    Camera() {
        static const int depths[6] = {8, 16, 24, 32, 48, 64};
        for (int mode = 0; mode < 6; ++mode) {
            bitmaps_[mode] = std::make_unique<FrameBitmap>();
            EXPECT_EQ(bitmaps_[mode]->Create(kWidth, kHeight, depths[mode]), 1);
            set.byMode[mode] = bitmaps_[mode].get();
        }
        filter[kGamma] = 100;
        filter[kBayerGainRed] = filter[kBayerGainGreen] = filter[kBayerGainBlue] = 100;
        for (int i = kGrayGainR; i <= kGrayGainB; ++i) filter[i] = 128;
    }

    void UseMode(int mode) {
        controls.colorMode = mode;
        copy_.CreateLike(bitmaps_[mode].get());
        set.outputCopy = &copy_;
    }

    void FillRaw(uint32_t seed) {
        std::mt19937 random(seed);
        for (PixelBitmap* raw : {set.byMode[0], set.byMode[1]}) {
            for (int y = 0; y < kHeight; ++y) {
                uint8_t* row = raw->bits() + y * raw->stride();
                for (int x = 0; x < kWidth; ++x) {
                    if (raw->bitsPerPixel() == 8) {
                        row[x] = static_cast<uint8_t>(random());
                    } else {
                        const uint16_t v = static_cast<uint16_t>(random() % 4096);
                        std::memcpy(row + 2 * x, &v, 2);
                    }
                }
            }
        }
    }

    void FillRawFlat(int value) {
        for (PixelBitmap* raw : {set.byMode[0], set.byMode[1]}) {
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    if (raw->bitsPerPixel() == 8) {
                        raw->bits()[y * raw->stride() + x] = static_cast<uint8_t>(value);
                    } else {
                        const uint16_t v = static_cast<uint16_t>(value);
                        std::memcpy(raw->bits() + y * raw->stride() + 2 * x, &v, 2);
                    }
                }
            }
        }
    }

    std::vector<uint8_t> Bytes(int mode) const {
        const PixelBitmap* b = set.byMode[mode];
        return std::vector<uint8_t>(b->bits(), b->bits() + b->height() * b->stride());
    }

    void Convert(const ConversionSteps& steps = DefaultConversionSteps()) {
        controls.filter = filter.data();
        ConvertFrame(controls, set, &sensor, &dialog, steps);
    }

    std::array<int32_t, kFilterBlockSize> filter{};
    ConversionControls controls;
    ConversionBitmaps set;
    SensorControls sensor;
    DialogCounter dialog;

private:
    std::unique_ptr<FrameBitmap> bitmaps_[6];
    FrameBitmap copy_;
};

// The demosaic of a raw bitmap, straight from the kernels.
std::vector<uint8_t> DirectDemosaic(const PixelBitmap& raw, const PixelBitmap& like, int phase, int red, int blue) {
    FrameBitmap out;
    EXPECT_EQ(out.Create(like.width(), like.height(), like.bitsPerPixel()), 1);
    DemosaicParams params{phase, red, 100, blue};
    const bool deep = raw.bitsPerPixel() == 16;
    out.RunKernel(deep ? DemosaicInterior16 : DemosaicInterior8, &raw, nullptr, 0, 0, &params, 0);
    out.RunKernel(deep ? DemosaicBorder16 : DemosaicBorder8, &raw, nullptr, 0, 0, &params, 0);
    return std::vector<uint8_t>(out.bits(), out.bits() + out.height() * out.stride());
}

TEST(ConvertFrame, NeutralControlsGiveExactlyTheDemosaic) {
    for (int mode = 2; mode <= 5; ++mode) {
        Camera camera;
        camera.UseMode(mode);
        camera.FillRaw(static_cast<uint32_t>(mode));
        camera.filter[kBayerMode] = 2;
        camera.filter[kBayerGainRed] = 150;
        camera.filter[kBayerGainBlue] = 90;
        camera.Convert();
        const PixelBitmap& raw = *RawBitmapFor(camera.set, mode);
        EXPECT_EQ(camera.Bytes(mode), DirectDemosaic(raw, *camera.set.byMode[mode], 2, 150, 90)) << mode;
    }
}

TEST(ConvertFrame, MirroringChangesThePhaseTheDemosaicUses) {
    Camera camera;
    camera.UseMode(2);
    camera.FillRaw(5);
    camera.controls.mirrorVertical = true;
    camera.Convert();
    EXPECT_EQ(camera.Bytes(2), DirectDemosaic(*camera.set.byMode[0], *camera.set.byMode[2], 1, 100, 100));
    camera.controls.mirrorHorizontal = true;
    camera.Convert();
    EXPECT_EQ(camera.Bytes(2), DirectDemosaic(*camera.set.byMode[0], *camera.set.byMode[2], 3, 100, 100));
}

TEST(ConvertFrame, GrayModesOnTheRawMosaic) {
    for (int mode : {0, 1}) {
        Camera camera;
        camera.UseMode(mode);
        camera.FillRaw(11);
        const std::vector<uint8_t> raw = camera.Bytes(mode);

        camera.Convert();  // gray mode 0: the mosaic is the image
        EXPECT_EQ(camera.Bytes(mode), raw);

        camera.filter[kGrayMode] = 1;
        camera.filter[kGrayOffsetR] = 20;  // offsets alone do not run the gains
        camera.Convert();
        EXPECT_EQ(camera.Bytes(mode), raw);

        camera.filter[kGrayGainG1] = 64;
        camera.Convert();
        EXPECT_NE(camera.Bytes(mode), raw);
    }
}

TEST(ConvertFrame, GrayBalanceCountsDownAndRefreshesTheDialog) {
    Camera camera;
    camera.UseMode(0);
    camera.FillRaw(3);
    camera.filter[kGrayMode] = 1;
    camera.filter[kAutoGrayGain] = 1;
    camera.Convert();
    EXPECT_EQ(camera.filter[kAutoGrayGain], 0);
    EXPECT_EQ(camera.dialog.refreshes, 1);
    camera.Convert();
    EXPECT_EQ(camera.dialog.refreshes, 1);

    // -1 balances every frame and stays -1.
    camera.filter[kAutoGrayGain] = -1;
    camera.Convert();
    camera.Convert();
    EXPECT_EQ(camera.filter[kAutoGrayGain], -1);
    EXPECT_EQ(camera.dialog.refreshes, 3);
}

TEST(ConvertFrame, GrayModeTwoIsTheLuminanceOfTheDemosaic) {
    Camera camera;
    camera.UseMode(0);
    camera.FillRaw(8);
    camera.filter[kGrayMode] = 2;
    const std::vector<uint8_t> colour = DirectDemosaic(*camera.set.byMode[0], *camera.set.byMode[2], 0, 100, 100);
    camera.Convert();
    const PixelBitmap& gray = *camera.set.byMode[0];
    const int colourStride = camera.set.byMode[2]->stride();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &colour[y * colourStride + 3 * x];
            ASSERT_EQ(gray.bits()[y * gray.stride() + x], (59 * p[1] + 30 * p[2] + 11 * p[0]) / 100) << x << "," << y;
        }
    }

    // In mode 1 gray mode 2 leaves the 16-bit mosaic alone.
    camera.UseMode(1);
    const std::vector<uint8_t> raw16 = camera.Bytes(1);
    camera.Convert();
    EXPECT_EQ(camera.Bytes(1), raw16);
}

TEST(ConvertFrame, SingleShotWhiteBalanceRunsOnce) {
    Camera camera;
    camera.UseMode(3);
    camera.FillRawFlat(90);
    camera.filter[kBayerGainRed] = 250;
    camera.filter[kBayerGainGreen] = 70;
    camera.filter[kAutoWhiteBalance] = camera.filter[kWhiteBalanceOnce1] = camera.filter[kWhiteBalanceOnce2] = 1;
    camera.Convert();
    EXPECT_EQ(camera.filter[kBayerGainRed], 100);
    EXPECT_EQ(camera.filter[kBayerGainGreen], 100);
    EXPECT_EQ(camera.filter[kBayerGainBlue], 100);
    EXPECT_EQ(camera.filter[kAutoWhiteBalance], 0);
    EXPECT_EQ(camera.filter[kWhiteBalanceOnce1], 0);
    EXPECT_EQ(camera.filter[kWhiteBalanceOnce2], 0);
    EXPECT_EQ(camera.dialog.refreshes, 1);

    // The automatic word alone keeps balancing.
    camera.filter[kAutoWhiteBalance] = 1;
    camera.Convert();
    camera.Convert();
    EXPECT_EQ(camera.filter[kAutoWhiteBalance], 1);
    EXPECT_EQ(camera.dialog.refreshes, 3);
}

TEST(ConvertFrame, WhiteBalanceOnABlackFrameKeepsTheGains) {
    Camera camera;
    camera.UseMode(4);
    camera.FillRawFlat(0);
    camera.filter[kBayerGainRed] = 180;
    camera.filter[kAutoWhiteBalance] = 1;
    camera.Convert();
    EXPECT_EQ(camera.filter[kBayerGainRed], 180);
    EXPECT_EQ(camera.dialog.refreshes, 0);
}

TEST(ConvertFrame, AutomaticExposureReachesTheDevice) {
    Camera camera;
    camera.UseMode(2);
    camera.FillRawFlat(255);
    // By exposure time: k = 1 - 5 x 0.15, which in double precision is just
    // under 0.25, so 1000 lines become 249.
    camera.controls.autoExposure = kAutoExposureByTime;
    camera.Convert();
    EXPECT_EQ(camera.sensor.lines, 249);

    camera.controls.autoExposure = kAutoExposureByGain;
    camera.UseMode(4);
    camera.FillRawFlat(4095);
    camera.Convert();
    EXPECT_EQ(camera.sensor.gain, 9);

    camera.FillRawFlat(130 << 4);  // a mid-gray frame is left alone
    camera.Convert();
    EXPECT_EQ(camera.sensor.applied, 2);
}

// Records, row by row, the order in which steps ran and what they were
// given. Steps run in row bands, possibly on several threads at once.
std::mutex g_traceLock;
std::map<int, std::vector<std::string>> g_trace;  // memory row -> steps
const uint8_t* g_sharpenSource = nullptr;
template <char Name>
int Trace(uint8_t*, const uint8_t* src, KernelRect rect, int, int, int, int, int, int, void* argument, int) {
    const int value = *static_cast<const int32_t*>(argument);
    int first = rect.top, end = rect.bottom;
    if (Name == 'S') {
        // Sharpening sees the whole frame; its band is in the parameters.
        const auto* tone = static_cast<const ToneParams*>(argument);
        first = rect.top + std::max(tone->firstRow, 0);
        end = rect.top + std::min(tone->endRow, rect.bottom - rect.top);
    }
    std::lock_guard<std::mutex> lock(g_traceLock);
    for (int y = first; y < end; ++y) g_trace[y].push_back(std::string(1, Name) + std::to_string(value));
    if (Name == 'S') g_sharpenSource = src;
    return 1;
}

// Every row of the frame went through exactly `expected`, in that order.
void ExpectEveryRow(const std::vector<std::string>& expected) {
    ASSERT_EQ(g_trace.size(), static_cast<size_t>(kHeight));
    for (const auto& [row, steps] : g_trace) EXPECT_EQ(steps, expected) << "row " << row;
}

TEST(ConvertFrame, StepsRunInOrderAndOnlyOffNeutral) {
    ConversionSteps steps = DefaultConversionSteps();
    for (int mode = 0; mode < 6; ++mode) {
        steps.hueSaturation[mode] = Trace<'H'>;
        steps.gamma[mode] = Trace<'g'>;
        steps.contrast[mode] = Trace<'c'>;
        steps.sharpness[mode] = Trace<'S'>;
        steps.brightness[mode] = Trace<'b'>;
    }
    platform::WorkerPool pool(3);
    for (platform::WorkerPool* threads : {static_cast<platform::WorkerPool*>(nullptr), &pool}) {
        Camera camera;
        camera.controls.pool = threads;
        camera.UseMode(3);
        camera.FillRaw(1);
        g_trace.clear();
        camera.Convert(steps);
        EXPECT_TRUE(g_trace.empty());

        camera.filter[kHue] = 0;
        camera.filter[kSaturation] = -5;
        camera.filter[kGamma] = 120;
        camera.filter[kContrast] = 3;
        camera.filter[kSharpness] = 7;
        camera.filter[kBrightness] = -9;
        camera.Convert(steps);
        ExpectEveryRow({"H0", "g120", "c3", "S7", "b-9"});
        // Sharpening reads the copy, which holds the image as it was before.
        EXPECT_EQ(g_sharpenSource, camera.set.outputCopy->bits());
        const PixelBitmap& image = *camera.set.byMode[3];
        EXPECT_EQ(std::memcmp(camera.set.outputCopy->bits(), image.bits(),
                              static_cast<size_t>(image.height()) * image.stride()),
                  0);

        // No hue and saturation in the monochrome modes.
        camera.UseMode(1);
        g_trace.clear();
        camera.Convert(steps);
        ExpectEveryRow({"g120", "c3", "S7", "b-9"});
    }
}

TEST(ConvertFrame, MissingBitmapsAndBadModesSkipQuietly) {
    Camera camera;
    camera.UseMode(2);
    camera.filter[kSharpness] = 10;
    camera.set.outputCopy = nullptr;
    camera.Convert();  // sharpening without its copy: skipped
    camera.controls.colorMode = 6;
    camera.Convert();
    camera.controls.colorMode = -1;
    camera.Convert();
    ConversionBitmaps none;
    ConvertFrame(camera.controls, none, nullptr, nullptr);
    camera.controls.colorMode = 5;
    camera.controls.autoExposure = kAutoExposureByGain;
    camera.controls.filter = camera.filter.data();
    ConvertFrame(camera.controls, none, nullptr, nullptr);
}

TEST(ConvertFrame, PackedRowsAreSpreadBeforeConversion) {
    FrameBitmap raw;
    ASSERT_EQ(raw.Create(kWidth, 4, 8), 1);  // 70 is not a multiple of 4
    for (int i = 0; i < kWidth * 4; ++i) raw.bits()[i] = static_cast<uint8_t>(i);
    SpreadPackedRows(raw);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < kWidth; ++x) ASSERT_EQ(raw.bits()[y * raw.stride() + x], static_cast<uint8_t>(y * kWidth + x));
    }
}

}  // namespace
}  // namespace kvx
