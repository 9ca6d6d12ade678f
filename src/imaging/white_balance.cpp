#include "imaging/white_balance.h"

#include "imaging/bayer.h"

namespace kvx {

int WhiteBalanceGain(double meanGreen, double meanRed, double meanBlue, double meanOfColor) {
    const double sum = meanGreen + meanRed + meanBlue;
    const double gain = ((sum / meanOfColor) / 3 * 100) / ((sum / meanGreen) / 3);
    // The stored gains never exceed 400; holding the value here also keeps
    // the conversion to an integer defined.
    if (!(gain < 400.0)) return 400;
    return gain > 0.0 ? static_cast<int>(gain) : 0;
}

namespace {

template <typename Sample>
int Measure(const uint8_t* src, KernelRect rect, int srcStride, void* argument) {
    if (src == nullptr || argument == nullptr) return 0;
    auto* result = static_cast<WhiteBalanceResult*>(argument);
    const int phase = result->phase & 3;
    // 64-bit sums: a full frame of 16-bit samples overflows 32 bits.
    uint64_t sums[3] = {0, 0, 0};  // green, blue, red
    uint64_t counts[3] = {0, 0, 0};
    for (int y = 0; y < rect.bottom - rect.top; ++y) {
        const Sample* row = reinterpret_cast<const Sample*>(src + static_cast<intptr_t>(rect.top + y) * srcStride) +
                            rect.left;
        const int rowState = RowState(phase, y);
        const int width = rect.right - rect.left;
        // Along a row only two colours alternate: green and one other.
        const int other = rowState == 0 ? 1 : 2;
        const int firstIsGreen = ColumnState(phase, 0) == rowState;
        uint64_t even = 0, odd = 0;
        int x = 0;
        for (; x + 1 < width; x += 2) {
            even += row[x];
            odd += row[x + 1];
        }
        const uint64_t evenCount = static_cast<uint64_t>((width + 1) / 2), oddCount = static_cast<uint64_t>(width / 2);
        if (x < width) even += row[x];
        sums[firstIsGreen ? 0 : other] += even;
        counts[firstIsGreen ? 0 : other] += evenCount;
        sums[firstIsGreen ? other : 0] += odd;
        counts[firstIsGreen ? other : 0] += oddCount;
    }
    if (counts[0] == 0 || counts[1] == 0 || counts[2] == 0 || sums[0] == 0 || sums[1] == 0 || sums[2] == 0) return 0;
    const double green = static_cast<double>(sums[0]) / static_cast<double>(counts[0]);
    const double blue = static_cast<double>(sums[1]) / static_cast<double>(counts[1]);
    const double red = static_cast<double>(sums[2]) / static_cast<double>(counts[2]);
    result->gainBlue = WhiteBalanceGain(green, red, blue, blue);
    result->gainGreen = 100;
    result->gainRed = WhiteBalanceGain(green, red, blue, red);
    return 1;
}

}  // namespace

int WhiteBalance8(uint8_t*, const uint8_t* src, KernelRect srcRect, int, int, int, int, int, int srcStride,
                  void* argument, int) {
    return Measure<uint8_t>(src, srcRect, srcStride, argument);
}

int WhiteBalance16(uint8_t*, const uint8_t* src, KernelRect srcRect, int, int, int, int, int, int srcStride,
                   void* argument, int) {
    return Measure<uint16_t>(src, srcRect, srcStride, argument);
}

}  // namespace kvx
