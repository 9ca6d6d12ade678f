// Automatic exposure: five regions of the raw frame are measured, their
// means decide a correction factor, and the factor scales either the gain
// or the exposure time. The device calls belong to the caller; everything
// here is pure.
//
//   +------------------------------+   regions in drawing coordinates
//   |  [0]                  [3]    |   (rows counted from the picture's top,
//   |                              |    which is the last row in memory):
//   |             [2]              |   0: (0.1, 0.1)-(0.2, 0.2)
//   |                              |   1: (0.1, 0.8)-(0.2, 0.9)
//   |  [1]                  [4]    |   2: (0.45, 0.45)-(0.55, 0.55)
//   +------------------------------+   3: (0.8, 0.1)-(0.9, 0.2)
//                                      4: (0.8, 0.8)-(0.9, 0.9)
#pragma once

#include <array>
#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// A rectangle as RunKernel takes it: rows count from the bitmap's last row
// in memory; right and bottom are exclusive.
struct DrawingRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

constexpr int kAutoExposureRegionCount = 5;

// Automatic exposure modes (Kolvex_SetAutoIris).
enum AutoExposureMode { kAutoExposureOff = 0, kAutoExposureByTime = 1, kAutoExposureByGain = 2 };

// The mode a stored control value selects; a value of no mode is off.
inline AutoExposureMode AutoExposureModeOf(int value) {
    return value == kAutoExposureByTime || value == kAutoExposureByGain ? static_cast<AutoExposureMode>(value)
                                                                        : kAutoExposureOff;
}

std::array<DrawingRect, kAutoExposureRegionCount> AutoExposureRegions(int width, int height);

// The same rectangle in memory rows, for callers that run a kernel directly.
KernelRect ToMemoryRows(const DrawingRect& rect, int height);

// Measuring kernels: the mean of srcRect on an 8-bit scale (returned; dst is
// not touched). RegionMean16 scales samples of `extra` significant bits
// (0 means 12) down to 8 bits.
extern const PixelKernel RegionMean8;
extern const PixelKernel RegionMean16;

// The correction factor from the five means, accumulated in region order.
double AutoExposureFactor(const std::array<int, kAutoExposureRegionCount>& means);

// False inside the dead band 0.6 < k < 1.2, where nothing changes.
bool AutoExposureNeedsChange(double factor);

// New sensor gain from the current gain, the factor and the device's maximum.
int AutoExposureGain(int currentGain, double factor, int maxGain);

// New exposure in lines from the current lines, the factor and the device's maximum.
int AutoExposureLines(int currentLines, double factor, int maxLines);

}  // namespace kvx
