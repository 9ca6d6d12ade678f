#include "imaging/demosaic.h"

#include <algorithm>

#include "imaging/bayer.h"
#include "imaging/demosaic_detail.h"
#include "imaging/simd_dispatch.h"

namespace kvx {

using demosaic_detail::FoldIndex;
using demosaic_detail::RowJob;

int DemosaicFixedGain(int percent) {
    const int held = std::clamp(percent, 0, 400);
    return static_cast<int>(held * 1.28);
}

namespace {

using RowPath = int (*)(const RowJob&);

// A column of the two at either side: its neighbour columns, folded
// inward, are the same on every row.
struct SideColumn {
    int x, columnState;
    int cols[4];
};

template <typename Sample>
RowPath SimdRowPath() {
#if KVX_SIMD_X86
    constexpr bool wide = sizeof(Sample) == 2;
    switch (ActiveSimdLevel()) {
        case SimdLevel::Avx2: return wide ? demosaic_detail::RowAvx2_16 : demosaic_detail::RowAvx2_8;
        case SimdLevel::Ssse3: return wide ? demosaic_detail::RowSsse3_16 : demosaic_detail::RowSsse3_8;
        case SimdLevel::Sse2: return wide ? demosaic_detail::RowSse2_16 : demosaic_detail::RowSse2_8;
        case SimdLevel::Scalar: break;
    }
#endif
    return nullptr;
}

template <typename Sample>
struct Frame {
    const uint8_t* src;
    int srcStride;
    int left, top, width, height;
    uint8_t* dst;
    int dstStride, dstX, dstY, dstBytesPerPixel;
    int phase;
    uint32_t gainRed, gainBlue, clip;
    int firstRow, endRow;

