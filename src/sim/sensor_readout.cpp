#include "sim/sensor_readout.h"

#include <cstddef>

#include "sim/register_map.h"

namespace kvx::sim {

namespace {

constexpr int kArrayWidth = 2064, kArrayHeight = 1552, kMargin = 8;

int Reg16(const uint8_t* sensor, int low, int highMask) {
    return sensor[low] | ((sensor[low + 1] & highMask) << 8);
}

// Picture coordinate of the k-th kept column or row in subsampled readout.
int Subsampled(int k) {
    int active = k - kMargin / 2;
    if (active < 0) return -1;
    return 4 * (active / 2) + active % 2;
}

}  // namespace

Readout ComputeReadout(const uint8_t* sensor) {
    Readout out;
    const bool subsampled = (sensor[reg::sensor::kReadoutMode] & 0x11) != 0;
    const bool windowed = sensor[reg::sensor::kWindowEnable] == 0x03;
    const bool mirrorH = (sensor[reg::sensor::kMirror] & 0x02) == 0;
    const bool mirrorV = (sensor[reg::sensor::kMirror] & 0x01) == 0;

    if (subsampled) {
        out.lineWidth = kArrayWidth / 2;
        out.lines = kArrayHeight / 2;
    } else if (windowed) {
        out.lineWidth = Reg16(sensor, reg::sensor::kWindowWidth, 0x1F);
        out.lines = Reg16(sensor, reg::sensor::kWindowHeight, 0x0F);
    } else {
        out.lineWidth = kArrayWidth;
        out.lines = kArrayHeight;
    }
    out.columnX.resize(static_cast<size_t>(out.lineWidth));
    out.rowY.resize(static_cast<size_t>(out.lines));

    const int left = windowed ? 2056 - Reg16(sensor, reg::sensor::kWindowX, 0x1F) - out.lineWidth : -kMargin;
    const int top = windowed ? 1544 - Reg16(sensor, reg::sensor::kWindowY, 0x0F) - out.lines : -kMargin;
    for (int c = 0; c < out.lineWidth; ++c) {
        int k = mirrorH ? out.lineWidth - 1 - c : c;
        out.columnX[static_cast<size_t>(c)] = subsampled ? Subsampled(k) : left + k;
    }
    for (int r = 0; r < out.lines; ++r) {
        int k = mirrorV ? out.lines - 1 - r : r;
        out.rowY[static_cast<size_t>(r)] = subsampled ? Subsampled(k) : top + k;
    }
    return out;
}

}  // namespace kvx::sim
