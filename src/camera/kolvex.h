// CKolvex: the object behind one camera handle. It owns the device, the
// frame bitmaps, the worker threads and every setting of one camera, and
// every export forwards to it.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "KolvexSdk.h"
#include "camera/dialog_hooks.h"
#include "camera/error_history.h"
#include "device/shared_device_table.h"
#include "display/preview_window.h"
#include "pixels/filter_index.h"
#include "platform/atomic_word.h"
#include "platform/event.h"
#include "platform/fair_mutex.h"
#include "platform/modal_dialog.h"
#include "platform/thread_priority.h"
#include "platform/window_message.h"
#include "settings/analog_block.h"
#include "settings/config_file.h"
#include "settings/size_settings.h"
#include "settings/value_group.h"

namespace kvx {

class AviRecorder;
class CAviFile;
class CameraRecordingSource;
class CKolvex410QFXZQPSdk;
class FrameBitmap;
namespace platform {
class WorkerPool;
}

using platform::WindowHandle;

// The frame bitmaps: one per colour mode (the 8- and 16-bit ones are also
// the raw bitmaps), the output copy that sharpening reads, and the
// window-sized display bitmap.
enum BitmapSlot : int {
    kBitmap8 = 0,
    kBitmap16,
    kBitmap24,
    kBitmap32,
    kBitmap48,
    kBitmap64,
    kBitmapOutputCopy,
    kBitmapDisplay,
    kBitmapCount,
};

// The readout window and the buffer value of the size entry it came from,
// in the entry's order.
struct CaptureGeometry {
    int32_t horizontalTotal, verticalTotal, width, height, horizontalStart, verticalStart, buffers;

    static constexpr CaptureGeometry From(const settings::SizeEntry& e) {
        return {e[0], e[1], e[2], e[3], e[4], e[5], e[6]};
    }
    constexpr settings::SizeEntry ToSizeEntry() const {
        return {horizontalTotal, verticalTotal, width, height, horizontalStart, verticalStart, buffers};
    }
};

// Microseconds <-> sensor lines.
struct ExposureConversion {
    int32_t lineLengthClocks = 0;
    int32_t offset = 0;  // always 0
    int32_t lines = 1;
    double msPerClock = 1.0;
    int32_t lastMicroseconds = 0;
};

enum class AcquisitionState : int32_t { Idle = 0, Preview = 1, Capture = 2, Trigger = 3 };

// What the worker thread is asked to do; it looks between frames. Paused
// polls without touching the device (a settings dialog has it).
enum class WorkerRun : int32_t { Stop = 0, Run = 1, Paused = 2 };

// What a frame is read from: the transfer ring (preview) or the single-frame
// buffer (trigger, snapshot).
enum class FrameSource { Ring, Single };

// How one frame is delivered; the preview loop, the trigger loop and the
// snapshot differ only in these.
struct FrameDelivery {
    FrameSource source = FrameSource::Ring;
    bool measureRate = false;   // frame rate in the record; 0 otherwise
    bool feedRecorder = false;  // marks a new frame for the recorder
    bool paint = false;         // draws into the preview window
    bool announce = false;      // posts frame-ready to the callback window
    // The application's buffer; the callback settings when null.
    struct Destination {
        void* buffer;
        int size;
        int bottomUp;
    };
    const Destination* destination = nullptr;
};

enum class DeliveryResult { Delivered, ReadFailed, CopyFailed };

class CKolvex final {
public:
    static constexpr const char* kModelName = "Kolvex410QFX-ZQP";
    static constexpr int kNameTableEntries = 10;
    static constexpr int kNameTableChars = 256;
    // Wide paths are converted into this many bytes, terminator included.
    static constexpr size_t kWidePathBytes = 1024;

    CKolvex();
    ~CKolvex();
    CKolvex(const CKolvex&) = delete;
    CKolvex& operator=(const CKolvex&) = delete;

    // --- lifecycle -------------------------------------------------------
    // Brings the camera up for the application window: shared device
    // table, device, bitmaps, stored settings sent to the sensor. 1, or 0
    // with error 5 recorded and no device left, so that every later call
    // fails cleanly with error 1.
    int Initialize(WindowHandle applicationWindow);

