// The filter's camera: one library handle on one device number, opened on
// first use and released with the filter (which is when the library keeps
// the camera's settings for the next program). Every call into the library
// that the filter makes goes through here, and the library's error codes
// come back as HRESULTs.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "video_formats.h"

namespace kvx::dshow {

// HRESULTs of the camera's states a graph can meet.
const HRESULT kCameraBusy = HRESULT_FROM_WIN32(ERROR_BUSY);
const HRESULT kCameraAbsent = HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);

class CameraSession {
public:
    explicit CameraSession(int device) : device_(device) {}
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    int device() const { return device_; }
    // The library handle, opening the camera first; S_OK or why not.
    HRESULT Handle(int* handle);
    // The capture window's size, which the offered formats derive from.
    HRESULT CaptureSize(int* width, int* height);

    // Sets the library's colour mode and subsampling for the format (and,
    // for 8-bit gray, the gray mode that derives gray from colour, put back
    // by Restore so that the user's stored choice survives).
    HRESULT Prepare(const VideoFormat& format);
    void Restore();
    // Starts acquisition, announcing every frame to `window` without copying
    // it anywhere; kCameraBusy when another program streams the camera.
    HRESULT Start(HWND window);
    void Stop();
    // Copies the newest converted frame into `buffer` in the format's layout
    // (the one copy the filter makes of a colour or 8-bit gray frame).
    bool CopyFrame(const VideoFormat& format, BYTE* buffer);

private:
    HRESULT OpenHeld();
    HRESULT StartFailure();

    const int device_;
    std::mutex lock_;  // the handle's opening and the gray mode kept aside
    std::atomic<int> handle_{0};  // set once, under lock_; the stream reads it
    int keptGrayMode_ = -1;
    std::vector<BYTE> deepColor_;  // the 48-bit image 16-bit gray is made from
};

}  // namespace kvx::dshow
