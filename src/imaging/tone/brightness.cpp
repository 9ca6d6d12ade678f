#include "imaging/tone/brightness.h"

#include "imaging/tone/lookup_table.h"

namespace kvx {
namespace {

int Scale(int sample, float factor, int maxValue) {
    const float product = static_cast<float>(sample) * factor;
    return TruncToRange(product, maxValue);
}

const ToneParams& Params(void* argument) { return *static_cast<const ToneParams*>(argument); }

int Run8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
         int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int channels) {
    if (argument == nullptr) return 0;
    const float factor = BrightnessFactor(Params(argument).value);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(Scale(i, factor, 255));
    ApplyLookup8(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                 channels, table);
    return 1;
}

int Run16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
          int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int channels) {
    if (argument == nullptr) return 0;
    const ToneParams& p = Params(argument);
    const int size = 1 << ClampBitDepth(p.bitDepth);
    Lookup16 lookup;
    lookup.factor = BrightnessFactor(p.value);
    lookup.maxValue = size - 1;
    lookup.scaleOverflow = true;
    lookup.rule = Lookup16::Rule::kScale;
    lookup.table.resize(size);
    for (int i = 0; i < size; ++i) lookup.table[i] = static_cast<uint16_t>(Scale(i, lookup.factor, size - 1));
    ApplyLookup16(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                  channels, lookup);
    return 1;
}

}  // namespace

float BrightnessFactor(int brightness) {
    if (brightness < 0) return 1.0f - static_cast<float>(-brightness) * (1.0f / 255.0f);
    return 1.0f + static_cast<float>(brightness) * (10.0f / 255.0f);
}

int BrightnessGray8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                    int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run8(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 1);
}

int BrightnessGray16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                     int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run16(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 1);
}

int BrightnessColor8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                     int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run8(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 3);
}

int BrightnessColor16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY,
                      int dstBytesPerPixel, int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    return Run16(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride, argument, 3);
}

const PixelKernel kBrightnessKernels[6] = {BrightnessGray8,  BrightnessGray16,  BrightnessColor8,
                                           BrightnessColor8, BrightnessColor16, BrightnessColor16};

}  // namespace kvx