    // --- errors ----------------------------------------------------------
    // Records a failure in the history and posts it to the application
    // window (when there is one). Always returns 1.
    int RecordError(int code);
    // Reports a code to the application window only; the history is left
    // alone, so Kolvex_GetLastError never sees it.
    void PostError(int code);
    // The newest recorded code, taken out of the history; 0 when empty.
    int TakeLastError();
    int GetStatus(int ignored) const;

    // --- devices ---------------------------------------------------------
    int Enumerate(char (*names)[kNameTableChars]);
    int EnumerateWide(wchar_t (*names)[kNameTableChars]);
    int GetDeviceName(int device, char* buffer, int size);
    int GetDeviceNameWide(int device, wchar_t* buffer, int size);
    int SelectDevice(int device);
    int GetCameraInfo(KolvexCameraInfo* info);
    int GetCaptureWindow(int* horizontalTotal, int* horizontalStart, int* width, int* verticalTotal,
                         int* verticalStart, int* height) const;
    int Width() const { return geometry().width; }
    int Height() const { return geometry().height; }

    // --- acquisition ---------------------------------------------------
    // Continuous acquisition with a worker thread. Preview forgets the
    // frame callback settings; CallBackPreview keeps them so that every
    // frame is copied to `buffer` and announced to `window`. Both open the
    // preview window first (or keep the one that is open).
    int Preview();
    int CallBackPreview(WindowHandle window, void* buffer, int size, int bottomUp);
    int StartPreview();
    int StopPreview();
    // Closes the preview window, stops acquisition, the single-frame
    // channel and forgets the last image. Always 1.
    int Close();
    int Capture();
    int SnapShot(void* buffer, int size, int bottomUp);
    int GetImage(void* buffer, int size, int bottomUp);
    // One frame per external trigger, delivered by a worker. While already
    // triggering it only takes the new callback settings.
    int Trigger(WindowHandle window, void* buffer, int size, int bottomUp);
    int SetPreviewWindow(WindowHandle parent, int left, int top, int right, int bottom);
    int SetWaitTime(int milliseconds);
    int GetWaitTime() const;
    // What Kolvex_Release does before it drops its reference: stops
    // acquisition and recording and forgets the application's buffer, so
    // that nothing touches the application's memory once Release returned,
    // even while another call on this camera is still running. Calls that
    // would start acquisition afterwards fail and report nothing.
    void Retire();

    // --- capture window (capture_window.cpp) -------------------------------
    // Stores the window, then validates it: error 7 and 0 when invalid (the
    // values stay); a valid one goes to the device unless acquisition runs,
    // in which case the next start sends it.
    int SetCaptureWindowEx(int horizontalTotal, int horizontalStart, int width, int verticalTotal,
                           int verticalStart, int height);
    // Applies the stored size preset whose effective size is width x height.
    int SetCaptureWindow(int width, int height);

    // --- parameters (filter_values.cpp, image_format.cpp, sensor_parameters.cpp)
    int GetFilterValue(int parameter, int* ok);
    int SetFilterValue(int parameter, int value);
    int SetColorMode(int bitsPerPixel);
    int GetColorMode() const;
    int SetSubSample(int mode);
    int GetSubSample() const;
    int SetMirrorH(int flag);
    int GetMirrorH();
    int SetMirrorV(int flag);
    int GetMirrorV();
    int SetRealExposureTime(int microseconds);
    int GetRealExposureTime(int* ok);
    int SetAutoIris(int mode);
    int GetAutoIris(int* ok) const;
    const ExposureConversion& exposureConversion() const { return exposure_; }

    // --- registers, serial ROM, IO port (device_access.cpp) ------------------
    int ReadRegister(int address, int* ok);
    int ReadRegisterEx(int address, int* ok);
    int WriteRegister(int address, int value);
    int WriteRegisterEx(int address, int value);
    int ReadSromID(int offset, int* ok);
    int WriteSromID(int offset, int value);
    int GetIOPort(unsigned char* value);
    int SetIOPort(int value);

