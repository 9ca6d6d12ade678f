// Uncompressed TIFF through libtiff: one strip holding the whole picture,
// rows in memory order without their filler, samples red first. The strip
// goes to libtiff as raw data, which it writes as it is given: 8-bit rows
// without filler straight from the bitmap in one piece, others through a
// batch of prepared rows at a time. Row by row (TIFFWriteScanline) libtiff
// would copy every row into a buffer of its own first.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include <tiffio.h>

#include "display/frame_bitmap.h"
#include "imaging/export_kernels.h"
#include "output/output_kernels.h"
#include "output/staged_file.h"
#include "output/still_image.h"

namespace kvx {
namespace {

struct TiffLayout {
    uint16_t bitsPerSample;
    uint16_t photometric;
    uint16_t samplesPerPixel;
    PixelKernel convert;  // null: bytes copied as they are
};

bool LayoutFor(int bitsPerPixel, int sampleBits, TiffLayout& layout) {
    const bool tenBit = sampleBits == 10;
    switch (bitsPerPixel) {
        case 8: layout = {8, PHOTOMETRIC_MINISBLACK, 1, nullptr}; return true;
        case 16:
            layout = {16, PHOTOMETRIC_MINISBLACK, 1, tenBit ? ExportGray16Scaled10 : ExportGray16Scaled12};
            return true;
        case 24: layout = {8, PHOTOMETRIC_RGB, 3, ExportSwap24}; return true;
        case 32: layout = {8, PHOTOMETRIC_RGB, 4, SwapColor32FourthZero}; return true;
        case 48:
            layout = {16, PHOTOMETRIC_RGB, 3, tenBit ? ExportColor48Scaled10Swapped : ExportColor48Scaled12Swapped};
            return true;
        case 64:
            layout = {16, PHOTOMETRIC_RGB, 4, tenBit ? ExportColor64Scaled10Swapped : ExportColor64Scaled12Swapped};
            return true;
        default: return false;
    }
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

}  // namespace

int WriteTiff(const char* path, const FrameBitmap* bitmap, int sampleBits) {
    if (path == nullptr || bitmap == nullptr || bitmap->empty()) return 0;
    TiffLayout layout;
    if (!LayoutFor(bitmap->bitsPerPixel(), sampleBits, layout)) return 0;

    // About this many bytes of prepared rows per write.
    constexpr size_t kBatchBytes = size_t{1} << 20;
    const int pixelBytes = bitmap->bytesPerPixel(), height = bitmap->height();
    const size_t rowBytes = static_cast<size_t>(bitmap->width()) * static_cast<size_t>(pixelBytes);
    const size_t stride = static_cast<size_t>(bitmap->stride());
    const bool asTheyLie = layout.convert == nullptr && stride == rowBytes;
    const int batchRows = asTheyLie ? height : static_cast<int>(std::clamp<size_t>(kBatchBytes / rowBytes, 1, height));
    std::unique_ptr<uint8_t[]> prepared;
    if (!asTheyLie) {
        prepared.reset(new (std::nothrow) uint8_t[rowBytes * static_cast<size_t>(batchRows)]);
        if (!prepared) return 0;
    }

    StagedFile file(path);
    if (!file.ready()) return 0;
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(file.writePath(), "w"));
    if (!tiff) return 0;
    TIFF* t = tiff.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(bitmap->width()));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(bitmap->height()));
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel);
    // A fourth sample beside R, G, B must be declared, or readers guess
    // (and warn); it carries no alpha meaning, so it stays unspecified.
    if (layout.photometric == PHOTOMETRIC_RGB && layout.samplesPerPixel == 4) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNSPECIFIED};
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    // libtiff writes samples in this machine's byte order as they are
    // given; each raw write of strip 0 adds to its end.
    auto* const bits = const_cast<uint8_t*>(bitmap->bits());
    bool ok = true;
    for (int first = 0; ok && first < height; first += batchRows) {
        const int count = std::min(batchRows, height - first);
        uint8_t* batch = bits;
        if (!asTheyLie) {
            batch = prepared.get();
            for (int i = 0; i < count; ++i) {
                uint8_t* in = bits + static_cast<size_t>(first + i) * stride;
                uint8_t* out = batch + static_cast<size_t>(i) * rowBytes;
                if (layout.convert == nullptr) {
                    std::memcpy(out, in, rowBytes);
                } else {
                    layout.convert(out, in, KernelRect{0, 0, bitmap->width(), 1}, 0, 0, pixelBytes, pixelBytes,
                                   static_cast<int>(rowBytes), bitmap->stride(), nullptr, 0);
                }
            }
        }
        const auto bytes = static_cast<tmsize_t>(rowBytes * static_cast<size_t>(count));
        ok = TIFFWriteRawStrip(t, 0, batch, bytes) == bytes;
    }
    // Closing writes the directory but cannot report a failure; flushing
    // first can.
    ok = ok && TIFFFlush(t) == 1;
    tiff.reset();
    return ok && file.Commit() ? 1 : 0;
}

}  // namespace kvx
