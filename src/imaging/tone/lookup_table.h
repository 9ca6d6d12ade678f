// Applying a per-sample lookup table, the common core of gamma, contrast and
// brightness. Only the samples of B, G and R are looked up; a fourth byte or
// word stays. Tables are built when a control value or the depth changes,
// never per frame, and are shared read-only by every conversion that uses
// the same curve.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/mode_kernels.h"
#include "imaging/tone/kernel_rows.h"
#include "imaging/tone/tone_params.h"

namespace kvx {

// Entries of a 16-bit table: one per word, and one more that vector
// gathers may read (as the upper half of the last word's 32-bit load).
constexpr int kToneWords = 65537;

struct ToneTable {
    enum class Rule { kTableOnly, kScale };

    // 8-bit samples: the table, and the same for two neighbouring bytes at
    // once (index = high byte << 8 | low byte), which halves the loads.
    uint8_t bytes[256] = {};
    std::vector<uint16_t> pairs;

    // 16-bit samples: the result for every possible word, so the lookup
    // needs no range test; words beyond the depth (never from the camera)
    // get the curve's value for them.
    std::vector<uint16_t> words;
    // kScale: out = min(trunc(in * factor), maxValue) in single precision,
    // which the vector paths compute faster than they look it up.
    Rule rule = Rule::kTableOnly;
    float factor = 1.0f;
    int maxValue = 0;

    void FillPairs();
};

// Which curve a table holds; with the control value and the depth it names
// the table in the cache.
enum class ToneCurve : int {
    kGammaGray8,
    kGammaColor8,
    kGamma16,
    kContrast8,
    kContrast16,
    kBrightness8,
    kBrightness16,
    kChainGray8,
    kChainColour8,
    kChain16
};

using ToneTableBuilder = void (*)(ToneTable& table, int value, int bitDepth);

// The table of `curve` for `value` and `bitDepth`, built by `build` when no
// recent conversion used it. The cache keeps the few most recently used.
std::shared_ptr<const ToneTable> CachedToneTable(ToneCurve curve, int value, int bitDepth, ToneTableBuilder build);

// 8-bit samples: `channels` is 1 (gray) or 3 (B, G, R of 3- or 4-byte pixels).
void ApplyLookup8(const KernelLayout& layout, int channels, const ToneTable& table);
// 16-bit samples: `channels` is 1 or 3 (B, G, R of 6- or 8-byte pixels).
void ApplyLookup16(const KernelLayout& layout, int channels, const ToneTable& table);

constexpr bool WordCurve(ToneCurve curve) {
    return curve == ToneCurve::kGamma16 || curve == ToneCurve::kContrast16 || curve == ToneCurve::kBrightness16 ||
           curve == ToneCurve::kChain16;
}

// The kernel of a curve: every sample looked up in the table that `build`
// makes for the ToneParams in `argument` (0 without one). `Channels` is 1
// (gray) or 3 (B, G, R).
template <ToneCurve Curve, ToneTableBuilder Build, int Channels>
int LookupBody(const KernelLayout& layout, void* argument, int) {
    if (argument == nullptr) return 0;
    const ToneParams& p = *static_cast<const ToneParams*>(argument);
    if constexpr (WordCurve(Curve)) {
        ApplyLookup16(layout, Channels, *CachedToneTable(Curve, p.value, ClampBitDepth(p.bitDepth), Build));
    } else {
        ApplyLookup8(layout, Channels, *CachedToneTable(Curve, p.value, 8, Build));
    }
    return 1;
}

// A curve's kernels by colour mode. 8-bit gray may have a table of its own.
template <ToneCurve Gray8, ToneTableBuilder BuildGray8, ToneCurve Colour8, ToneTableBuilder BuildColour8,
          ToneCurve Words, ToneTableBuilder BuildWords>
constexpr ModeKernels LookupKernels() {
    return ByColourMode(AdaptKernel<LookupBody<Gray8, BuildGray8, 1>>, AdaptKernel<LookupBody<Words, BuildWords, 1>>,
                        AdaptKernel<LookupBody<Colour8, BuildColour8, 3>>,
                        AdaptKernel<LookupBody<Words, BuildWords, 3>>);
}

}  // namespace kvx
