// The format dispatcher: prepares the pixels PNG takes in temporary
// bitmaps, which die with the call; the other writers read the bitmap.
#include "display/frame_bitmap.h"
#include "imaging/export_kernels.h"
#include "output/still_image.h"

namespace kvx {
namespace {

int SavePng(const char* path, const FrameBitmap& source, int sampleBits) {
    const bool tenBit = sampleBits == 10;
    PixelKernel kernel = nullptr;
    switch (source.bitsPerPixel()) {
        case 8:
        case 24: return WritePng(path, source.bits(), source.width(), source.height(), source.bitsPerPixel());
        case 16: kernel = tenBit ? ExportGray16Scaled10 : ExportGray16Scaled12; break;
        case 32: kernel = ExportColor32InvertedFourth; break;  // alpha = 255 - fourth byte
        case 48: kernel = tenBit ? ExportColor48Scaled10 : ExportColor48Scaled12; break;
        case 64: kernel = tenBit ? ExportColor64Scaled10 : ExportColor64Scaled12; break;
        default: return 0;
    }
    FrameBitmap prepared;
    if (!prepared.CreateLike(&source) || !prepared.RunKernel(kernel, &source, nullptr, 0, 0, nullptr, 0)) return 0;
    return WritePng(path, prepared.bits(), prepared.width(), prepared.height(), prepared.bitsPerPixel());
}

}  // namespace

int SaveFrameFile(const char* path, const FrameBitmap* bitmap, int format, int sampleBits) {
    if (path == nullptr || bitmap == nullptr || bitmap->empty()) return 0;
    switch (format) {
        case kStillBmp: return WriteBmp(path, bitmap);
        case kStillRaw: return WriteRaw(path, bitmap);
        case kStillJpegBest:
        case kStillJpegGood:
        case kStillJpegSmall: {
            static const int kQuality[] = {100, 70, 20};
            return WriteJpeg(path, bitmap, kQuality[format - kStillJpegBest], sampleBits);
        }
        case kStillPng: return SavePng(path, *bitmap, sampleBits);
        case kStillTiff: return WriteTiff(path, bitmap, sampleBits);
        default: return 0;
    }
}

}  // namespace kvx
