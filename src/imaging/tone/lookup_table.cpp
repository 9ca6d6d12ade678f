#include "imaging/tone/lookup_table.h"

#include <cstring>
#include <mutex>

#include "imaging/simd_dispatch.h"
#include "imaging/tone/word_rows.h"

namespace kvx {

void ToneTable::FillPairs() {
    pairs.resize(65536);
    for (int high = 0; high < 256; ++high) {
        const uint16_t h = static_cast<uint16_t>(bytes[high] << 8);
        for (int low = 0; low < 256; ++low) pairs[high << 8 | low] = static_cast<uint16_t>(h | bytes[low]);
    }
}

namespace {

// Enough for a few cameras with gamma, contrast and brightness each.
constexpr int kCachedTables = 16;

struct CacheEntry {
    int curve = -1;
    int value = 0;
    int bitDepth = 0;
    uint64_t lastUse = 0;
    std::shared_ptr<const ToneTable> table;
};

struct Cache {
    std::mutex mutex;  // guards everything below
    CacheEntry entries[kCachedTables];
    uint64_t clock = 0;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
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

// Two words per 32-bit load and store: the upper word needs only a shift,
// which keeps the loop short. The table covers every word, so nothing is
// tested. With `keepFourth` every fourth word (the pixel's unused one) is
// carried over unchanged.
template <bool keepFourth>
void LookupWords(uint8_t* d, const uint8_t* s, int count, const uint16_t* t) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t a, b;
        std::memcpy(&a, s + 2 * i, 4);
        std::memcpy(&b, s + 2 * i + 4, 4);
        a = t[a & 0xFFFF] | static_cast<uint32_t>(t[a >> 16]) << 16;
        b = keepFourth ? (t[b & 0xFFFF] | (b & 0xFFFF0000u)) : (t[b & 0xFFFF] | static_cast<uint32_t>(t[b >> 16]) << 16);
        std::memcpy(d + 2 * i, &a, 4);
        std::memcpy(d + 2 * i + 4, &b, 4);
    }
    for (; i < count; ++i) Store16(d + 2 * i, keepFourth && (i & 3) == 3 ? Load16(s + 2 * i) : t[Load16(s + 2 * i)]);
}

}  // namespace

std::shared_ptr<const ToneTable> CachedToneTable(ToneCurve curve, int value, int bitDepth, ToneTableBuilder build) {
    Cache& cache = TheCache();
    const int key = static_cast<int>(curve);
    auto find = [&]() -> CacheEntry* {
        for (CacheEntry& entry : cache.entries)
            if (entry.curve == key && entry.value == value && entry.bitDepth == bitDepth) return &entry;
        return nullptr;
    };
    {
        std::lock_guard<std::mutex> lock(cache.mutex);
        if (CacheEntry* entry = find()) {
            entry->lastUse = ++cache.clock;
            return entry->table;
        }
    }
    // Built outside the lock: a builder may run kernels that look up tables
    // of their own, and other conversions keep using the cache meanwhile.
    auto table = std::make_shared<ToneTable>();
    build(*table, value, bitDepth);
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (CacheEntry* entry = find()) {  // built at the same time by another conversion
        entry->lastUse = ++cache.clock;
        return entry->table;
    }
    CacheEntry* oldest = &cache.entries[0];
    for (CacheEntry& entry : cache.entries)
        if (entry.lastUse < oldest->lastUse) oldest = &entry;
    // A conversion still using the evicted table keeps it alive until it ends.
    *oldest = CacheEntry{key, value, bitDepth, ++cache.clock, table};
    return table;
}

void ApplyLookup8(const KernelLayout& layout, int channels, const ToneTable& table) {
    if (layout.Empty()) return;
    const int width = layout.Width();
    const int sb = layout.srcBytesPerPixel, db = layout.dstBytesPerPixel;
    const bool run = sb == db && sb == channels;
    const bool quads = sb == 4 && db == 4 && channels == 3;
    const bool paired = (run || quads) && table.pairs.size() == 65536;
    const uint8_t* t = table.bytes;
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        uint8_t* d = layout.DstRow(y);
        if (paired && run) {
            LookupRun8(d, s, width * channels, table.pairs.data(), t);
        } else if (paired) {
            LookupQuads8(d, s, width, table.pairs.data(), t);
        } else {
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c) d[x * db + c] = t[s[x * sb + c]];
        }
    }
}

void ApplyLookup16(const KernelLayout& layout, int channels, const ToneTable& table) {
    if (layout.Empty() || table.words.size() < static_cast<size_t>(kToneWords)) return;
    const uint16_t* t = table.words.data();
    const int width = layout.Width();
    const int sb = layout.srcBytesPerPixel, db = layout.dstBytesPerPixel;
    // Whole rows of words: B, G, R back to back (gray: one word), or 4-word
    // pixels whose fourth word stays.
    const bool run = sb == db && (sb == 2 * channels || (channels == 3 && sb == 8));
    const int wordsPerPixel = sb / 2;
    const SimdLevel level = run ? ActiveSimdLevel() : SimdLevel::Scalar;
    const bool scale = table.rule == ToneTable::Rule::kScale;
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        uint8_t* d = layout.DstRow(y);
        if (!run) {
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c) Store16(d + x * db + 2 * c, t[Load16(s + x * sb + 2 * c)]);
            continue;
        }
        const int count = width * wordsPerPixel;
        int done = 0;
#if KVX_SIMD_X86
        if (level == SimdLevel::Avx2 && scale) {
            done = ScaleWordsAvx2(d, s, count, wordsPerPixel, table.factor, table.maxValue);
        } else if (level != SimdLevel::Scalar && scale) {
            done = ScaleWordsSse2(d, s, count, wordsPerPixel, table.factor, table.maxValue);
        }
#endif
        (void)level;
        if (wordsPerPixel == 4) LookupWords<true>(d + 2 * done, s + 2 * done, count - done, t);
        else LookupWords<false>(d + 2 * done, s + 2 * done, count - done, t);
    }
}

}  // namespace kvx
