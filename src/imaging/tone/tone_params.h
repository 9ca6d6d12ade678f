// The parameter record that every tone step (gamma, contrast, brightness,
// sharpness) receives through the kernel's argument pointer.
#pragma once

#include <cstdint>

namespace kvx {

struct ToneParams {
    int32_t value;     // the control value as the application set it
    int32_t bitDepth;  // significant bits of 16-bit samples (12); 8-bit kernels ignore it
    // Sharpness only: output rows [firstRow, endRow), counted from the
    // source rectangle's first row, so that a band of rows still sees the
    // whole frame as its rectangle and keeps the frame's border.
    int32_t firstRow = 0;
    int32_t endRow = INT32_MAX;
};

// Significant bits of 16-bit samples, kept to a range whose tables stay
// small enough and whose shifts stay defined.
inline int ClampBitDepth(int bitDepth) { return bitDepth < 8 ? 8 : (bitDepth > 16 ? 16 : bitDepth); }

}  // namespace kvx
