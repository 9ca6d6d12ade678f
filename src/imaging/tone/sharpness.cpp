#include "imaging/tone/sharpness.h"

#include <algorithm>
#include <cstdlib>

#include "imaging/tone/kernel_rows.h"
#include "imaging/tone/sharpness_rows.h"

namespace kvx {
namespace {

// (orig - blur) scaled by s / 10, truncated towards zero; this is the
// sharpening table's entry for that difference, for any difference.
inline int Boost(int difference, int strength) { return difference * strength / 10; }

template <int kBytes>
inline int Sample(const uint8_t* p) {
    return kBytes == 1 ? *p : LoadWord(p);
}

template <int kBytes>
void SharpenRow(uint8_t* d, const uint8_t* const rows[4], int width, int dstStep, int srcStep, int channels,
                int strength, int maxValue) {
    for (int x = 2; x + 2 < width; ++x) {
        for (int c = 0; c < channels; ++c) {
            const int at = x * srcStep + c * kBytes;
            int sum = 0;
            for (int r = 0; r < 4; ++r)
                for (int k = -2; k <= 1; ++k) sum += Sample<kBytes>(rows[r] + at + k * srcStep);
            const int orig = Sample<kBytes>(rows[2] + at);
            const int out = std::clamp(orig + Boost(orig - (sum >> 4), strength), 0, maxValue);
            uint8_t* q = d + x * dstStep + c * kBytes;
            if (kBytes == 1) *q = static_cast<uint8_t>(out);
            else StoreWord(q, out);
        }
    }
}

template <int channels, bool wide>
int Run(const KernelLayout& layout, void* argument, int) {
    if (argument == nullptr) return 0;
    const ToneParams& p = *static_cast<const ToneParams*>(argument);
    const KernelRect srcRect = layout.rect;
    const int dstBytesPerPixel = layout.dstBytesPerPixel, srcBytesPerPixel = layout.srcBytesPerPixel;
    if (layout.Empty() || layout.Width() < 5 || layout.Height() < 5) return 1;
    // Far beyond the control's 0..30, only to keep the products defined.
    const int strength = std::clamp(p.value, -1000, 1000);
    const int maxValue = wide ? (1 << ClampBitDepth(p.bitDepth)) - 1 : 255;
    const int unit = wide ? 2 : 1;
    const bool packedLayout = dstBytesPerPixel == srcBytesPerPixel &&
                              (channels == 1 ? srcBytesPerPixel == unit
                                             : (srcBytesPerPixel == 3 * unit || srcBytesPerPixel == 4 * unit));
    const bool vectorRow = packedLayout && std::abs(strength) <= kVectorSharpnessLimit && maxValue <= 4095;
    const SimdLevel level = vectorRow ? ActiveSimdLevel() : SimdLevel::Scalar;
    const int firstRow = srcRect.top + std::max(p.firstRow, 2);
    const int endRow = srcRect.top + std::min(p.endRow, layout.Height() - 2);
    for (int y = firstRow; y < endRow; ++y) {
        const uint8_t* rows[4] = {layout.SrcRow(y - 2), layout.SrcRow(y - 1), layout.SrcRow(y), layout.SrcRow(y + 1)};
        uint8_t* d = layout.DstRow(y);
        bool done = false;
#if KVX_SIMD_X86
        if (wide) {
            if (level == SimdLevel::Avx2)
                done = SharpenRow16Avx2(d, rows, layout.Width(), srcBytesPerPixel, strength, maxValue);
            else if ((level == SimdLevel::Sse2 || level == SimdLevel::Ssse3))
                done = SharpenRow16Sse2(d, rows, layout.Width(), srcBytesPerPixel, strength, maxValue);
        } else if (level == SimdLevel::Avx2) {
            done = SharpenRow8Avx2(d, rows, layout.Width(), srcBytesPerPixel, strength);
        } else if (level == SimdLevel::Ssse3) {
            done = SharpenRow8Ssse3(d, rows, layout.Width(), srcBytesPerPixel, strength);
        } else if (level == SimdLevel::Sse2) {
            done = SharpenRow8Sse2(d, rows, layout.Width(), srcBytesPerPixel, strength);
        }
#endif
        if (done) continue;
        if (wide) SharpenRow16Scalar(d, rows, layout.Width(), dstBytesPerPixel, srcBytesPerPixel, channels, strength, maxValue);
        else SharpenRow8Scalar(d, rows, layout.Width(), dstBytesPerPixel, srcBytesPerPixel, channels, strength);
    }
    (void)level;
    return 1;
}

}  // namespace

void SharpenRow8Scalar(uint8_t* d, const uint8_t* const rows[4], int width, int dstStep, int srcStep, int channels,
                       int strength) {
    SharpenRow<1>(d, rows, width, dstStep, srcStep, channels, strength, 255);
}

void SharpenRow16Scalar(uint8_t* d, const uint8_t* const rows[4], int width, int dstStep, int srcStep, int channels,
                        int strength, int maxValue) {
    SharpenRow<2>(d, rows, width, dstStep, srcStep, channels, strength, maxValue);
}

const ModeKernels kSharpnessKernels = ByColourMode(AdaptKernel<Run<1, false>>, AdaptKernel<Run<1, true>>,
                                                   AdaptKernel<Run<3, false>>, AdaptKernel<Run<3, true>>);

}  // namespace kvx
