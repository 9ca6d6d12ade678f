// Automatic white balance: the mean of each colour's sites over the raw
// mosaic decides the red and blue gains that bring both to green's level
// (a gray card gives 100 and 100).
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

// Gains in percent. The phase is read; the gains are written only when every
// colour has a non-zero mean, so a black or single-colour frame leaves the
// gains the caller put in.
struct WhiteBalanceResult {
    int32_t gainBlue;
    int32_t gainGreen;
    int32_t gainRed;
    int32_t phase;
};

// `argument` is a WhiteBalanceResult. Returns 1 when the gains were written,
// 0 when the frame gave no measurement. Nothing is written to `dst`.
extern const PixelKernel WhiteBalance8;
extern const PixelKernel WhiteBalance16;

// The measurement split by rows, so that row bands can measure in parallel:
// sums of rows [firstRow, endRow) of srcRect (counted from its first row)
// are added to `sums`; integer sums added band by band in any order give
// the whole frame's sums exactly. Finish turns them into gains as the
// kernels do and returns what they return.
struct WhiteBalanceSums {
    uint64_t sum[3] = {0, 0, 0};  // green, blue, red
    uint64_t count[3] = {0, 0, 0};

    void Add(const WhiteBalanceSums& other) {
        for (int i = 0; i < 3; ++i) sum[i] += other.sum[i], count[i] += other.count[i];
    }
};
void AccumulateWhiteBalance(const uint8_t* src, KernelRect srcRect, int srcStride, bool words, int phase,
                            int firstRow, int endRow, WhiteBalanceSums& sums);
int FinishWhiteBalance(const WhiteBalanceSums& sums, WhiteBalanceResult& result);

// Gains in percent: green's is always unity, the others are held to the
// largest the filter block stores.
constexpr int32_t kUnityWhiteBalanceGain = 100;
constexpr int32_t kMaxWhiteBalanceGain = 400;

// The gain for one colour from the three means, trunc(((S / mean) / 3 x 100)
// / ((S / green) / 3)) with S the sum of the means, held to 0..400.
int WhiteBalanceGain(double meanGreen, double meanRed, double meanBlue, double meanOfColor);

}  // namespace kvx
