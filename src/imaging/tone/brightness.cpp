#include "imaging/tone/brightness.h"

#include "imaging/tone/lookup_table.h"

namespace kvx {
namespace {

int Scale(int sample, float factor, int maxValue) {
    const float product = static_cast<float>(sample) * factor;
    return TruncToRange(product, maxValue);
}

const ToneParams& Params(void* argument) { return *static_cast<const ToneParams*>(argument); }

void Build8(ToneTable& table, int brightness, int) {
    const float factor = BrightnessFactor(brightness);
    for (int i = 0; i < 256; ++i) table.bytes[i] = static_cast<uint8_t>(Scale(i, factor, 255));
    table.FillPairs();
}

// Every word is scaled, those beyond the depth too, and clipped to the depth.
void Build16(ToneTable& table, int brightness, int bitDepth) {
    table.factor = BrightnessFactor(brightness);
    table.maxValue = (1 << bitDepth) - 1;
    table.rule = ToneTable::Rule::kScale;
    table.words.resize(kToneWords);
    for (int i = 0; i < 65536; ++i) table.words[i] = static_cast<uint16_t>(Scale(i, table.factor, table.maxValue));
}

int Run8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
         int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int channels) {
    if (argument == nullptr) return 0;
    ApplyLookup8(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                 channels, *CachedToneTable(ToneCurve::kBrightness8, Params(argument).value, 8, Build8));
    return 1;
}

int Run16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
          int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int channels) {
    if (argument == nullptr) return 0;
    const ToneParams& p = Params(argument);
    ApplyLookup16(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                  channels, *CachedToneTable(ToneCurve::kBrightness16, p.value, ClampBitDepth(p.bitDepth), Build16));
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
