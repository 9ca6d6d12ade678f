// Contrast: a linear stretch about the middle of the range through a lookup
// table; negative values compress towards the middle. `argument` is a
// ToneParams (value -127..127, 0 = neutral).
#pragma once

#include <cstdint>

#include "imaging/mode_kernels.h"
#include "imaging/tone/tone_params.h"

namespace kvx {


// Indexed by colour mode 0..5.
extern const ModeKernels kContrastKernels;

}  // namespace kvx
