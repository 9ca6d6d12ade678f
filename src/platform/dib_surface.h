// Pixel memory that the system can draw: on Windows a device-independent
// bitmap section selected into its own memory device context; where the
// section cannot be made, and on systems without one, zeroed heap memory
// that the kernels can still work on but nothing can draw.
//
// Blocking and threads: No call blocks beyond allocating memory. Any thread
// may call them, one thread at a time per surface (the camera's frame lock
// sees to that for its bitmaps).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvx::platform {

// The 40-byte header the system reads, field for field.
struct DibHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(DibHeader) == 40, "the system reads exactly 40 bytes");

// Blue, green, red, reserved.
struct DibColor {
    uint8_t blue, green, red, reserved;
};

struct DibInfo {
    DibHeader header;
    DibColor colors[256];
};

struct DibSurface {
    void* memoryDc = nullptr;        // null for heap memory
    void* section = nullptr;         // null for heap memory
    void* previousObject = nullptr;  // what the device context held before the section
    uint8_t* bits = nullptr;
    bool heapMemory = false;
};

// Creates the surface for `info` with `imageBytes` of pixel memory, zeroed.
// `compatibleDc` may be null. Falls back to heap memory when the system
// refuses the section; fails (false, `out` left empty) when the device
// context or the selection fails or no memory is left.
bool CreateDibSurface(const DibInfo& info, size_t imageBytes, void* compatibleDc, DibSurface& out);

// Releases everything and empties `surface`. Safe on an empty surface.
void DestroyDibSurface(DibSurface& surface);

// Writes colour table entries into the section (nothing for heap memory).
void SetDibSurfaceColors(DibSurface& surface, int first, int count, const DibColor* colors);

// A plain source-copy block transfer between two device contexts, in the
// system's coordinates (row 0 at the top as drawn). False when either
// surface has no device context or the system refuses.
bool BlitDibSurface(DibSurface& destination, int x, int y, int width, int height, const DibSurface& source,
                    int sourceX, int sourceY);

}  // namespace kvx::platform
