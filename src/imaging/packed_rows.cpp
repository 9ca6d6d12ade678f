#include "imaging/packed_rows.h"

#include <cstring>

namespace kvx {
namespace {

template <int sampleBytes>
int Expand(const KernelLayout& layout, void*, int) {
    uint8_t* dst = layout.dst;
    const KernelRect rect = layout.rect;
    const int stride = layout.dstStride;
    if (dst == nullptr) return 1;
    const intptr_t packed = static_cast<intptr_t>(rect.right - rect.left) * sampleBytes;
    const int height = rect.bottom - rect.top;
    if (packed <= 0 || packed > stride) return 1;
    // memmove copies overlapping rows as if from the last byte back.
    for (int y = height - 1; y > 0; --y) {
        std::memmove(dst + static_cast<intptr_t>(y) * stride, dst + y * packed, static_cast<size_t>(packed));
    }
    return 1;
}

}  // namespace

constexpr PixelKernel ExpandPackedRows8 = AdaptKernel<Expand<1>>;
constexpr PixelKernel ExpandPackedRows16 = AdaptKernel<Expand<2>>;

}  // namespace kvx