    const Sample* Row(int y) const {
        return reinterpret_cast<const Sample*>(src + static_cast<intptr_t>(top + y) * srcStride) + left;
    }
    uint8_t* OutRow(int y) const {
        return dst + static_cast<intptr_t>(dstY + y) * dstStride + static_cast<intptr_t>(dstX) * dstBytesPerPixel;
    }
    void Store(uint8_t* pixel, const uint32_t bgr[3]) const {
        if (sizeof(Sample) == 1) {
            pixel[0] = static_cast<uint8_t>(bgr[0]);
            pixel[1] = static_cast<uint8_t>(bgr[1]);
            pixel[2] = static_cast<uint8_t>(bgr[2]);
        } else {
            auto* words = reinterpret_cast<uint16_t*>(pixel);
            words[0] = static_cast<uint16_t>(bgr[0]);
            words[1] = static_cast<uint16_t>(bgr[1]);
            words[2] = static_cast<uint16_t>(bgr[2]);
        }
    }
    // Columns from 2 on of row y by the SIMD path, neighbour rows folded
    // inward when `fold`; how many it did.
    int SimdRow(RowPath simd, int y, bool fold) const {
        if (simd == nullptr || width - 2 <= 2) return 0;
        RowJob job{{},       OutRow(y),       2, width - 2, ColumnState(phase, 2), RowState(phase, y), gainRed,
                   gainBlue, dstBytesPerPixel};
        for (int k = 0; k < 4; ++k) job.rows[k] = Row(fold ? FoldIndex(y - 2 + k, height) : y - 2 + k);
        return simd(job);
    }
    // The side columns of row y, whose neighbour rows need no folding.
    void SideColumns(int y, const SideColumn* sides, int count) const {
        const Sample* rows[4];
        for (int k = 0; k < 4; ++k) rows[k] = Row(y - 2 + k);
        uint8_t* out = OutRow(y);
        const int rowState = RowState(phase, y);
        for (int i = 0; i < count; ++i) {
            uint32_t bgr[3];
            demosaic_detail::Pixel(rows, sides[i].cols, sides[i].columnState, rowState, gainRed, gainBlue, clip, bgr);
            Store(out + static_cast<intptr_t>(sides[i].x) * dstBytesPerPixel, bgr);
        }
    }
    // Columns [x0, x1) of row y with neighbours folded inward.
    void ScalarRow(int y, int x0, int x1, bool fold) const {
        const Sample* rows[4];
        for (int k = 0; k < 4; ++k) rows[k] = Row(fold ? FoldIndex(y - 2 + k, height) : y - 2 + k);
        uint8_t* out = OutRow(y);
        const int rowState = RowState(phase, y);
        for (int x = x0; x < x1; ++x) {
            int cols[4];
            for (int k = 0; k < 4; ++k) cols[k] = fold ? FoldIndex(x - 2 + k, width) : x - 2 + k;
            uint32_t bgr[3];
            demosaic_detail::Pixel(rows, cols, ColumnState(phase, x), rowState, gainRed, gainBlue, clip, bgr);
            Store(out + static_cast<intptr_t>(x) * dstBytesPerPixel, bgr);
        }
    }
};

template <typename Sample>
bool MakeFrame(Frame<Sample>& f, const KernelLayout& layout, const void* argument) {
    uint8_t* dst = layout.dst;
    const uint8_t* src = layout.src;
    const KernelRect rect = layout.rect;
    const int dstX = layout.dstX, dstY = layout.dstY, dstBytesPerPixel = layout.dstBytesPerPixel;
    const int dstStride = layout.dstStride, srcStride = layout.srcStride;
    if (dst == nullptr || src == nullptr || argument == nullptr) return false;
    if (dstBytesPerPixel < 3 * static_cast<int>(sizeof(Sample))) return false;
    const auto* params = static_cast<const DemosaicParams*>(argument);
    f = Frame<Sample>{src,       srcStride, rect.left,        rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, dst, dstStride, dstX, dstY, dstBytesPerPixel,
                      params->phase & 3,
                      static_cast<uint32_t>(DemosaicFixedGain(params->gainRed)),
                      static_cast<uint32_t>(DemosaicFixedGain(params->gainBlue)),
                      sizeof(Sample) == 1 ? 255u : 4095u,
                      std::max(params->firstRow, 0),
                      std::min(params->endRow, rect.bottom - rect.top)};
    return f.width > 0 && f.height > 0;
}

template <typename Sample>
int Interior(const KernelLayout& layout, void* argument, int) {
    Frame<Sample> f;
    if (!MakeFrame(f, layout, argument)) return 1;
    const RowPath simd = SimdRowPath<Sample>();
    for (int y = std::max(2, f.firstRow); y < std::min(f.height - 2, f.endRow); ++y) {
        f.ScalarRow(y, 2 + f.SimdRow(simd, y, false), f.width - 2, false);
    }
    return 1;
}

template <typename Sample>
int Border(const KernelLayout& layout, void* argument, int) {
    Frame<Sample> f;
    if (!MakeFrame(f, layout, argument)) return 1;
    // The top and bottom rows fold only their neighbour rows away from the
    // side columns: the SIMD path takes them on folded row pointers.
    const RowPath simd = SimdRowPath<Sample>();
    SideColumn sides[4];
    int sideCount = 0;
    const int leftEnd = std::min(2, f.width);
    auto addSide = [&](int x) {
        SideColumn& side = sides[sideCount++];
        side = {x, ColumnState(f.phase, x), {}};
        for (int k = 0; k < 4; ++k) side.cols[k] = FoldIndex(x - 2 + k, f.width);
    };
    for (int x = 0; x < leftEnd; ++x) addSide(x);
    for (int x = std::max(leftEnd, f.width - 2); x < f.width; ++x) addSide(x);
    for (int y = f.firstRow; y < f.endRow; ++y) {
        if (y < 2 || y >= f.height - 2) {
            const int done = f.SimdRow(simd, y, true);
            if (done == 0) {
                f.ScalarRow(y, 0, f.width, true);
            } else {
                f.ScalarRow(y, 0, 2, true);
                f.ScalarRow(y, 2 + done, f.width, true);
            }
        } else {
            f.SideColumns(y, sides, sideCount);
        }
    }
    return 1;
}

}  // namespace

constexpr PixelKernel DemosaicInterior8 = AdaptKernel<Interior<uint8_t>>;
constexpr PixelKernel DemosaicBorder8 = AdaptKernel<Border<uint8_t>>;
constexpr PixelKernel DemosaicInterior16 = AdaptKernel<Interior<uint16_t>>;
constexpr PixelKernel DemosaicBorder16 = AdaptKernel<Border<uint16_t>>;

}  // namespace kvx
