// Applying a per-sample lookup table, the common core of gamma, contrast and
// brightness. Tables are built per call from the control value; only the
// samples of B, G and R are looked up, a fourth byte or word stays.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/tone/kernel_rows.h"

namespace kvx {

// 8-bit samples: `channels` is 1 (gray) or 3 (B, G, R of 3- or 4-byte pixels).
void ApplyLookup8(const KernelLayout& layout, int channels, const uint8_t table[256]);

// 16-bit samples below table.size() are looked up; larger ones (outside the
// depth, so never from the camera) map through `overflow`. Where the table
// comes from a rule that vector code can evaluate exactly, `rule` says so
// and the vector paths compute instead of looking up.
struct Lookup16 {
    enum class Rule { kTableOnly, kScale, kStretch };

    std::vector<uint16_t> table;
    // Value for samples >= table.size(): either a constant or, when
    // `scaleOverflow` is set, trunc(sample * factor) clipped to maxValue.
    uint16_t overflowValue = 0;
    bool scaleOverflow = false;
    float factor = 1.0f;
    int maxValue = 0;

    Rule rule = Rule::kTableOnly;
    double ratio = 0.0;  // kStretch: trunc(ratio * (v - threshold)) between the thresholds
    int threshold = 0;
};
void ApplyLookup16(const KernelLayout& layout, int channels, const Lookup16& lookup);

}  // namespace kvx
