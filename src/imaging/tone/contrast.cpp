#include "imaging/tone/contrast.h"

#include "imaging/tone/lookup_table.h"

namespace kvx {
namespace {

// Stretches [t, maxValue - t] over the whole range of `size` levels.
int Stretch(int i, int t, int size) {
    const int maxValue = size - 1;
    if (i < t) return 0;
    if (i > maxValue - t) return maxValue;
    return TruncToRange(static_cast<double>(size) / (size - 2 * t) * (i - t), maxValue);
}

void Build8(ToneTable& table, int contrast, int) {
    for (int i = 0; i < 256; ++i) table.bytes[i] = static_cast<uint8_t>(Stretch(i, contrast, 256));
    table.FillPairs();
}

// Samples from the size of the depth on map to the largest value.
void Build16(ToneTable& table, int contrast, int bitDepth) {
    const int size = 1 << bitDepth;
    const int t = contrast * (1 << (bitDepth - 8));
    table.words.resize(kToneWords);
    for (int i = 0; i < size; ++i) table.words[i] = static_cast<uint16_t>(Stretch(i, t, size));
    for (int i = size; i < 65536; ++i) table.words[i] = static_cast<uint16_t>(size - 1);
}

const ToneParams& Params(void* argument) { return *static_cast<const ToneParams*>(argument); }

int Run8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
         int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int channels) {
    if (argument == nullptr) return 0;
    ApplyLookup8(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                 channels, *CachedToneTable(ToneCurve::kContrast8, Params(argument).value, 8, Build8));
    return 1;
}

int Run16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
          int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int channels) {
    if (argument == nullptr) return 0;
    const ToneParams& p = Params(argument);
    ApplyLookup16(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                  channels, *CachedToneTable(ToneCurve::kContrast16, p.value, ClampBitDepth(p.bitDepth), Build16));
    return 1;
}

}  // namespace

int ContrastGray8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                  int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run8(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 1);
}

int ContrastGray16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                   int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run16(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 1);
}

int ContrastColor8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                   int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run8(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 3);
}

int ContrastColor16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                    int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run16(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 3);
}

const PixelKernel kContrastKernels[6] = {ContrastGray8,  ContrastGray16,  ContrastColor8,
                                         ContrastColor8, ContrastColor16, ContrastColor16};

}  // namespace kvx
