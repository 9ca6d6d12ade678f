// Named parameters: each pair is the generic filter-value pair with its
// identifier fixed, so that the two can never answer differently (also for
// unknown handles).
#include "KolvexSdk.h"

#define KOLVEX_NAMED_PARAMETER(Name, id)                                             \
    KOLVEX_API int KOLVEX_CALL Kolvex_Get##Name(int handle, int* ok) {              \
        return Kolvex_GetFilterValue(handle, id, ok);                                \
    }                                                                                \
    KOLVEX_API int KOLVEX_CALL Kolvex_Set##Name(int handle, int value) {            \
        return Kolvex_SetFilterValue(handle, id, value);                             \
    }

extern "C" {

KOLVEX_NAMED_PARAMETER(Brightness, 1)
KOLVEX_NAMED_PARAMETER(Contrast, 2)
KOLVEX_NAMED_PARAMETER(Hue, 3)
KOLVEX_NAMED_PARAMETER(Saturation, 4)
KOLVEX_NAMED_PARAMETER(Sharpness, 5)
KOLVEX_NAMED_PARAMETER(BayerGainRGB, 6)
KOLVEX_NAMED_PARAMETER(BayerGainRed, 7)
KOLVEX_NAMED_PARAMETER(BayerGainGreen, 8)
KOLVEX_NAMED_PARAMETER(BayerGainBlue, 9)
KOLVEX_NAMED_PARAMETER(BayerGainAuto, 10)
KOLVEX_NAMED_PARAMETER(Gamma, 11)
KOLVEX_NAMED_PARAMETER(BayerMode, 12)
KOLVEX_NAMED_PARAMETER(GlobalGain, 13)
KOLVEX_NAMED_PARAMETER(ColorGainRed, 14)
KOLVEX_NAMED_PARAMETER(ColorGainGreen1, 15)
KOLVEX_NAMED_PARAMETER(ColorGainGreen2, 16)
KOLVEX_NAMED_PARAMETER(ColorGainBlue, 17)
KOLVEX_NAMED_PARAMETER(ExposureTime, 18)
KOLVEX_NAMED_PARAMETER(GrayMode, 19)
KOLVEX_NAMED_PARAMETER(GrayGainR, 20)
KOLVEX_NAMED_PARAMETER(GrayGainG1, 21)
KOLVEX_NAMED_PARAMETER(GrayGainG2, 22)
KOLVEX_NAMED_PARAMETER(GrayGainB, 23)
KOLVEX_NAMED_PARAMETER(GrayOffsetR, 24)
KOLVEX_NAMED_PARAMETER(GrayOffsetG1, 25)
KOLVEX_NAMED_PARAMETER(GrayOffsetG2, 26)
KOLVEX_NAMED_PARAMETER(GrayOffsetB, 27)

}  // extern "C"
