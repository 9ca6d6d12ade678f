#include "frame_stats.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::string DescribeFrame(const FrameLayout& layout, const uint8_t* pixels) {
    const bool words = layout.bitsPerPixel == 16 || layout.bitsPerPixel == 48 || layout.bitsPerPixel == 64;
    const int sampleBytes = words ? 2 : 1;
    const int channels = layout.bitsPerPixel / 8 / sampleBytes;
    static const char* const kColorNames[] = {"B", "G", "R", "A"};
    std::string out;
    for (int c = 0; c < channels; ++c) {
        unsigned low = 0xFFFF, high = 0;
        double sum = 0;
        for (int row = 0; row < layout.height; ++row) {
            const uint8_t* p = pixels + static_cast<size_t>(row) * static_cast<size_t>(layout.stride());
            for (int x = 0; x < layout.width; ++x) {
                const uint8_t* s = p + (static_cast<size_t>(x) * channels + c) * sampleBytes;
                unsigned v = s[0];
                if (words) v |= unsigned{s[1]} << 8;
                low = std::min(low, v);
                high = std::max(high, v);
                sum += v;
            }
        }
        const double count = static_cast<double>(layout.width) * layout.height;
        char line[96];
        std::snprintf(line, sizeof line, "%s%s min %u max %u mean %.1f", out.empty() ? "" : "; ",
                      channels == 1 ? "gray" : kColorNames[c], low, high, count > 0 ? sum / count : 0.0);
        out += line;
    }
    return out;
}

bool RateMeter::Frame(double seconds) {
    if (framesInWindow_ < 0) {
        windowStart_ = seconds;
        framesInWindow_ = 0;
        return false;
    }
    ++framesInWindow_;
    const double span = seconds - windowStart_;
    // A partial window stands in only until the first one closes.
    if (span > 0 && (!measured_ || span >= 1.0)) rate_ = framesInWindow_ / span;
    if (span < 1.0) return false;
    measured_ = true;
    windowStart_ = seconds;
    framesInWindow_ = 0;
    return true;
}
