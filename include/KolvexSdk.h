/*
 * KolvexSdk.h - C interface of the Kolvex410QFX-ZQP camera library.
 *
 * Every function returns a 32-bit integer and takes 32-bit integers or
 * pointers.  All functions except Kolvex_GetDllVersion and Kolvex_Initialize
 * take the camera handle returned by Kolvex_Initialize as their first
 * argument; an unknown handle makes them return 0 (-1 for
 * Kolvex_GetColorMode, Kolvex_GetSubSample and Kolvex_GetWaitTime) without
 * reporting anything.
 *
 * Failures are recorded in a per-camera history read by Kolvex_GetLastError
 * and posted to the application window as KOLVEX_WM_ERROR with the code in
 * lParam.  Frames are announced to the callback window as KOLVEX_WM_FRAME.
 * Getters that can fail report through an optional "ok" pointer (1 success,
 * 0 failure; NULL is allowed).
 */
#ifndef KOLVEX_SDK_H
#define KOLVEX_SDK_H

#include <stddef.h>
#include <wchar.h>

#if defined(_WIN32)
#define KOLVEX_CALL __cdecl
#define KOLVEX_API
#else
#define KOLVEX_CALL
#define KOLVEX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A window handle (HWND on Windows).  On other systems it is an opaque key
 * under which posted messages are kept for the application to collect. */
typedef void *KolvexWindow;

/* Window messages, always posted, never sent. */
#define KOLVEX_WM_FRAME 0x8002 /* WM_APP + 2: wParam = KolvexFrameInfo*, or 0 and lParam = error */
#define KOLVEX_WM_ERROR 0x8003 /* WM_APP + 3: lParam = error code */

/* Error codes (there is no code 10). */
#define KOLVEX_ERR_NO_DEVICE 1      /* no device, wrong state, or nothing to work on */
#define KOLVEX_ERR_DEVICE_NUMBER 2  /* device number absent, out of range or busy */
#define KOLVEX_ERR_THREAD 3         /* a worker thread could not be created */
#define KOLVEX_ERR_WINDOW 4         /* window, device context or size preset missing */
#define KOLVEX_ERR_RESOURCE 5       /* allocation, buffer too small, or setup failed */
#define KOLVEX_ERR_DEVICE_IO 6      /* transfer did not start, register access failed */
#define KOLVEX_ERR_GEOMETRY 7       /* capture window or subsample mode invalid */
#define KOLVEX_ERR_FRAME 8          /* a frame could not be obtained */
#define KOLVEX_ERR_ARGUMENT 9       /* invalid argument */
#define KOLVEX_ERR_UNSUPPORTED 11   /* operation not supported */
#define KOLVEX_ERR_PATH 12          /* path conversion or recording start failed */
#define KOLVEX_ERR_DEVICE_LOST 13   /* the device stopped delivering frames */

/* Still image formats for Kolvex_SaveImage. */
#define KOLVEX_FILE_BMP 0
#define KOLVEX_FILE_RAW 1       /* the bitmap's pixel memory, no header */
#define KOLVEX_FILE_JPEG_100 2  /* JPEG, quality 100 */
#define KOLVEX_FILE_JPEG_70 3
#define KOLVEX_FILE_JPEG_20 4
#define KOLVEX_FILE_PNG 5
#define KOLVEX_FILE_TIFF 6

/* Filled by Kolvex_GetCameraInfo; the caller sets size (at least 36). */
typedef struct KolvexCameraInfo {
    unsigned int size;
    int sensorWidth;
    int sensorHeight;
    int minGlobalGain;
    int maxGlobalGain;
    int reserved1;
    int reserved2;
    int minExposureLines;
    int maxExposureLines;
} KolvexCameraInfo;

/* Posted with every frame; the next one overwrites the fields it changes
 * (frameRate about once a second; the others only after the format, size
 * or destination buffer changed). */
typedef struct KolvexFrameInfo {
    int size;         /* sizeof(KolvexFrameInfo): 24 in the 32-bit library */
    int width;
    int height;
    int bitsPerPixel; /* 8, 16, 24, 32, 48 or 64 */
    int frameRate;    /* tenths of frames per second; 0 in trigger mode */
    void *buffer;     /* the destination buffer the frame was copied to */
} KolvexFrameInfo;

