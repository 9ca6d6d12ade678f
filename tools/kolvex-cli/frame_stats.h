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

// Frames per second measured from arrival times, over windows of about a
// second. The first window starts at the first frame, so the first figure
// is already a measurement rather than a zero.
class RateMeter {
public:
    // Counts a frame that arrived at `seconds`; true when a window closed
    // and rate() has a new figure.
    bool Frame(double seconds);
    // The last window's rate; before any window closed, the rate since the
    // first frame (0 with fewer than two frames).
    double rate() const { return rate_; }

private:
    double windowStart_ = 0;
    int framesInWindow_ = -1;  // frame intervals, not frames: -1 before the first
    double rate_ = 0;
    bool measured_ = false;  // a whole window has closed
};
