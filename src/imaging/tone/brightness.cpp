#include "imaging/tone/brightness.h"

#include "imaging/tone/lookup_table.h"

namespace kvx {
namespace {

int Scale(int sample, float factor, int maxValue) {
    const float product = static_cast<float>(sample) * factor;
    return TruncToRange(product, maxValue);
}

void Build8(ToneTable& table, int brightness, int) {
    const float factor = BrightnessFactor(brightness);
    for (int i = 0; i < 256; ++i) table.bytes[i] = static_cast<uint8_t>(Scale(i, factor, 255));
    table.FillPairs();
}

// Every word is scaled, those beyond the depth too, and clipped to the depth.
void Build16(ToneTable& table, int brightness, int bitDepth) {
    table.factor = BrightnessFactor(brightness);
    table.maxValue = (1 << bitDepth) - 1;
    table.rule = ToneTable::Rule::kScale;
    table.words.resize(kToneWords);
    for (int i = 0; i < 65536; ++i) table.words[i] = static_cast<uint16_t>(Scale(i, table.factor, table.maxValue));
}

}  // namespace

float BrightnessFactor(int brightness) {
    if (brightness < 0) return 1.0f - static_cast<float>(-brightness) * (1.0f / 255.0f);
    return 1.0f + static_cast<float>(brightness) * (10.0f / 255.0f);
}

const ModeKernels kBrightnessKernels = LookupKernels<ToneCurve::kBrightness8, Build8, ToneCurve::kBrightness8, Build8,
                                                     ToneCurve::kBrightness16, Build16>();

}  // namespace kvx
