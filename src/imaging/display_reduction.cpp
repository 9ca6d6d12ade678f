#include "imaging/display_reduction.h"

#include "imaging/kernel_loops.h"

namespace kvx {

int ReduceGray16To8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                    int srcBytesPerPixel, int dstStride, int srcStride, void*, int) {
    return ForEachPixel(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, false,
                        [](uint8_t* out, const uint8_t* in) { out[0] = static_cast<uint8_t>(LoadWord(in, 0) >> 4); });
}

int ReduceColor32To24(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                      int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void*, int) {
    return ForEachPixel(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, false,
                        [](uint8_t* out, const uint8_t* in) {
                            out[0] = in[0];
                            out[1] = in[1];
                            out[2] = in[2];
                        });
}

int ReduceColor48To24(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                      int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void*, int) {
    return ForEachPixel(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, false,
                        [](uint8_t* out, const uint8_t* in) {
                            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(LoadWord(in, c) >> 4);
                        });
}

int Luminance24To8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                   int srcBytesPerPixel, int dstStride, int srcStride, void*, int) {
    return ForEachPixel(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, false,
                        [](uint8_t* out, const uint8_t* in) {
                            out[0] = static_cast<uint8_t>((59u * in[1] + 30u * in[2] + 11u * in[0]) / 100u);
                        });
}

}  // namespace kvx
