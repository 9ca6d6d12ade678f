#include "imaging/tone/contrast.h"

#include "imaging/tone/lookup_table.h"

namespace kvx {
namespace {

// Stretches [t, maxValue - t] over the whole range of `size` levels.
int Stretch(int i, int t, int size) {
    const int maxValue = size - 1;
    if (i < t) return 0;
    if (i > maxValue - t) return maxValue;
    return TruncToRange(static_cast<double>(size) / (size - 2 * t) * (i - t), maxValue);
}

void Build8(ToneTable& table, int contrast, int) {
    for (int i = 0; i < 256; ++i) table.bytes[i] = static_cast<uint8_t>(Stretch(i, contrast, 256));
    table.FillPairs();
}

// Samples from the size of the depth on map to the largest value.
void Build16(ToneTable& table, int contrast, int bitDepth) {
    const int size = 1 << bitDepth;
    const int t = contrast * (1 << (bitDepth - 8));
    table.words.resize(kToneWords);
    for (int i = 0; i < size; ++i) table.words[i] = static_cast<uint16_t>(Stretch(i, t, size));
    for (int i = size; i < 65536; ++i) table.words[i] = static_cast<uint16_t>(size - 1);
}

}  // namespace

const ModeKernels kContrastKernels =
    LookupKernels<ToneCurve::kContrast8, Build8, ToneCurve::kContrast8, Build8, ToneCurve::kContrast16, Build16>();

}  // namespace kvx