/* Lifecycle, errors and version */
KOLVEX_API int KOLVEX_CALL Kolvex_GetDllVersion(void);
KOLVEX_API int KOLVEX_CALL Kolvex_Initialize(KolvexWindow applicationWindow);
KOLVEX_API int KOLVEX_CALL Kolvex_Release(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_GetLastError(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_GetStatus(int handle, int reserved);

/* Operations this camera does not support: they post KOLVEX_ERR_UNSUPPORTED
 * (or write 0, for the two getters) and return 0. */
KOLVEX_API int KOLVEX_CALL Kolvex_Fpga_ReadRegister(int handle, int address, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_Fpga_WriteRegister(int handle, int address, int value);
KOLVEX_API int KOLVEX_CALL Kolvex_Fps(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_GetHalfClock(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetHalfClock(int handle, int value);
KOLVEX_API int KOLVEX_CALL Kolvex_SetCrossbar(int handle, int value);
KOLVEX_API int KOLVEX_CALL Kolvex_SetSamplingRate(int handle, int value);
KOLVEX_API int KOLVEX_CALL Kolvex_GetSamplingRate(int handle, int *value);
KOLVEX_API int KOLVEX_CALL Kolvex_GetVideoFormat(int handle, int *value);

/* Device selection and information */
KOLVEX_API int KOLVEX_CALL Kolvex_EnumDevice(int handle, char (*names)[256]);
KOLVEX_API int KOLVEX_CALL Kolvex_EnumDeviceW(int handle, wchar_t (*names)[256]);
KOLVEX_API int KOLVEX_CALL Kolvex_GetDeviceName(int handle, int device, char *name, int size);
KOLVEX_API int KOLVEX_CALL Kolvex_GetDeviceNameW(int handle, int device, wchar_t *name, int size);
KOLVEX_API int KOLVEX_CALL Kolvex_SetDeviceNumber(int handle, int device);
KOLVEX_API int KOLVEX_CALL Kolvex_GetCameraInfo(int handle, KolvexCameraInfo *info);
KOLVEX_API int KOLVEX_CALL Kolvex_Width(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_Height(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_GetCaptureWindowEx(int handle, int *horizontalTotal, int *horizontalStart,
                                                     int *width, int *verticalTotal, int *verticalStart,
                                                     int *height);
KOLVEX_API int KOLVEX_CALL Kolvex_SetCaptureWindowEx(int handle, int horizontalTotal, int horizontalStart,
                                                     int width, int verticalTotal, int verticalStart,
                                                     int height);
KOLVEX_API int KOLVEX_CALL Kolvex_SetCaptureWindow(int handle, int width, int height);

/* Acquisition.  bottomUp != 0 copies rows bottom row first (DIB order);
 * 0 puts the top row first in the buffer. */
KOLVEX_API int KOLVEX_CALL Kolvex_Preview(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_CallBackPreview(int handle, KolvexWindow callbackWindow, void *buffer,
                                                  int bufferSize, int bottomUp);
KOLVEX_API int KOLVEX_CALL Kolvex_StartPreview(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_StopPreview(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_Close(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_Capture(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_SnapShot(int handle, void *buffer, int bufferSize, int bottomUp);
KOLVEX_API int KOLVEX_CALL Kolvex_GetImage(int handle, void *buffer, int bufferSize, int bottomUp);
KOLVEX_API int KOLVEX_CALL Kolvex_Trigger(int handle, KolvexWindow callbackWindow, void *buffer, int bufferSize,
                                          int bottomUp);
KOLVEX_API int KOLVEX_CALL Kolvex_SetPreviewWindow(int handle, KolvexWindow parent, int left, int top, int right,
                                                   int bottom);
/* parameter wait-time: 0..2147483647 ms, default 1, not kept; pause of the preview loop before it waits for each
 * frame */
KOLVEX_API int KOLVEX_CALL Kolvex_SetWaitTime(int handle, int milliseconds);
KOLVEX_API int KOLVEX_CALL Kolvex_GetWaitTime(int handle);

/* Image format and parameters.  The comment above a parameter's pair is
 * generated from the parameter table, python/kolvex/parameters.json: range,
 * default, whether the library keeps it per camera for later sessions (it
 * stores those when the camera object is released and loads them at
 * Kolvex_Initialize), and what it does. */
/* parameter color: 8, 16, 24, 32, 48, 64 bits, default 24, not kept; bits per pixel: 8 the raw Bayer mosaic (gray
 * with gray-mode 2), 16 the mosaic's 12-bit samples, 24/32 BGR(A), 48/64 the same with 12-bit samples */
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorMode(int handle, int bitsPerPixel);
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorMode(int handle);
/* parameter subsample: 0..1, default 0, not kept; 1 reads every other pixel and line: frames of half the width and
 * height */
KOLVEX_API int KOLVEX_CALL Kolvex_SetSubSample(int handle, int half);
KOLVEX_API int KOLVEX_CALL Kolvex_GetSubSample(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_GetFilterValue(int handle, int parameter, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetFilterValue(int handle, int parameter, int value);
/* parameter exposure-us: 46..1493426 us, default 71143, kept; exposure time, cut to whole sensor lines: 45.6 us each
 * with the whole sensor, shorter with a narrower window or subsampling (the range shrinks with them) */
KOLVEX_API int KOLVEX_CALL Kolvex_SetRealExposureTime(int handle, int microseconds);
KOLVEX_API int KOLVEX_CALL Kolvex_GetRealExposureTime(int handle, int *ok);
/* parameter mirror-h: 0..1, default 0, kept; 1 flips the picture left to right */
KOLVEX_API int KOLVEX_CALL Kolvex_SetMirrorH(int handle, int on);
KOLVEX_API int KOLVEX_CALL Kolvex_GetMirrorH(int handle);
/* parameter mirror-v: 0..1, default 0, kept; 1 flips the picture upside down */
KOLVEX_API int KOLVEX_CALL Kolvex_SetMirrorV(int handle, int on);
KOLVEX_API int KOLVEX_CALL Kolvex_GetMirrorV(int handle);
/* parameter auto-iris: 0..2, default 0, kept; automatic exposure: 0 off, 1 by exposure time, 2 by gain */
KOLVEX_API int KOLVEX_CALL Kolvex_SetAutoIris(int handle, int mode);
KOLVEX_API int KOLVEX_CALL Kolvex_GetAutoIris(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_GetConfigFilter(int handle);
KOLVEX_API int KOLVEX_CALL Kolvex_SetConfigFilter(int handle, int reserved);

/* Named parameters: synonyms of Kolvex_GetFilterValue / Kolvex_SetFilterValue
 * with a fixed parameter number (in brackets in the comments).  Identifier 28,
 * gray-balance (0 or 1, not kept: 1 measures the four gray gains on the next
 * frame in gray mode 1), has only the generic pair. */
/* parameter brightness (1): -255..255, default 0, kept; scales the picture: -255 black, 0 as it is, 255 eleven times
 * as bright */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBrightness(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetBrightness(int handle, int value);
/* parameter contrast (2): -127..127, default 0, kept; stretches (above 0) or compresses (below 0) the tones about
 * the middle */
KOLVEX_API int KOLVEX_CALL Kolvex_GetContrast(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetContrast(int handle, int value);
/* parameter hue (3): -360..360 degrees, default 0, kept; turns every colour's hue */
KOLVEX_API int KOLVEX_CALL Kolvex_GetHue(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetHue(int handle, int value);
/* parameter saturation (4): -255..255, default 0, kept; more (above 0) or less (below 0) colour */
KOLVEX_API int KOLVEX_CALL Kolvex_GetSaturation(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetSaturation(int handle, int value);
/* parameter sharpness (5): 0..30 tenths, default 0, kept; strength of the unsharp mask */
KOLVEX_API int KOLVEX_CALL Kolvex_GetSharpness(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetSharpness(int handle, int value);
/* parameter bayer-gain-rgb (6): 0..16777215 0xBBGGRR, default 0x646464, kept; the three white-balance gains in one
 * value, one byte each */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainRGB(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainRGB(int handle, int value);
/* parameter bayer-gain-red (7): 0..400 percent, default 100, kept; white-balance gain of the red samples in colour
 * modes */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainRed(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainRed(int handle, int value);
/* parameter bayer-gain-green (8): 0..400 percent, default 100, kept; white-balance gain of the green samples in
 * colour modes */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainGreen(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainGreen(int handle, int value);
/* parameter bayer-gain-blue (9): 0..400 percent, default 100, kept; white-balance gain of the blue samples in colour
 * modes */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainBlue(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainBlue(int handle, int value);
/* parameter bayer-gain-auto (10): 0..1, default 0, not kept; 1 balances white on every frame, adjusting the three
 * gains */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainAuto(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainAuto(int handle, int value);
/* parameter gamma (11): 0..200, default 100, kept; tone curve: 100 as it is, below brightens the mid-tones, above
 * darkens them */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGamma(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGamma(int handle, int value);
/* parameter bayer-mode (12): 0..3, default 2, kept; which colour the mosaic starts with, for demosaicing */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerMode(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerMode(int handle, int value);
/* parameter global-gain (13): 0..480, default 0, kept; the sensor's analog gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGlobalGain(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGlobalGain(int handle, int value);
/* parameter color-gain-red (14): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainRed(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainRed(int handle, int value);
/* parameter color-gain-green1 (15): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainGreen1(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainGreen1(int handle, int value);
/* parameter color-gain-green2 (16): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainGreen2(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainGreen2(int handle, int value);
/* parameter color-gain-blue (17): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainBlue(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainBlue(int handle, int value);
/* parameter exposure-lines (18): 1..32767 lines, default 1561, kept; exposure time in sensor lines */
KOLVEX_API int KOLVEX_CALL Kolvex_GetExposureTime(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetExposureTime(int handle, int value);
/* parameter gray-mode (19): 0..2, default 0, kept; 8- and 16-bit modes: 0 the raw mosaic, 1 the mosaic through the
 * gray gains, 2 gray from colour (8-bit) */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayMode(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayMode(int handle, int value);
/* parameter gray-gain-r (20): 0..255 1/128, default 128, kept; gray mode 1: gain of the R sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainR(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainR(int handle, int value);
/* parameter gray-gain-g1 (21): 0..255 1/128, default 128, kept; gray mode 1: gain of the G1 sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainG1(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainG1(int handle, int value);
/* parameter gray-gain-g2 (22): 0..255 1/128, default 128, kept; gray mode 1: gain of the G2 sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainG2(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainG2(int handle, int value);
/* parameter gray-gain-b (23): 0..255 1/128, default 128, kept; gray mode 1: gain of the B sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainB(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainB(int handle, int value);
/* parameter gray-offset-r (24): -255..255, default 0, kept; gray mode 1: added to the R sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetR(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetR(int handle, int value);
/* parameter gray-offset-g1 (25): -255..255, default 0, kept; gray mode 1: added to the G1 sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetG1(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetG1(int handle, int value);
/* parameter gray-offset-g2 (26): -255..255, default 0, kept; gray mode 1: added to the G2 sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetG2(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetG2(int handle, int value);
/* parameter gray-offset-b (27): -255..255, default 0, kept; gray mode 1: added to the B sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetB(int handle, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetB(int handle, int value);

/* Device registers, serial ROM and I/O port */
KOLVEX_API int KOLVEX_CALL Kolvex_ReadRegister(int handle, int address, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_ReadRegisterEx(int handle, int address, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_WriteRegister(int handle, int address, int value);
KOLVEX_API int KOLVEX_CALL Kolvex_WriteRegisterEx(int handle, int address, int value);
KOLVEX_API int KOLVEX_CALL Kolvex_ReadSromID(int handle, int address, int *ok);
KOLVEX_API int KOLVEX_CALL Kolvex_WriteSromID(int handle, int address, int value);
KOLVEX_API int KOLVEX_CALL Kolvex_GetIOPort(int handle, unsigned char *value, int reserved1, int reserved2);
KOLVEX_API int KOLVEX_CALL Kolvex_SetIOPort(int handle, int value);

/* Files, recording, settings and dialogs */
KOLVEX_API int KOLVEX_CALL Kolvex_SaveImage(int handle, const char *path, int format);
KOLVEX_API int KOLVEX_CALL Kolvex_SaveImageW(int handle, const wchar_t *path, int format);
KOLVEX_API int KOLVEX_CALL Kolvex_Record(int handle, const char *path, int milliseconds, int showWindow);
KOLVEX_API int KOLVEX_CALL Kolvex_RecordW(int handle, const wchar_t *path, int milliseconds, int showWindow);
KOLVEX_API int KOLVEX_CALL Kolvex_LoadConfigFileA(int handle, const char *path);
KOLVEX_API int KOLVEX_CALL Kolvex_LoadConfigFileW(int handle, const wchar_t *path);
KOLVEX_API int KOLVEX_CALL Kolvex_SetCameraDlg(int handle, KolvexWindow parent);
KOLVEX_API int KOLVEX_CALL Kolvex_SetAnalogDlg(int handle, KolvexWindow parent);
KOLVEX_API int KOLVEX_CALL Kolvex_SetImageDlg(int handle, KolvexWindow parent);

#ifdef __cplusplus
}
#endif

#endif /* KOLVEX_SDK_H */
