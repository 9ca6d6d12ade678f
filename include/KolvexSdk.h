/**
 * @file KolvexSdk.h
 * C interface of the Kolvex410QFX-ZQP camera library.
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
 * lParam; the few functions that only post their code say so.  Frames are
 * announced to the callback window as KOLVEX_WM_FRAME.  Getters that can
 * fail report through an optional "ok" pointer (1 success, 0 failure; NULL
 * is allowed).
 *
 * Threads: every function may be called from any thread.  Starts and stops
 * of one camera object are serialised, a waiting stop going first;
 * parameters may change while frames arrive.  The library's own threads (a
 * worker per camera, a transfer thread and a recording thread) never wait
 * for the application's threads, and messages are posted, never sent, so a
 * window procedure may call any function, Kolvex_StopPreview included.
 *
 * Settings: the parameters the library keeps are stored per camera when a
 * camera object is released and loaded by the next Kolvex_Initialize, in
 * any program (the registry on Windows, a file on Linux).
 *
 * Word sizes: the Windows library comes as a 32-bit and a 64-bit DLL of the
 * same name, KolvexSdk_410QFX_ZQP.dll, with the same functions; a program
 * loads the one of its own word size.  Integers are 32-bit in both.  Pointer-
 * sized (4 bytes in the 32-bit DLL, 8 in the 64-bit DLL and on 64-bit Linux):
 *   - every pointer argument, and KolvexWindow (a window handle);
 *   - the wParam and lParam of the messages, as WPARAM and LPARAM are: the
 *     wParam of KOLVEX_WM_FRAME is the whole address of a KolvexFrameInfo;
 *   - KolvexFrameInfo.buffer, which makes that record 24 bytes in the 32-bit
 *     DLL and 32 in the 64-bit one (its size field says which).
 * 32-bit and 64-bit programs on one machine share cameras and settings:
 * a camera streaming in one is busy for the other.
 */
#ifndef KOLVEX_SDK_H
#define KOLVEX_SDK_H

#include <stddef.h>
#include <wchar.h>

/** @def KOLVEX_CALL
 * The calling convention of every function: __cdecl on Windows. */
/** @def KOLVEX_API
 * Marks the library's exports. */
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

/** A window handle (HWND on Windows; pointer-sized).  On other systems it
 * is an opaque key under which posted messages are kept for the application
 * to collect. */
typedef void *KolvexWindow;

/** @name Window messages
 * Always posted, never sent: Windows queues them for the window's thread; on Linux they wait in
 * the mailbox of the window value (KolvexLinux_WaitMessage). */
/** @{ */
#define KOLVEX_WM_FRAME 0x8002 /**< WM_APP + 2: wParam = KolvexFrameInfo*, or 0 and lParam = error */
#define KOLVEX_WM_ERROR 0x8003 /**< WM_APP + 3: lParam = error code */
/** @} */

/** @name Error codes
 * What Kolvex_GetLastError returns and KOLVEX_WM_ERROR carries (there is no code 10). */
/** @{ */
#define KOLVEX_ERR_NO_DEVICE 1      /**< no device, wrong state, or nothing to work on */
#define KOLVEX_ERR_DEVICE_NUMBER 2  /**< device number absent, out of range or busy */
#define KOLVEX_ERR_THREAD 3         /**< a worker thread could not be created */
#define KOLVEX_ERR_WINDOW 4         /**< window, device context or size preset missing */
#define KOLVEX_ERR_RESOURCE 5       /**< allocation, buffer too small, or setup failed */
#define KOLVEX_ERR_DEVICE_IO 6      /**< transfer did not start, register access failed */
#define KOLVEX_ERR_GEOMETRY 7       /**< capture window or subsample mode invalid */
#define KOLVEX_ERR_FRAME 8          /**< a frame could not be obtained */
#define KOLVEX_ERR_ARGUMENT 9       /**< invalid argument */
#define KOLVEX_ERR_UNSUPPORTED 11   /**< operation not supported */
#define KOLVEX_ERR_PATH 12          /**< path conversion or recording start failed */
#define KOLVEX_ERR_DEVICE_LOST 13   /**< the device stopped delivering frames */
/** @} */

/** @name Still image formats
 * The formats of Kolvex_SaveImage. */
/** @{ */
#define KOLVEX_FILE_BMP 0       /**< Windows bitmap, 8-bit frames with a gray palette */
#define KOLVEX_FILE_RAW 1       /**< the bitmap's pixel memory, no header */
#define KOLVEX_FILE_JPEG_100 2  /**< JPEG, quality 100 */
#define KOLVEX_FILE_JPEG_70 3   /**< JPEG, quality 70 */
#define KOLVEX_FILE_JPEG_20 4   /**< JPEG, quality 20 */
#define KOLVEX_FILE_PNG 5       /**< PNG, 16-bit samples for the deep modes */
#define KOLVEX_FILE_TIFF 6      /**< uncompressed TIFF, 16-bit samples for the deep modes */
/** @} */

/** Filled by Kolvex_GetCameraInfo; the caller sets size (at least 36). */
typedef struct KolvexCameraInfo {
    unsigned int size;    /**< set by the caller: sizeof(KolvexCameraInfo) */
    int sensorWidth;      /**< 2048 */
    int sensorHeight;     /**< 1536 */
    int minGlobalGain;    /**< the lowest gain, 0 */
    int maxGlobalGain;    /**< the highest gain */
    int reserved1;        /**< 0 */
    int reserved2;        /**< 0 */
    int minExposureLines; /**< the shortest exposure in sensor lines, 1 */
    int maxExposureLines; /**< the longest exposure in sensor lines */
} KolvexCameraInfo;

/** Posted with every frame; the next one overwrites the fields it changes
 * (frameRate about once a second; the others only after the format, size
 * or destination buffer changed).  The record stays readable after the
 * camera object is released. */
typedef struct KolvexFrameInfo {
    int size;         /**< sizeof(KolvexFrameInfo): 24 in the 32-bit library, 32 in the 64-bit ones */
    int width;        /**< the frame's width in pixels */
    int height;       /**< the frame's height in pixels */
    int bitsPerPixel; /**< 8, 16, 24, 32, 48 or 64 */
    int frameRate;    /**< tenths of frames per second; 0 in trigger mode */
    void *buffer;     /**< the destination buffer the frame was copied to; pointer-sized, at byte 20
                       * in the 32-bit library and at byte 24 (after 4 bytes of padding) in 64-bit ones */
} KolvexFrameInfo;

/** @name Lifecycle, errors and version
 * Creating and releasing camera objects, their error history and the version. */
