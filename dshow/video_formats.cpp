#include "video_formats.h"

#include <uuids.h>

#include <cstdlib>
#include <cstring>

#include "guids.h"

namespace kvx::dshow {
namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10000000;

const GUID& SubtypeOf(PixelKind kind) {
    switch (kind) {
        case PixelKind::Rgb24: return MEDIASUBTYPE_RGB24;
        case PixelKind::Rgb32: return MEDIASUBTYPE_RGB32;
        case PixelKind::Gray8: return kSubtypeY800;
        case PixelKind::Gray16: return kSubtypeY16;
    }
    return GUID_NULL;
}

bool IsGray(PixelKind kind) { return kind == PixelKind::Gray8 || kind == PixelKind::Gray16; }

DWORD CompressionOf(PixelKind kind) { return IsGray(kind) ? SubtypeOf(kind).Data1 : BI_RGB; }

bool Given(const GUID& g) { return !IsEqualGUID(g, GUID_NULL); }

// Whether a complete video-info header describes exactly this format.
bool HeaderMatches(const BITMAPINFOHEADER& h, const VideoFormat& f, bool* topDown) {
    if (h.biWidth != f.width || std::abs(h.biHeight) != f.height) return false;
    if (h.biBitCount != BitsPerPixel(f.kind) || h.biCompression != CompressionOf(f.kind)) return false;
    if (h.biPlanes > 1) return false;
    *topDown = IsGray(f.kind) || h.biHeight < 0;
    return true;
}

}  // namespace

int BitsPerPixel(PixelKind kind) {
    switch (kind) {
        case PixelKind::Rgb24: return 24;
        case PixelKind::Rgb32: return 32;
        case PixelKind::Gray8: return 8;
        case PixelKind::Gray16: return 16;
    }
    return 0;
}

int RowStride(int width, int bitsPerPixel) { return (width * (bitsPerPixel / 8) + 3) & ~3; }

int FrameBytes(const VideoFormat& format) { return RowStride(format.width, BitsPerPixel(format.kind)) * format.height; }

int LibraryColorBits(PixelKind kind) {
    switch (kind) {
        case PixelKind::Rgb24: return 24;
        case PixelKind::Rgb32: return 32;
        case PixelKind::Gray8: return 8;
        case PixelKind::Gray16: return 48;
    }
    return 0;
}

bool UsesDeepSamples(PixelKind kind) { return kind == PixelKind::Gray16; }

std::vector<VideoFormat> OfferedFormats(int captureWidth, int captureHeight) {
    std::vector<VideoFormat> formats;
    for (PixelKind kind : {PixelKind::Rgb24, PixelKind::Rgb32, PixelKind::Gray8, PixelKind::Gray16}) {
        for (bool half : {false, true}) {
            VideoFormat f;
            f.kind = kind;
            f.half = half;
            f.width = half ? captureWidth / 2 : captureWidth;
            f.height = half ? captureHeight / 2 : captureHeight;
            f.topDown = IsGray(kind);
            if (f.width <= 0 || f.height <= 0) continue;
            if (IsGray(kind) && f.width % 4 != 0) continue;
            formats.push_back(f);
        }
    }
    return formats;
}

bool DescribeFormat(const VideoFormat& format, REFERENCE_TIME frameInterval, MediaType* out) {
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = frameInterval;
    const int bytes = FrameBytes(format);
    if (frameInterval > 0) info.dwBitRate = static_cast<DWORD>(bytes * 8LL * kUnitsPerSecond / frameInterval);
    BITMAPINFOHEADER& h = info.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = format.width;
    h.biHeight = format.topDown && !IsGray(format.kind) ? -format.height : format.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(BitsPerPixel(format.kind));
    h.biCompression = CompressionOf(format.kind);
    h.biSizeImage = static_cast<DWORD>(bytes);

    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = SubtypeOf(format.kind);
    type.bFixedSizeSamples = TRUE;
    type.bTemporalCompression = FALSE;
    type.lSampleSize = static_cast<ULONG>(bytes);
    type.formattype = FORMAT_VideoInfo;
    type.cbFormat = sizeof info;
    type.pbFormat = reinterpret_cast<BYTE*>(&info);
    return out->Assign(type);
}

void DescribeCaps(const VideoFormat& format, int captureWidth, int captureHeight, REFERENCE_TIME frameInterval,
                  VIDEO_STREAM_CONFIG_CAPS* caps) {
    std::memset(caps, 0, sizeof *caps);
    caps->guid = FORMAT_VideoInfo;
    caps->InputSize = {captureWidth, captureHeight};
    caps->MinCroppingSize = caps->MaxCroppingSize = caps->InputSize;
    caps->CropAlignX = caps->CropAlignY = 1;
    // One size per entry: the granularities stay 0, there is nothing between.
    caps->MinOutputSize = caps->MaxOutputSize = {format.width, format.height};
    // The rate is the camera's own (exposure and readout decide it), so the
    // shortest and the longest interval are the same measured one.
    caps->MinFrameInterval = caps->MaxFrameInterval = frameInterval;
    if (frameInterval > 0) {
        const LONG bits = static_cast<LONG>(FrameBytes(format) * 8LL * kUnitsPerSecond / frameInterval);
        caps->MinBitsPerSecond = caps->MaxBitsPerSecond = bits;
    }
}

bool MatchFormat(const AM_MEDIA_TYPE& type, const std::vector<VideoFormat>& offered, VideoFormat* out) {
    if (Given(type.majortype) && !IsEqualGUID(type.majortype, MEDIATYPE_Video)) return false;
    const bool complete = IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.pbFormat &&
                          type.cbFormat >= sizeof(VIDEOINFOHEADER);
    if (Given(type.formattype) && !complete) return false;
    for (const VideoFormat& f : offered) {
        if (Given(type.subtype) && !IsEqualGUID(type.subtype, SubtypeOf(f.kind))) continue;
        VideoFormat chosen = f;
        if (complete) {
            const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
            if (!HeaderMatches(info->bmiHeader, f, &chosen.topDown)) continue;
        }
        *out = chosen;
        return true;
    }
    return false;
}

}  // namespace kvx::dshow
