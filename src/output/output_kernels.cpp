#include "output/output_kernels.h"

#include "imaging/kernel_loops.h"
#include "platform/dib_surface.h"

namespace kvx {

int ReduceColorWordsToBgr24Flipped(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp,
                                   int ds, int ss, void*, int shift) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, true, [shift](uint8_t* out, const uint8_t* in) {
        for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(LoadWord(in, c) >> shift);
    });
}

int ExpandPaletteToBgr24(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds,
                         int ss, void* palette, int flip) {
    const auto* colors = static_cast<const platform::DibColor*>(palette);
    if (colors == nullptr) return 1;
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, flip != 0, [colors](uint8_t* out, const uint8_t* in) {
        const platform::DibColor& c = colors[in[0]];
        out[0] = c.blue;
        out[1] = c.green;
        out[2] = c.red;
    });
}

int SwapColor32FourthZero(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds,
                          int ss, void*, int) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, false, [](uint8_t* out, const uint8_t* in) {
        const uint8_t b = in[0], g = in[1], red = in[2];
        out[0] = red;
        out[1] = g;
        out[2] = b;
        out[3] = 0;
    });
}

}  // namespace kvx
