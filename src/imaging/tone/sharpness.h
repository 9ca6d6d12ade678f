// Sharpness: an unsharp mask with a 4x4 box blur. The source must be an
// unsharpened copy of the image (never the destination itself, since the
// blur reads rows the kernel has already written); the destination is the
// image. A two-pixel border keeps its values.
//
//   4x4 window of output pixel P (rows y-2..y+1, columns x-2..x+1):
//
//     . . . .
//     . . . .
//     . . P .
//     . . . .
//
// out = orig + trunc((orig - blur) * s / 10), clipped; `argument` is a
// ToneParams (value 0..30, tenths).
#pragma once

#include <cstdint>

#include "imaging/mode_kernels.h"
#include "imaging/tone/tone_params.h"

namespace kvx {


// Indexed by colour mode 0..5.
extern const ModeKernels kSharpnessKernels;

}  // namespace kvx
