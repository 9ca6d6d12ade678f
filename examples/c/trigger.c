/*
 * trigger.c - one frame for each pulse on the camera's trigger input.
 *
 *   trigger [FRAMES [DEVICE]]    FRAMES defaults to 3, DEVICE to 0
 *
 * In trigger mode the camera exposes a frame when its trigger input is
 * pulsed (a light barrier, a PLC, a strobe). The library posts
 * KOLVEX_WM_FRAME for each one, as in a preview, and Kolvex_GetImage copies
 * it out whole (a buffer given to Kolvex_Trigger would take the next frame
 * while we might still be reading this one). Build with wait_message_windows.c or wait_message_linux.c.
 */
#include <stdio.h>
#include <stdlib.h>

#include <KolvexSdk.h>

#include "wait_message.h"

/* How long to wait for each pulse. */
#define PULSE_WAIT_MS 60000u

/* The mean level of an 8-bit frame whose rows are padded to 4 bytes. */
static double mean_level(const unsigned char *frame, int width, int height) {
    int stride = (width + 3) & ~3, x, y;
    unsigned long sum = 0;
    for (y = 0; y < height; ++y)
        for (x = 0; x < width; ++x) sum += frame[(size_t)y * (size_t)stride + (size_t)x];
    return (double)sum / ((double)width * height);
}

int main(int argc, char **argv) {
    int wanted = argc > 1 ? atoi(argv[1]) : 3;
    int device = argc > 2 ? atoi(argv[2]) : 0;
    KolvexWindow window = open_message_window();
    PostedMessage message;
    int handle, size, frames = 0, failed = 0;
    unsigned char *frame;

    if (!window) return 1;
    handle = Kolvex_Initialize(window);
    if (handle == 0) return 1;
    if (device != 0 && !Kolvex_SetDeviceNumber(handle, device)) {
        fprintf(stderr, "trigger: no camera at device %d\n", device);
        Kolvex_Release(handle);
        return 1;
    }
    /* The raw 8-bit mosaic at half width and height, no preview window. */
    Kolvex_SetColorMode(handle, 8);
    Kolvex_SetSubSample(handle, 1);
    Kolvex_SetPreviewWindow(handle, NULL, 0, 0, 0, 0);
    size = ((Kolvex_Width(handle) / 2 + 3) & ~3) * (Kolvex_Height(handle) / 2);
    frame = malloc((size_t)size);

    /* Arms the trigger and returns at once; a worker of the library waits
     * for the pulses. The frames' rate field is 0 in this mode. */
    if (!frame || !Kolvex_Trigger(handle, window, NULL, 0, 0)) {
        fprintf(stderr, "trigger: cannot arm the trigger (error %d)\n", Kolvex_GetLastError(handle));
        failed = 1;
    } else {
        printf("waiting for %d trigger pulses\n", wanted);
        fflush(stdout);
    }
    while (!failed && frames < wanted) {
        if (!wait_message(window, PULSE_WAIT_MS, &message)) {
            fprintf(stderr, "trigger: no pulse for %u s\n", PULSE_WAIT_MS / 1000);
            failed = 1;
        } else if (message.message == KOLVEX_WM_FRAME && message.wParam == 0) {
            fprintf(stderr, "trigger: frame error %d\n", (int)message.lParam);
            failed = 1;
        } else if (message.message == KOLVEX_WM_FRAME) {
            const KolvexFrameInfo *info = (const KolvexFrameInfo *)message.wParam;
            ++frames;
            if (!Kolvex_GetImage(handle, frame, size, 0)) {
                fprintf(stderr, "trigger: cannot copy the frame (error %d)\n", Kolvex_GetLastError(handle));
                failed = 1;
                continue;
            }
            printf("frame %d: %d x %d, mean level %.1f\n", frames, info->width, info->height,
                   mean_level(frame, info->width, info->height));
            fflush(stdout);
        } else if (message.message == KOLVEX_WM_ERROR) {
            fprintf(stderr, "trigger: error %d\n", (int)message.lParam);
        }
    }

    /* Stopping leaves trigger mode; the camera runs freely again at the next start. */
    Kolvex_StopPreview(handle);
    Kolvex_Release(handle);
    close_message_window(window);
    free(frame);
    return failed ? 1 : 0;
}
