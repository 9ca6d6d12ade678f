#include "imaging/tone/lookup_table.h"

#include <cstring>
#include <memory>

#include "imaging/simd_dispatch.h"
#include "imaging/tone/word_rows.h"

namespace kvx {
namespace {

// Two neighbouring bytes looked up at once: half the loads of a byte table.
// 128 KiB, so it lives on the heap, once per converting thread, and is
// refilled from the byte table on every call (a few tens of microseconds).
uint16_t* PairTable(const uint8_t table[256]) {
    thread_local std::unique_ptr<uint16_t[]> pairs;
    if (!pairs) pairs.reset(new uint16_t[65536]);
    uint16_t* p = pairs.get();
    for (int high = 0; high < 256; ++high) {
        const uint16_t h = static_cast<uint16_t>(table[high] << 8);
        for (int low = 0; low < 256; ++low) p[high << 8 | low] = static_cast<uint16_t>(h | table[low]);
    }
    return p;
}

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// A run of samples with nothing between them (gray bytes, 3-byte pixels).
void LookupRun8(uint8_t* d, const uint8_t* s, int count, const uint16_t* pairs, const uint8_t* t) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        uint16_t v[4];
        std::memcpy(v, s + i, 8);
        for (int k = 0; k < 4; ++k) v[k] = pairs[v[k]];
        std::memcpy(d + i, v, 8);
    }
    for (; i < count; ++i) d[i] = t[s[i]];
}

// 4-byte pixels: B and G as a pair, R alone, the fourth byte as it is.
void LookupQuads8(uint8_t* d, const uint8_t* s, int width, const uint16_t* pairs, const uint8_t* t) {
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = s + 4 * x;
        uint8_t* q = d + 4 * x;
        const uint16_t bg = pairs[Load16(p)];
        const uint8_t r = t[p[2]];
        Store16(q, bg);
        q[2] = r;
    }
}

}  // namespace

void ApplyLookup8(const KernelLayout& layout, int channels, const uint8_t table[256]) {
    if (layout.Empty()) return;
    const int width = layout.Width();
    const int sb = layout.srcBytesPerPixel, db = layout.dstBytesPerPixel;
    const bool run = sb == db && sb == channels;
    const bool quads = sb == 4 && db == 4 && channels == 3;
    const uint16_t* pairs = (run || quads) ? PairTable(table) : nullptr;
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        uint8_t* d = layout.DstRow(y);
        if (run) {
            LookupRun8(d, s, width * channels, pairs, table);
        } else if (quads) {
            LookupQuads8(d, s, width, pairs, table);
        } else {
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c) d[x * db + c] = table[s[x * sb + c]];
        }
    }
}

void ApplyLookup16(const KernelLayout& layout, int channels, const Lookup16& lookup) {
    if (layout.Empty() || lookup.table.empty()) return;
    const uint16_t* t = lookup.table.data();
    const uint32_t size = static_cast<uint32_t>(lookup.table.size());
    auto map = [&](uint32_t v) -> uint16_t {
        if (v < size) return t[v];
        if (!lookup.scaleOverflow) return lookup.overflowValue;
        return static_cast<uint16_t>(TruncToRange(static_cast<float>(v) * lookup.factor, lookup.maxValue));
    };
    const int width = layout.Width();
    const int sb = layout.srcBytesPerPixel, db = layout.dstBytesPerPixel;
    // Whole rows of words: B, G, R back to back (gray: one word), or 4-word
    // pixels whose fourth word stays.
    const bool run = sb == db && (sb == 2 * channels || (channels == 3 && sb == 8));
    const int wordsPerPixel = sb / 2;
    const SimdLevel level = run && lookup.rule != Lookup16::Rule::kTableOnly ? ActiveSimdLevel() : SimdLevel::Scalar;
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        uint8_t* d = layout.DstRow(y);
        if (!run) {
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c) Store16(d + x * db + 2 * c, map(Load16(s + x * sb + 2 * c)));
            continue;
        }
        const int count = width * wordsPerPixel;
        int done = 0;
#if KVX_SIMD_X86
        const bool scale = lookup.rule == Lookup16::Rule::kScale;
        if (level == SimdLevel::Avx2) {
            done = scale ? ScaleWordsAvx2(d, s, count, wordsPerPixel, lookup.factor, lookup.maxValue)
                         : StretchWordsAvx2(d, s, count, wordsPerPixel, lookup.ratio, lookup.threshold, lookup.maxValue);
        } else if (level == SimdLevel::Sse2) {
            done = scale ? ScaleWordsSse2(d, s, count, wordsPerPixel, lookup.factor, lookup.maxValue)
                         : StretchWordsSse2(d, s, count, wordsPerPixel, lookup.ratio, lookup.threshold, lookup.maxValue);
        }
#endif
        (void)level;
        if (wordsPerPixel == 4) {
            for (int i = done; i < count; i += 4) {
                Store16(d + 2 * i, map(Load16(s + 2 * i)));
                Store16(d + 2 * i + 2, map(Load16(s + 2 * i + 2)));
                Store16(d + 2 * i + 4, map(Load16(s + 2 * i + 4)));
            }
        } else {
            for (int i = done; i < count; ++i) Store16(d + 2 * i, map(Load16(s + 2 * i)));
        }
    }
}

}  // namespace kvx
