// Per-site gains and offsets for the monochrome modes, which flatten the
// colour filter's imprint on the raw mosaic, and the one-shot balance that
// measures those gains from a frame.
//
// Sites are named by their row and column states (the states start from the
// effective Bayer phase and flip with every row and column):
//
//                column state 0   column state 1
//   row state 0       G1               R
//   row state 1       B                G2
#pragma once

#include <cstdint>

#include "pixels/pixel_kernel.h"

namespace kvx {

struct GrayGainParams {
    int32_t phase;     // effective Bayer phase 0..3
    int32_t gainR;     // gains in 1/128 units (128 = unity)
    int32_t gainG1;
    int32_t gainG2;
    int32_t gainB;
    int32_t offsetR;   // added after the gain
    int32_t offsetG1;
    int32_t offsetG2;
    int32_t offsetB;
    int32_t bitDepth;  // 8 for 8-bit frames, 12 for 16-bit frames
};

// The gain step runs only when a gain is off unity; offsets alone do not
// trigger it.
bool GrayGainsActive(const GrayGainParams& params);

// out = offset + gain * in / 128, clipped to the depth's range. `argument`
// is a GrayGainParams. In place on the raw bitmap (mode 0: 8-bit, mode 1: 16-bit).
extern const PixelKernel GrayGain8;
extern const PixelKernel GrayGain16;

// Measures the four site means over srcRect (samples of 0 or the saturation
// value left out) and writes the gains that bring every site to the
// brightest one into the GrayGainParams at `argument`; offsets stay. Returns
// 1 when the gains were written, 0 when a site had no usable sample (the
// record is then unchanged). Nothing is written to `dst`.
// The balance measurement split by rows: the sums of srcRect are added to
// `sums` (sites follow absolute memory rows and columns, so any band of rows
// measures alike), and Finish does what the kernels do with the whole
// frame's sums. `params` gives the phase and bit depth.
struct GrayBalanceSums {
    long long sum[4] = {0, 0, 0, 0};
    long long count[4] = {0, 0, 0, 0};

    void Add(const GrayBalanceSums& other) {
        for (int i = 0; i < 4; ++i) sum[i] += other.sum[i], count[i] += other.count[i];
    }
};
void AccumulateGrayBalance(const uint8_t* src, KernelRect srcRect, int srcBytesPerPixel, int srcStride, bool words,
                           const GrayGainParams& params, GrayBalanceSums& sums);
int FinishGrayBalance(const GrayBalanceSums& sums, GrayGainParams& params);

extern const PixelKernel GrayBalance8;
extern const PixelKernel GrayBalance16;

}  // namespace kvx
