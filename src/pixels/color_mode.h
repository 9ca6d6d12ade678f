// The colour modes of a camera's output, numbered as the format settings
// store them and as Kolvex_SetColorMode chooses them by bits per pixel. The
// 16-bit modes take 16-bit samples from the sensor; the others take 8-bit
// samples.
#pragma once

#include <cstdint>

namespace kvx {

enum ColorMode : int32_t {
    kColorMode8 = 0,   // 8-bit gray
    kColorMode16 = 1,  // 16-bit gray
    kColorMode24 = 2,  // 24-bit colour
    kColorMode32 = 3,  // 32-bit colour
    kColorMode48 = 4,  // 48-bit colour
    kColorMode64 = 5,  // 64-bit colour
};

constexpr int kColorModeCount = 6;

// Significant bits of the sensor's 16-bit samples: the low bits of each word.
constexpr int kDeepSampleBits = 12;

constexpr bool IsColorMode(int mode) { return mode >= kColorMode8 && mode <= kColorMode64; }

// Whether the sensor delivers 16-bit samples for the mode.
constexpr bool IsSixteenBitMode(int mode) {
    return mode == kColorMode16 || mode == kColorMode48 || mode == kColorMode64;
}

// Bits per pixel of the mode's output bitmap; 0 for no mode.
constexpr int ColorModeBitsPerPixel(int mode) {
    constexpr int kBits[kColorModeCount] = {8, 16, 24, 32, 48, 64};
    return IsColorMode(mode) ? kBits[mode] : 0;
}

}  // namespace kvx
