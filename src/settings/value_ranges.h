// What the setters accept for each stored setting. A value read back from
// the settings store passes the same test as one given to its setter, so
// that nothing the application could not have set reaches the sensor or
// the image kernels.
#pragma once

#include <cstdint>

namespace kvx::settings {

// Inclusive bounds.
struct ValueRange {
    int32_t min;
    int32_t max;

    // Without overflow for any pair of 32-bit bounds. With min 0 it is an
    // unsigned test: every negative value fails.
    constexpr bool Contains(int32_t value) const {
        return static_cast<uint32_t>(value) - static_cast<uint32_t>(min) <=
               static_cast<uint32_t>(max) - static_cast<uint32_t>(min);
    }
};

inline constexpr ValueRange kAnyValue = {INT32_MIN, INT32_MAX};

// The image filter.
inline constexpr ValueRange kBrightnessRange = {-255, 255};
inline constexpr ValueRange kContrastRange = {-127, 127};
inline constexpr ValueRange kHueRange = {-360, 360};
inline constexpr ValueRange kSaturationRange = {-255, 255};
inline constexpr ValueRange kSharpnessRange = {0, 30};
inline constexpr ValueRange kBayerGainRange = {0, 400};
inline constexpr ValueRange kGammaRange = {0, 200};
inline constexpr ValueRange kBayerModeRange = {0, 3};

// The gray filter.
inline constexpr ValueRange kGrayModeRange = {0, 2};
inline constexpr ValueRange kGrayGainRange = {0, 255};
inline constexpr ValueRange kGrayOffsetRange = {-255, 255};
inline constexpr ValueRange kGrayBalanceRange = {0, 1};

// The sensor. The colour gains follow the global gain, so they hold what
// it holds.
inline constexpr int32_t kMaxGlobalGain = 480;
inline constexpr int32_t kMaxExposureLines = 32767;
inline constexpr ValueRange kGlobalGainRange = {0, kMaxGlobalGain};
inline constexpr ValueRange kExposureLinesRange = {1, kMaxExposureLines};
inline constexpr ValueRange kAutoIrisRange = {0, 2};

// The stream format: colour mode index, subsample code and clock position.
inline constexpr ValueRange kColorModeRange = {0, 5};
inline constexpr ValueRange kSubSampleRange = {0, 1};
inline constexpr ValueRange kClockRange = {0, 2};
// The setter takes any pause of 0 ms or more, so a stored one may be as
// long: a stop ends the pause at once, whatever its length.
inline constexpr ValueRange kStoredWaitTimeRange = {0, INT32_MAX};

}  // namespace kvx::settings
