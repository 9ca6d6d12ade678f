// The format dispatcher: prepares the pixels each writer takes in
// temporary bitmaps, which die with the call.
#include "display/frame_bitmap.h"
#include "imaging/export_kernels.h"
#include "output/output_kernels.h"
#include "output/still_image.h"

namespace kvx {
namespace {

// The picture reduced to 8-bit gray or 24-bit B, G, R, upside down, as the
// JPEG writer reads it.
bool ReduceForJpeg(const FrameBitmap& source, int sampleBits, FrameBitmap& reduced) {
    const bool tenBit = sampleBits == 10;
    PixelKernel kernel = nullptr;
    int bits = 24;
    switch (source.bitsPerPixel()) {
        case 8: kernel = ExportRowsFlipped, bits = 8; break;
        case 16: kernel = tenBit ? ExportGray16To8Bits10 : ExportGray16To8Bits12, bits = 8; break;
        case 24:
        case 32: kernel = ExportCopy24Flipped; break;
        case 48:
        case 64: kernel = ReduceColorWordsToBgr24Flipped; break;
        default: return false;
    }
    if (!reduced.Create(source.width(), source.height(), bits)) return false;
    return reduced.RunKernel(kernel, &source, nullptr, 0, 0, nullptr, ShiftDownFor(sampleBits)) != 0;
}

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
            FrameBitmap reduced;
            if (!ReduceForJpeg(*bitmap, sampleBits, reduced)) return 0;
            return WriteJpeg(path, &reduced, kQuality[format - kStillJpegBest]);
        }
        case kStillPng: return SavePng(path, *bitmap, sampleBits);
        case kStillTiff: return WriteTiff(path, bitmap, sampleBits);
        default: return 0;
    }
}

}  // namespace kvx
