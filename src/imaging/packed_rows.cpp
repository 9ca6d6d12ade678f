#include "imaging/packed_rows.h"

#include <cstring>

namespace kvx {
namespace {

int Expand(uint8_t* dst, KernelRect rect, int sampleBytes, int stride) {
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

int ExpandPackedRows8(uint8_t* dst, const uint8_t*, KernelRect srcRect, int, int, int, int, int dstStride, int,
                      void*, int) {
    return Expand(dst, srcRect, 1, dstStride);
}

int ExpandPackedRows16(uint8_t* dst, const uint8_t*, KernelRect srcRect, int, int, int, int, int dstStride, int,
                       void*, int) {
    return Expand(dst, srcRect, 2, dstStride);
}

}  // namespace kvx