/** @{ */
/** The library's version number: 0x01B2051F (28443935) for release 1.0.0.
 * @return the version number; never fails.
 * @errors none.
 * @threads any thread; needs no camera.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetDllVersion(void);
/** Creates a camera object and returns its handle.
 * The object maps the device table that processes share, opens the driver, selects device 0 and
 * initialises its sensor, and loads the settings stored for device 0 (capture window, colour mode,
 * subsampling, wait time and every kept parameter), which it sends to the sensor.
 * @param applicationWindow the window that receives KOLVEX_WM_ERROR for every failure of this
 *        camera, or NULL for none. On Linux any value unique in the process: the messages wait in
 *        its mailbox (KolvexLinux_WaitMessage).
 * @return the handle, never 0 for a live camera; 0 only when the object could not be allocated. A
 *         handle comes back even when initialisation failed: KOLVEX_ERR_RESOURCE is then in its
 *         history and every later call fails with KOLVEX_ERR_NO_DEVICE, until Kolvex_Release.
 * @errors KOLVEX_ERR_RESOURCE (shared memory, device or bitmaps could not be made);
 *         KOLVEX_ERR_GEOMETRY when the stored capture window does not fit the sensor, which then
 *         gets the whole sensor.
 * @threads any thread; each handle is independent. Release every handle created, or the settings
 *          are not stored.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Initialize(KolvexWindow applicationWindow);
/** Stops and destroys a camera object.
 * Stops acquisition and a recording (finishing its file), closes the preview window, stores every
 * kept parameter for the selected device, gives the device back to other programs and frees
 * everything. The handle is unknown afterwards; a KolvexFrameInfo already posted stays readable.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1, or 0 for an unknown handle (also a second release).
 * @errors none.
 * @threads any thread. A call still running on the same handle in another thread keeps the object
 *          alive until it returns, but the library no longer touches the application's buffers once
 *          Release returned. Windows destroys a preview window only on the thread that made it;
 *          from another thread it is asked to close and goes when its thread next handles messages.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Release(int handle);
/** Takes the newest code out of the camera's error history.
 * The history keeps the 20 newest failures, newest first; each call returns one and removes it, so
 * calls in a row return older codes, then 0. Codes only posted (see the functions that say so)
 * never enter it.
 * @param handle a camera handle from Kolvex_Initialize
 * @return a KOLVEX_ERR_ code, or 0 when the history is empty or the handle is unknown.
 * @errors none.
 * @threads any thread; the history has a lock of its own, and failures of the library's threads (a
 *          lost device, a recording that ended early) are recorded there too.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetLastError(int handle);
/** Kept for applications written for other models of the family.
 * @param handle a camera handle from Kolvex_Initialize
 * @param reserved ignored.
 * @return always 0.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetStatus(int handle, int reserved);
/** @} */

/** @name Operations this camera does not support
 * Kept so that applications written for other models of the family link and run: they post
 * KOLVEX_ERR_UNSUPPORTED (or write 0, for the two getters) and return 0. */
/** @{ */
/** Not supported by this camera: the camera has no programmable logic to read.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address ignored.
 * @param ok ignored; nothing is written.
 * @return always 0.
 * @errors posts KOLVEX_ERR_UNSUPPORTED to the application window without recording it
 *         (Kolvex_GetLastError does not see it).
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Fpga_ReadRegister(int handle, int address, int *ok);
/** Not supported by this camera: the camera has no programmable logic to write.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address ignored.
 * @param value ignored.
 * @return always 0.
 * @errors posts KOLVEX_ERR_UNSUPPORTED to the application window without recording it
 *         (Kolvex_GetLastError does not see it).
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Fpga_WriteRegister(int handle, int address, int value);
/** Not supported by this camera: the frame rate comes with each frame (KolvexFrameInfo).
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok ignored; nothing is written.
 * @return always 0.
 * @errors posts KOLVEX_ERR_UNSUPPORTED to the application window without recording it
 *         (Kolvex_GetLastError does not see it).
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Fps(int handle, int *ok);
/** Not supported by this camera: the sensor clock is fixed.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok ignored; nothing is written.
 * @return always 0.
 * @errors posts KOLVEX_ERR_UNSUPPORTED to the application window without recording it
 *         (Kolvex_GetLastError does not see it).
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetHalfClock(int handle, int *ok);
/** Not supported by this camera: the sensor clock is fixed.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value ignored.
 * @return always 0.
 * @errors posts KOLVEX_ERR_UNSUPPORTED to the application window without recording it
 *         (Kolvex_GetLastError does not see it).
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetHalfClock(int handle, int value);
/** Not supported by this camera: the camera has no video crossbar.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value ignored.
 * @return always 0.
 * @errors posts KOLVEX_ERR_UNSUPPORTED to the application window without recording it
 *         (Kolvex_GetLastError does not see it).
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetCrossbar(int handle, int value);
/** Not supported by this camera: the sampling rate is fixed.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value ignored.
 * @return always 0.
 * @errors posts KOLVEX_ERR_UNSUPPORTED to the application window without recording it
 *         (Kolvex_GetLastError does not see it).
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetSamplingRate(int handle, int value);
/** Not supported by this camera: the sampling rate, reported as 0.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value receives 0 for a known handle; may be NULL.
 * @return always 0.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetSamplingRate(int handle, int *value);
/** Not supported by this camera: the analog video format, reported as 0.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value receives 0 for a known handle; may be NULL.
 * @return always 0.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetVideoFormat(int handle, int *value);
/** @} */

/** @name Device selection and information
 * Which cameras are present, which one a camera object drives, its sensor and capture window. */
