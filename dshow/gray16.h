// 16-bit gray from the library's 48-bit colour image, by the weights of
// the library's own 8-bit gray (59 % green, 30 % red, 11 % blue), its 12
// significant bits moved to the top of the word as 16-bit gray formats
// expect full scale.
#pragma once

#include <windows.h>

namespace kvx::dshow {

void LuminanceRows(const BYTE* color, int colorStride, int width, int height, BYTE* gray, int grayStride);

}  // namespace kvx::dshow
