// The picture in front of the virtual camera's lens: deterministic, so that
// a test can predict every pixel, and laid out so that geometry, mirroring,
// depth and colour can each be read off a frame.
//
//   x:  0        256       512  ...                               2048
//   y=0 +---------+---------+---- eight colour patches, 256 wide ---+
//       | black   | red     | green, yellow, blue, magenta, cyan,  |
//   256 +---------+---------+---- white ---------------------------+
//       | gray ramp: R = G = B = 2x (0 .. 4094)                     |
//   512 +--32 cells of 16 px: the frame counter, MSB first---+-------+
//   528 | background texture (distinct per position)                |
//  1024 |   marker: 32 x 32 white square moving 16 px per frame     |
//  1056 |                                                            |
//  1536 +-----------------------------------------------------------+
//
// Values are 12-bit. The sensor sees the scene through a Bayer filter whose
// 2x2 cell at even picture coordinates is  B G
//                                          G R
// so that an unmirrored frame starts with the phase the camera's settings
// name by default (Bayer mode 2).
#pragma once

#include <cstdint>

namespace kvx::sim {

constexpr int kSceneWidth = 2048;
constexpr int kSceneHeight = 1536;

constexpr int kPatchRows = 256;
constexpr int kRampTop = 256, kRampBottom = 512;
constexpr int kCounterTop = 512, kCounterBottom = 528, kCounterCellWidth = 16;
constexpr int kMarkerTop = 1024, kMarkerBottom = 1056, kMarkerSize = 32;

constexpr uint16_t kPatchOn = 3200, kPatchOff = 160;
constexpr uint16_t kCounterOne = 4000, kCounterZero = 96;

struct Rgb12 {
    uint16_t r, g, b;
};

// Left edge of the marker in the frame with this counter.
int MarkerLeft(uint32_t frameCounter);

// The scene colour at a picture position; black outside the picture.
Rgb12 SceneColor(int x, int y, uint32_t frameCounter);

// The value the Bayer filter passes at a picture position.
uint16_t MosaicSample(int x, int y, uint32_t frameCounter);

// True for picture rows whose content changes from frame to frame.
inline bool RowChangesPerFrame(int y) {
    return (y >= kCounterTop && y < kCounterBottom) || (y >= kMarkerTop && y < kMarkerBottom);
}

}  // namespace kvx::sim
