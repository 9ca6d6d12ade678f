#include "imaging/tone/tone_chain.h"

#include <vector>

#include "imaging/tone/brightness.h"
#include "imaging/tone/contrast.h"
#include "imaging/tone/gamma.h"
#include "imaging/tone/lookup_table.h"
#include "imaging/tone/tone_params.h"

namespace kvx {
namespace {

// The three controls in one cache value: gamma 0..200, contrast -127..127,
// brightness -255..255 each fit 10 bits.
int Pack(const ToneChainParams& p) {
    return (p.gamma << 20) | ((p.contrast + 512) << 10) | (p.brightness + 512);
}
ToneChainParams Unpack(int value, int bitDepth) {
    return ToneChainParams{value >> 20, ((value >> 10) & 0x3FF) - 512, (value & 0x3FF) - 512, bitDepth};
}

// Runs the chain's kernels over `samples` in place: one row of `count`
// pixels of `bytesPerPixel` bytes.
void RunChain(const PixelKernel* kernels[3], int mode, const ToneChainParams& p, uint8_t* samples, int count,
              int bytesPerPixel) {
    const int32_t values[3] = {p.gamma, p.contrast, p.brightness};
    const bool active[3] = {p.gamma != 100, p.contrast != 0, p.brightness != 0};
    const int stride = count * bytesPerPixel;
    for (int i = 0; i < 3; ++i) {
        if (!active[i]) continue;
        ToneParams params{values[i], p.bitDepth};
        kernels[i][mode](samples, samples, KernelRect{0, 0, count, 1}, 0, 0, bytesPerPixel, bytesPerPixel, stride,
                         stride, &params, 0);
    }
}

const PixelKernel* kChainKernels[3] = {kGammaKernels.data(), kContrastKernels.data(), kBrightnessKernels.data()};

// 8-bit: the kernels of mode 0 (gray) or mode 2 (colour, whose gamma keeps
// its exponent off 0) on a ramp of every byte.
void Build8(ToneTable& table, int value, int colour) {
    const ToneChainParams p = Unpack(value, 12);
    std::vector<uint8_t> ramp(colour ? 3 * 256 : 256);
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < (colour ? 3 : 1); ++c) ramp[(colour ? 3 : 1) * i + c] = static_cast<uint8_t>(i);
    RunChain(kChainKernels, colour ? 2 : 0, p, ramp.data(), 256, colour ? 3 : 1);
    for (int i = 0; i < 256; ++i) table.bytes[i] = ramp[(colour ? 3 : 1) * i];
    table.FillPairs();
}
void BuildGray8(ToneTable& table, int value, int) { Build8(table, value, 0); }
void BuildColour8(ToneTable& table, int value, int) { Build8(table, value, 1); }

// 16-bit: gray and colour words follow the same curves; every word is run
// through the mode-1 kernels.
void Build16(ToneTable& table, int value, int bitDepth) {
    const ToneChainParams p = Unpack(value, bitDepth);
    std::vector<uint8_t> ramp(2 * 65536);
    for (int i = 0; i < 65536; ++i) {
        ramp[2 * i] = static_cast<uint8_t>(i);
        ramp[2 * i + 1] = static_cast<uint8_t>(i >> 8);
    }
    RunChain(kChainKernels, 1, p, ramp.data(), 65536, 2);
    table.words.resize(kToneWords);
    for (int i = 0; i < 65536; ++i) table.words[i] = static_cast<uint16_t>(ramp[2 * i] | ramp[2 * i + 1] << 8);
}

template <int mode>
int Chain(const KernelLayout& layout, void* argument, int) {
    if (argument == nullptr) return 0;
    const ToneChainParams& p = *static_cast<const ToneChainParams*>(argument);
    if (!ToneChainFits(p)) return 0;
    const int channels = mode <= 1 ? 1 : 3;
    if (mode == 1 || mode >= 4) {
        const int depth = ClampBitDepth(p.bitDepth);
        ApplyLookup16(layout, channels, *CachedToneTable(ToneCurve::kChain16, Pack(p), depth, Build16));
    } else {
        ApplyLookup8(layout, channels,
                     *CachedToneTable(mode == 0 ? ToneCurve::kChainGray8 : ToneCurve::kChainColour8, Pack(p), 8,
                                      mode == 0 ? BuildGray8 : BuildColour8));
    }
    return 1;
}

}  // namespace

bool ToneChainFits(const ToneChainParams& p) {
    return p.gamma >= 0 && p.gamma <= 200 && p.contrast >= -127 && p.contrast <= 127 && p.brightness >= -255 &&
           p.brightness <= 255;
}

const PixelKernel kToneChainKernels[6] = {AdaptKernel<Chain<0>>, AdaptKernel<Chain<1>>, AdaptKernel<Chain<2>>,
                                          AdaptKernel<Chain<3>>, AdaptKernel<Chain<4>>, AdaptKernel<Chain<5>>};

}  // namespace kvx
