#include "imaging/convert_frame.h"

#include <algorithm>
#include <cstring>

#include "imaging/bayer.h"
#include "imaging/color/hue_saturation.h"
#include "imaging/demosaic.h"
#include "imaging/display_reduction.h"
#include "imaging/packed_rows.h"
#include "imaging/row_bands.h"
#include "imaging/tone/brightness.h"
#include "imaging/tone/contrast.h"
#include "imaging/tone/gamma.h"
#include "imaging/tone/gray_gain.h"
#include "imaging/tone/sharpness.h"
#include "imaging/tone/tone_chain.h"
#include "imaging/tone/tone_params.h"
#include "imaging/white_balance.h"
#include "pixels/color_mode.h"
#include "platform/atomic_word.h"

namespace kvx {
namespace {

bool Usable(const PixelBitmap* bitmap) { return bitmap != nullptr && !bitmap->empty(); }

int32_t Read(const int32_t* filter, int index) { return platform::LoadRelaxed(&filter[index]); }
void Write(int32_t* filter, int index, int32_t value) { platform::StoreRelaxed(&filter[index], value); }

bool Deep(int colorMode) { return colorMode == 1 || colorMode == 4 || colorMode == 5; }

// One kernel call over whole bitmaps, placed as RunKernel places a call
// with no rectangle at (0, 0), and cut into row bands from there.
struct Call {
    uint8_t* dst = nullptr;
    const uint8_t* src = nullptr;
    KernelRect rect{0, 0, 0, 0};
    int dstX = 0, dstY = 0, dstBytesPerPixel = 0, srcBytesPerPixel = 0, dstStride = 0, srcStride = 0;

    int Rows() const { return rect.bottom - rect.top; }
    bool Valid() const { return dst != nullptr && src != nullptr && rect.right > rect.left && Rows() > 0; }
    // Rows [first, end) of the rectangle as a rectangle of their own.
    int Band(PixelKernel kernel, RowBand band, void* argument) const {
        const KernelRect part{rect.left, rect.top + band.first, rect.right, rect.top + band.end};
        return kernel(dst, src, part, dstX, dstY + band.first, dstBytesPerPixel, srcBytesPerPixel, dstStride,
                      srcStride, argument, 0);
    }
    int Whole(PixelKernel kernel, void* argument) const {
        return kernel(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument,
                      0);
    }
};

Call CallFor(PixelBitmap* dst, const PixelBitmap* src) {
    Call call;
    if (!Usable(dst) || !Usable(src)) return call;
    const int width = std::min(dst->width(), src->width()), height = std::min(dst->height(), src->height());
    call.dst = dst->bits();
    call.src = src->bits();
    // Memory rows: the system's rows count from the last one.
    call.rect = KernelRect{0, src->height() - height, width, src->height()};
    call.dstY = dst->height() - height;
    call.dstBytesPerPixel = dst->bytesPerPixel();
    call.srcBytesPerPixel = src->bytesPerPixel();
    call.dstStride = dst->stride();
    call.srcStride = src->stride();
    return call;
}

// A step that runs band by band. Pixel-by-pixel kernels get the band as
// their rectangle; the demosaic and sharpness read neighbours beyond it, so
// they get the whole frame and the band's rows in their parameters.
struct BandStep {
    enum class Kind { kPixels, kDemosaic, kSharpen, kCopy };
    Kind kind = Kind::kPixels;
    PixelKernel kernel = nullptr;
    PixelKernel border = nullptr;
    Call call;
    void* argument = nullptr;

    void Run(RowBand band) const {
        switch (kind) {
            case Kind::kPixels: call.Band(kernel, band, argument); break;
            case Kind::kDemosaic: {
                DemosaicParams params = *static_cast<const DemosaicParams*>(argument);
                params.firstRow = band.first;
                params.endRow = band.end;
                call.Whole(kernel, &params);
                call.Whole(border, &params);
                break;
            }
            case Kind::kSharpen: {
                ToneParams params = *static_cast<const ToneParams*>(argument);
                params.firstRow = band.first;
                params.endRow = band.end;
                call.Whole(kernel, &params);
                break;
            }
            case Kind::kCopy: {
                const size_t offset = static_cast<size_t>(call.rect.top + band.first) * call.srcStride;
                std::memcpy(call.dst + offset, call.src + offset, static_cast<size_t>(band.end - band.first) * call.srcStride);
                break;
            }
        }
    }
};

// Steps that run one after the other on each band. When every step covers
// the same rows of equally sized bitmaps, a band goes through all of them
// while its rows are in the cache; otherwise each step is banded alone.
class BandedPass {
public:
    explicit BandedPass(platform::WorkerPool& pool) : pool_(pool) {}

