#include "imaging/nearest_scaling.h"

#include <algorithm>
#include <cstring>

namespace kvx {
namespace {

KernelRect Inside(KernelRect r, int width, int height) {
    r.left = std::clamp(r.left, 0, width);
    r.right = std::clamp(r.right, r.left, width);
    r.top = std::clamp(r.top, 0, height);
    r.bottom = std::clamp(r.bottom, r.top, height);
    return r;
}

int Scale(uint8_t* dst, const uint8_t* src, KernelRect dstRect, KernelRect srcRect, int dstWidth, int dstHeight,
          int srcWidth, int srcHeight, int pixelBytes, int dstBytesPerPixel, int srcBytesPerPixel, int dstStride,
          int srcStride) {
    if (dst == nullptr || src == nullptr || dstBytesPerPixel < pixelBytes || srcBytesPerPixel < pixelBytes) return 1;
    const KernelRect d = Inside(dstRect, dstWidth, dstHeight);
    const KernelRect s = Inside(srcRect, srcWidth, srcHeight);
    const int wd = d.right - d.left, hd = d.bottom - d.top, ws = s.right - s.left, hs = s.bottom - s.top;
    if (wd <= 0 || hd <= 0 || ws <= 0 || hs <= 0) return 1;
    const float rowStep = static_cast<float>(hs) / hd;
    const float columnStep = static_cast<float>(ws) / wd;
    for (int i = 0; i < hd; ++i) {
        const int u = std::clamp(static_cast<int>(rowStep * i), 0, hs - 1);
        const uint8_t* in = src + static_cast<intptr_t>(s.top + hs - 1 - u) * srcStride +
                            static_cast<intptr_t>(s.left) * srcBytesPerPixel;
        uint8_t* out = dst + static_cast<intptr_t>(d.top + i) * dstStride + static_cast<intptr_t>(d.left) * dstBytesPerPixel;
        for (int j = 0; j < wd; ++j) {
            const int v = std::clamp(static_cast<int>(columnStep * j), 0, ws - 1);
            std::memcpy(out + static_cast<intptr_t>(j) * dstBytesPerPixel, in + static_cast<intptr_t>(v) * srcBytesPerPixel,
                        static_cast<size_t>(pixelBytes));
        }
    }
    return 1;
}

}  // namespace

int ScaleNearest8(uint8_t* dst, const uint8_t* src, KernelRect dstRect, KernelRect srcRect, int dstWidth,
                  int dstHeight, int srcWidth, int srcHeight, int dstBytesPerPixel, int srcBytesPerPixel,
                  int dstStride, int srcStride, void*, int) {
    return Scale(dst, src, dstRect, srcRect, dstWidth, dstHeight, srcWidth, srcHeight, 1, dstBytesPerPixel,
                 srcBytesPerPixel, dstStride, srcStride);
}

int ScaleNearest24(uint8_t* dst, const uint8_t* src, KernelRect dstRect, KernelRect srcRect, int dstWidth,
                   int dstHeight, int srcWidth, int srcHeight, int dstBytesPerPixel, int srcBytesPerPixel,
                   int dstStride, int srcStride, void*, int) {
    return Scale(dst, src, dstRect, srcRect, dstWidth, dstHeight, srcWidth, srcHeight, 3, dstBytesPerPixel,
                 srcBytesPerPixel, dstStride, srcStride);
}

}  // namespace kvx
