#include "imaging/tone/gamma.h"

#include <algorithm>
#include <cmath>

#include "imaging/tone/lookup_table.h"

namespace kvx {
namespace {

void BuildTable8(double exponent, uint8_t table[256]) {
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(TruncToRange(std::pow(i / 255.0, exponent) * 255.0, 255));
}

// 16-bit samples of `bitDepth` significant bits; samples beyond the depth
// are looked up as the largest one.
Lookup16 BuildTable16(double exponent, int bitDepth) {
    const int size = 1 << ClampBitDepth(bitDepth);
    Lookup16 lookup;
    lookup.table.resize(size);
    for (int i = 0; i < size; ++i)
        lookup.table[i] = static_cast<uint16_t>(
            TruncToRange(std::pow(static_cast<double>(i) / size, exponent) * (size - 1), size - 1));
    lookup.overflowValue = lookup.table[size - 1];
    return lookup;
}

const ToneParams& Params(void* argument) { return *static_cast<const ToneParams*>(argument); }

}  // namespace

double GammaExponent(int gamma) { return gamma > 100 ? (gamma - 100) / 10.0 + 1.0 : gamma / 100.0; }

int GammaGray8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
               int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    uint8_t table[256];
    BuildTable8(GammaExponent(Params(argument).value), table);
    ApplyLookup8(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                 1, table);
    return 1;
}

int GammaGray16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    const ToneParams& p = Params(argument);
    ApplyLookup16(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                  1, BuildTable16(GammaExponent(p.value), p.bitDepth));
    return 1;
}

int GammaColor8(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    // Kept away from 0 so that gamma 0 does not turn black pixels white in colour.
    const double exponent = std::clamp(GammaExponent(Params(argument).value), 0.001, 99.999);
    uint8_t table[256];
    BuildTable8(exponent, table);
    ApplyLookup8(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                 3, table);
    return 1;
}

int GammaColor16(uint8_t* dst, const uint8_t* src, KernelRect srcRect, int dstX, int dstY, int dstBytesPerPixel,
                 int srcBytesPerPixel, int dstStride, int srcStride, void* argument, int) {
    if (argument == nullptr) return 0;
    const ToneParams& p = Params(argument);
    ApplyLookup16(MakeLayout(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride),
                  3, BuildTable16(GammaExponent(p.value), p.bitDepth));
    return 1;
}

const PixelKernel kGammaKernels[6] = {GammaGray8, GammaGray16, GammaColor8, GammaColor8, GammaColor16, GammaColor16};

}  // namespace kvx
