// Tables of the hue and saturation transform. All are immutable once
// built: the fixed ones on first use, one saturation table per saturation
// value on first use of that value, kept for the life of the process. A
// conversion that reads a table therefore never sees it change, whatever
// another camera converts with at the same time.
#pragma once

#include <cstdint>

namespace kvx {

// R[k] = 0xFF0000 / k (R[0] = 0): the reciprocal of the chroma, so that
// the position within a sector needs no division per pixel.
const int32_t* ReciprocalTable();

// Tri[k] = min(k, 511 - k) for k = 0..511: the largest chroma that the
// lightness k / 2 allows.
const int16_t* ChromaLimitTable();

// S[k] = (k * ((saturation + 256) << 8) + 0x8000) >> 16 for k = 0..255:
// chroma scaled by (saturation + 256) / 256 and rounded. Saturation is
// taken within -255..255.
const uint16_t* SaturationTable(int saturation);

// (saturation + 256) << 8 for a saturation taken within -255..255: the
// multiplier of the saturation table.
int SaturationScale(int saturation);
int ClampSaturation(int saturation);

// The rotation of the 1530-step hue circle (6 sectors of 255 steps) for a
// hue in degrees.
struct HueRotation {
    int sector;  // 0..5
    int step;    // 0..254
};
HueRotation HueRotationFor(int hueDegrees);

// Sector table: channels that take the full chroma, and the multiplier
// that adds the ramp to one channel (packed 0x00RRGGBB).
inline constexpr int32_t kSectorMask[6] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
inline constexpr int32_t kSectorRamp[6] = {-1, 256, -65536, 1, -256, 65536};

}  // namespace kvx
