#include "output/output_kernels.h"

#include "imaging/kernel_loops.h"
#include "platform/dib_surface.h"

namespace kvx {
namespace {

int WordsToBgr24Flipped(const KernelLayout& layout, void*, int shift) {
    return ForEachPixel(layout, true, [shift](uint8_t* out, const uint8_t* in) {
        for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(LoadWord(in, c) >> shift);
    });
}

int PaletteToBgr24(const KernelLayout& layout, void* palette, int flip) {
    const auto* colors = static_cast<const platform::DibColor*>(palette);
    if (colors == nullptr) return 1;
    return ForEachPixel(layout, flip != 0, [colors](uint8_t* out, const uint8_t* in) {
        const platform::DibColor& c = colors[in[0]];
        out[0] = c.blue;
        out[1] = c.green;
        out[2] = c.red;
    });
}

void Swap32FourthZero(uint8_t* out, const uint8_t* in) {
    const uint8_t b = in[0], g = in[1], red = in[2];
    out[0] = red;
    out[1] = g;
    out[2] = b;
    out[3] = 0;
}

}  // namespace

constexpr PixelKernel ReduceColorWordsToBgr24Flipped = AdaptKernel<WordsToBgr24Flipped>;
constexpr PixelKernel ExpandPaletteToBgr24 = AdaptKernel<PaletteToBgr24>;
constexpr PixelKernel SwapColor32FourthZero = kPerPixelKernel<Swap32FourthZero>;

}  // namespace kvx
