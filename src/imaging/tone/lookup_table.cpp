#include "imaging/tone/lookup_table.h"

#include <cstring>

namespace kvx {
namespace {

// 3-byte pixels in and out: the row is one run of samples.
void LookupRun8(uint8_t* d, const uint8_t* s, int count, const uint8_t* t) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        uint8_t v[8];
        std::memcpy(v, s + i, 8);
        for (int k = 0; k < 8; ++k) v[k] = t[v[k]];
        std::memcpy(d + i, v, 8);
    }
    for (; i < count; ++i) d[i] = t[s[i]];
}

// 4-byte pixels: look up B, G, R and leave the fourth byte as it is.
void LookupQuads8(uint8_t* d, const uint8_t* s, int width, const uint8_t* t) {
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = s + 4 * x;
        uint8_t* q = d + 4 * x;
        const uint8_t b = t[p[0]], g = t[p[1]], r = t[p[2]];
        q[0] = b;
        q[1] = g;
        q[2] = r;
    }
}

}  // namespace

void ApplyLookup8(const KernelLayout& layout, int channels, const uint8_t table[256]) {
    if (layout.Empty()) return;
    const int width = layout.Width();
    const int sb = layout.srcBytesPerPixel, db = layout.dstBytesPerPixel;
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        uint8_t* d = layout.DstRow(y);
        if (sb == db && sb == channels) {
            LookupRun8(d, s, width * channels, table);
        } else if (sb == 4 && db == 4 && channels == 3) {
            LookupQuads8(d, s, width, table);
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
    for (int y = layout.rect.top; y < layout.rect.bottom; ++y) {
        const uint8_t* s = layout.SrcRow(y);
        uint8_t* d = layout.DstRow(y);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) StoreWord(d + x * db + 2 * c, map(LoadWord(s + x * sb + 2 * c)));
    }
}

}  // namespace kvx
