// A few numbers that show at a glance whether a frame holds a picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct FrameLayout {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    // Rows are padded to a multiple of 4 bytes.
    int stride() const { return (width * (bitsPerPixel / 8) + 3) & ~3; }
    size_t bytes() const { return static_cast<size_t>(stride()) * static_cast<size_t>(height); }
};

// Minimum, maximum and mean of every channel, as one printable line.
// Samples are bytes for 8, 24 and 32 bits per pixel and 16-bit words
// otherwise; channels are B, G, R (and A) for colour.
std::string DescribeFrame(const FrameLayout& layout, const uint8_t* pixels);