    void Add(const BandStep& step) {
        if (step.call.Valid() && count_ < kMaxSteps) steps_[count_++] = step;
    }

    void Run() {
        if (count_ == 0) return;
        bool together = true;
        for (int i = 0; i < count_; ++i) {
            const Call& c = steps_[i].call;
            together = together && c.rect.top == 0 && c.dstY == 0 && c.Rows() == steps_[0].call.Rows();
        }
        if (together) {
            RunSteps(0, count_);
        } else {
            for (int i = 0; i < count_; ++i) RunSteps(i, i + 1);
        }
        count_ = 0;
    }

private:
    void RunSteps(int first, int end) {
        const int rows = steps_[first].call.Rows();
        const int bands = RowBandCount(rows, pool_.size());
        auto band = [&](int index) {
            const RowBand range = RowBandOf(rows, bands, index);
            for (int i = first; i < end; ++i) steps_[i].Run(range);
        };
        pool_.Run(bands, band);
    }

    static constexpr int kMaxSteps = 8;
    platform::WorkerPool& pool_;
    BandStep steps_[kMaxSteps];
    int count_ = 0;
};

BandStep Pixels(PixelKernel kernel, const Call& call, void* argument) {
    BandStep step;
    step.kernel = kernel;
    step.call = call;
    step.argument = argument;
    if (kernel == nullptr) step.call = Call{};
    return step;
}

void AutoExposure(const ConversionControls& controls, PixelBitmap* raw, ExposureDevice* device,
                  const ConversionSteps& steps, platform::WorkerPool& pool) {
    if (controls.autoExposure == kAutoExposureOff) return;
    if (!Usable(raw) || device == nullptr || steps.exposureRegions == nullptr || steps.exposureFactor == nullptr ||
        steps.exposureNeedsChange == nullptr) {
        return;
    }
    const bool deep = raw->bitsPerPixel() == 16;
    const PixelKernel mean = deep ? steps.regionMean16 : steps.regionMean8;
    if (mean == nullptr) return;
    // One region per task; the factor takes the means in region order.
    std::array<int, kAutoExposureRegionCount> means{};
    const auto regions = steps.exposureRegions(raw->width(), raw->height());
    auto measure = [&](int i) {
        const BitmapRect rect{regions[i].left, regions[i].top, regions[i].right, regions[i].bottom};
        means[i] = raw->RunKernel(mean, raw, &rect, rect.left, rect.top, nullptr, deep ? kDeepSampleBits : 8);
    };
    pool.Run(kAutoExposureRegionCount, measure);
    const double factor = steps.exposureFactor(means);
    if (!steps.exposureNeedsChange(factor)) return;
    if (controls.autoExposure == kAutoExposureByGain && steps.exposureGain != nullptr) {
        device->ApplyGain(steps.exposureGain(device->GetGain(), factor, device->GetMaxGain()));
    } else if (controls.autoExposure == kAutoExposureByTime && steps.exposureLines != nullptr) {
        device->ApplyExposureLines(steps.exposureLines(device->GetExposureLines(), factor, device->GetMaxExposureLines()));
    }
}

// Band sums land in slots by band and are added in band order.
template <typename Sums, typename Measure>
Sums MeasureInBands(platform::WorkerPool& pool, int rows, Measure measure) {
    Sums partial[kMaxRowBands];
    const int bands = RowBandCount(rows, pool.size());
    auto band = [&](int index) { measure(RowBandOf(rows, bands, index), partial[index]); };
    pool.Run(bands, band);
    Sums total;
    for (int i = 0; i < bands; ++i) total.Add(partial[i]);
    return total;
}

// The one-shot gray balance (when requested) and the gray gain record.
GrayGainParams GrayGains(const ConversionControls& controls, PixelBitmap* raw, int phase, ImageDialogRefresh* dialog,
                         platform::WorkerPool& pool) {
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
                          deep ? kDeepSampleBits : 8};
    const int32_t counter = Read(filter, kAutoGrayGain);
    if (counter != 0) {
        const Call whole = CallFor(raw, raw);
        const GrayBalanceSums sums =
            MeasureInBands<GrayBalanceSums>(pool, whole.Rows(), [&](RowBand band, GrayBalanceSums& part) {
                const KernelRect rect{whole.rect.left, whole.rect.top + band.first, whole.rect.right,
                                      whole.rect.top + band.end};
                AccumulateGrayBalance(whole.src, rect, whole.srcBytesPerPixel, whole.srcStride, deep, params, part);
            });
        FinishGrayBalance(sums, params);
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
    return params;
}

// White balance (when on), then the demosaic parameters from the gains.
DemosaicParams DemosaicSetup(const ConversionControls& controls, PixelBitmap* raw, int phase,
                             ImageDialogRefresh* dialog, platform::WorkerPool& pool) {
    int32_t* filter = controls.filter;
    const bool deep = raw->bitsPerPixel() == 16;
    if (Read(filter, kAutoWhiteBalance) != 0) {
        WhiteBalanceResult result{Read(filter, kBayerGainBlue), Read(filter, kBayerGainGreen),
                                  Read(filter, kBayerGainRed), phase};
        const Call whole = CallFor(raw, raw);
        const WhiteBalanceSums sums =
            MeasureInBands<WhiteBalanceSums>(pool, whole.Rows(), [&](RowBand band, WhiteBalanceSums& part) {
                AccumulateWhiteBalance(whole.src, whole.rect, whole.srcStride, deep, phase, band.first, band.end, part);
            });
        if (FinishWhiteBalance(sums, result) == 1) {
            Write(filter, kBayerGainRed, result.gainRed);
            Write(filter, kBayerGainGreen, result.gainGreen);
            Write(filter, kBayerGainBlue, result.gainBlue);
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
    return DemosaicParams{phase, Read(filter, kBayerGainRed), Read(filter, kBayerGainGreen),
                          Read(filter, kBayerGainBlue)};
}

BandStep DemosaicStep(PixelBitmap* raw, PixelBitmap* target, DemosaicParams* params) {
    BandStep step;
    step.kind = BandStep::Kind::kDemosaic;
    const bool deep = raw->bitsPerPixel() == 16;
    step.kernel = deep ? DemosaicInterior16 : DemosaicInterior8;
    step.border = deep ? DemosaicBorder16 : DemosaicBorder8;
    step.call = CallFor(target, raw);
    step.argument = params;
    return step;
}

}  // namespace

PixelBitmap* RawBitmapFor(const ConversionBitmaps& bitmaps, int colorMode) {
    if (colorMode < 0 || colorMode > 5) return nullptr;
    return Deep(colorMode) ? bitmaps.byMode[1] : bitmaps.byMode[0];
}

void SpreadPackedRows(PixelBitmap& raw) {
    if (raw.empty()) return;
    raw.RunKernel(raw.bitsPerPixel() == 16 ? ExpandPackedRows16 : ExpandPackedRows8, &raw, nullptr, 0, 0, nullptr, 0);
}

const ConversionSteps& DefaultConversionSteps() {
    // In the order of ConversionSteps' members.
    static const ConversionSteps steps{
        kHueSaturationKernels, kGammaKernels, kContrastKernels, kSharpnessKernels, kBrightnessKernels,
        GrayGain8, GrayGain16, RegionMean8, RegionMean16,
        AutoExposureRegions, AutoExposureFactor, AutoExposureNeedsChange, AutoExposureGain, AutoExposureLines};
    return steps;
}

void ConvertFrame(const ConversionControls& controls, const ConversionBitmaps& bitmaps, ExposureDevice* device,
                  ImageDialogRefresh* dialog, const ConversionSteps& steps) {
    const int mode = controls.colorMode;
    if (controls.filter == nullptr || mode < 0 || mode > 5) return;
    platform::WorkerPool& pool = controls.pool != nullptr ? *controls.pool : platform::SharedWorkerPool();
    int32_t* filter = controls.filter;
    PixelBitmap* raw = RawBitmapFor(bitmaps, mode);
    PixelBitmap* image = bitmaps.byMode[mode];

    AutoExposure(controls, raw, device, steps, pool);

    // The measurements (white balance, gray balance) end before the pass
    // that uses them starts; then every pixel-by-pixel step runs band by
    // band up to sharpening, which reads neighbours from a finished copy.
    BandedPass pass(pool);
    const int phase = EffectivePhase(Read(filter, kBayerMode), controls.mirrorVertical, controls.mirrorHorizontal);
    GrayGainParams grayGains{};
    DemosaicParams demosaic{};
    if (mode <= 1) {
        const int32_t grayMode = Read(filter, kGrayMode);
        if (grayMode == 1 && Usable(raw)) {
            grayGains = GrayGains(controls, raw, phase, dialog, pool);
            const PixelKernel gain = mode == 1 ? steps.grayGain16 : steps.grayGain8;
            if (GrayGainsActive(grayGains)) pass.Add(Pixels(gain, CallFor(raw, raw), &grayGains));
        } else if (grayMode == 2 && mode == 0) {
            PixelBitmap* colour = bitmaps.byMode[2];
            if (Usable(raw) && Usable(colour)) {
                demosaic = DemosaicSetup(controls, raw, phase, dialog, pool);
                pass.Add(DemosaicStep(raw, colour, &demosaic));
                // The luminance lands in the raw bitmap, whose rows the
                // demosaic of the neighbouring bands still reads.
                pass.Run();
                if (Usable(image)) pass.Add(Pixels(Luminance24To8, CallFor(image, colour), nullptr));
            }
        }
    } else if (Usable(raw) && Usable(image)) {
        demosaic = DemosaicSetup(controls, raw, phase, dialog, pool);
        pass.Add(DemosaicStep(raw, image, &demosaic));
    }
    if (!Usable(image)) {
        pass.Run();
        return;
    }
    const Call tone = CallFor(image, image);

    HueSaturationParams hueSaturation{Read(filter, kHue), 0, Read(filter, kSaturation), kDeepSampleBits};
    if (mode >= 2 && (hueSaturation.hue != 0 || hueSaturation.saturation != 0))
        pass.Add(Pixels(steps.hueSaturation[mode], tone, &hueSaturation));
    ToneParams gamma{Read(filter, kGamma), kDeepSampleBits};
    ToneParams contrast{Read(filter, kContrast), kDeepSampleBits};
    ToneParams sharpness{Read(filter, kSharpness), kDeepSampleBits};
    ToneParams brightness{Read(filter, kBrightness), kDeepSampleBits};
    PixelBitmap* copy = bitmaps.outputCopy;
    // The blur reads the unsharpened picture, so it must come from a copy of
    // exactly the image's layout.
    const bool sharpen = sharpness.value != 0 && steps.sharpness[mode] != nullptr && Usable(copy) && copy != image &&
                         copy->width() == image->width() && copy->height() == image->height() &&
                         copy->bitsPerPixel() == image->bitsPerPixel();
    // Gamma, contrast and (with nothing sharpened between) brightness are
    // curves on each sample: two or three of them run as one table.
    ToneChainParams chain{gamma.value, contrast.value, sharpen ? 0 : brightness.value, kDeepSampleBits};
    const bool libraryCurves = steps.gamma[mode] == kGammaKernels[mode] &&
                               steps.contrast[mode] == kContrastKernels[mode] &&
                               steps.brightness[mode] == kBrightnessKernels[mode];
    const int curves = (chain.gamma != 100) + (chain.contrast != 0) + (chain.brightness != 0);
    const bool chained = libraryCurves && curves >= 2 && ToneChainFits(chain);
    if (chained) {
        pass.Add(Pixels(kToneChainKernels[mode], tone, &chain));
    } else {
        if (gamma.value != 100) pass.Add(Pixels(steps.gamma[mode], tone, &gamma));
        if (contrast.value != 0) pass.Add(Pixels(steps.contrast[mode], tone, &contrast));
    }
    if (sharpen) {
        BandStep copyStep;
        copyStep.kind = BandStep::Kind::kCopy;
        copyStep.call = CallFor(copy, image);
        copyStep.call.rect = KernelRect{0, 0, image->width(), image->height()};
        copyStep.call.dstY = 0;
        pass.Add(copyStep);
        pass.Run();
        BandStep sharpenStep = Pixels(steps.sharpness[mode], CallFor(image, copy), &sharpness);
        sharpenStep.kind = BandStep::Kind::kSharpen;
        pass.Add(sharpenStep);
    }
    if (brightness.value != 0 && !(chained && chain.brightness != 0))
        pass.Add(Pixels(steps.brightness[mode], tone, &brightness));
    pass.Run();
}

}  // namespace kvx
