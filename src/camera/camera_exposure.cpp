#include "camera/camera_exposure.h"

#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/atomic_word.h"

namespace kvx {

int CameraExposure::GetGain() { return device_->GetGain(); }

int CameraExposure::GetMaxGain() { return device_->GetMaxGain(); }

int CameraExposure::GetExposureLines() {
    uint16_t lines = 0;
    device_->GetExposureLines(&lines);
    return lines;
}

int CameraExposure::GetMaxExposureLines() { return device_->GetMaxExposureLines(); }

// The colour gains follow the global gain, so that the stored settings
// describe what the sensor now does.
void CameraExposure::ApplyGain(int gain) {
    device_->SetGain(gain);
    for (int index : {kGlobalGain, kColorGainGreen1, kColorGainRed, kColorGainBlue, kColorGainGreen2})
        platform::StoreRelaxed(&analog_[index], gain);
    if (dialog_) dialog_->GainChanged(gain);
}

void CameraExposure::ApplyExposureLines(int lines) {
    device_->SetExposureLines(lines);
    platform::StoreRelaxed(&analog_[kExposureLines], lines);
    if (dialog_) dialog_->ExposureChanged(lines);
}

}  // namespace kvx
