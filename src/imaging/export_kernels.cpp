#include "imaging/export_kernels.h"

#include <algorithm>
#include <cstring>

#include "imaging/kernel_loops.h"

namespace kvx {
namespace {

template <int Shift>
int Narrow16(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds, int ss) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, true,
                        [](uint8_t* out, const uint8_t* in) { out[0] = static_cast<uint8_t>(LoadWord(in, 0) >> Shift); });
}

template <int Shift, bool Swap, bool FourthWord>
int Widen48(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds, int ss) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, false, [](uint8_t* out, const uint8_t* in) {
        const uint16_t b = LoadWord(in, 0), g = LoadWord(in, 1), rr = LoadWord(in, 2);
        StoreWord(out, 0, static_cast<uint16_t>((Swap ? rr : b) << Shift));
        StoreWord(out, 1, static_cast<uint16_t>(g << Shift));
        StoreWord(out, 2, static_cast<uint16_t>((Swap ? b : rr) << Shift));
        if (FourthWord) StoreWord(out, 3, 0xFFFF);
    });
}

}  // namespace

int ExportGray16To8Bits10(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds,
                          int ss, void*, int) {
    return Narrow16<2>(dst, src, r, dx, dy, dbpp, sbpp, ds, ss);
}

int ExportGray16To8Bits12(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds,
                          int ss, void*, int) {
    return Narrow16<4>(dst, src, r, dx, dy, dbpp, sbpp, ds, ss);
}

int ExportColor48To24Bits10(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp,
                            int ds, int ss, void*, int) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, true, [](uint8_t* out, const uint8_t* in) {
        for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(LoadWord(in, c) >> 2);
    });
}

int ExportCopy24Flipped(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds,
                        int ss, void*, int) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, true, [](uint8_t* out, const uint8_t* in) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    });
}

int ExportRowsFlipped(uint8_t* dst, const uint8_t* src, KernelRect r, int, int dy, int, int, int ds, int ss, void*,
                      int) {
    if (dst == nullptr || src == nullptr) return 1;
    const size_t bytes = static_cast<size_t>(std::min(ds, ss));
    for (int i = 0; i < r.bottom - r.top; ++i) {
        std::memmove(dst + static_cast<intptr_t>(dy + i) * ds, src + static_cast<intptr_t>(r.bottom - 1 - i) * ss, bytes);
    }
    return 1;
}

int ExportSwap24(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds, int ss,
                 void*, int) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, false, [](uint8_t* out, const uint8_t* in) {
        const uint8_t b = in[0], g = in[1], red = in[2];
        out[0] = red;
        out[1] = g;
        out[2] = b;
    });
}

int ExportColor32InvertedFourth(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp,
                                int ds, int ss, void*, int) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, false, [](uint8_t* out, const uint8_t* in) {
        const uint8_t b = in[0], g = in[1], red = in[2], fourth = in[3];
        out[0] = b;
        out[1] = g;
        out[2] = red;
        out[3] = static_cast<uint8_t>(~fourth);
    });
}

int ExportGray16Scaled12(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds,
                         int ss, void*, int) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, false, [](uint8_t* out, const uint8_t* in) {
        StoreWord(out, 0, static_cast<uint16_t>(LoadWord(in, 0) << 4));
    });
}

int ExportGray16Scaled10(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds,
                         int ss, void*, int) {
    return ForEachPixel(dst, src, r, dx, dy, dbpp, sbpp, ds, ss, false, [](uint8_t* out, const uint8_t* in) {
        StoreWord(out, 0, static_cast<uint16_t>(LoadWord(in, 0) << 6));
    });
}

#define KVX_WIDEN(name, shift, swap, fourth)                                                                    \
    int name(uint8_t* dst, const uint8_t* src, KernelRect r, int dx, int dy, int dbpp, int sbpp, int ds, int ss, \
             void*, int) {                                                                                      \
        return Widen48<shift, swap, fourth>(dst, src, r, dx, dy, dbpp, sbpp, ds, ss);                           \
    }
KVX_WIDEN(ExportColor48Scaled12, 4, false, false)
KVX_WIDEN(ExportColor48Scaled10, 6, false, false)
KVX_WIDEN(ExportColor48Scaled12Swapped, 4, true, false)
KVX_WIDEN(ExportColor48Scaled10Swapped, 6, true, false)
KVX_WIDEN(ExportColor64Scaled12, 4, false, true)
KVX_WIDEN(ExportColor64Scaled10, 6, false, true)
KVX_WIDEN(ExportColor64Scaled12Swapped, 4, true, true)
KVX_WIDEN(ExportColor64Scaled10Swapped, 6, true, true)
#undef KVX_WIDEN

}  // namespace kvx
