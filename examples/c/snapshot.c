/*
 * snapshot.c - one frame from the camera into memory and into a file.
 *
 *   snapshot [FILE [DEVICE]]     FILE defaults to snapshot.png, DEVICE to 0
 *
 * The extension of FILE chooses the format: .png, .bmp, .jpg or .tif.
 * Without a camera, set KOLVEX_SIMULATOR=0 to use the library's virtual one.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <KolvexSdk.h>

/* Kolvex_SaveImage's format for a file name, -1 for an extension it has no
 * writer for. */
static int format_for(const char *path) {
    const char *dot = strrchr(path, '.');
    if (!dot) return -1;
    if (strcmp(dot, ".png") == 0) return KOLVEX_FILE_PNG;
    if (strcmp(dot, ".bmp") == 0) return KOLVEX_FILE_BMP;
    if (strcmp(dot, ".jpg") == 0) return KOLVEX_FILE_JPEG_100;
    if (strcmp(dot, ".tif") == 0) return KOLVEX_FILE_TIFF;
    return -1;
}

/* Failures are kept in a history per camera, newest first; reading a code
 * takes it out, and 0 means none is left. KolvexSdk.h names the codes
 * (KOLVEX_ERR_...). A file the writer cannot create records none. */
static int fail(int handle, const char *what) {
    int code, codes = 0;
    fprintf(stderr, "snapshot: %s failed", what);
    while ((code = Kolvex_GetLastError(handle)) != 0) fprintf(stderr, "%s %d", codes++ ? "," : ": error", code);
    fprintf(stderr, "\n");
    Kolvex_Release(handle);
    return 1;
}

int main(int argc, char **argv) {
    const char *path = argc > 1 ? argv[1] : "snapshot.png";
    int device = argc > 2 ? atoi(argv[2]) : 0;
    int format = format_for(path);
    int handle, width, height, stride;
    unsigned char *frame;
    unsigned long sum = 0;
    int x, y;

    if (format < 0) {
        fprintf(stderr, "snapshot: %s: give a .png, .bmp, .jpg or .tif file\n", path);
        return 2;
    }
    /* No application window: failures are only recorded, not posted. The
     * camera object starts on device 0 with the settings stored for it. */
    handle = Kolvex_Initialize(NULL);
    if (handle == 0) return 1;
    if (device != 0 && !Kolvex_SetDeviceNumber(handle, device)) return fail(handle, "selecting the device");

    /* Neither setting is kept for later programs: each run says what it wants. */
    Kolvex_SetColorMode(handle, 24);
    Kolvex_SetSubSample(handle, 0);

    /* 24 bits per pixel are B, G, R bytes; each row is padded to 4 bytes. */
    width = Kolvex_Width(handle);
    height = Kolvex_Height(handle);
    stride = (width * 3 + 3) & ~3;
    frame = malloc((size_t)stride * (size_t)height);
    if (!frame) return fail(handle, "allocating the frame");

    /* Outside acquisition a snapshot opens the camera for one frame and
     * gives it back; the last argument 0 puts the top row first. */
    if (!Kolvex_SnapShot(handle, frame, stride * height, 0)) {
        free(frame);
        return fail(handle, "taking a frame");
    }
    for (y = 0; y < height; ++y)
        for (x = 0; x < width * 3; ++x) sum += frame[(size_t)y * (size_t)stride + (size_t)x];
    printf("frame %d x %d, mean level %.1f\n", width, height, (double)sum / ((double)width * height * 3));
    free(frame);

    /* The library writes the frame it converted last; a file that exists is
     * replaced only once the new one is complete. */
    if (!Kolvex_SaveImage(handle, path, format)) return fail(handle, "writing the file");
    printf("saved %s\n", path);

    /* Release stores the camera's kept parameters (none changed here) and
     * frees everything; the handle is invalid afterwards. */
    Kolvex_Release(handle);
    return 0;
}
