#include "gray16.h"

#include <cstdint>
#include <cstring>

namespace kvx::dshow {

void LuminanceRows(const BYTE* color, int colorStride, int width, int height, BYTE* gray, int grayStride) {
    for (int y = 0; y < height; ++y) {
        const BYTE* in = color + static_cast<size_t>(colorStride) * y;
        BYTE* out = gray + static_cast<size_t>(grayStride) * y;
        for (int x = 0; x < width; ++x) {
            uint16_t bgr[3];
            std::memcpy(bgr, in + 6 * x, sizeof bgr);
            const uint32_t level = (59u * bgr[1] + 30u * bgr[2] + 11u * bgr[0]) / 100u;
            const uint16_t word = static_cast<uint16_t>(level << 4);
            std::memcpy(out + 2 * x, &word, sizeof word);
        }
    }
}

}  // namespace kvx::dshow
