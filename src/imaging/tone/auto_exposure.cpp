#include "imaging/tone/auto_exposure.h"

#include <algorithm>
#include <cmath>

#include "imaging/tone/kernel_rows.h"
#include "imaging/tone/tone_params.h"

namespace kvx {
namespace {

int Fraction(double fraction, int size) { return static_cast<int>(fraction * size); }

template <typename ScaleSample>
int Mean(const KernelLayout& layout, ScaleSample scale) {
    if (layout.Empty()) return 0;
    long long sum = 0;
    const int width = layout.Width();
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        for (int x = 0; x < width; ++x) sum += scale(s + x * layout.srcBytesPerPixel);
    }
    return static_cast<int>(sum / (static_cast<long long>(width) * layout.Height()));
}

// Clips a real result to [low, high] before it becomes an integer, so that
// no factor or limit can make the conversion undefined.
int TruncClamped(double value, int low, int high) {
    if (!(value > low)) return low;
    if (value >= high) return high;
    return static_cast<int>(value);
}

}  // namespace

std::array<DrawingRect, kAutoExposureRegionCount> AutoExposureRegions(int width, int height) {
    auto region = [&](double l, double t, double r, double b) {
        return DrawingRect{Fraction(l, width), Fraction(t, height), Fraction(r, width), Fraction(b, height)};
    };
    return {region(0.1, 0.1, 0.2, 0.2), region(0.1, 0.8, 0.2, 0.9), region(0.45, 0.45, 0.55, 0.55),
            region(0.8, 0.1, 0.9, 0.2), region(0.8, 0.8, 0.9, 0.9)};
}

KernelRect ToMemoryRows(const DrawingRect& rect, int height) {
    return KernelRect{rect.left, height - rect.bottom, rect.right, height - rect.top};
}

namespace {

int Mean8(const KernelLayout& layout, void*, int) {
    return Mean(layout, [](const uint8_t* p) { return static_cast<int>(*p); });
}

int Mean16(const KernelLayout& layout, void*, int extra) {
    // Samples carry `extra` significant bits (12 from this camera): scale
    // them down to 8, saturating anything beyond the depth, so that a bright
    // frame never reads as a dark one.
    const int shift = ClampBitDepth(extra > 0 ? extra : 12) - 8;
    return Mean(layout, [shift](const uint8_t* p) { return std::min(LoadWord(p) >> shift, 255); });
}

}  // namespace

constexpr PixelKernel RegionMean8 = AdaptKernel<Mean8>;
constexpr PixelKernel RegionMean16 = AdaptKernel<Mean16>;

double AutoExposureFactor(const std::array<int, kAutoExposureRegionCount>& means) {
    double k = 1.0;
    for (int m : means) {
        if (m > 200) k -= 0.15;
        else if (m > 160) k -= 0.1;
        else if (m < 50) k += 0.1;
        else if (m < 100) k += 0.05;
    }
    return k;
}

bool AutoExposureNeedsChange(double factor) { return !(factor > 0.6 && factor < 1.2); }

int AutoExposureGain(int currentGain, double factor, int maxGain) {
    const int base = std::max(currentGain, 4);
    int gain = TruncClamped(base * factor, 0, 1 << 30);
    if (factor > 1.0 && gain <= 4) gain = 4;
    gain = std::max(gain, 0);
    return std::min(gain, maxGain);
}

int AutoExposureLines(int currentLines, double factor, int maxLines) {
    // The exposure register holds 16 bits: a longer exposure saturates
    // there instead of wrapping round to a short one.
    int lines = TruncClamped(currentLines * factor, 0, 65535);
    if (lines == 0) lines = 1;
    lines = std::max(lines, 1);
    return std::min(lines, maxLines);
}

}  // namespace kvx
