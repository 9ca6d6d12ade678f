// BMP and raw dumps: the bitmap's own bytes, BMP rows last picture row first.
#include <cstdint>
#include <cstdio>
#include <limits>

#include "display/frame_bitmap.h"
#include "output/little_endian.h"
#include "output/staged_file.h"
#include "output/still_image.h"

namespace kvx {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPaletteBytes = 256 * 4;

void PutInfoHeader(LittleEndianBuffer& out, const platform::DibHeader& h) {
    out.U32(h.biSize);
    out.I32(h.biWidth);
    out.I32(h.biHeight);
    out.U16(h.biPlanes);
    out.U16(h.biBitCount);
    out.U32(h.biCompression);
    out.U32(h.biSizeImage);
    out.I32(h.biXPelsPerMeter);
    out.I32(h.biYPelsPerMeter);
    out.U32(h.biClrUsed);
    out.U32(h.biClrImportant);
}

bool WriteAll(std::FILE* out, const void* data, size_t size) {
    return size == 0 || std::fwrite(data, 1, size, out) == size;
}

}  // namespace

int WriteBmp(const char* path, const FrameBitmap* bitmap) {
    if (path == nullptr || bitmap == nullptr || bitmap->empty()) return 0;
    const bool palette = bitmap->bitsPerPixel() <= 8;
    const uint32_t dataOffset = kFileHeaderBytes + kInfoHeaderBytes + (palette ? kPaletteBytes : 0);
    const uint64_t imageBytes = static_cast<uint64_t>(bitmap->stride()) * static_cast<uint64_t>(bitmap->height());
    // The file header holds the whole size in 32 bits.
    if (imageBytes + dataOffset > std::numeric_limits<uint32_t>::max()) return 0;

    LittleEndianBuffer headers;
    headers.U16(0x4D42);  // "BM"
    headers.U32(static_cast<uint32_t>(dataOffset + imageBytes));
    headers.U32(0);
    headers.U32(dataOffset);
    PutInfoHeader(headers, bitmap->info().header);
    // A temporary 8-bit bitmap always carries the gray palette, whatever
    // entries the source's section had, so every 8-bit file gets it.
    if (palette) {
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            const uint8_t entry[4] = {v, v, v, 0};
            headers.Bytes(entry, 4);
        }
    }

    StagedFile file(path);
    std::FILE* out = file.OpenStream();
    if (out == nullptr) return 0;
    bool ok = WriteAll(out, headers.bytes().data(), headers.size());
    const size_t stride = static_cast<size_t>(bitmap->stride());
    for (int row = bitmap->height() - 1; ok && row >= 0; --row) {
        ok = WriteAll(out, bitmap->bits() + static_cast<size_t>(row) * stride, stride);
    }
    ok = StagedFile::CloseStream(out) && ok;
    return ok && file.Commit() ? 1 : 0;
}

int WriteRaw(const char* path, const FrameBitmap* bitmap) {
    if (path == nullptr || bitmap == nullptr || bitmap->empty()) return 0;
    StagedFile file(path);
    std::FILE* out = file.OpenStream();
    if (out == nullptr) return 0;
    const size_t bytes = static_cast<size_t>(bitmap->stride()) * static_cast<size_t>(bitmap->height());
    bool ok = WriteAll(out, bitmap->bits(), bytes);
    ok = StagedFile::CloseStream(out) && ok;
    return ok && file.Commit() ? 1 : 0;
}

}  // namespace kvx
