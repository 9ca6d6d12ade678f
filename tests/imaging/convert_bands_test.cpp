// ConvertFrame cut into row bands on several threads gives, byte for byte,
// what the kernels give when each runs once over the whole frame: the
// demosaic and sharpness borders, the measured gains and every step's order.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "display/frame_bitmap.h"
#include "imaging/color/hue_saturation.h"
#include "imaging/convert_frame.h"
#include "imaging/demosaic.h"
#include "imaging/display_reduction.h"
#include "imaging/tone/brightness.h"
#include "imaging/tone/contrast.h"
#include "imaging/tone/gamma.h"
#include "imaging/tone/gray_gain.h"
#include "imaging/tone/sharpness.h"
#include "imaging/white_balance.h"
#include "platform/worker_pool.h"

namespace kvx {
namespace {

class FixedSensor : public ExposureDevice {
public:
    int GetGain() override { return gain; }
    int GetMaxGain() override { return 255; }
    int GetExposureLines() override { return 1000; }
    int GetMaxExposureLines() override { return 65535; }
    void ApplyGain(int value) override { gain = value; }
    void ApplyExposureLines(int) override {}
    int gain = 40;
};

struct Frame {
    Frame(int width, int height, int mode) {
        static const int depths[6] = {8, 16, 24, 32, 48, 64};
        for (int m = 0; m < 6; ++m) {
            bitmaps[m] = std::make_unique<FrameBitmap>();
            EXPECT_EQ(bitmaps[m]->Create(width, height, depths[m]), 1);
            set.byMode[m] = bitmaps[m].get();
        }
        copy.CreateLike(bitmaps[mode].get());
        set.outputCopy = &copy;
        controls.colorMode = mode;
        controls.filter = filter.data();
        // Noise with a bright patch, so that balances and clipping both act.
        std::mt19937 random(static_cast<uint32_t>(width * 31 + height));
        for (PixelBitmap* raw : {set.byMode[0], set.byMode[1]}) {
            for (int y = 0; y < height; ++y) {
                uint8_t* row = raw->bits() + static_cast<size_t>(y) * raw->stride();
                for (int x = 0; x < width; ++x) {
                    const uint32_t v = (x > width / 2 && y < height / 3) ? 3900 + random() % 196 : random() % 4096;
                    if (raw->bitsPerPixel() == 8) row[x] = static_cast<uint8_t>(v >> 4);
                    else std::memcpy(row + 2 * x, &v, 2);
                }
            }
        }
        filter[kBayerGainRed] = 130;
        filter[kBayerGainGreen] = 100;
        filter[kBayerGainBlue] = 85;
        filter[kHue] = 30;
        filter[kSaturation] = 40;
        filter[kGamma] = 120;
        filter[kContrast] = 10;
        filter[kSharpness] = 15;
        filter[kBrightness] = 20;
        for (int i = kGrayGainR; i <= kGrayGainB; ++i) filter[i] = 128;
        filter[kGrayGainR] = 150;
        filter[kGrayOffsetB] = -7;
    }

    std::vector<uint8_t> Bytes(const PixelBitmap& b) const {
        return std::vector<uint8_t>(b.bits(), b.bits() + static_cast<size_t>(b.height()) * b.stride());
    }