    // --- still images and recording ----------------------------------------
    // Saves the current output image in format 0..6 (BMP, raw, JPEG 100, 70,
    // 20, PNG, TIFF). The narrow form needs a converted image since the
    // last Close; the wide one saves whatever the bitmap holds.
    int SaveImage(const char* path, int format);
    int SaveImageWide(const wchar_t* path, int format);
    // Records the live picture into an AVI file for `durationMs`, counted
    // from the first recorded frame; starts preview if it is not running.
    int Record(const char* path, int durationMs, int showWindow);
    int RecordWide(const wchar_t* path, int durationMs, int showWindow);
    bool recording() const;

    // --- settings file ---------------------------------------------------
    int LoadConfigFile(const char* path);
    int LoadConfigFileWide(const wchar_t* path);
    std::vector<settings::ValuePair> ConfigPairs() const;

    // --- settings dialogs (settings_dialogs.cpp) -----------------------------
    // Modal on the calling thread, owned by `owner`. 1 when the dialog was
    // shown, whatever its end; 0 with error 1 without a device, with error
    // 11 where no dialog can be shown.
    int SetCameraDlg(WindowHandle owner);
    int SetAnalogDlg(WindowHandle owner);
    int SetImageDlg(WindowHandle owner);
    const DialogHooks& dialogHooks() const { return dialogHooks_; }

    // --- read-only views of the state ----------------------------------------
    WindowHandle applicationWindow() const { return applicationWindow_; }
    CKolvex410QFXZQPSdk* device() const { return device_.get(); }
    int deviceNumber() const { return deviceNumber_; }
    CaptureGeometry geometry() const {
        std::lock_guard<std::mutex> hold(geometryLock_);
        return geometry_;
    }
    const std::array<int32_t, kFilterBlockSize>& filter() const { return filter_; }
    const std::array<int32_t, kAnalogBlockSize>& analog() const { return analog_; }
    int32_t colorMode() const { return platform::LoadRelaxed(&colorMode_); }
    int32_t subSample() const { return platform::LoadRelaxed(&subSample_); }
    int32_t waitTimeMs() const { return platform::LoadRelaxed(&waitTimeMs_); }
    int32_t clock() const { return clock_; }
    AcquisitionState acquisitionState() const { return state_.load(); }
    bool workerRunning() const { return worker_.joinable(); }
    WindowHandle previewWindow() const { return preview_.window; }
    const FrameBitmap* bitmap(BitmapSlot slot) const { return bitmaps_[slot].get(); }
    // Frames the preview worker handled and the time it spent on them
    // outside WaitFrame (read, conversion, painting, copy).
    int64_t workerFrames() const { return workerFrames_.load(); }
    int64_t workerBusyNanoseconds() const { return workerBusyNs_.load(); }

    // Tests run side by side on one machine; each gives its cameras a
    // device table of its own. Empty restores the real name.
    static void SetSharedTableNameForTesting(const std::string& name);

private:
    int ShowDialog(WindowHandle owner, int templateId, platform::DialogHandler& dialog);
    int InitializeDevice();
    void Teardown();

    // Still images and recording (still_image.cpp, recording.cpp).
    int SaveCurrentImage(const char* path, int format);
    // Ends a running recording and waits for its thread; never with the
    // frame lock held, since the recording thread takes it.
    void StopRecording();
    friend class CameraRecordingSource;

    // Owning the device while driving it (device_claim.cpp).
    // Test-and-claim of device n in the shared table; true when this object
    // holds it afterwards.
    bool ClaimForUse(int n);
    void ReleaseClaim();
    // Whether commands may go to device n now: not while another camera
    // object, here or in another process, holds it.
    bool MayDrive(int n) const;
    // Brings the claimed device up to what this object expects of it when
    // its programming was withheld or lost; false when it cannot be.
    bool ProgramClaimedDevice();
    void ReadVariant();