/** @{ */
/** Looks for cameras at every device number and names those it finds.
 * The names are "Kolvex410QFX-ZQP_01", "_02" and so on in the order found, up to ten; unlike
 * Kolvex_GetDeviceName they do not follow the device numbers. The selected device does not change.
 * @param handle a camera handle from Kolvex_Initialize
 * @param names a table of 10 names of 256 characters; entries after the last camera found are
 *        emptied.
 * @return the number of cameras found, at most 10; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object; KOLVEX_ERR_ARGUMENT for NULL.
 * @threads any thread; probing asks the driver about all 32 device numbers, which takes a moment.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_EnumDevice(int handle, char (*names)[256]);
/** Kolvex_EnumDevice with wide-character names.
 * @param handle a camera handle from Kolvex_Initialize
 * @param names a table of 10 names of 256 wide characters.
 * @return the number of cameras found, at most 10; 0 on failure.
 * @errors as Kolvex_EnumDevice.
 * @threads as Kolvex_EnumDevice.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_EnumDeviceW(int handle, wchar_t (*names)[256]);
/** The name of the camera at a device number.
 * The name is "Kolvex410QFX-ZQP_" followed by the device number plus one in two digits: device 6 is
 * "Kolvex410QFX-ZQP_07".
 * @param handle a camera handle from Kolvex_Initialize
 * @param device the device number, 0 to 31.
 * @param name receives the name, terminated.
 * @param size the size of name in characters, at least 20.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_ARGUMENT for a NULL name, a size below 20 or a device number outside 0 to 31;
 *         KOLVEX_ERR_DEVICE_NUMBER when no camera answers at that number; KOLVEX_ERR_NO_DEVICE
 *         without a device object.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetDeviceName(int handle, int device, char *name, int size);
/** Kolvex_GetDeviceName with a wide-character name.
 * @param handle a camera handle from Kolvex_Initialize
 * @param device the device number, 0 to 31.
 * @param name receives the name, terminated.
 * @param size the size of name in wide characters, at least 20.
 * @return 1, or 0 on failure.
 * @errors as Kolvex_GetDeviceName.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetDeviceNameW(int handle, int device, wchar_t *name, int size);
/** Switches the camera object to the camera at another device number.
 * Stores the kept parameters of the device in use, then loads those stored for the new one. A
 * camera that another program streams from can be selected; its first start here is then refused
 * until that program lets it go.
 * @param handle a camera handle from Kolvex_Initialize
 * @param device the device number, 0 to 31.
 * @return 1, or 0 on failure (the device in use stays selected).
 * @errors KOLVEX_ERR_DEVICE_NUMBER when no camera answers at that number or it is out of range;
 *         KOLVEX_ERR_NO_DEVICE while acquisition runs (stop it first) or without a device object.
 * @threads any thread; waits for a start or stop of this camera that is in progress.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetDeviceNumber(int handle, int device);
/** The sensor's size and the ranges of gain and exposure.
 * @param handle a camera handle from Kolvex_Initialize
 * @param info the record to fill; set its size member to sizeof(KolvexCameraInfo) first.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_ARGUMENT for NULL; KOLVEX_ERR_RESOURCE when info->size is below 36;
 *         KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetCameraInfo(int handle, KolvexCameraInfo *info);
/** The width of the capture window in sensor pixels (2048 by default).
 * Frames are half as wide while subsampling (Kolvex_SetSubSample) is on.
 * @param handle a camera handle from Kolvex_Initialize
 * @return the width, or 0 for an unknown handle.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Width(int handle);
/** The height of the capture window in sensor lines (1536 by default).
 * Frames are half as high while subsampling (Kolvex_SetSubSample) is on.
 * @param handle a camera handle from Kolvex_Initialize
 * @return the height, or 0 for an unknown handle.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Height(int handle);
/** The capture window: the part of the sensor that is read.
 * @param handle a camera handle from Kolvex_Initialize
 * @param horizontalTotal receives the sensor width the window refers to (2048); may be NULL.
 * @param horizontalStart receives the left edge in pixels; may be NULL.
 * @param width receives the width in pixels; may be NULL.
 * @param verticalTotal receives the sensor height the window refers to (1536); may be NULL.
 * @param verticalStart receives the top edge in lines; may be NULL.
 * @param height receives the height in lines; may be NULL.
 * @return 1 for a known handle.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetCaptureWindowEx(int handle, int *horizontalTotal, int *horizontalStart,
                                                     int *width, int *verticalTotal, int *verticalStart,
                                                     int *height);
/** Sets the capture window, the part of the sensor that is read.
 * The window must lie on the 2048 x 1536 sensor and be at least 4 x 3; the sensor reads it with the
 * width rounded up to a multiple of 4, and frames have exactly the size asked for. While
 * acquisition runs the new window applies from the next start. The window is not kept for later
 * sessions. The exposure range in microseconds narrows with a narrower window.
 * @param handle a camera handle from Kolvex_Initialize
 * @param horizontalTotal the sensor width the window refers to (2048); stored as given.
 * @param horizontalStart the left edge, 0 or more.
 * @param width the width, 4 or more.
 * @param verticalTotal the sensor height the window refers to (1536); stored as given.
 * @param verticalStart the top edge, 0 or more.
 * @param height the height, 3 or more.
 * @return 1, or 0 on failure (the window in use stays).
 * @errors KOLVEX_ERR_GEOMETRY for a window off the sensor or too small; KOLVEX_ERR_NO_DEVICE
 *         without a device object.
 * @threads any thread; waits for a start or stop of this camera that is in progress.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetCaptureWindowEx(int handle, int horizontalTotal, int horizontalStart,
                                                     int width, int verticalTotal, int verticalStart,
                                                     int height);
/** Selects the stored capture-window preset of a given size.
 * Presets are stored by the camera settings dialog (Kolvex_SetCameraDlg) for the selected device;
 * presets under the library's settings root are searched after them.
 * @param handle a camera handle from Kolvex_Initialize
 * @param width the preset's width.
 * @param height the preset's height.
 * @return 1 when a preset was found (also when it did not fit the sensor and the whole sensor was
 *         taken instead), 0 otherwise.
 * @errors KOLVEX_ERR_WINDOW when no preset of that size is stored; KOLVEX_ERR_GEOMETRY, posted
 *         only, for a preset that does not fit; KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread; waits for a start or stop of this camera that is in progress.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetCaptureWindow(int handle, int width, int height);
/** @} */

/** @name Acquisition
 * Preview, frame callbacks, on-demand capture, snapshots and trigger mode. A camera object is
 * idle, previewing, capturing or triggering; Kolvex_StopPreview returns it to idle. */
