#include "imaging/tone/gray_gain.h"

#include <algorithm>

#include "imaging/simd_dispatch.h"
#include "imaging/tone/gray_gain_rows.h"
#include "imaging/tone/kernel_rows.h"

namespace kvx {
namespace {

// Site index 0..3 = G1, R, B, G2 by (row state, column state).
enum Site { kG1 = 0, kR = 1, kB = 2, kG2 = 3 };

int SiteOf(int rowState, int columnState) { return rowState * 2 + columnState; }

int StartColumnState(int phase) { return (phase >> 1) & 1; }
int StartRowState(int phase) { return phase & 1; }

void SiteRules(const GrayGainParams& p, int gains[4], int offsets[4]) {
    gains[kG1] = p.gainG1;
    gains[kR] = p.gainR;
    gains[kB] = p.gainB;
    gains[kG2] = p.gainG2;
    offsets[kG1] = p.offsetG1;
    offsets[kR] = p.offsetR;
    offsets[kB] = p.offsetB;
    offsets[kG2] = p.offsetG2;
}

int MaxValue16(int bitDepth) {
    switch (bitDepth) {
        case 10: return 1023;
        case 12: return 4095;
        case 14: return 16383;
        default: return 65535;
    }
}

// The gain and offset of the two sites a row holds, in the order of its
// columns starting at absolute column `left`.
GainRow RowRule(const GrayGainParams& p, int y, int left) {
    int gains[4], offsets[4];
    SiteRules(p, gains, offsets);
    const int rowState = StartRowState(p.phase) ^ (y & 1);
    const int firstColumnState = StartColumnState(p.phase) ^ (left & 1);
    const int first = SiteOf(rowState, firstColumnState);
    const int second = SiteOf(rowState, firstColumnState ^ 1);
    return GainRow{{gains[first], gains[second]}, {offsets[first], offsets[second]}};
}

bool FitsSixteenBitLanes(const GrayGainParams& p) {
    const int gains[4] = {p.gainR, p.gainG1, p.gainG2, p.gainB};
    const int offsets[4] = {p.offsetR, p.offsetG1, p.offsetG2, p.offsetB};
    for (int g : gains)
        if (g < 0 || g > 255) return false;
    for (int o : offsets)
        if (o < -255 || o > 255) return false;
    return true;
}

template <int kBytes>
void AccumulateBalance(const KernelLayout& layout, const GrayGainParams& p, int saturation, GrayBalanceSums& sums) {
    if (layout.Empty()) return;
    const int width = layout.Width();
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        const int rowState = StartRowState(p.phase) ^ (y & 1);
        for (int x = 0; x < width; ++x) {
            const int v = kBytes == 1 ? s[x * layout.srcBytesPerPixel]
                                      : LoadWord(s + x * layout.srcBytesPerPixel);
            if (v == 0 || v == saturation) continue;
            const int site = SiteOf(rowState, StartColumnState(p.phase) ^ ((layout.rect.left + x) & 1));
            sums.sum[site] += v;
            ++sums.count[site];
        }
    }
}

}  // namespace

bool GrayGainsActive(const GrayGainParams& p) {
    return p.gainR != 128 || p.gainG1 != 128 || p.gainG2 != 128 || p.gainB != 128;
}

void GrayGainRow8Scalar(uint8_t* d, const uint8_t* s, int width, int dstStep, int srcStep, const GainRow& rule) {
    for (int x = 0; x < width; ++x) {
        const int i = x & 1;
        const long long v = rule.offset[i] + static_cast<long long>(rule.gain[i]) * s[x * srcStep] / 128;
        d[x * dstStep] = static_cast<uint8_t>(std::clamp<long long>(v, 0, 255));
    }
}

void GrayGainRow16Scalar(uint8_t* d, const uint8_t* s, int width, int dstStep, int srcStep, const GainRow& rule,
                         int maxValue) {
    for (int x = 0; x < width; ++x) {
        const int i = x & 1;
        const long long v = rule.offset[i] + static_cast<long long>(rule.gain[i]) * LoadWord(s + x * srcStep) / 128;
        StoreWord(d + x * dstStep, static_cast<int>(std::clamp<long long>(v, 0, maxValue)));
    }
}

