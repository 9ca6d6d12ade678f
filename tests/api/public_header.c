/* The public header is valid C on its own. */
#include "KolvexSdk.h"

int kolvex_public_header_is_c(void) {
    KolvexCameraInfo info;
    KolvexFrameInfo frame;
    int (*initialize)(KolvexWindow) = Kolvex_Initialize;
    info.size = sizeof info;
    frame.size = (int)sizeof frame;
    return initialize != 0 && info.size == 36u && frame.size > 0;
}