/** @{ */
/** Starts continuous acquisition with the preview window only.
 * Forgets the frame callback of an earlier Kolvex_CallBackPreview or Kolvex_Trigger and opens the
 * preview window where Kolvex_SetPreviewWindow put it (by default a top-level window of the frame's
 * size; all zeros there switch it off).
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1, or 0 on failure; a failure closes the preview window and stops acquisition.
 * @errors KOLVEX_ERR_FRAME, after the cause: KOLVEX_ERR_DEVICE_NUMBER when no camera answers or
 *         another camera object (in this program or another) streams from it; KOLVEX_ERR_GEOMETRY
 *         for a capture window the sensor refuses; KOLVEX_ERR_WINDOW when the preview window cannot
 *         be made; KOLVEX_ERR_THREAD; KOLVEX_ERR_DEVICE_IO when the transfer does not start;
 *         KOLVEX_ERR_NO_DEVICE in capture or trigger state or without a device object.
 * @threads any thread; the preview window belongs to the calling thread, which must handle its
 *          messages for it to be moved, repainted or closed. Starts and stops of one camera are
 *          serialised.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Preview(int handle);
/** Starts continuous acquisition with every frame delivered to the application.
 * The library's worker converts each frame, paints the preview window (if one is placed, as for
 * Kolvex_Preview), copies the frame into buffer and posts KOLVEX_WM_FRAME to callbackWindow with a
 * KolvexFrameInfo in wParam. A frame that cannot be read or copied is posted with wParam 0 and the
 * code in lParam: KOLVEX_ERR_RESOURCE (buffer too small; the frame is then not announced),
 * KOLVEX_ERR_FRAME or KOLVEX_ERR_DEVICE_LOST (acquisition ended). While previewing, a second call
 * only takes the new destination.
 * @param handle a camera handle from Kolvex_Initialize
 * @param callbackWindow the window that receives KOLVEX_WM_FRAME, or NULL; on Linux a mailbox value
 *        (KolvexLinux_WaitMessage).
 * @param buffer the application's buffer for each frame, or NULL for none: Kolvex_Width x
 *        Kolvex_Height pixels (halved in both while subsampling) in the colour mode's bits per
 *        pixel, each row padded to a multiple of 4 bytes. It must stay valid until acquisition has
 *        stopped.
 * @param bufferSize the size of buffer in bytes; 0 for no copy.
 * @param bottomUp 0 puts the top row first, non-zero the bottom row (the order of a Windows
 *        device-independent bitmap).
 * @return 1, or 0 on failure; a failure closes the preview window and stops acquisition.
 * @errors as Kolvex_Preview.
 * @threads any thread. The worker writes into buffer and posts from its own thread, so read buffer
 *          and the record before the next frame arrives, or copy the frame whole with
 *          Kolvex_GetImage. Stopping from the window procedure that handles KOLVEX_WM_FRAME is
 *          safe.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_CallBackPreview(int handle, KolvexWindow callbackWindow, void *buffer,
                                                  int bufferSize, int bottomUp);
/** Starts continuous acquisition as set up before, keeping the frame callback and the preview
 * window as they are.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1, also when already previewing; 0 on failure.
 * @errors KOLVEX_ERR_DEVICE_LOST when the camera stopped delivering during the last run
 *         (Kolvex_StopPreview first); KOLVEX_ERR_DEVICE_NUMBER when no camera answers or another
 *         camera object (in this program or another) streams from it; KOLVEX_ERR_GEOMETRY for a
 *         capture window the sensor refuses; KOLVEX_ERR_WINDOW when the preview window cannot be
 *         made; KOLVEX_ERR_THREAD; KOLVEX_ERR_DEVICE_IO when the transfer does not start;
 *         KOLVEX_ERR_NO_DEVICE in capture or trigger state or without a device object.
 * @threads any thread; starts and stops of one camera are serialised.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_StartPreview(int handle);
/** Stops acquisition: preview, capture or trigger.
 * Waits for the library's worker to end, gives the device back to other programs and finishes a
 * running recording with the frames it has. The preview window stays open and the last frame stays
 * available to Kolvex_GetImage and Kolvex_SaveImage.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1, or 0 without a device object.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread, including the window procedure that handles KOLVEX_WM_FRAME: the worker
 *          never waits for the application's threads. A stop goes before starts and snapshots
 *          waiting for the camera, and cancels a snapshot waiting for its frame.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_StopPreview(int handle);
/** Stops acquisition, closes the preview window and forgets the last frame.
 * After it Kolvex_SaveImage fails until a new frame was taken.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1 for a known handle.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object (the result is still 1).
 * @threads as Kolvex_StopPreview. Windows destroys the preview window only on the thread that made
 *          it; from another thread it is asked to close and goes when its thread next handles
 *          messages.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Close(int handle);
/** Enters on-demand capture: the device is held and programmed once, and each Kolvex_SnapShot reads
 * the next frame.
 * Ends with Kolvex_StopPreview or Kolvex_Close.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1, also when already capturing; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE in preview or trigger state or without a device object;
 *         KOLVEX_ERR_DEVICE_NUMBER when no camera answers or another camera object streams from it;
 *         KOLVEX_ERR_GEOMETRY.
 * @threads any thread; starts and stops of one camera are serialised.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Capture(int handle);
/** Takes one frame, converts it and copies it into the application's buffer.
 * Outside acquisition the device is held for this one frame; in capture state (Kolvex_Capture) it
 * stays held for the next. No message is posted.
 * @param handle a camera handle from Kolvex_Initialize
 * @param buffer receives the frame (see Kolvex_CallBackPreview for its size); NULL takes the frame
 *        without copying it, for Kolvex_SaveImage.
 * @param bufferSize the size of buffer in bytes.
 * @param bottomUp 0 puts the top row first, non-zero the bottom row.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE while previewing or triggering or without a device object;
 *         KOLVEX_ERR_DEVICE_NUMBER when no camera answers or another camera object streams from it;
 *         KOLVEX_ERR_FRAME when no frame came; KOLVEX_ERR_RESOURCE for a buffer too small;
 *         KOLVEX_ERR_GEOMETRY.
 * @threads blocks the calling thread until the frame has arrived (about a frame time, or up to the
 *          frame time-out when the camera does not answer); a Kolvex_StopPreview or Kolvex_Close
 *          from another thread cancels the wait.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SnapShot(int handle, void *buffer, int bufferSize, int bottomUp);
/** Copies the last converted frame into the application's buffer.
 * The frame is the one of the colour mode set now: after a change of mode it is the last frame
 * taken in that mode, if any.
 * @param handle a camera handle from Kolvex_Initialize
 * @param buffer receives the frame (see Kolvex_CallBackPreview for its size).
 * @param bufferSize the size of buffer in bytes.
 * @param bottomUp 0 puts the top row first, non-zero the bottom row.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_RESOURCE when no frame of the colour mode was taken, for NULL or a buffer too
 *         small; KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread, also while acquisition runs: the copy is made under the lock the worker
 *          converts under, so it is always one whole frame.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetImage(int handle, void *buffer, int bufferSize, int bottomUp);
/** Enters trigger mode: the camera takes a frame for each pulse on its trigger input.
 * The library's worker waits for the pulses and delivers each frame as Kolvex_CallBackPreview does
 * (frameRate 0). While triggering, a second call only takes the new destination. Kolvex_StopPreview
 * leaves trigger mode.
 * @param handle a camera handle from Kolvex_Initialize
 * @param callbackWindow the window that receives KOLVEX_WM_FRAME, or NULL; on Linux a mailbox value
 *        (KolvexLinux_WaitMessage).
 * @param buffer the application's buffer for each frame, or NULL for none: Kolvex_Width x
 *        Kolvex_Height pixels (halved in both while subsampling) in the colour mode's bits per
 *        pixel, each row padded to a multiple of 4 bytes. It must stay valid until acquisition has
 *        stopped.
 * @param bufferSize the size of buffer in bytes; 0 for no copy.
 * @param bottomUp 0 puts the top row first, non-zero the bottom row (the order of a Windows
 *        device-independent bitmap).
 * @return 1, or 0 on failure; a failure closes the preview window.
 * @errors KOLVEX_ERR_NO_DEVICE while previewing or capturing or without a device object;
 *         KOLVEX_ERR_DEVICE_NUMBER, KOLVEX_ERR_GEOMETRY, KOLVEX_ERR_WINDOW, KOLVEX_ERR_THREAD as
 *         for Kolvex_Preview; KOLVEX_ERR_DEVICE_LOST, recorded and posted as a frame error by the
 *         worker, when the camera goes away while waiting.
 * @threads as Kolvex_CallBackPreview.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Trigger(int handle, KolvexWindow callbackWindow, void *buffer, int bufferSize,
                                          int bottomUp);
/** Places the preview window that the next start opens.
 * With a parent the preview is a child window at (left, top) of size right x bottom; without one it
 * is a top-level window, centred, whose client area is the frame's size (any non-zero rectangle
 * asks for it). All five 0: no preview window. A window already open stays until Kolvex_Close. On
 * Linux the window is an X11 window when DISPLAY names a reachable server (parent is then an X
 * window id) and off-screen otherwise.
 * @param handle a camera handle from Kolvex_Initialize
 * @param parent the parent window, or NULL.
 * @param left the child's left edge in the parent's client area.
 * @param top the child's top edge.
 * @param right the child's width (with a parent).
 * @param bottom the child's height (with a parent).
 * @return 1, or 0 without a device object.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread; the window is made by the thread that starts acquisition.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetPreviewWindow(int handle, KolvexWindow parent, int left, int top, int right,
                                                   int bottom);
/** Sets the pause of the preview worker before it waits for each frame.
 * Longer pauses lower the rate of delivered frames and the load; a stop ends a pause at once. Not
 * kept for later sessions.
 * @param handle a camera handle from Kolvex_Initialize
 * @param milliseconds 0 or more.
 * @return 1, or 0 for a negative value.
 * @errors none: a negative value is refused without a code.
 * @threads any thread; the running worker takes the new pause from its next frame.
 */
/* parameter wait-time: 0..2147483647 ms, default 1, not kept; pause of the preview loop before it waits for each
 * frame */
KOLVEX_API int KOLVEX_CALL Kolvex_SetWaitTime(int handle, int milliseconds);
/** The pause of the preview worker before it waits for each frame, in milliseconds.
 * Range and default: #Kolvex_SetWaitTime.
 * @param handle a camera handle from Kolvex_Initialize
 * @return the pause, or -1 for an unknown handle.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetWaitTime(int handle);
/** @} */

/* Image format and parameters.  The comment above a parameter's pair is
 * generated from the parameter table, python/kolvex/parameters.json: range,
 * default, whether the library keeps it per camera for later sessions (it
 * stores those when the camera object is released and loads them at
 * Kolvex_Initialize), and what it does. */
