#include "imaging/white_balance.h"

#include "imaging/bayer.h"

namespace kvx {

int WhiteBalanceGain(double meanGreen, double meanRed, double meanBlue, double meanOfColor) {
    const double sum = meanGreen + meanRed + meanBlue;
    const double gain = ((sum / meanOfColor) / 3 * 100) / ((sum / meanGreen) / 3);
    // The stored gains never exceed 400; holding the value here also keeps
    // the conversion to an integer defined.
    if (!(gain < kMaxWhiteBalanceGain)) return kMaxWhiteBalanceGain;
    return gain > 0.0 ? static_cast<int>(gain) : 0;
}

namespace {

template <typename Sample>
void Accumulate(const uint8_t* src, KernelRect rect, int srcStride, int phase, int firstRow, int endRow,
                WhiteBalanceSums& sums) {
    const int width = rect.right - rect.left;
    // 64-bit sums: a full frame of 16-bit samples overflows 32 bits.
    for (int y = firstRow < 0 ? 0 : firstRow; y < endRow && y < rect.bottom - rect.top; ++y) {
        const Sample* row = reinterpret_cast<const Sample*>(src + static_cast<intptr_t>(rect.top + y) * srcStride) +
                            rect.left;
        const int rowState = RowState(phase, y);
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
        sums.sum[firstIsGreen ? 0 : other] += even;
        sums.count[firstIsGreen ? 0 : other] += evenCount;
        sums.sum[firstIsGreen ? other : 0] += odd;
        sums.count[firstIsGreen ? other : 0] += oddCount;
    }
}

template <typename Sample>
int Measure(const KernelLayout& layout, void* argument, int) {
    if (layout.src == nullptr || argument == nullptr) return 0;
    auto* result = static_cast<WhiteBalanceResult*>(argument);
    WhiteBalanceSums sums;
    Accumulate<Sample>(layout.src, layout.rect, layout.srcStride, result->phase & 3, 0, layout.Height(), sums);
    return FinishWhiteBalance(sums, *result);
}

}  // namespace

void AccumulateWhiteBalance(const uint8_t* src, KernelRect srcRect, int srcStride, bool words, int phase,
                            int firstRow, int endRow, WhiteBalanceSums& sums) {
    if (src == nullptr) return;
    if (words) Accumulate<uint16_t>(src, srcRect, srcStride, phase & 3, firstRow, endRow, sums);
    else Accumulate<uint8_t>(src, srcRect, srcStride, phase & 3, firstRow, endRow, sums);
}

int FinishWhiteBalance(const WhiteBalanceSums& sums, WhiteBalanceResult& result) {
    for (int i = 0; i < 3; ++i)
        if (sums.count[i] == 0 || sums.sum[i] == 0) return 0;
    const double green = static_cast<double>(sums.sum[0]) / static_cast<double>(sums.count[0]);
    const double blue = static_cast<double>(sums.sum[1]) / static_cast<double>(sums.count[1]);
    const double red = static_cast<double>(sums.sum[2]) / static_cast<double>(sums.count[2]);
    result.gainBlue = WhiteBalanceGain(green, red, blue, blue);
    result.gainGreen = kUnityWhiteBalanceGain;
    result.gainRed = WhiteBalanceGain(green, red, blue, red);
    return 1;
}

constexpr PixelKernel WhiteBalance8 = AdaptKernel<Measure<uint8_t>>;
constexpr PixelKernel WhiteBalance16 = AdaptKernel<Measure<uint16_t>>;

}  // namespace kvx
