#include "sim/scene.h"

namespace kvx::sim {

int MarkerLeft(uint32_t frameCounter) {
    return static_cast<int>((static_cast<uint64_t>(frameCounter) * 16u) % (kSceneWidth - kMarkerSize));
}

Rgb12 SceneColor(int x, int y, uint32_t frameCounter) {
    if (x < 0 || x >= kSceneWidth || y < 0 || y >= kSceneHeight) return {0, 0, 0};
    if (y >= kMarkerTop && y < kMarkerBottom) {
        int left = MarkerLeft(frameCounter);
        if (x >= left && x < left + kMarkerSize) return {4095, 4095, 4095};
    }
    if (y < kPatchRows) {
        int patch = x / 256;
        return {(patch & 1) ? kPatchOn : kPatchOff, (patch & 2) ? kPatchOn : kPatchOff,
                (patch & 4) ? kPatchOn : kPatchOff};
    }
    if (y < kRampBottom) {
        auto v = static_cast<uint16_t>(x * 2);
        return {v, v, v};
    }
    if (y < kCounterBottom && x < 32 * kCounterCellWidth) {
        int bit = 31 - x / kCounterCellWidth;
        uint16_t v = ((frameCounter >> bit) & 1u) ? kCounterOne : kCounterZero;
        return {v, v, v};
    }
    return {static_cast<uint16_t>((x + 2 * y) & 4095), static_cast<uint16_t>((2 * x + y) & 4095),
            static_cast<uint16_t>((3 * x + 3 * y) & 4095)};
}

uint16_t MosaicSample(int x, int y, uint32_t frameCounter) {
    Rgb12 c = SceneColor(x, y, frameCounter);
    bool oddRow = (y & 1) != 0, oddColumn = (x & 1) != 0;
    if (oddRow != oddColumn) return c.g;
    return oddRow ? c.r : c.b;
}

}  // namespace kvx::sim
