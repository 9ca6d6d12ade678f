/* The public header is valid C on its own, and its records have the sizes
 * it states for each word size. */
#include <stddef.h>

#include "KolvexSdk.h"

typedef char frame_info_is_24_or_32_bytes[sizeof(KolvexFrameInfo) == (sizeof(void *) == 8 ? 32 : 24) ? 1 : -1];
typedef char frame_buffer_is_at_20_or_24[offsetof(KolvexFrameInfo, buffer) == (sizeof(void *) == 8 ? 24 : 20) ? 1 : -1];

int kolvex_public_header_is_c(void) {
    KolvexCameraInfo info;
    KolvexFrameInfo frame;
    int (*initialize)(KolvexWindow) = Kolvex_Initialize;
    info.size = sizeof info;
    frame.size = (int)sizeof frame;
    return initialize != 0 && info.size == 36u && frame.size > 0;
}
