// The parameter record that every tone step (gamma, contrast, brightness,
// sharpness) receives through the kernel's argument pointer.
#pragma once

#include <cstdint>

namespace kvx {

struct ToneParams {
    int32_t value;     // the control value as the application set it
    int32_t bitDepth;  // significant bits of 16-bit samples (12); 8-bit kernels ignore it
};

// Significant bits of 16-bit samples, kept to a range whose tables stay
// small enough and whose shifts stay defined.
inline int ClampBitDepth(int bitDepth) { return bitDepth < 8 ? 8 : (bitDepth > 16 ? 16 : bitDepth); }

}  // namespace kvx
