// A frame bitmap of any depth turned into the bottom-up 24-bit DIB rows an
// AVI frame holds.
#pragma once

namespace kvx {

class FrameBitmap;

// Converts `frame` into `bgr24` (24-bit, the recording's size) with its
// memory rows reversed, since the frame's row 0 is the top and a DIB's is
// the bottom. `gray8` (8-bit, same size) is the work bitmap for 16-bit
// frames. Samples of 16-bit words keep the top eight of `sampleBits`
// significant bits (10, or 12 for any other value). False for a depth it
// does not know or an empty bitmap.
bool ConvertFrameForAvi(const FrameBitmap& frame, int sampleBits, FrameBitmap& bgr24, FrameBitmap& gray8);

}  // namespace kvx