    // Acquisition (acquisition.cpp, acquisition_worker.cpp).
    int Setup();
    int SetupClaimed();
    bool CreateModeBitmaps(int mode, int width, int height);
    bool OpenPreviewIfWanted();
    void SetCallback(WindowHandle window, void* buffer, int size, int bottomUp);
    // Frame copy: 1, or 0 with frame error 5 posted to `callbackWindow`
    // (when set) and recorded.
    int FrameCopy(const FrameBitmap* bitmap, int bottomUp, void* buffer, int size, WindowHandle callbackWindow);
    void PostFrameError(WindowHandle callbackWindow, int code);
    bool StartWorker(bool triggerLoop);
    void WorkerMain(bool triggerLoop, platform::ThreadPriority priority);
    void PreviewLoop();
    void TriggerLoop();
    // Pauses the worker for up to `milliseconds`; false when a stop was
    // asked for meanwhile.
    bool PauseUnlessStopped(uint32_t milliseconds);
    // Reports a lost device as the preview worker does and ends the run.
    void ReportDeviceLost();
    // Reads, converts, paints, copies and announces one frame as `how`
    // says; takes the frame lock itself.
    DeliveryResult DeliverFrame(const FrameDelivery& how);
    // Steps of a delivery, under the frame lock.
    void FillFrameInfo(const FrameBitmap& raw, int frameRate);
    // Counts the frame; the rate measured so far.
    int UpdateFrameRate();
    void Convert();
    void Paint();
    ModeBitmaps ModeBitmapSet() const;
    FrameBitmap* RawBitmap() const;
    FrameBitmap* OutputBitmap(int mode) const;
    bool OnWorkerThread() const;
    // Start preview for a caller that holds controlLock_ already.
    int StartPreviewHeld();
    class StopTurn;
    // A stop waits for controlLock_.
    bool StopWaiting();
    class SnapshotWatch;
    bool retired() const { return retired_.load(); }
    void SaveDeviceSettings();
    void LoadDeviceSettings();
    void SendAnalogToDevice();
    bool CaptureWindowValid() const;
    // Parameters: exposure conversion and the shared register paths.
    int UpdateRealExposure();
    int ReadSensorAt(int address, int* ok);
    int WriteSensorAt(int address, int value);
    void SendGeometryUnlessStreaming();
    void SetGeometry(const CaptureGeometry& window);
    void RestoreDefaultGeometry();
    // The camera's stored size entry; the window stays where none is stored.
    void LoadStoredGeometry();
    template <typename Char>
    int EnumerateInto(Char (*names)[kNameTableChars]);

    // Shared device table and the device.
    SharedDeviceTable sharedTable_;
    std::unique_ptr<CKolvex410QFXZQPSdk> device_;

    std::array<std::unique_ptr<FrameBitmap>, kBitmapCount> bitmaps_;

    // The readout window: written under controlLock_ and geometryLock_,
    // read under either; the getters, which any thread may call while
    // another sets the window, take geometryLock_ alone (innermost, held
    // only to copy).
    CaptureGeometry geometry_ = CaptureGeometry::From(settings::kDefaultSize);
    mutable std::mutex geometryLock_;
    // The setting blocks keep their stored layout of plain words; the worker
    // reads them while the setters and dialogs write, so each word is read
    // and written through platform::LoadRelaxed / StoreRelaxed.
    std::array<int32_t, kFilterBlockSize> filter_{};
    std::array<int32_t, kAnalogBlockSize> analog_{};
    ExposureConversion exposure_;

    // Where the preview window goes (application threads only), and the
    // open window, which the worker paints under frameLock_ and which
    // changes only under frameLock_.
    PreviewPlacement placement_;
    PreviewWindowHandles preview_;

    WindowHandle applicationWindow_ = nullptr;

    // Frame callback settings, set by the callback and trigger exports;
    // guarded by frameLock_, since the worker copies into the buffer.
    WindowHandle callbackWindow_ = nullptr;
    void* callbackBuffer_ = nullptr;
    int32_t callbackSize_ = 0;
    int32_t callbackBottomUp_ = 0;

    // Written by the worker under frameLock_; the application reads it
    // through the frame-ready message, possibly after this camera is gone,
    // which is why it lives in the frame information arena.
    KolvexFrameInfo* frameInfo_;

