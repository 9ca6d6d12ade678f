// The formats the capture pin offers, and their DirectShow descriptions:
// 24- and 32-bit RGB as bottom-up device-independent bitmaps (top-down when
// a client asks for a negative height), 8-bit gray from the library's gray
// path and 16-bit gray, each at the camera's capture size and subsampled
// to half of it.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <amvideo.h>

#include <vector>

#include "media_type.h"

namespace kvx::dshow {

enum class PixelKind { Rgb24, Rgb32, Gray8, Gray16 };

struct VideoFormat {
    PixelKind kind = PixelKind::Rgb24;
    int width = 0;
    int height = 0;
    bool half = false;     // the library's subsample mode 1
    bool topDown = false;  // rows top first (always so for the gray formats)

    bool operator==(const VideoFormat& o) const {
        return kind == o.kind && width == o.width && height == o.height && half == o.half && topDown == o.topDown;
    }
};

int BitsPerPixel(PixelKind kind);
// Bytes per row, padded to 4 as in a device-independent bitmap (and as the
// library copies rows out).
int RowStride(int width, int bitsPerPixel);
int FrameBytes(const VideoFormat& format);
// What Kolvex_SetColorMode is given for the format. 16-bit gray is made
// from the library's 48-bit colour image, since its own 16-bit mode is the
// raw mosaic.
int LibraryColorBits(PixelKind kind);
// Sensor samples of 16 bits (12 significant) rather than 8.
bool UsesDeepSamples(PixelKind kind);

// Offered formats for a capture window of this size, in order of
// preference; gray formats need widths on the 4-pixel grid, where FourCC
// rows and bitmap rows are the same.
std::vector<VideoFormat> OfferedFormats(int captureWidth, int captureHeight);

// The media type of a format; `frameInterval` in 100 ns units, 0 when not
// known.
bool DescribeFormat(const VideoFormat& format, REFERENCE_TIME frameInterval, MediaType* out);
void DescribeCaps(const VideoFormat& format, int captureWidth, int captureHeight, REFERENCE_TIME frameInterval,
                  VIDEO_STREAM_CONFIG_CAPS* caps);

// The offered format a client's media type asks for. A type without a
// format block (or with GUID_NULL fields) matches the first offered format
// its given fields allow.
bool MatchFormat(const AM_MEDIA_TYPE& type, const std::vector<VideoFormat>& offered, VideoFormat* out);

}  // namespace kvx::dshow
