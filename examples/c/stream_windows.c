/*
 * stream_windows.c - live video in a window of the program's, with every
 * frame also copied into the program's own buffer (Windows).
 *
 *   stream [FRAMES [DEVICE]]     stop after FRAMES frames (default: when the
 *                                window is closed), DEVICE defaults to 0
 *
 * The library paints its preview window as a child of ours and posts
 * KOLVEX_WM_FRAME to the window we name for each frame; failures come as
 * KOLVEX_WM_ERROR. Both are posted, so they are handled by the window
 * procedure on the thread that runs the message loop. Kolvex_GetImage
 * copies the frame out whole: a buffer given to Kolvex_CallBackPreview
 * would take the next frame while we might still be reading this one.
 */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <KolvexSdk.h>

static int g_handle;
static unsigned char *g_frame;
static int g_frames, g_wanted, g_failed, g_size;

static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case KOLVEX_WM_FRAME:
            if (wParam == 0) {
                /* A frame that could not be read or copied: lParam is the code. */
                fprintf(stderr, "stream: frame error %d\n", (int)lParam);
                g_failed = 1;
                DestroyWindow(window);
            } else {
                /* The next frame overwrites the record: read it here. */
                const KolvexFrameInfo *info = (const KolvexFrameInfo *)wParam;
                char title[96];
                ++g_frames;
                if (!Kolvex_GetImage(g_handle, g_frame, g_size, 0)) {
                    fprintf(stderr, "stream: cannot copy the frame (error %d)\n", Kolvex_GetLastError(g_handle));
                    g_failed = 1;
                    DestroyWindow(window);
                    return 0;
                }
                snprintf(title, sizeof title, "Kolvex camera - %d x %d, %.1f frames/s", info->width,
                         info->height, info->frameRate / 10.0);
                SetWindowTextA(window, title);
                if (g_frames == 1 || g_frames % 10 == 0)
                    printf("frame %d: %d x %d, %d bits, first pixel %d, %.1f frames/s\n", g_frames, info->width,
                           info->height, info->bitsPerPixel, g_frame[0], info->frameRate / 10.0);
                if (g_wanted > 0 && g_frames >= g_wanted) DestroyWindow(window);
            }
            return 0;
        case KOLVEX_WM_ERROR:
            fprintf(stderr, "stream: error %d\n", (int)lParam);
            return 0;
        case WM_DESTROY:
            /* Before the child windows go: Close stops acquisition (waiting
             * for the library's worker) and destroys the preview window,
             * which only this thread, the one that made it, may do. Frames
             * posted meanwhile are dropped with our window. */
            Kolvex_Close(g_handle);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

int main(int argc, char **argv) {
    int device = argc > 2 ? atoi(argv[2]) : 0;
    WNDCLASSA windowClass = {0};
    RECT client = {0, 0, 640, 480};
    HWND window;
    MSG message;
    int size;

    g_wanted = argc > 1 ? atoi(argv[1]) : 0;
    windowClass.lpfnWndProc = window_procedure;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.lpszClassName = "KolvexStreamExample";
    RegisterClassA(&windowClass);
    AdjustWindowRect(&client, WS_OVERLAPPEDWINDOW, FALSE);
    window = CreateWindowExA(0, windowClass.lpszClassName, "Kolvex camera", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, client.right - client.left, client.bottom - client.top,
                             NULL, NULL, windowClass.hInstance, NULL);
    if (!window) return 1;

    /* Our window receives the failures as KOLVEX_WM_ERROR too. */
    g_handle = Kolvex_Initialize(window);
    if (g_handle == 0) return 1;
    if (device != 0 && !Kolvex_SetDeviceNumber(g_handle, device)) {
        fprintf(stderr, "stream: no camera at device %d\n", device);
        Kolvex_Release(g_handle);
        return 1;
    }
    /* 24-bit BGR at half width and height; neither is kept for later runs. */
    Kolvex_SetColorMode(g_handle, 24);
    Kolvex_SetSubSample(g_handle, 1);
    /* The preview as a 640 x 480 child at (0, 0) of our window: with a
     * parent, right and bottom are the child's width and height. The
     * library scales the picture to it. */
    Kolvex_SetPreviewWindow(g_handle, window, 0, 0, 640, 480);

    /* Rows are padded to 4 bytes; subsampling halves the capture window. */
    size = ((Kolvex_Width(g_handle) / 2 * 3 + 3) & ~3) * (Kolvex_Height(g_handle) / 2);
    g_size = size;
    g_frame = malloc((size_t)size);
    ShowWindow(window, SW_SHOWNORMAL);
    if (!g_frame || !Kolvex_CallBackPreview(g_handle, window, NULL, 0, 0)) {
        fprintf(stderr, "stream: cannot start (error %d)\n", Kolvex_GetLastError(g_handle));
        DestroyWindow(window);
        g_failed = 1;
    }

    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Kolvex_Release(g_handle);
    free(g_frame);
    printf("%d frames\n", g_frames);
    return g_failed ? 1 : 0;
}