/** @name Image format and parameters
 * The frames' format and the parameters with functions of their own. The paragraph "Parameter
 * table" comes from python/kolvex/parameters.json: range, default, unit, whether the library
 * keeps the value for the camera (stored at Kolvex_Release, loaded at Kolvex_Initialize and
 * Kolvex_SetDeviceNumber) and what it does. */
/** @{ */
/** Sets the format of the frames the application receives.
 * 8: the raw Bayer mosaic, one byte per pixel (gray with gray mode 2, see Kolvex_SetGrayMode); 16:
 * the mosaic's 12-bit samples in 16-bit words; 24 and 32: B, G, R (and a fourth byte) per pixel; 48
 * and 64: the same in 16-bit words with 12 significant bits.
 * @param handle a camera handle from Kolvex_Initialize
 * @param bitsPerPixel 8, 16, 24, 32, 48 or 64.
 * @return 1, or 0 for any other value.
 * @errors KOLVEX_ERR_ARGUMENT for any other value.
 * @threads any thread; while acquisition runs the new value applies from the next start.
 */
/* parameter color: 8, 16, 24, 32, 48, 64 bits, default 24, not kept; bits per pixel: 8 the raw Bayer mosaic (gray
 * with gray-mode 2), 16 the mosaic's 12-bit samples, 24/32 BGR(A), 48/64 the same with 12-bit samples */
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorMode(int handle, int bitsPerPixel);
/** The colour mode as a depth code: the bits of each sample's information rather than the bits per
 * pixel.
 * Range and default: #Kolvex_SetColorMode.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 8, 12, 24, 32, 44 or 60 for the modes Kolvex_SetColorMode calls 8, 16, 24, 32, 48 and 64;
 *         -1 for an unknown handle.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorMode(int handle);
/** Turns subsampling on or off: with it the sensor reads every other pixel and line, and frames are
 * half as wide and high as the capture window.
 * @param handle a camera handle from Kolvex_Initialize
 * @param half 1 for half size, 0 for full size.
 * @return 1, or 0 for any other value.
 * @errors none: another value is refused without a code.
 * @threads any thread; while acquisition runs the new value applies from the next start.
 */
/* parameter subsample: 0..1, default 0, not kept; 1 reads every other pixel and line: frames of half the width and
 * height */
KOLVEX_API int KOLVEX_CALL Kolvex_SetSubSample(int handle, int half);
/** Whether subsampling is on.
 * Range and default: #Kolvex_SetSubSample.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1 or 0; -1 for an unknown handle.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetSubSample(int handle);
/** Reads a numbered parameter, 1 to 28.
 * The functions named after the parameters (Kolvex_GetBrightness and the others of their group) are
 * this function with their number; parameter 28, gray balance, has only this one. Parameters 13
 * (gain) and 18 (exposure in lines) are read from the sensor, the others from the camera object.
 * @param handle a camera handle from Kolvex_Initialize
 * @param parameter the parameter's number, 1 to 28.
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_ARGUMENT for a number outside 1 to 28; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetFilterValue(int handle, int parameter, int *ok);
/** Changes a numbered parameter, 1 to 28.
 * A value outside the parameter's range is refused and the old one stays, except for parameter 6,
 * whose three bytes are taken as they are, and parameter 10, where any non-zero value means 1.
 * Parameters 13 (gain) and 18 (exposure in lines) go to the sensor at once; the others change the
 * conversion of the following frames. Kept parameters are stored when the camera object is
 * released.
 * @param handle a camera handle from Kolvex_Initialize
 * @param parameter the parameter's number, 1 to 28.
 * @param value the new value.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_ARGUMENT for a number outside 1 to 28 or a value outside the parameter's
 *         range; KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetFilterValue(int handle, int parameter, int value);
/** Sets the exposure time in microseconds.
 * The time is cut to whole sensor lines of the length the sensor is programmed for, which follows
 * the capture window's width and subsampling; Kolvex_GetRealExposureTime tells what it became. It
 * goes to the sensor at once, and the camera keeps the lines: a start with another window or
 * subsampling turns them into another time.
 * @param handle a camera handle from Kolvex_Initialize
 * @param microseconds the exposure time; it must come to 1 to 32767 lines.
 * @return 1, or 0 on failure (the exposure stays).
 * @errors KOLVEX_ERR_ARGUMENT for a time of less than one line or more than the sensor's longest;
 *         KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
/* parameter exposure-us: 46..1493426 us, default 71143, kept; exposure time, cut to whole sensor lines: 45.6 us each
 * with the whole sensor, shorter with a narrower window or subsampling (the range shrinks with them) */
KOLVEX_API int KOLVEX_CALL Kolvex_SetRealExposureTime(int handle, int microseconds);
/** The exposure time in microseconds, computed from the exposure in lines and the line length of
 * the capture window in use.
 * Range and default: #Kolvex_SetRealExposureTime.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the exposure time; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetRealExposureTime(int handle, int *ok);
/** Mirrors the picture left to right on the sensor (and corrects the colour order for it).
 * @param handle a camera handle from Kolvex_Initialize
 * @param on non-zero to mirror, 0 for the normal picture.
 * @return 1, or 0 without a device object.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
/* parameter mirror-h: 0..1, default 0, kept; 1 flips the picture left to right */
KOLVEX_API int KOLVEX_CALL Kolvex_SetMirrorH(int handle, int on);
/** Whether the picture is mirrored left to right.
 * Range and default: #Kolvex_SetMirrorH.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1 or 0; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetMirrorH(int handle);
/** Mirrors the picture upside down on the sensor (and corrects the colour order for it).
 * @param handle a camera handle from Kolvex_Initialize
 * @param on non-zero to mirror, 0 for the normal picture.
 * @return 1, or 0 without a device object.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object, posted only (not in the history).
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
/* parameter mirror-v: 0..1, default 0, kept; 1 flips the picture upside down */
KOLVEX_API int KOLVEX_CALL Kolvex_SetMirrorV(int handle, int on);
/** Whether the picture is mirrored upside down.
 * Range and default: #Kolvex_SetMirrorV.
 * @param handle a camera handle from Kolvex_Initialize
 * @return 1 or 0; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object, posted only.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetMirrorV(int handle);
/** Sets automatic exposure: the worker measures each frame and adjusts the exposure time (1) or the
 * gain (2) from the brightness of each frame.
 * @param handle a camera handle from Kolvex_Initialize
 * @param mode 0 off, 1 by exposure time, 2 by gain.
 * @return 1, or 0 for another mode.
 * @errors KOLVEX_ERR_ARGUMENT for another mode, posted only (not in the history).
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
/* parameter auto-iris: 0..2, default 0, kept; automatic exposure: 0 off, 1 by exposure time, 2 by gain */
KOLVEX_API int KOLVEX_CALL Kolvex_SetAutoIris(int handle, int mode);
/** The automatic exposure mode: 0 off, 1 by exposure time, 2 by gain.
 * Range and default: #Kolvex_SetAutoIris.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1; may be NULL.
 * @return the mode.
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetAutoIris(int handle, int *ok);
/** Not supported by this camera.
 * @param handle a camera handle from Kolvex_Initialize
 * @return -1 (0 for an unknown handle).
 * @errors KOLVEX_ERR_UNSUPPORTED, always.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetConfigFilter(int handle);
/** Not supported by this camera.
 * @param handle a camera handle from Kolvex_Initialize
 * @param reserved ignored.
 * @return -1 (0 for an unknown handle).
 * @errors KOLVEX_ERR_UNSUPPORTED, always.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetConfigFilter(int handle, int reserved);
/** @} */

