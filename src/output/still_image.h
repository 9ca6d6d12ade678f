// Still image files of a frame bitmap: BMP, a raw dump of the pixel memory,
// JPEG at three qualities, PNG and TIFF.
//
// Every writer fills a temporary file beside `path` and renames it over
// `path` only when everything was written, so a failed save leaves an
// existing file untouched and no partial file behind. All return 1 when
// the file is in place, else 0.
#pragma once

#include <cstdint>

namespace kvx {

class FrameBitmap;

enum StillImageFormat : int {
    kStillBmp = 0,
    kStillRaw = 1,
    kStillJpegBest = 2,    // quality 100
    kStillJpegGood = 3,    // quality 70
    kStillJpegSmall = 4,   // quality 20
    kStillPng = 5,
    kStillTiff = 6,
};

// Chooses the writer by format code and prepares the pixels it takes.
// `sampleBits` is the number of significant bits in the 16-bit samples of
// 16-, 48- and 64-bit bitmaps: 10, or 12 for any other value. 0 for a
// missing or empty bitmap and for codes outside 0 to 6 (nothing written).
int SaveFrameFile(const char* path, const FrameBitmap* bitmap, int format, int sampleBits);

// Bottom-up BMP with the bitmap's own header; 8-bit files carry the gray
// palette, deeper ones their samples unchanged.
int WriteBmp(const char* path, const FrameBitmap* bitmap);

// The pixel memory as it is: row 0 first, row filler included, no header.
int WriteRaw(const char* path, const FrameBitmap* bitmap);

// Progressive JPEG, top row first: 8- and 16-bit bitmaps as gray, the
// others as colour; 16-bit samples keep the top eight of their `sampleBits`.
int WriteJpeg(const char* path, const FrameBitmap* bitmap, int quality, int sampleBits);

// PNG from pixels in memory order, rows padded to 4 bytes, blue first, 16-bit
// samples little-endian. 8: gray; 16: gray 16; 24: RGB; 32: RGBA;
// 48: RGB 16; 64: RGBA 16.
int WritePng(const char* path, const uint8_t* pixels, int width, int height, int bitsPerPixel);

// Uncompressed single-strip TIFF, samples red first, 16-bit samples scaled
// to the full 16-bit range.
int WriteTiff(const char* path, const FrameBitmap* bitmap, int sampleBits);

}  // namespace kvx
