// Recording the live picture into an AVI file.
#include "camera/recording_source.h"
#include "display/frame_bitmap.h"
#include "output/avi_file.h"
#include "pixels/color_mode.h"
#include "platform/recording_file.h"
#include "platform/text_encoding.h"

namespace kvx {

bool CameraRecordingSource::TakeNewFrame() { return camera_.recorderNewFrame_.exchange(0) != 0; }

void CameraRecordingSource::WithCurrentFrame(const std::function<void(const FrameBitmap&)>& use) {
    std::lock_guard<std::mutex> hold(camera_.frameLock_);
    const FrameBitmap* frame = camera_.OutputBitmap(camera_.activeMode_);
    if (frame && !frame->empty()) use(*frame);
}

void CameraRecordingSource::EndedEarly() { camera_.RecordError(KOLVEX_ERR_PATH); }

bool CKolvex::recording() const { return recorder_ && recorder_->running(); }

int CKolvex::Record(const char* path, int durationMs, int showWindow) {
    {
        std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
        if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
        if (retired()) return 0;
        if (!path || !*path) return RecordError(KOLVEX_ERR_ARGUMENT), 0;
        // One recording at a time: a second one would reopen the file the
        // running thread is writing.
        if (recording() || recordingStarting_) return RecordError(KOLVEX_ERR_PATH), 0;
        recordingStarting_ = true;
    }
    // Opening waits for the disk, and never for another process: a FIFO,
    // pipe or device is refused. It happens outside the control lock all the
    // same, so that Release and StopPreview never wait for a file system.
    // The file is emptied only once the recording starts.
    platform::RecordingFile file;
    file.Open(path);

    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    recordingStarting_ = false;
    if (retired()) return file.Discard(), 0;
    SetCallback(nullptr, nullptr, 0, 0);
    if (showWindow && !OpenPreviewIfWanted()) return file.Discard(), 0;
    if (!file.isOpen()) {
        Close();
        return RecordError(KOLVEX_ERR_PATH), 0;
    }
    if (!StartPreviewHeld()) {
        file.Discard();
        Close();
        return RecordError(KOLVEX_ERR_PATH), 0;
    }
    if (!aviFile_) aviFile_ = std::make_unique<CAviFile>();
    if (!recorder_) recorder_ = std::make_unique<AviRecorder>(*aviFile_);
    if (!recordingSource_) recordingSource_ = std::make_unique<CameraRecordingSource>(*this);
    recorderNewFrame_ = 0;
    switch (recorder_->Start(*recordingSource_, std::move(file), durationMs, kDeepSampleBits)) {
        case AviRecorder::StartResult::Started:
            return 1;
        case AviRecorder::StartResult::ThreadFailed:
            Close();
            return RecordError(KOLVEX_ERR_THREAD), 0;
        case AviRecorder::StartResult::AlreadyRunning:
        case AviRecorder::StartResult::OpenFailed:
            break;
    }
    Close();
    return RecordError(KOLVEX_ERR_PATH), 0;
}

int CKolvex::RecordWide(const wchar_t* path, int durationMs, int showWindow) {
    char narrow[kWidePathBytes];
    if (!path || !platform::WideToAnsi(path, narrow, sizeof narrow)) return RecordError(KOLVEX_ERR_PATH), 0;
    return Record(narrow, durationMs, showWindow);
}

void CKolvex::StopRecording() {
    if (recorder_) recorder_->Stop();
}

}  // namespace kvx