/* Named parameters: synonyms of Kolvex_GetFilterValue / Kolvex_SetFilterValue
 * with a fixed parameter number (in brackets in the comments).  Identifier 28,
 * gray-balance (0 or 1, not kept: 1 measures the four gray gains on the next
 * frame in gray mode 1), has only the generic pair. */
/** @name Named parameters
 * Kolvex_GetFilterValue and Kolvex_SetFilterValue with the parameter's number fixed; they answer
 * exactly as the generic pair does, also for an unknown handle. */
/** @{ */
/** Reads the brightness: Kolvex_GetFilterValue with parameter 1.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter brightness (1): -255..255, default 0, kept; scales the picture: -255 black, 0 as it is, 255 eleven times
 * as bright */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBrightness(int handle, int *ok);
/** Changes the brightness: Kolvex_SetFilterValue with parameter 1.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetBrightness.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetBrightness(int handle, int value);
/** Reads the contrast: Kolvex_GetFilterValue with parameter 2.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter contrast (2): -127..127, default 0, kept; stretches (above 0) or compresses (below 0) the tones about
 * the middle */
KOLVEX_API int KOLVEX_CALL Kolvex_GetContrast(int handle, int *ok);
/** Changes the contrast: Kolvex_SetFilterValue with parameter 2.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetContrast.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetContrast(int handle, int value);
/** Reads the hue rotation: Kolvex_GetFilterValue with parameter 3.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter hue (3): -360..360 degrees, default 0, kept; turns every colour's hue */
KOLVEX_API int KOLVEX_CALL Kolvex_GetHue(int handle, int *ok);
/** Changes the hue rotation: Kolvex_SetFilterValue with parameter 3.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetHue.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetHue(int handle, int value);
/** Reads the saturation: Kolvex_GetFilterValue with parameter 4.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter saturation (4): -255..255, default 0, kept; more (above 0) or less (below 0) colour */
KOLVEX_API int KOLVEX_CALL Kolvex_GetSaturation(int handle, int *ok);
/** Changes the saturation: Kolvex_SetFilterValue with parameter 4.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetSaturation.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetSaturation(int handle, int value);
/** Reads the sharpness: Kolvex_GetFilterValue with parameter 5.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter sharpness (5): 0..30 tenths, default 0, kept; strength of the unsharp mask */
KOLVEX_API int KOLVEX_CALL Kolvex_GetSharpness(int handle, int *ok);
/** Changes the sharpness: Kolvex_SetFilterValue with parameter 5.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetSharpness.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetSharpness(int handle, int value);
/** Reads the three white-balance gains in one value: Kolvex_GetFilterValue with parameter 6.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter bayer-gain-rgb (6): 0..16777215 0xBBGGRR, default 0x646464, kept; the three white-balance gains in one
 * value, one byte each */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainRGB(int handle, int *ok);
/** Changes the three white-balance gains in one value: Kolvex_SetFilterValue with parameter 6.
 * Each byte is taken as it is, without a range check.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetBayerGainRGB.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainRGB(int handle, int value);
/** Reads the white-balance gain of the red samples: Kolvex_GetFilterValue with parameter 7.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter bayer-gain-red (7): 0..400 percent, default 100, kept; white-balance gain of the red samples in colour
 * modes */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainRed(int handle, int *ok);
/** Changes the white-balance gain of the red samples: Kolvex_SetFilterValue with parameter 7.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetBayerGainRed.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainRed(int handle, int value);
/** Reads the white-balance gain of the green samples: Kolvex_GetFilterValue with parameter 8.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter bayer-gain-green (8): 0..400 percent, default 100, kept; white-balance gain of the green samples in
 * colour modes */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainGreen(int handle, int *ok);
/** Changes the white-balance gain of the green samples: Kolvex_SetFilterValue with parameter 8.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetBayerGainGreen.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainGreen(int handle, int value);
/** Reads the white-balance gain of the blue samples: Kolvex_GetFilterValue with parameter 9.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter bayer-gain-blue (9): 0..400 percent, default 100, kept; white-balance gain of the blue samples in colour
 * modes */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainBlue(int handle, int *ok);
/** Changes the white-balance gain of the blue samples: Kolvex_SetFilterValue with parameter 9.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetBayerGainBlue.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainBlue(int handle, int value);
/** Reads automatic white balance: Kolvex_GetFilterValue with parameter 10.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter bayer-gain-auto (10): 0..1, default 0, not kept; 1 balances white on every frame, adjusting the three
 * gains */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerGainAuto(int handle, int *ok);
/** Changes automatic white balance: Kolvex_SetFilterValue with parameter 10.
 * Any non-zero value is taken as 1.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetBayerGainAuto.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerGainAuto(int handle, int value);
/** Reads the gamma: Kolvex_GetFilterValue with parameter 11.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gamma (11): 0..200, default 100, kept; tone curve: 100 as it is, below brightens the mid-tones, above
 * darkens them */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGamma(int handle, int *ok);
/** Changes the gamma: Kolvex_SetFilterValue with parameter 11.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGamma.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGamma(int handle, int value);
/** Reads the Bayer mode (the colour the mosaic starts with): Kolvex_GetFilterValue with parameter
 * 12.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter bayer-mode (12): 0..3, default 2, kept; which colour the mosaic starts with, for demosaicing */
KOLVEX_API int KOLVEX_CALL Kolvex_GetBayerMode(int handle, int *ok);
/** Changes the Bayer mode (the colour the mosaic starts with): Kolvex_SetFilterValue with parameter
 * 12.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetBayerMode.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetBayerMode(int handle, int value);
/** Reads the sensor's gain: Kolvex_GetFilterValue with parameter 13.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter global-gain (13): 0..480, default 0, kept; the sensor's analog gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGlobalGain(int handle, int *ok);
/** Changes the sensor's gain: Kolvex_SetFilterValue with parameter 13.
 * The gain goes to the sensor at once.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGlobalGain.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGlobalGain(int handle, int value);
/** Reads the red colour gain, which this sensor does not have: Kolvex_GetFilterValue with parameter
 * 14.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter color-gain-red (14): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainRed(int handle, int *ok);
/** Changes the red colour gain, which this sensor does not have: Kolvex_SetFilterValue with
 * parameter 14.
 * Only 0 is taken.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetColorGainRed.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainRed(int handle, int value);
/** Reads the first green colour gain, which this sensor does not have: Kolvex_GetFilterValue with
 * parameter 15.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter color-gain-green1 (15): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainGreen1(int handle, int *ok);
/** Changes the first green colour gain, which this sensor does not have: Kolvex_SetFilterValue with
 * parameter 15.
 * Only 0 is taken.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetColorGainGreen1.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainGreen1(int handle, int value);
/** Reads the second green colour gain, which this sensor does not have: Kolvex_GetFilterValue with
 * parameter 16.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter color-gain-green2 (16): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainGreen2(int handle, int *ok);
/** Changes the second green colour gain, which this sensor does not have: Kolvex_SetFilterValue
 * with parameter 16.
 * Only 0 is taken.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetColorGainGreen2.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainGreen2(int handle, int value);
/** Reads the blue colour gain, which this sensor does not have: Kolvex_GetFilterValue with
 * parameter 17.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter color-gain-blue (17): 0..0, default 0, kept; always 0: this sensor has one gain, global-gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetColorGainBlue(int handle, int *ok);
/** Changes the blue colour gain, which this sensor does not have: Kolvex_SetFilterValue with
 * parameter 17.
 * Only 0 is taken.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetColorGainBlue.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetColorGainBlue(int handle, int value);
/** Reads the exposure time in sensor lines: Kolvex_GetFilterValue with parameter 18.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter exposure-lines (18): 1..32767 lines, default 1561, kept; exposure time in sensor lines */
KOLVEX_API int KOLVEX_CALL Kolvex_GetExposureTime(int handle, int *ok);
/** Changes the exposure time in sensor lines: Kolvex_SetFilterValue with parameter 18.
 * The exposure goes to the sensor at once.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetExposureTime.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetExposureTime(int handle, int value);
/** Reads the gray mode: Kolvex_GetFilterValue with parameter 19.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-mode (19): 0..2, default 0, kept; 8- and 16-bit modes: 0 the raw mosaic, 1 the mosaic through the
 * gray gains, 2 gray from colour (8-bit) */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayMode(int handle, int *ok);
