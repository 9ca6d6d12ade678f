#include "imaging/convert_frame.h"

#include <algorithm>
#include <cstring>

#include "imaging/bayer.h"
#include "imaging/color/hue_saturation.h"
#include "imaging/demosaic.h"
#include "imaging/display_reduction.h"
#include "imaging/packed_rows.h"
#include "imaging/tone/brightness.h"
#include "imaging/tone/contrast.h"
#include "imaging/tone/gamma.h"
#include "imaging/tone/gray_gain.h"
#include "imaging/tone/sharpness.h"
#include "imaging/tone/tone_params.h"
#include "imaging/white_balance.h"

namespace kvx {
namespace {

constexpr int kDeepBitDepth = 12;

bool Usable(const FrameBitmap* bitmap) { return bitmap != nullptr && !bitmap->empty(); }

int32_t Read(const int32_t* filter, int index) { return __atomic_load_n(&filter[index], __ATOMIC_RELAXED); }
void Write(int32_t* filter, int index, int32_t value) { __atomic_store_n(&filter[index], value, __ATOMIC_RELAXED); }

bool Deep(int colorMode) { return colorMode == 1 || colorMode == 4 || colorMode == 5; }

void AutoExposure(const ConversionControls& controls, FrameBitmap* raw, ExposureDevice* device,
                  const ConversionSteps& steps) {
    if (controls.autoExposure != 1 && controls.autoExposure != 2) return;
    if (!Usable(raw) || device == nullptr || steps.exposureRegions == nullptr || steps.exposureFactor == nullptr ||
        steps.exposureNeedsChange == nullptr) {
        return;
    }
    const bool deep = raw->bitsPerPixel() == 16;
    const PixelKernel mean = deep ? steps.regionMean16 : steps.regionMean8;
    if (mean == nullptr) return;
    std::array<int, kAutoExposureRegionCount> means{};
    const auto regions = steps.exposureRegions(raw->width(), raw->height());
    for (int i = 0; i < kAutoExposureRegionCount; ++i) {
        const BitmapRect rect{regions[i].left, regions[i].top, regions[i].right, regions[i].bottom};
        means[i] = raw->RunKernel(mean, raw, &rect, rect.left, rect.top, nullptr, deep ? kDeepBitDepth : 8);
    }
    const double factor = steps.exposureFactor(means);
    if (!steps.exposureNeedsChange(factor)) return;
    if (controls.autoExposure == 2 && steps.exposureGain != nullptr) {
        device->ApplyGain(steps.exposureGain(device->GetGain(), factor, device->GetMaxGain()));
    } else if (controls.autoExposure == 1 && steps.exposureLines != nullptr) {
        device->ApplyExposureLines(steps.exposureLines(device->GetExposureLines(), factor, device->GetMaxExposureLines()));
    }
}

void GrayGains(const ConversionControls& controls, FrameBitmap* raw, int phase, ImageDialogRefresh* dialog,
               const ConversionSteps& steps) {
    int32_t* filter = controls.filter;
    const bool deep = controls.colorMode == 1;
    GrayGainParams params{phase,
                          Read(filter, kGrayGainR),
                          Read(filter, kGrayGainG1),
                          Read(filter, kGrayGainG2),
                          Read(filter, kGrayGainB),
                          Read(filter, kGrayOffsetR),
                          Read(filter, kGrayOffsetG1),
                          Read(filter, kGrayOffsetG2),
                          Read(filter, kGrayOffsetB),
                          deep ? kDeepBitDepth : 8};
    const int32_t counter = Read(filter, kAutoGrayGain);
    const PixelKernel balance = deep ? steps.grayBalance16 : steps.grayBalance8;
    if (counter != 0 && balance != nullptr) {
        raw->RunKernel(balance, raw, nullptr, 0, 0, &params, 0);
        Write(filter, kGrayGainR, params.gainR);
        Write(filter, kGrayGainG1, params.gainG1);
        Write(filter, kGrayGainG2, params.gainG2);
        Write(filter, kGrayGainB, params.gainB);
        Write(filter, kGrayOffsetR, params.offsetR);
        Write(filter, kGrayOffsetG1, params.offsetG1);
        Write(filter, kGrayOffsetG2, params.offsetG2);
        Write(filter, kGrayOffsetB, params.offsetB);
        if (dialog != nullptr) dialog->GainsChanged();
        // A positive count balances that many frames; a negative one means
        // every frame and stays as it is rather than counting down towards
        // an overflow.
        if (counter > 0) Write(filter, kAutoGrayGain, counter - 1);
    }
    const PixelKernel gain = deep ? steps.grayGain16 : steps.grayGain8;
    if (gain != nullptr && GrayGainsActive(params)) raw->RunKernel(gain, raw, nullptr, 0, 0, &params, 0);
}

// White balance (when on) and both demosaic passes from `raw` into `target`.
void Demosaic(const ConversionControls& controls, FrameBitmap* raw, FrameBitmap* target, int phase,
              ImageDialogRefresh* dialog) {
    if (!Usable(raw) || !Usable(target)) return;
    int32_t* filter = controls.filter;
    const bool deep = raw->bitsPerPixel() == 16;
    if (Read(filter, kAutoWhiteBalance) != 0) {
        WhiteBalanceResult result{Read(filter, kBayerGainBlue), Read(filter, kBayerGainGreen),
                                  Read(filter, kBayerGainRed), phase};
        if (raw->RunKernel(deep ? WhiteBalance16 : WhiteBalance8, raw, nullptr, 0, 0, &result, 0) == 1) {
            Write(filter, kBayerGainRed, std::min(result.gainRed, 400));
            Write(filter, kBayerGainGreen, std::min(100, 400));
            Write(filter, kBayerGainBlue, std::min(result.gainBlue, 400));
            if (dialog != nullptr) dialog->GainsChanged();
        }
        // A single-shot request ("Once") sets all three words: it balances
        // exactly this frame.
        if (Read(filter, kAutoWhiteBalance) != 0 && Read(filter, kWhiteBalanceOnce1) != 0 &&
            Read(filter, kWhiteBalanceOnce2) != 0) {
            Write(filter, kAutoWhiteBalance, 0);
            Write(filter, kWhiteBalanceOnce1, 0);
            Write(filter, kWhiteBalanceOnce2, 0);
        }
    }
    DemosaicParams params{phase, Read(filter, kBayerGainRed), Read(filter, kBayerGainGreen),
                          Read(filter, kBayerGainBlue)};
    target->RunKernel(deep ? DemosaicInterior16 : DemosaicInterior8, raw, nullptr, 0, 0, &params, 0);
    target->RunKernel(deep ? DemosaicBorder16 : DemosaicBorder8, raw, nullptr, 0, 0, &params, 0);
}

void RunTone(FrameBitmap* image, PixelKernel kernel, int32_t value) {
    if (kernel == nullptr) return;
    ToneParams params{value, kDeepBitDepth};
    image->RunKernel(kernel, image, nullptr, 0, 0, &params, 0);
}

}  // namespace

FrameBitmap* RawBitmapFor(const ConversionBitmaps& bitmaps, int colorMode) {
    if (colorMode < 0 || colorMode > 5) return nullptr;
    return Deep(colorMode) ? bitmaps.byMode[1] : bitmaps.byMode[0];
}

void SpreadPackedRows(FrameBitmap& raw) {
    if (raw.empty()) return;
    raw.RunKernel(raw.bitsPerPixel() == 16 ? ExpandPackedRows16 : ExpandPackedRows8, &raw, nullptr, 0, 0, nullptr, 0);
}

const ConversionSteps& DefaultConversionSteps() {
    static const ConversionSteps steps = [] {
        ConversionSteps s;
        for (int mode = 0; mode < 6; ++mode) {
            s.hueSaturation[mode] = kHueSaturationKernels[mode];
            s.gamma[mode] = kGammaKernels[mode];
            s.contrast[mode] = kContrastKernels[mode];
            s.sharpness[mode] = kSharpnessKernels[mode];
            s.brightness[mode] = kBrightnessKernels[mode];
        }
        s.grayGain8 = GrayGain8;
        s.grayGain16 = GrayGain16;
        s.grayBalance8 = GrayBalance8;
        s.grayBalance16 = GrayBalance16;
        s.regionMean8 = RegionMean8;
        s.regionMean16 = RegionMean16;
        s.exposureRegions = AutoExposureRegions;
        s.exposureFactor = AutoExposureFactor;
        s.exposureNeedsChange = AutoExposureNeedsChange;
        s.exposureGain = AutoExposureGain;
        s.exposureLines = AutoExposureLines;
        return s;
    }();
    return steps;
}

void ConvertFrame(const ConversionControls& controls, const ConversionBitmaps& bitmaps, ExposureDevice* device,
                  ImageDialogRefresh* dialog, const ConversionSteps& steps) {
    const int mode = controls.colorMode;
    if (controls.filter == nullptr || mode < 0 || mode > 5) return;
    int32_t* filter = controls.filter;
    FrameBitmap* raw = RawBitmapFor(bitmaps, mode);
    FrameBitmap* image = bitmaps.byMode[mode];

    AutoExposure(controls, raw, device, steps);

    const int phase = EffectivePhase(Read(filter, kBayerMode), controls.mirrorVertical, controls.mirrorHorizontal);
    if (mode <= 1) {
        const int32_t grayMode = Read(filter, kGrayMode);
        if (grayMode == 1 && Usable(raw)) {
            GrayGains(controls, raw, phase, dialog, steps);
        } else if (grayMode == 2 && mode == 0) {
            FrameBitmap* colour = bitmaps.byMode[2];
            Demosaic(controls, raw, colour, phase, dialog);
            if (Usable(colour) && Usable(image)) image->RunKernel(Luminance24To8, colour, nullptr, 0, 0, nullptr, 0);
        }
    } else {
        Demosaic(controls, raw, image, phase, dialog);
    }
    if (!Usable(image)) return;

    if (mode >= 2) {
        const int32_t hue = Read(filter, kHue), saturation = Read(filter, kSaturation);
        if ((hue != 0 || saturation != 0) && steps.hueSaturation[mode] != nullptr) {
            HueSaturationParams params{hue, 0, saturation, kDeepBitDepth};
            image->RunKernel(steps.hueSaturation[mode], image, nullptr, 0, 0, &params, 0);
        }
    }
    const int32_t gamma = Read(filter, kGamma);
    if (gamma != 100) RunTone(image, steps.gamma[mode], gamma);
    const int32_t contrast = Read(filter, kContrast);
    if (contrast != 0) RunTone(image, steps.contrast[mode], contrast);
    const int32_t sharpness = Read(filter, kSharpness);
    FrameBitmap* copy = bitmaps.outputCopy;
    // The blur reads the unsharpened picture, so it must come from a copy of
    // exactly the image's layout.
    if (sharpness != 0 && steps.sharpness[mode] != nullptr && Usable(copy) && copy != image &&
        copy->width() == image->width() && copy->height() == image->height() &&
        copy->bitsPerPixel() == image->bitsPerPixel()) {
        std::memcpy(copy->bits(), image->bits(), static_cast<size_t>(image->height()) * image->stride());
        ToneParams params{sharpness, kDeepBitDepth};
        image->RunKernel(steps.sharpness[mode], copy, nullptr, 0, 0, &params, 0);
    }
    const int32_t brightness = Read(filter, kBrightness);
    if (brightness != 0) RunTone(image, steps.brightness[mode], brightness);
}

}  // namespace kvx
