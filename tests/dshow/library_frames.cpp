#include "library_frames.h"

#include <cstring>

#include "KolvexSdk.h"
#include "sim/scene.h"

namespace kvx::test {

int Stride(int width, int bitsPerPixel) { return (width * bitsPerPixel / 8 + 3) & ~3; }

namespace {

// The parameters a comparison may change, which a camera object keeps for
// the next one when it is released; each is put back as it was stored.
// (6 and 14 to 17 only repeat others; 28 is a one-shot request.)
constexpr int kKeptParameters[] = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27};

}  // namespace

std::vector<BYTE> LibraryFrame(int device, int colorBits, bool half, bool bottomUp,
                               const std::function<void(int handle)>& configure) {
    const int handle = Kolvex_Initialize(nullptr);
    if (!handle) return {};
    std::vector<BYTE> frame;
    if (Kolvex_SetDeviceNumber(handle, device) && Kolvex_SetColorMode(handle, colorBits) &&
        Kolvex_SetSubSample(handle, half ? 1 : 0)) {
        int stored[sizeof kKeptParameters / sizeof kKeptParameters[0]];
        for (size_t i = 0; i < sizeof stored / sizeof stored[0]; ++i)
            stored[i] = Kolvex_GetFilterValue(handle, kKeptParameters[i], nullptr);
        Kolvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
        if (configure) configure(handle);
        const int width = Kolvex_Width(handle) / (half ? 2 : 1), height = Kolvex_Height(handle) / (half ? 2 : 1);
        frame.resize(static_cast<size_t>(Stride(width, colorBits)) * height);
        if (!Kolvex_SnapShot(handle, frame.data(), static_cast<int>(frame.size()), bottomUp ? 1 : 0)) frame.clear();
        for (size_t i = 0; i < sizeof stored / sizeof stored[0]; ++i)
            if (Kolvex_GetFilterValue(handle, kKeptParameters[i], nullptr) != stored[i])
                Kolvex_SetFilterValue(handle, kKeptParameters[i], stored[i]);
    }
    Kolvex_Release(handle);
    return frame;
}

bool RowMoves(int pictureRow, int height) {
    constexpr int kReach = 4;
    const int scale = sim::kSceneHeight / height;
    for (int y = (pictureRow - kReach) * scale; y < (pictureRow + kReach + 1) * scale; ++y)
        if (sim::RowChangesPerFrame(y)) return true;
    return false;
}

int FirstStillRowDiffering(const std::vector<BYTE>& a, const std::vector<BYTE>& b, int stride, int height,
                           bool bottomUp) {
    if (a.size() < static_cast<size_t>(stride) * height || b.size() < a.size()) return 0;
    for (int row = 0; row < height; ++row) {
        if (RowMoves(row, height)) continue;
        const size_t at = static_cast<size_t>(stride) * (bottomUp ? height - 1 - row : row);
        if (std::memcmp(a.data() + at, b.data() + at, static_cast<size_t>(stride)) != 0) return row;
    }
    return -1;
}

std::vector<BYTE> GrayFromDeepColor(const std::vector<BYTE>& color, int width, int height) {
    const int in = Stride(width, 48), out = Stride(width, 16);
    std::vector<BYTE> gray(static_cast<size_t>(out) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint16_t b, g, r;
            const BYTE* p = color.data() + static_cast<size_t>(in) * y + 6 * x;
            std::memcpy(&b, p, 2);
            std::memcpy(&g, p + 2, 2);
            std::memcpy(&r, p + 4, 2);
            const uint16_t word = static_cast<uint16_t>((59 * g + 30 * r + 11 * b) / 100 * 16);
            std::memcpy(gray.data() + static_cast<size_t>(out) * y + 2 * x, &word, 2);
        }
    }
    return gray;
}

}  // namespace kvx::test
