/*
 * stream_linux.c - live frames into the program's own buffer (Linux).
 *
 *   stream [FRAMES [DEVICE]]     FRAMES defaults to 50, DEVICE to 0
 *
 * The library announces every frame with a KOLVEX_WM_FRAME message. Linux
 * has no window messages: the library keeps them in a mailbox per window
 * value, and the application collects them with KolvexLinux_WaitMessage.
 *
 * The library could also copy each frame into a buffer of ours as it
 * arrives, but it writes the next frame there while we may still be
 * reading: a reader slower than the camera sees parts of two frames.
 * Kolvex_GetImage copies the newest frame whole, under the lock the
 * library converts under, so this example takes each frame that way.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <KolvexSdk.h>
#include <KolvexSdkLinux.h>

int main(int argc, char **argv) {
    int wanted = argc > 1 ? atoi(argv[1]) : 50;
    int device = argc > 2 ? atoi(argv[2]) : 0;
    /* Any value unique in the process names a mailbox; the address of a
     * variable of ours is one. */
    static char mailbox_key;
    KolvexWindow mailbox = &mailbox_key;
    const KolvexFrameInfo *info = NULL;
    KolvexMessage message;
    int handle, size, frames = 0, failed = 0;
    unsigned char *frame;

    /* Failures are posted to the application window as KOLVEX_WM_ERROR:
     * with the mailbox as that window, one loop hears of both. */
    handle = Kolvex_Initialize(mailbox);
    if (handle == 0) return 1;
    if (device != 0 && !Kolvex_SetDeviceNumber(handle, device)) {
        fprintf(stderr, "stream: no camera at device %d\n", device);
        Kolvex_Release(handle);
        return 1;
    }
    /* 8 bits per pixel, half width and height: the raw Bayer mosaic, one
     * byte per pixel (gray with parameter 19, gray mode, set to 2). */
    Kolvex_SetColorMode(handle, 8);
    Kolvex_SetSubSample(handle, 1);
    /* No preview window: all zeros switch it off. */
    Kolvex_SetPreviewWindow(handle, NULL, 0, 0, 0, 0);

    /* Rows are padded to 4 bytes; subsampling halves the capture window. */
    size = ((Kolvex_Width(handle) / 2 + 3) & ~3) * (Kolvex_Height(handle) / 2);
    frame = malloc((size_t)size);
    /* No buffer for the library: announcements only. */
    if (!frame || !Kolvex_CallBackPreview(handle, mailbox, NULL, 0, 0)) {
        fprintf(stderr, "stream: cannot start (error %d)\n", Kolvex_GetLastError(handle));
        Kolvex_Release(handle);
        free(frame);
        return 1;
    }

    while (frames < wanted && !failed) {
        if (!KolvexLinux_WaitMessage(mailbox, 5000, &message)) {
            fprintf(stderr, "stream: no frame for 5 s\n");
            failed = 1;
        } else if (message.message == KOLVEX_WM_ERROR) {
            fprintf(stderr, "stream: error %d\n", (int)message.lParam);
        } else if (message.message == KOLVEX_WM_FRAME && message.wParam == 0) {
            /* A frame that could not be read or copied: lParam is the code. */
            fprintf(stderr, "stream: frame error %d\n", (int)message.lParam);
            failed = 1;
        } else if (message.message == KOLVEX_WM_FRAME) {
            /* The record describes the frame; the next frame overwrites it,
             * so read it before returning to the mailbox. */
            info = (const KolvexFrameInfo *)message.wParam;
            ++frames;
            if (!Kolvex_GetImage(handle, frame, size, 0)) {
                fprintf(stderr, "stream: cannot copy the frame (error %d)\n", Kolvex_GetLastError(handle));
                failed = 1;
                continue;
            }
            if (frames == 1 || frames % 10 == 0)
                printf("frame %d: %d x %d, %d bits, first pixel %d, %.1f frames/s\n", frames, info->width,
                       info->height, info->bitsPerPixel, frame[0], info->frameRate / 10.0);
        }
    }

    /* Stopping waits for the library's threads; messages already posted
     * stay in the mailbox until they are taken. */
    Kolvex_StopPreview(handle);
    while (KolvexLinux_WaitMessage(mailbox, 0, &message)) {
    }
    Kolvex_Release(handle);
    free(frame);
    printf("%d frames\n", frames);
    return failed ? 1 : 0;
}
