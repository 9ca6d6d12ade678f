// What the SSE2 and SSSE3 8-bit sharpness rows share: the walk along the
// row in chunks and the boost of eight samples in 16-bit lanes. The two
// differ only in forming the four-row column sums and in dividing the
// signed boost by 10, which `Path` supplies:
//   static void ColumnSums16(uint16_t* v, const uint8_t* const rows[4], int j);   samples j..j+15
//   static __m128i DivideBy10(__m128i n);   trunc(n / 10) for |n| <= 7650
// Included inside each path's anonymous namespace, after its intrinsics
// header, so each keeps its own copy compiled for its instruction set.

// Samples per pass of the column sums, so their buffer fits the stack and
// the first-level cache whatever the width.
constexpr int kChunk = 1024;
constexpr int kMargin = 32;

// Column sums of the four rows for samples [first, first + count) into v.
// 4 x 255 fits a 16-bit lane.
template <class Path>
inline void ColumnSums(uint16_t* v, const uint8_t* const rows[4], int first, int count) {
    int i = 0;
    for (; i + 16 <= count; i += 16) Path::ColumnSums16(v + i, rows, first + i);
    for (; i < count; ++i) {
        const int j = first + i;
        v[i] = static_cast<uint16_t>(rows[0][j] + rows[1][j] + rows[2][j] + rows[3][j]);
    }
}

//   sample index i (bytes; a pixel is `bpp` bytes, neighbours are bpp apart):
//
//   rows y-2..y+1   V[i-2bpp]  V[i-bpp]  V[i]  V[i+bpp]    V = four-row column sums
//                   \________________ + ________________/
//                                  blur = sum >> 4
template <class Path>
inline bool SharpenRow8Lanes(uint8_t* d, const uint8_t* const rows[4], int width, int bpp, int strength) {
    const int first = 2 * bpp, end = (width - 2) * bpp;
    if (end - first < 8) return false;
    alignas(16) uint16_t sums[kChunk + kMargin];
    const __m128i s16 = _mm_set1_epi16(static_cast<short>(strength));
    const __m128i zero = _mm_setzero_si128();
    // Which bytes of a run of 4-byte pixels are B, G, R (the fourth stays).
    const __m128i keep = bpp == 4 ? _mm_set1_epi32(0x00FFFFFF) : _mm_set1_epi32(-1);
    for (int c = first; c < end; c += kChunk) {
        const int e = c + kChunk < end ? c + kChunk : end;
        // Keep every chunk at least one vector long by starting a short last
        // chunk earlier; samples done twice come out the same, since the
        // source is not the destination.
        const int start = e - c < 8 ? e - 8 : c;
        ColumnSums<Path>(sums, rows, start - 2 * bpp, e - start + 3 * bpp);
        for (int k = start;; k += 8) {
            if (k + 8 > e) k = e - 8;
            const uint16_t* v = sums + (k - start);  // V[k - 2bpp]
            __m128i sum = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v));
            sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + bpp)));
            sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 2 * bpp)));
            sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + 3 * bpp)));
            const __m128i blur = _mm_srli_epi16(sum, 4);
            const __m128i orig =
                _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[2] + k)), zero);
            const __m128i boost = Path::DivideBy10(_mm_mullo_epi16(_mm_sub_epi16(orig, blur), s16));
            __m128i out = _mm_packus_epi16(_mm_add_epi16(orig, boost), zero);
            if (bpp == 4) {
                const __m128i old = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + k));
                out = _mm_or_si128(_mm_and_si128(out, keep), _mm_andnot_si128(keep, old));
            }
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + k), out);
            if (k + 8 >= e) break;
        }
    }
    return true;
}
