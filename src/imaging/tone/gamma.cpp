#include "imaging/tone/gamma.h"

#include <algorithm>
#include <cmath>

#include "imaging/tone/lookup_table.h"

namespace kvx {
namespace {

void FillBytes(double exponent, ToneTable& t) {
    for (int i = 0; i < 256; ++i)
        t.bytes[i] = static_cast<uint8_t>(TruncToRange(std::pow(i / 255.0, exponent) * 255.0, 255));
    t.FillPairs();
}

void BuildGray8(ToneTable& t, int gamma, int) { FillBytes(GammaExponent(gamma), t); }

// Kept away from 0 so that gamma 0 does not turn black pixels white in colour.
void BuildColor8(ToneTable& t, int gamma, int) { FillBytes(std::clamp(GammaExponent(gamma), 0.001, 99.999), t); }

// 16-bit samples of `bitDepth` significant bits; samples beyond the depth
// are looked up as the largest one.
void Build16(ToneTable& t, int gamma, int bitDepth) {
    const double exponent = GammaExponent(gamma);
    const int size = 1 << bitDepth;
    t.words.resize(kToneWords);
    for (int i = 0; i < size; ++i)
        t.words[i] = static_cast<uint16_t>(
            TruncToRange(std::pow(static_cast<double>(i) / size, exponent) * (size - 1), size - 1));
    for (int i = size; i < 65536; ++i) t.words[i] = t.words[size - 1];
}

}  // namespace

double GammaExponent(int gamma) { return gamma > 100 ? (gamma - 100) / 10.0 + 1.0 : gamma / 100.0; }

const ModeKernels kGammaKernels = LookupKernels<ToneCurve::kGammaGray8, BuildGray8, ToneCurve::kGammaColor8,
                                                BuildColor8, ToneCurve::kGamma16, Build16>();

}  // namespace kvx
