#include "imaging/export_kernels.h"

#include "imaging/kernel_loops.h"

namespace kvx {
namespace {

template <int Shift>
void Narrow16(uint8_t* out, const uint8_t* in) {
    out[0] = static_cast<uint8_t>(LoadWord(in, 0) >> Shift);
}

void Narrow48Bits10(uint8_t* out, const uint8_t* in) {
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(LoadWord(in, c) >> 2);
}

void Copy24(uint8_t* out, const uint8_t* in) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
}

void Swap24(uint8_t* out, const uint8_t* in) {
    const uint8_t b = in[0], g = in[1], red = in[2];
    out[0] = red;
    out[1] = g;
    out[2] = b;
}

void Color32InvertedFourth(uint8_t* out, const uint8_t* in) {
    const uint8_t b = in[0], g = in[1], red = in[2], fourth = in[3];
    out[0] = b;
    out[1] = g;
    out[2] = red;
    out[3] = static_cast<uint8_t>(~fourth);
}

template <int Shift>
void Widen16(uint8_t* out, const uint8_t* in) {
    StoreWord(out, 0, static_cast<uint16_t>(LoadWord(in, 0) << Shift));
}

template <int Shift, bool Swap, bool FourthWord>
void Widen48(uint8_t* out, const uint8_t* in) {
    const uint16_t b = LoadWord(in, 0), g = LoadWord(in, 1), rr = LoadWord(in, 2);
    StoreWord(out, 0, static_cast<uint16_t>((Swap ? rr : b) << Shift));
    StoreWord(out, 1, static_cast<uint16_t>(g << Shift));
    StoreWord(out, 2, static_cast<uint16_t>((Swap ? b : rr) << Shift));
    if (FourthWord) StoreWord(out, 3, 0xFFFF);
}

constexpr bool kFlipped = true;

}  // namespace

constexpr PixelKernel ExportGray16To8Bits10 = kPerPixelKernel<Narrow16<2>, kFlipped>;
constexpr PixelKernel ExportGray16To8Bits12 = kPerPixelKernel<Narrow16<4>, kFlipped>;
constexpr PixelKernel ExportColor48To24Bits10 = kPerPixelKernel<Narrow48Bits10, kFlipped>;
constexpr PixelKernel ExportCopy24Flipped = kPerPixelKernel<Copy24, kFlipped>;

constexpr PixelKernel ExportSwap24 = kPerPixelKernel<Swap24>;
constexpr PixelKernel ExportColor32InvertedFourth = kPerPixelKernel<Color32InvertedFourth>;
constexpr PixelKernel ExportGray16Scaled12 = kPerPixelKernel<Widen16<4>>;
constexpr PixelKernel ExportGray16Scaled10 = kPerPixelKernel<Widen16<6>>;
constexpr PixelKernel ExportColor48Scaled12 = kPerPixelKernel<Widen48<4, false, false>>;
constexpr PixelKernel ExportColor48Scaled10 = kPerPixelKernel<Widen48<6, false, false>>;
constexpr PixelKernel ExportColor48Scaled12Swapped = kPerPixelKernel<Widen48<4, true, false>>;
constexpr PixelKernel ExportColor48Scaled10Swapped = kPerPixelKernel<Widen48<6, true, false>>;
constexpr PixelKernel ExportColor64Scaled12 = kPerPixelKernel<Widen48<4, false, true>>;
constexpr PixelKernel ExportColor64Scaled10 = kPerPixelKernel<Widen48<6, false, true>>;
constexpr PixelKernel ExportColor64Scaled12Swapped = kPerPixelKernel<Widen48<4, true, true>>;
constexpr PixelKernel ExportColor64Scaled10Swapped = kPerPixelKernel<Widen48<6, true, true>>;

}  // namespace kvx