/** Changes the gray mode: Kolvex_SetFilterValue with parameter 19.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayMode.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayMode(int handle, int value);
/** Reads the gray gain of the R sites: Kolvex_GetFilterValue with parameter 20.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-gain-r (20): 0..255 1/128, default 128, kept; gray mode 1: gain of the R sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainR(int handle, int *ok);
/** Changes the gray gain of the R sites: Kolvex_SetFilterValue with parameter 20.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayGainR.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainR(int handle, int value);
/** Reads the gray gain of the G1 sites: Kolvex_GetFilterValue with parameter 21.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-gain-g1 (21): 0..255 1/128, default 128, kept; gray mode 1: gain of the G1 sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainG1(int handle, int *ok);
/** Changes the gray gain of the G1 sites: Kolvex_SetFilterValue with parameter 21.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayGainG1.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainG1(int handle, int value);
/** Reads the gray gain of the G2 sites: Kolvex_GetFilterValue with parameter 22.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-gain-g2 (22): 0..255 1/128, default 128, kept; gray mode 1: gain of the G2 sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainG2(int handle, int *ok);
/** Changes the gray gain of the G2 sites: Kolvex_SetFilterValue with parameter 22.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayGainG2.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainG2(int handle, int value);
/** Reads the gray gain of the B sites: Kolvex_GetFilterValue with parameter 23.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-gain-b (23): 0..255 1/128, default 128, kept; gray mode 1: gain of the B sites of the mosaic */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayGainB(int handle, int *ok);
/** Changes the gray gain of the B sites: Kolvex_SetFilterValue with parameter 23.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayGainB.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayGainB(int handle, int value);
/** Reads the gray offset of the R sites: Kolvex_GetFilterValue with parameter 24.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-offset-r (24): -255..255, default 0, kept; gray mode 1: added to the R sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetR(int handle, int *ok);
/** Changes the gray offset of the R sites: Kolvex_SetFilterValue with parameter 24.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayOffsetR.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetR(int handle, int value);
/** Reads the gray offset of the G1 sites: Kolvex_GetFilterValue with parameter 25.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-offset-g1 (25): -255..255, default 0, kept; gray mode 1: added to the G1 sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetG1(int handle, int *ok);
/** Changes the gray offset of the G1 sites: Kolvex_SetFilterValue with parameter 25.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayOffsetG1.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetG1(int handle, int value);
/** Reads the gray offset of the G2 sites: Kolvex_GetFilterValue with parameter 26.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-offset-g2 (26): -255..255, default 0, kept; gray mode 1: added to the G2 sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetG2(int handle, int *ok);
/** Changes the gray offset of the G2 sites: Kolvex_SetFilterValue with parameter 26.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayOffsetG2.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetG2(int handle, int value);
/** Reads the gray offset of the B sites: Kolvex_GetFilterValue with parameter 27.
 * @param handle a camera handle from Kolvex_Initialize
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the value; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread.
 */
/* parameter gray-offset-b (27): -255..255, default 0, kept; gray mode 1: added to the B sites after their gain */
KOLVEX_API int KOLVEX_CALL Kolvex_GetGrayOffsetB(int handle, int *ok);
/** Changes the gray offset of the B sites: Kolvex_SetFilterValue with parameter 27.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the new value, in the range given for #Kolvex_GetGrayOffsetB.
 * @return 1, or 0 on failure (the value stays).
 * @errors KOLVEX_ERR_ARGUMENT for a value out of range; KOLVEX_ERR_NO_DEVICE without a device
 *         object.
 * @threads any thread, also while acquisition runs: the next converted frame uses the new value.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetGrayOffsetB(int handle, int value);
/** @} */

/** @name Device registers, serial ROM and I/O port
 * Raw access for applications that know the hardware. */
/** @{ */
/** Reads a sensor register whose address fits in 8 bits.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address the register; only its low 8 bits are used.
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the register's 8-bit value; 0 on failure.
 * @errors KOLVEX_ERR_DEVICE_IO when the camera does not answer; KOLVEX_ERR_NO_DEVICE without a
 *         device object.
 * @threads any thread; serialised with device selection. A register the library programs (window,
 *          mirrors, gain, exposure, trigger) is written again at the next start.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_ReadRegister(int handle, int address, int *ok);
/** Reads a sensor register by its full 16-bit address.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address the register, 0 to 0xFFFF.
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the register's 8-bit value; 0 on failure.
 * @errors KOLVEX_ERR_ARGUMENT for an address outside 0 to 0xFFFF; KOLVEX_ERR_DEVICE_IO when the
 *         camera does not answer; KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread; serialised with device selection. A register the library programs (window,
 *          mirrors, gain, exposure, trigger) is written again at the next start.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_ReadRegisterEx(int handle, int address, int *ok);
/** Writes a sensor register whose address fits in 8 bits.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address the register; only its low 8 bits are used.
 * @param value the value to write.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_DEVICE_IO when the camera does not take it; KOLVEX_ERR_NO_DEVICE without a
 *         device object.
 * @threads any thread; serialised with device selection. A register the library programs (window,
 *          mirrors, gain, exposure, trigger) is written again at the next start.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_WriteRegister(int handle, int address, int value);
/** Writes a sensor register by its full 16-bit address.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address the register, 0 to 0xFFFF.
 * @param value the value to write.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_ARGUMENT for an address outside 0 to 0xFFFF; KOLVEX_ERR_DEVICE_IO when the
 *         camera does not take it; KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread; serialised with device selection. A register the library programs (window,
 *          mirrors, gain, exposure, trigger) is written again at the next start.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_WriteRegisterEx(int handle, int address, int value);
/** Reads a byte of the camera's serial ROM, counted from the start of its identification area.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address the offset into the identification area.
 * @param ok receives 1 on success and 0 on failure; may be NULL
 * @return the byte; 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE, posted only, when the read fails, the offset lies beyond the ROM or
 *         there is no device object.
 * @threads any thread; serialised with device selection.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_ReadSromID(int handle, int address, int *ok);
/** Writes a byte of the identification area of the camera's serial ROM.
 * @param handle a camera handle from Kolvex_Initialize
 * @param address the offset into the identification area, 0 to 255.
 * @param value the byte.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE, posted only, when the write fails, the offset lies outside the area
 *         or there is no device object.
 * @threads any thread; serialised with device selection.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_WriteSromID(int handle, int address, int value);
/** Reads the camera's I/O port.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value receives the port's byte (0 when the camera does not answer).
 * @param reserved1 ignored.
 * @param reserved2 ignored.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_ARGUMENT for NULL and KOLVEX_ERR_NO_DEVICE without a device object, both
 *         posted only.
 * @threads any thread; serialised with device selection.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_GetIOPort(int handle, unsigned char *value, int reserved1, int reserved2);
/** Writes the camera's I/O port.
 * @param handle a camera handle from Kolvex_Initialize
 * @param value the byte to write.
 * @return non-zero when the camera took it, 0 otherwise.
 * @errors KOLVEX_ERR_NO_DEVICE without a device object, posted only.
 * @threads any thread; serialised with device selection.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetIOPort(int handle, int value);
/** @} */

