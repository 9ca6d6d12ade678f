#include "imaging/color/hue_saturation.h"

#include <algorithm>

#include "imaging/color/hue_rows.h"
#include "imaging/tone/kernel_rows.h"
#include "imaging/tone/tone_params.h"

namespace kvx {
namespace {

HueTransform MakeTransform(const HueSaturationParams& p) {
    // Lightness is always 0, for which the lightness table is the identity.
    return HueTransform{SaturationTable(p.saturation), ChromaLimitTable(),          ReciprocalTable(),
                        HueRotationFor(p.hue),         ClampSaturation(p.saturation), ClampBitDepth(p.bitDepth) - 8};
}

void Row8(uint8_t* d, const uint8_t* s, int width, int dstStep, int srcStep, const HueTransform& transform) {
    // A local copy: byte stores may alias anything, and would otherwise
    // make the compiler reload the table pointers for every pixel.
    const HueTransform t = transform;
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = s + x * srcStep;
        const uint32_t v = TransformPixel(p[0], p[1], p[2], t);
        uint8_t* q = d + x * dstStep;
        q[0] = static_cast<uint8_t>(v);
        q[1] = static_cast<uint8_t>(v >> 8);
        q[2] = static_cast<uint8_t>(v >> 16);
        if (dstStep == 4) q[3] = 0;
    }
}

// Deep pixels go down to 8 bits for the transform and back; a word beyond
// the depth is taken as the brightest 8-bit value rather than indexing
// past the tables.
void Row16(uint8_t* d, const uint8_t* s, int width, int dstStep, int srcStep, int shift,
           const HueTransform& transform) {
    const HueTransform t = transform;
    auto down = [shift](int v) { return std::min(v >> shift, 255); };
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = s + x * srcStep;
        const uint32_t v = TransformPixel(down(LoadWord(p)), down(LoadWord(p + 2)), down(LoadWord(p + 4)), t);
        uint8_t* q = d + x * dstStep;
        StoreWord(q, static_cast<int>(v & 0xFF) << shift);
        StoreWord(q + 2, static_cast<int>((v >> 8) & 0xFF) << shift);
        StoreWord(q + 4, static_cast<int>((v >> 16) & 0xFF) << shift);
        if (dstStep == 8) StoreWord(q + 6, 0);
    }
}

using HueRow = int (*)(uint8_t* d, const uint8_t* s, int width, int bytesPerPixel, const HueTransform& t);

// The vector row of a level, or null: it does what it can of a row and
// says how many pixels; the scalar row does the rest.
HueRow VectorRow(SimdLevel level, bool wide) {
#if KVX_SIMD_X86
    switch (level) {
        case SimdLevel::Avx2: return wide ? HueRow16Avx2 : HueRow8Avx2;
        case SimdLevel::Ssse3: return wide ? HueRow16Ssse3 : HueRow8Ssse3;
        case SimdLevel::Sse2: return wide ? HueRow16Sse2 : HueRow8Sse2;
        case SimdLevel::Scalar: break;
    }
#endif
    (void)level, (void)wide;
    return nullptr;
}

template <bool Wide>
int Run(const KernelLayout& layout, void* argument, int) {
    if (argument == nullptr) return 0;
    const HueSaturationParams& p = *static_cast<const HueSaturationParams*>(argument);
    if (layout.Empty()) return 1;
    const int dstBytesPerPixel = layout.dstBytesPerPixel, srcBytesPerPixel = layout.srcBytesPerPixel;
    const HueTransform transform = MakeTransform(p);
    const HueRow vector = dstBytesPerPixel == srcBytesPerPixel ? VectorRow(ActiveSimdLevel(), Wide) : nullptr;
    const int width = layout.Width();
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        uint8_t* d = layout.DstRow(y);
        const int done = vector != nullptr ? vector(d, s, width, srcBytesPerPixel, transform) : 0;
        if (Wide) {
            Row16(d + done * dstBytesPerPixel, s + done * srcBytesPerPixel, width - done, dstBytesPerPixel,
                  srcBytesPerPixel, transform.shift, transform);
        } else {
            Row8(d + done * dstBytesPerPixel, s + done * srcBytesPerPixel, width - done, dstBytesPerPixel,
                 srcBytesPerPixel, transform);
        }
    }
    return 1;
}

}  // namespace

// The monochrome modes have no hue.
const ModeKernels kHueSaturationKernels =
    ByColourMode(nullptr, nullptr, AdaptKernel<Run<false>>, AdaptKernel<Run<true>>);

}  // namespace kvx
