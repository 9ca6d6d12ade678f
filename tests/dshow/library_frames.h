// What the library itself delivers, for the filter's frames to be compared
// with: a snapshot through the public interface with the same settings, and
// the rows of the virtual camera's picture that may differ between two
// frames taken at different moments.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace kvx::test {

// One frame from a camera object of its own on `device`: colour mode
// `colorBits`, subsampled when `half`, rows bottom first when `bottomUp`,
// after `configure` set what else the comparison needs. The camera's stored
// parameters are left as they were.
std::vector<BYTE> LibraryFrame(int device, int colorBits, bool half, bool bottomUp,
                               const std::function<void(int handle)>& configure = nullptr);

// Rows of a frame `height` rows high (top first) that show the scene's frame
// counter or its moving marker, widened by the reach of the conversion's
// neighbourhoods (demosaic, sharpening).
bool RowMoves(int pictureRow, int height);

// The first picture row, outside the moving ones, where two frames of the
// same layout differ; -1 when none does.
int FirstStillRowDiffering(const std::vector<BYTE>& a, const std::vector<BYTE>& b, int stride, int height,
                           bool bottomUp);

// 16-bit gray from a 48-bit colour frame by the library's 8-bit gray weights,
// 12 significant bits at the top of each word.
std::vector<BYTE> GrayFromDeepColor(const std::vector<BYTE>& color, int width, int height);

int Stride(int width, int bitsPerPixel);

}  // namespace kvx::test
