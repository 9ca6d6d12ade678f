#include "imaging/display_reduction.h"

#include "imaging/kernel_loops.h"

namespace kvx {
namespace {

void Gray16To8(uint8_t* out, const uint8_t* in) { out[0] = static_cast<uint8_t>(LoadWord(in, 0) >> 4); }

void Color32To24(uint8_t* out, const uint8_t* in) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
}

void Color48To24(uint8_t* out, const uint8_t* in) {
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(LoadWord(in, c) >> 4);
}

void Luminance(uint8_t* out, const uint8_t* in) {
    out[0] = static_cast<uint8_t>((59u * in[1] + 30u * in[2] + 11u * in[0]) / 100u);
}

}  // namespace

constexpr PixelKernel ReduceGray16To8 = kPerPixelKernel<Gray16To8>;
constexpr PixelKernel ReduceColor32To24 = kPerPixelKernel<Color32To24>;
constexpr PixelKernel ReduceColor48To24 = kPerPixelKernel<Color48To24>;
constexpr PixelKernel Luminance24To8 = kPerPixelKernel<Luminance>;

}  // namespace kvx