    // The worker reads the state and its run flag without a lock.
    std::atomic<AcquisitionState> state_{AcquisitionState::Idle};
    // Changed by the format setters at any time and taken by Setup at the
    // next start; the running worker goes on with activeMode_. Read and
    // written only through platform::LoadRelaxed / StoreRelaxed once the
    // object is initialised.
    int32_t colorMode_ = kColorMode8;  // a ColorMode
    int32_t subSample_ = 0;
    // Read by the worker between polls: platform::LoadRelaxed / StoreRelaxed.
    int32_t waitTimeMs_ = 10;
    int32_t clock_ = 0;
    std::atomic<int32_t> imageAvailable_{0};
    // The colour mode the bitmaps were last set up for; the worker, the
    // snapshot and Get image use it, so that a mode changed meanwhile never
    // makes them reach for a bitmap that Setup has not made. Guarded by
    // frameLock_.
    int32_t activeMode_ = -1;
    // The device number this object holds in the shared table, -1 for none;
    // written under controlLock_, read by the device's command gate.
    std::atomic<int32_t> claimedDevice_{-1};
    // Set by the worker for each converted frame, cleared by the recorder.
    std::atomic<int32_t> recorderNewFrame_{0};
    // The AVI writer and its recording thread; started and stopped under
    // controlLock_.
    std::unique_ptr<CAviFile> aviFile_;
    std::unique_ptr<CameraRecordingSource> recordingSource_;
    std::unique_ptr<AviRecorder> recorder_;
    // A Record call between its checks and its start, opening the file
    // outside controlLock_; a second Record meanwhile is refused as while
    // recording. Guarded by controlLock_.
    bool recordingStarting_ = false;

    // The worker: started and stopped by application threads under
    // controlLock_; the end event is the worker's last act.
    std::atomic<WorkerRun> runFlag_{WorkerRun::Stop};
    std::thread worker_;
    std::thread::id workerId_;
    std::atomic<int64_t> workerFrames_{0};
    std::atomic<int64_t> workerBusyNs_{0};
    // The pool the frames of the last start were converted on, chosen with
    // the worker's priority; null (the process's normal pool) until the
    // first start. Written under controlLock_ before the worker starts.
    platform::WorkerPool* conversionPool_ = nullptr;
    platform::Event workerEnded_{platform::Event::Reset::Manual};
    // Set by a stop, so that the worker's pause between polls ends at once
    // whatever the wait time.
    platform::Event stopAsked_{platform::Event::Reset::Manual};
    // Set once by Retire; checked under controlLock_ by every start.
    std::atomic<bool> retired_{false};
    // An idle snapshot's set-up runs, whose settling a waiting stop cuts
    // short; the holder of controlLock_ alone reads and writes it.
    bool snapshotSettingUp_ = false;
    // Stops waiting for controlLock_; guarded by stopGateLock_. A change is
    // announced on stopGateOpen_.
    int stopsWaiting_ = 0;
    std::mutex stopGateLock_;
    std::condition_variable stopGateOpen_;

    // Serialises the acquisition controls of application threads, so two
    // threads never start two workers. Recursive, as a window procedure may
    // call back into the camera on the thread that holds it; fair, so that a
    // call waits for the holder and those that came before it, never for a
    // loop of snapshots on another thread to end. Lock order: controlLock_
    // before frameLock_; the worker takes only frameLock_.
    platform::FairRecursiveMutex controlLock_;

    // Frame rate in tenths of a frame per second over a measuring window.
    // Worker only.
    int32_t frameRate_ = 0;
    int32_t framesInWindow_ = 0;
    uint32_t windowStart_ = 0;

    // Guards the frame bitmaps during conversion, painting, copying, saving
    // and recording. Never held together with settingsFileLock_.
    std::mutex frameLock_;
    // Guards settingsFile_.
    mutable std::mutex settingsFileLock_;
    std::vector<settings::ValuePair> settingsFile_;

    ErrorHistory errors_;
    int32_t deviceNumber_ = 0;

    // The open analog and image settings dialogs, for the automatic
    // controls on the worker.
    DialogHooks dialogHooks_;
};

}  // namespace kvx
