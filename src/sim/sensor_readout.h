// How the sensor reads itself out under its current register settings:
// which picture position lands at each line and column of the stream.
//
// Window registers count from the far edge of the array, and the sensor's
// natural readout runs the other way from the picture, which is why the
// mirror bits are set when the picture is *not* mirrored:
//
//   picture x = 2056 - H - W + c     (0x020E bit 1 set, columns reversed)
//   picture x = 2056 - H - 1 - c     (bit 1 clear: mirrored picture)
//
// With 2x2 subsampling the whole array (2064 x 1552 with its 8-pixel dark
// margins) comes out as 1032 x 776; pairs of columns and rows are kept so the
// Bayer pattern survives: stream column k maps to picture column
// 4 * (k / 2) + k % 2 after the 4 margin columns.
#pragma once

#include <cstdint>
#include <vector>

namespace kvx::sim {

struct Readout {
    int lineWidth = 0;
    int lines = 0;
    std::vector<int> columnX;  // picture x per stream column; negative = dark margin
    std::vector<int> rowY;     // picture y per stream line
};

// `sensor` is the 64 K sensor register file.
Readout ComputeReadout(const uint8_t* sensor);

}  // namespace kvx::sim