namespace {

// The widest rows a vector path does at this level; 0 where none applies.
template <int kBytes>
int VectorGainRow(SimdLevel level, uint8_t* d, const uint8_t* s, int width, const GainRow& rule, int maxValue) {
#if KVX_SIMD_X86
    const bool sse2 = level == SimdLevel::Sse2 || level == SimdLevel::Ssse3;
    if constexpr (kBytes == 1) {
        if (level == SimdLevel::Avx2) return GrayGainRow8Avx2(d, s, width, rule);
        if (sse2) return GrayGainRow8Sse2(d, s, width, rule);
    } else {
        if (level == SimdLevel::Avx2) return GrayGainRow16Avx2(d, s, width, rule, maxValue);
        if (sse2) return GrayGainRow16Sse2(d, s, width, rule, maxValue);
    }
#endif
    (void)level, (void)d, (void)s, (void)width, (void)rule, (void)maxValue;
    return 0;
}

template <int kBytes>
int ApplyGains(const KernelLayout& layout, void* argument, int) {
    if (argument == nullptr) return 0;
    const GrayGainParams& p = *static_cast<const GrayGainParams*>(argument);
    if (layout.Empty()) return 1;
    const int maxValue = kBytes == 1 ? 255 : MaxValue16(p.bitDepth);
    const int dstStep = layout.dstBytesPerPixel, srcStep = layout.srcBytesPerPixel, width = layout.Width();
    const bool packed = dstStep == kBytes && srcStep == kBytes && FitsSixteenBitLanes(p);
    const SimdLevel level = packed ? ActiveSimdLevel() : SimdLevel::Scalar;
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const GainRow rule = RowRule(p, y, layout.rect.left);
        uint8_t* d = layout.DstRow(y);
        const uint8_t* s = layout.SrcRow(y);
        // The vector body handles an even count of pixels, so the tail keeps the column parity.
        const int done = VectorGainRow<kBytes>(level, d, s, width, rule, maxValue);
        if constexpr (kBytes == 1) {
            GrayGainRow8Scalar(d + done * dstStep, s + done * srcStep, width - done, dstStep, srcStep, rule);
        } else {
            GrayGainRow16Scalar(d + done * dstStep, s + done * srcStep, width - done, dstStep, srcStep, rule, maxValue);
        }
    }
    return 1;
}

template <int kBytes>
int MeasureBalance(const KernelLayout& layout, void* argument, int) {
    if (argument == nullptr) return 0;
    GrayGainParams& p = *static_cast<GrayGainParams*>(argument);
    if (layout.Empty()) return 0;
    GrayBalanceSums sums;
    AccumulateBalance<kBytes>(layout, p, kBytes == 1 ? 255 : MaxValue16(p.bitDepth), sums);
    return FinishGrayBalance(sums, p);
}

}  // namespace

constexpr PixelKernel GrayGain8 = AdaptKernel<ApplyGains<1>>;
constexpr PixelKernel GrayGain16 = AdaptKernel<ApplyGains<2>>;
constexpr PixelKernel GrayBalance8 = AdaptKernel<MeasureBalance<1>>;
constexpr PixelKernel GrayBalance16 = AdaptKernel<MeasureBalance<2>>;

void AccumulateGrayBalance(const uint8_t* src, KernelRect srcRect, int srcBytesPerPixel, int srcStride, bool words,
                           const GrayGainParams& params, GrayBalanceSums& sums) {
    const KernelLayout layout{nullptr, src, srcRect, 0, 0, srcBytesPerPixel, srcBytesPerPixel, srcStride, srcStride};
    if (words) AccumulateBalance<2>(layout, params, MaxValue16(params.bitDepth), sums);
    else AccumulateBalance<1>(layout, params, 255, sums);
}

int FinishGrayBalance(const GrayBalanceSums& sums, GrayGainParams& p) {
    double mean[4];
    for (int i = 0; i < 4; ++i) {
        if (sums.count[i] == 0) return 0;
        mean[i] = static_cast<double>(sums.sum[i]) / static_cast<double>(sums.count[i]);
    }
    const double brightest = *std::max_element(mean, mean + 4);
    // The control's range is 0..255; a site darker than half the brightest
    // is lifted as far as that range allows.
    auto gainFor = [&](double m) { return TruncToRange(brightest / m * 128.0, 255); };
    p.gainG1 = gainFor(mean[kG1]);
    p.gainR = gainFor(mean[kR]);
    p.gainB = gainFor(mean[kB]);
    p.gainG2 = gainFor(mean[kG2]);
    return 1;
}

}  // namespace kvx
