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

template <int kBytes>
int MeasureBalance(const KernelLayout& layout, GrayGainParams& p, int saturation) {
    if (layout.Empty()) return 0;
    GrayBalanceSums sums;
    AccumulateBalance<kBytes>(layout, p, saturation, sums);
    return FinishGrayBalance(sums, p);
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

int GrayGain8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
              int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    const GrayGainParams& p = *static_cast<const GrayGainParams*>(argument);
    const KernelLayout layout =
        MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride);
    if (layout.Empty()) return 1;
    const bool packed = dstBytesPerPixel == 1 && srcBytesPerPixel == 1 && FitsSixteenBitLanes(p);
    const SimdLevel level = packed ? ActiveSimdLevel() : SimdLevel::Scalar;
    for (int y = srcRect.top; y < srcRect.bottom; ++y) {
        const GainRow rule = RowRule(p, y, srcRect.left);
        uint8_t* d = layout.DstRow(y);
        const uint8_t* s = layout.SrcRow(y);
        int done = 0;
#if KVX_SIMD_X86
        if (level == SimdLevel::Avx2) done = GrayGainRow8Avx2(d, s, layout.Width(), rule);
        else if ((level == SimdLevel::Sse2 || level == SimdLevel::Ssse3)) done = GrayGainRow8Sse2(d, s, layout.Width(), rule);
#endif
        // The vector body handles an even count of pixels, so the tail keeps the column parity.
        GrayGainRow8Scalar(d + done * dstBytesPerPixel, s + done * srcBytesPerPixel, layout.Width() - done,
                           dstBytesPerPixel, srcBytesPerPixel, rule);
    }
    (void)level;
    return 1;
}

int GrayGain16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
               int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    const GrayGainParams& p = *static_cast<const GrayGainParams*>(argument);
    const KernelLayout layout =
        MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride);
    if (layout.Empty()) return 1;
    const int maxValue = MaxValue16(p.bitDepth);
    const bool packed = dstBytesPerPixel == 2 && srcBytesPerPixel == 2 && FitsSixteenBitLanes(p);
    const SimdLevel level = packed ? ActiveSimdLevel() : SimdLevel::Scalar;
    for (int y = srcRect.top; y < srcRect.bottom; ++y) {
        const GainRow rule = RowRule(p, y, srcRect.left);
        uint8_t* d = layout.DstRow(y);
        const uint8_t* s = layout.SrcRow(y);
        int done = 0;
#if KVX_SIMD_X86
        if (level == SimdLevel::Avx2) done = GrayGainRow16Avx2(d, s, layout.Width(), rule, maxValue);
        else if ((level == SimdLevel::Sse2 || level == SimdLevel::Ssse3)) done = GrayGainRow16Sse2(d, s, layout.Width(), rule, maxValue);
#endif
        GrayGainRow16Scalar(d + done * dstBytesPerPixel, s + done * srcBytesPerPixel, layout.Width() - done,
                            dstBytesPerPixel, srcBytesPerPixel, rule, maxValue);
    }
    (void)level;
    return 1;
}

void AccumulateGrayBalance(const uint8_t* src, KernelRect srcRect, int srcBytesPerPixel, int srcStride, bool words,
                           const GrayGainParams& params, GrayBalanceSums& sums) {
    const KernelLayout layout =
        MakeLayout(nullptr, src, srcRect, 0, 0, srcBytesPerPixel, srcBytesPerPixel, srcStride, srcStride);
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

int GrayBalance8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                 int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    return MeasureBalance<1>(
        MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
        *static_cast<GrayGainParams*>(argument), 255);
}

int GrayBalance16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                  int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    GrayGainParams& p = *static_cast<GrayGainParams*>(argument);
    return MeasureBalance<2>(
        MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride), p,
        MaxValue16(p.bitDepth));
}

}  // namespace kvx
