// Copying a converted frame into the application's buffer.
#pragma once

#include <cstdint>

#include "display/frame_bitmap.h"

namespace kvx {

// Bytes the application's buffer needs for `bitmap`: whole rows, alignment
// bytes included. 64-bit, so that no size wraps into a small one.
int64_t FrameCopyBytes(const FrameBitmap& bitmap);

// Copies every row whole into `buffer`: top row of the picture first when
// `bottomUp` is 0, bottom row first (as a device-independent bitmap keeps
// them) otherwise. False, with nothing written, when `size` is below
// FrameCopyBytes or there is nothing to copy.
bool CopyFrameOut(const FrameBitmap& bitmap, int bottomUp, void* buffer, int64_t size);

// Makes `copy` a bitmap of the same size and depth holding the same pixels
// (an 8-bit copy has the gray palette, as every 8-bit frame does). False
// when no memory could be had.
bool CopyFrameBitmap(const FrameBitmap& source, FrameBitmap& copy);

}  // namespace kvx