    std::array<std::unique_ptr<FrameBitmap>, 6> bitmaps;
    FrameBitmap copy;
    ConversionBitmaps set;
    ConversionControls controls;
    std::array<int32_t, kFilterBlockSize> filter{};
    FixedSensor sensor;
};

// The steps after the demosaic, each once over the whole image.
void ToneStepsWhole(Frame& f, int mode) {
    PixelBitmap& image = *f.set.byMode[mode];
    if (mode >= 2) {
        HueSaturationParams hue{f.filter[kHue], 0, f.filter[kSaturation], 12};
        image.RunKernel(kHueSaturationKernels[mode], &image, nullptr, 0, 0, &hue, 0);
    }
    ToneParams gamma{f.filter[kGamma], 12}, contrast{f.filter[kContrast], 12};
    ToneParams sharpness{f.filter[kSharpness], 12}, brightness{f.filter[kBrightness], 12};
    if (gamma.value != 100) image.RunKernel(kGammaKernels[mode], &image, nullptr, 0, 0, &gamma, 0);
    if (contrast.value != 0) image.RunKernel(kContrastKernels[mode], &image, nullptr, 0, 0, &contrast, 0);
    if (sharpness.value != 0) {
        std::memcpy(f.copy.bits(), image.bits(), static_cast<size_t>(image.height()) * image.stride());
        image.RunKernel(kSharpnessKernels[mode], &f.copy, nullptr, 0, 0, &sharpness, 0);
    }
    if (brightness.value != 0) image.RunKernel(kBrightnessKernels[mode], &image, nullptr, 0, 0, &brightness, 0);
}

// What ConvertFrame must give in colour modes with every control active and
// the white balance measured on this frame.
void ColourWhole(Frame& f, int mode) {
    PixelBitmap& raw = *RawBitmapFor(f.set, mode);
    const bool deep = raw.bitsPerPixel() == 16;
    const int phase = f.filter[kBayerMode];
    WhiteBalanceResult balance{f.filter[kBayerGainBlue], 100, f.filter[kBayerGainRed], phase};
    if (f.filter[kAutoWhiteBalance] != 0 &&
        raw.RunKernel(deep ? WhiteBalance16 : WhiteBalance8, &raw, nullptr, 0, 0, &balance, 0) == 1) {
        f.filter[kBayerGainRed] = std::min(balance.gainRed, 400);
        f.filter[kBayerGainBlue] = std::min(balance.gainBlue, 400);
    }
    DemosaicParams params{phase, f.filter[kBayerGainRed], 100, f.filter[kBayerGainBlue]};
    PixelBitmap& image = *f.set.byMode[mode];
    image.RunKernel(deep ? DemosaicInterior16 : DemosaicInterior8, &raw, nullptr, 0, 0, &params, 0);
    image.RunKernel(deep ? DemosaicBorder16 : DemosaicBorder8, &raw, nullptr, 0, 0, &params, 0);
    ToneStepsWhole(f, mode);
}

struct Size {
    int width, height;
};

// Sizes whose bands are a few rows, odd row counts, the narrowest frame the
// borders allow, and a band count that does not divide the rows.
const Size kSizes[] = {{70, 37}, {6, 5}, {130, 97}, {258, 301}};

TEST(ConvertFrameBands, ColourModesMatchTheWholeFrameKernelsOnAnyPool) {
    platform::WorkerPool one(1), three(3);
    for (const Size size : kSizes) {
        // Without sharpening, brightness joins gamma and contrast in one table.
        for (int mode = 2, sharpness = 15; mode <= 5; sharpness = sharpness != 0 ? 0 : 15, mode += sharpness != 0) {
            Frame expected(size.width, size.height, mode);
            expected.filter[kBayerMode] = 2;
            expected.filter[kAutoWhiteBalance] = 1;
            expected.filter[kSharpness] = sharpness;
            ColourWhole(expected, mode);
            for (platform::WorkerPool* pool : {&one, &three, static_cast<platform::WorkerPool*>(nullptr)}) {
                Frame actual(size.width, size.height, mode);
                actual.filter[kBayerMode] = 2;
                actual.filter[kAutoWhiteBalance] = 1;
                actual.filter[kSharpness] = sharpness;
                actual.controls.pool = pool;
                ConvertFrame(actual.controls, actual.set, &actual.sensor, nullptr);
                const std::string where = std::to_string(size.width) + "x" + std::to_string(size.height) + " mode " +
                                          std::to_string(mode) + " sharpness " + std::to_string(sharpness) +
                                          " threads " +
                                          std::to_string(pool != nullptr ? pool->size() : 0);
                EXPECT_EQ(actual.Bytes(*actual.set.byMode[mode]), expected.Bytes(*expected.set.byMode[mode])) << where;
                EXPECT_EQ(actual.filter[kBayerGainRed], expected.filter[kBayerGainRed]) << where;
                EXPECT_EQ(actual.filter[kBayerGainBlue], expected.filter[kBayerGainBlue]) << where;
            }
        }
    }
}

TEST(ConvertFrameBands, GrayModesMatchTheWholeFrameKernelsOnAnyPool) {
    platform::WorkerPool one(1), four(4);
    for (const Size size : kSizes) {
        for (int mode = 0; mode <= 1; ++mode) {
            for (int grayMode = 1; grayMode <= 2; ++grayMode) {
                if (grayMode == 2 && mode == 1) continue;
                Frame expected(size.width, size.height, mode);
                PixelBitmap& raw = *expected.set.byMode[mode];
                if (grayMode == 1) {
                    GrayGainParams gains{0, 150, 128, 128, 128, 0, 0, 0, -7, mode == 1 ? 12 : 8};
                    raw.RunKernel(mode == 1 ? GrayBalance16 : GrayBalance8, &raw, nullptr, 0, 0, &gains, 0);
                    // Offsets alone do not start the gain step.
                    if (GrayGainsActive(gains))
                        raw.RunKernel(mode == 1 ? GrayGain16 : GrayGain8, &raw, nullptr, 0, 0, &gains, 0);
                    expected.filter[kGrayGainR] = gains.gainR;
                    expected.filter[kGrayGainG1] = gains.gainG1;
                    expected.filter[kGrayGainG2] = gains.gainG2;
                    expected.filter[kGrayGainB] = gains.gainB;
                } else {
                    PixelBitmap& colour = *expected.set.byMode[2];
                    DemosaicParams params{0, 130, 100, 85};
                    colour.RunKernel(DemosaicInterior8, &raw, nullptr, 0, 0, &params, 0);
                    colour.RunKernel(DemosaicBorder8, &raw, nullptr, 0, 0, &params, 0);
                    raw.RunKernel(Luminance24To8, &colour, nullptr, 0, 0, nullptr, 0);
                }
                ToneStepsWhole(expected, mode);
                for (platform::WorkerPool* pool : {&one, &four}) {
                    Frame actual(size.width, size.height, mode);
                    actual.filter[kGrayMode] = grayMode;
                    actual.filter[kAutoGrayGain] = 1;
                    actual.controls.pool = pool;
                    ConvertFrame(actual.controls, actual.set, &actual.sensor, nullptr);
                    const std::string where = std::to_string(size.width) + "x" + std::to_string(size.height) +
                                              " mode " + std::to_string(mode) + " gray " + std::to_string(grayMode) +
                                              " threads " + std::to_string(pool->size());
                    EXPECT_EQ(actual.Bytes(*actual.set.byMode[mode]), expected.Bytes(raw)) << where;
                    if (grayMode == 1) {
                        for (int i = kGrayGainR; i <= kGrayGainB; ++i)
                            EXPECT_EQ(actual.filter[i], expected.filter[i]) << where << " gain " << i;
                    }
                }
            }
        }
    }
}

// Automatic exposure measures its five regions as separate tasks; the
// factor must still take them in region order.
TEST(ConvertFrameBands, AutomaticExposureIsTheSameOnEveryPool) {
    platform::WorkerPool one(1), four(4);
    int gains[2] = {0, 0};
    int i = 0;
    for (platform::WorkerPool* pool : {&one, &four}) {
        Frame frame(130, 97, 2);
        // Left half 20, right half 70: every region adds to the factor.
        PixelBitmap& raw = *frame.set.byMode[0];
        for (int y = 0; y < raw.height(); ++y)
            for (int x = 0; x < raw.width(); ++x) raw.bits()[y * raw.stride() + x] = x < raw.width() / 2 ? 20 : 70;
        frame.controls.autoExposure = kAutoExposureByGain;
        frame.controls.pool = pool;
        ConvertFrame(frame.controls, frame.set, &frame.sensor, nullptr);
        gains[i++] = frame.sensor.gain;
    }
    EXPECT_EQ(gains[0], gains[1]);
    EXPECT_EQ(gains[0], 56);  // 40 x 1.4
}

// Several cameras converting at once on one pool of fewer threads: each
// gets its own result, and none waits for another's bands to be free.
TEST(ConvertFrameBands, CamerasShareOnePool) {
    platform::WorkerPool pool(2);
    constexpr int kCameras = 4;
    std::vector<std::unique_ptr<Frame>> frames, expected;
    for (int c = 0; c < kCameras; ++c) {
        frames.push_back(std::make_unique<Frame>(130 + 2 * c, 61, 2 + c));
        frames.back()->controls.pool = &pool;
        frames.back()->filter[kSharpness] = 5 + c;
        expected.push_back(std::make_unique<Frame>(130 + 2 * c, 61, 2 + c));
        expected.back()->filter[kSharpness] = 5 + c;
        ColourWhole(*expected.back(), 2 + c);
    }
    std::vector<std::thread> threads;
    for (int c = 0; c < kCameras; ++c) {
        threads.emplace_back([&, c] {
            // The raw frame stays as it is, so every repeat gives the same image.
            for (int repeat = 0; repeat < 5; ++repeat) ConvertFrame(frames[c]->controls, frames[c]->set, nullptr, nullptr);
        });
    }
    for (std::thread& t : threads) t.join();
    for (int c = 0; c < kCameras; ++c)
        EXPECT_EQ(frames[c]->Bytes(*frames[c]->set.byMode[2 + c]), expected[c]->Bytes(*expected[c]->set.byMode[2 + c]))
            << "camera " << c;
}

}  // namespace
}  // namespace kvx