/** @name Files, recording, settings and dialogs
 * Still images, AVI recording, settings files and the built-in settings dialogs. */
/** @{ */
/** Writes the last converted frame to an image file.
 * The frame is the one of the colour mode set now. The file is written beside its target and
 * renamed over it when complete, so a failed save leaves an existing file as it was. 8- and 16-bit
 * frames become one-channel images, the others colour images; JPEG takes 8 bits per sample.
 * @param handle a camera handle from Kolvex_Initialize
 * @param path the file name, in the system's code page.
 * @param format one of the KOLVEX_FILE_ formats.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE when no frame was converted since the last Kolvex_Close or without a
 *         device object; KOLVEX_ERR_ARGUMENT for NULL; KOLVEX_ERR_RESOURCE when the frame cannot be
 *         copied. A file that cannot be written, or an unknown format, returns 0 and records
 *         nothing.
 * @threads any thread, also while acquisition runs: the frame is copied out at once and encoded
 *          without holding up the stream.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SaveImage(int handle, const char *path, int format);
/** Kolvex_SaveImage with a wide-character file name, converted to the system's code page.
 * Unlike Kolvex_SaveImage it writes whatever frame the colour mode's bitmap holds, also after
 * Kolvex_Close.
 * @param handle a camera handle from Kolvex_Initialize
 * @param path the file name; at most 1023 bytes once converted.
 * @param format one of the KOLVEX_FILE_ formats.
 * @return 1, or 0 on failure.
 * @errors KOLVEX_ERR_NO_DEVICE for a name that the code page cannot represent or no frame;
 *         otherwise as Kolvex_SaveImage.
 * @threads as Kolvex_SaveImage.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SaveImageW(int handle, const wchar_t *path, int format);
/** Records the live picture into an uncompressed 24-bit AVI file.
 * Starts continuous acquisition when it is not running (forgetting a frame callback) and returns at
 * once; a thread of the library writes the frames it converts. The recording ends after the given
 * time, counted from its first frame, or when acquisition stops (Kolvex_StopPreview, Kolvex_Close,
 * Kolvex_Release), and the file is finished with the frames it has. A write that fails, or a file
 * that would pass 4 GiB, ends it early with KOLVEX_ERR_PATH recorded and posted.
 * @param handle a camera handle from Kolvex_Initialize
 * @param path the file name, in the system's code page.
 * @param milliseconds how long to record.
 * @param showWindow non-zero opens the preview window while recording.
 * @return 1 when the recording started, 0 otherwise.
 * @errors KOLVEX_ERR_ARGUMENT for NULL or an empty name; KOLVEX_ERR_PATH when a recording runs
 *         already, acquisition cannot start or the file cannot be made; KOLVEX_ERR_THREAD;
 *         KOLVEX_ERR_NO_DEVICE without a device object.
 * @threads any thread; starts and stops of one camera are serialised.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_Record(int handle, const char *path, int milliseconds, int showWindow);
/** Kolvex_Record with a wide-character file name, converted to the system's code page.
 * @param handle a camera handle from Kolvex_Initialize
 * @param path the file name; at most 1023 bytes once converted.
 * @param milliseconds how long to record.
 * @param showWindow non-zero opens the preview window while recording.
 * @return 1 when the recording started, 0 otherwise.
 * @errors KOLVEX_ERR_PATH for a name that the code page cannot represent; otherwise as
 *         Kolvex_Record.
 * @threads as Kolvex_Record.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_RecordW(int handle, const wchar_t *path, int milliseconds, int showWindow);
/** Reads a settings file: pairs of little-endian 32-bit values, which the camera object keeps for
 * the application.
 * No operation of the library uses them; the next file replaces them. Only a plain file of at most
 * 64 MiB is read; a remainder shorter than a pair is ignored.
 * @param handle a camera handle from Kolvex_Initialize
 * @param path the file name, in the system's code page.
 * @return 1 when the file was read, 0 otherwise (nothing is recorded).
 * @errors none.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_LoadConfigFileA(int handle, const char *path);
/** Kolvex_LoadConfigFileA with a wide-character file name, converted to the system's code page.
 * @param handle a camera handle from Kolvex_Initialize
 * @param path the file name; at most 1023 bytes once converted.
 * @return 1 when the file was read, 0 otherwise.
 * @errors KOLVEX_ERR_PATH for a name that the code page cannot represent.
 * @threads any thread.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_LoadConfigFileW(int handle, const wchar_t *path);
/** Shows the camera settings dialog (Windows): capture window and its presets, colour mode,
 * subsampling and wait time, stored for the selected device.
 * Acquisition stops while the dialog is open and starts again afterwards; trigger mode pauses.
 * @param handle a camera handle from Kolvex_Initialize
 * @param parent the dialog's owner window.
 * @return 1 when the dialog was shown, however it was closed; 0 otherwise.
 * @errors KOLVEX_ERR_UNSUPPORTED on Linux, which has no dialogs; KOLVEX_ERR_GEOMETRY when the
 *         chosen window does not fit (the whole sensor is taken); KOLVEX_ERR_NO_DEVICE without a
 *         device object.
 * @threads modal on the calling thread: it returns when the dialog is closed.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetCameraDlg(int handle, KolvexWindow parent);
/** Shows the analog settings dialog (Windows): gain, exposure, mirrors and automatic exposure,
 * applied to the sensor as they change.
 * Cancel puts the values back as they were.
 * @param handle a camera handle from Kolvex_Initialize
 * @param parent the dialog's owner window.
 * @return 1 when the dialog was shown, however it was closed; 0 otherwise.
 * @errors KOLVEX_ERR_UNSUPPORTED on Linux, which has no dialogs; KOLVEX_ERR_NO_DEVICE without a
 *         device object.
 * @threads modal on the calling thread: it returns when the dialog is closed. Acquisition may run
 *          meanwhile.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetAnalogDlg(int handle, KolvexWindow parent);
/** Shows the image settings dialog (Windows): brightness, contrast, hue, saturation, sharpness,
 * white balance, gamma, Bayer mode and the gray parameters, applied to the frames as they change.
 * Cancel puts the values back as they were.
 * @param handle a camera handle from Kolvex_Initialize
 * @param parent the dialog's owner window.
 * @return 1 when the dialog was shown, however it was closed; 0 otherwise.
 * @errors KOLVEX_ERR_UNSUPPORTED on Linux, which has no dialogs; KOLVEX_ERR_NO_DEVICE without a
 *         device object.
 * @threads modal on the calling thread: it returns when the dialog is closed. Acquisition may run
 *          meanwhile.
 */
KOLVEX_API int KOLVEX_CALL Kolvex_SetImageDlg(int handle, KolvexWindow parent);
/** @} */

#ifdef __cplusplus
}
#endif

#endif /* KOLVEX_SDK_H */
