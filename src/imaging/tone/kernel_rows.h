// Small helpers of the tone kernels' row loops.
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// Clips a real value to 0..maxValue and truncates it towards zero; NaN gives 0.
inline int TruncToRange(double value, int maxValue) {
    if (!(value > 0.0)) return 0;
    if (value >= static_cast<double>(maxValue)) return maxValue;
    return static_cast<int>(value);
}

inline uint16_t LoadWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void StoreWord(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace kvx
