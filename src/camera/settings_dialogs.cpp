// The three settings dialogs as the exports open them: what is stopped,
// copied and restored around each modal loop.
#include <array>

#include "camera/dialog_device.h"
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/atomic_word.h"
#include "settings/analog_dialog.h"
#include "settings/camera_dialog.h"
#include "settings/image_dialog.h"

namespace kvx {

int CKolvex::ShowDialog(WindowHandle owner, int templateId, platform::DialogHandler& dialog) {
    const int result = settings::RunDialog(owner, templateId, dialog);
    if (result < 0) RecordError(KOLVEX_ERR_UNSUPPORTED);
    return result;
}

int CKolvex::SetCameraDlg(WindowHandle owner) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    // The size and format change only between runs: a running acquisition
    // stops for the dialog, a triggering worker keeps its thread but
    // leaves the device alone.
    const AcquisitionState state = state_.load();
    if (state == AcquisitionState::Preview || state == AcquisitionState::Capture) StopPreview();
    if (state == AcquisitionState::Trigger) runFlag_ = WorkerRun::Paused;

    settings::CameraSettingsDialog dialog(deviceNumber_);
    const int result = ShowDialog(owner, dialog.TemplateId(), dialog);
    if (result == settings::kOk) {
        std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
        LoadStoredGeometry();
        settings::FormatValues format = {colorMode(), subSample(), waitTimeMs(), clock_};
        settings::LoadFormat(deviceNumber_, &format);
        platform::StoreRelaxed(&colorMode_, format.colorMode);
        platform::StoreRelaxed(&subSample_, format.subSample);
        platform::StoreRelaxed(&waitTimeMs_, format.waitTime);
        clock_ = format.clock;
        if (!CaptureWindowValid()) {
            RecordError(KOLVEX_ERR_GEOMETRY);
            RestoreDefaultGeometry();
        }
    }

    if (state == AcquisitionState::Preview) StartPreview();
    if (state == AcquisitionState::Capture) Capture();
    if (state == AcquisitionState::Trigger) {
        WorkerRun paused = WorkerRun::Paused;
        runFlag_.compare_exchange_strong(paused, WorkerRun::Run);
    }
    return result < 0 ? 0 : 1;
}

int CKolvex::SetAnalogDlg(WindowHandle owner) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    uint16_t lines = 0;
    device_->GetExposureLines(&lines);
    platform::StoreRelaxed(&analog_[kGlobalGain], device_->GetGain());
    for (int i = kColorGainGreen1; i <= kColorGainGreen2; ++i)
        platform::StoreRelaxed(&analog_[static_cast<size_t>(i)], 0);
    platform::StoreRelaxed(&analog_[kExposureLines], lines);
    platform::StoreRelaxed(&analog_[kMirrorV], device_->GetMirrorV());
    platform::StoreRelaxed(&analog_[kMirrorH], device_->GetMirrorH());
    std::array<int32_t, kAnalogBlockSize> saved;
    for (size_t i = 0; i < saved.size(); ++i) saved[i] = platform::LoadRelaxed(&analog_[i]);

    DialogAnalogDevice sensor(*device_, exposure_);
    settings::AnalogDialog dialog(sensor, analog_.data());
    dialogHooks_.SetAnalogDialog(&dialog);
    const int result = ShowDialog(owner, dialog.TemplateId(), dialog);
    dialogHooks_.SetAnalogDialog(nullptr);

    if (result != settings::kOk) {
        device_->SetGain(saved[kGlobalGain]);
        device_->SetExposureLines(saved[kExposureLines]);
        device_->SetMirrorV(saved[kMirrorV]);
        device_->SetMirrorH(saved[kMirrorH]);
        for (size_t i = 0; i < saved.size(); ++i) platform::StoreRelaxed(&analog_[i], saved[i]);
    }
    return result < 0 ? 0 : 1;
}

int CKolvex::SetImageDlg(WindowHandle owner) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    std::array<int32_t, kFilterBlockSize> saved;
    for (size_t i = 0; i < saved.size(); ++i) saved[i] = platform::LoadRelaxed(&filter_[i]);

    settings::ImageDialog dialog(filter_.data(), colorMode());
    dialogHooks_.SetImageDialog(&dialog);
    const int result = ShowDialog(owner, dialog.TemplateId(), dialog);
    dialogHooks_.SetImageDialog(nullptr);

    if (result != settings::kOk)
        for (size_t i = 0; i < saved.size(); ++i) platform::StoreRelaxed(&filter_[i], saved[i]);
    return result < 0 ? 0 : 1;
}

}  // namespace kvx
