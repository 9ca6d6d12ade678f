// What the automatic exposure of the conversion reaches: the device and the
// camera's analog settings, and the analog settings dialog when it is open.
#pragma once

#include <cstdint>

#include "imaging/convert_frame.h"

namespace kvx {

class CKolvex410QFXZQPSdk;

// The open analog settings dialog, shown each value the automatic exposure
// sets.
class AnalogDialogRefresh {
public:
    virtual ~AnalogDialogRefresh() = default;
    virtual void GainChanged(int gain) = 0;
    virtual void ExposureChanged(int lines) = 0;
};

class CameraExposure : public ExposureDevice {
public:
    // `analog` is the camera's analog block (global gain, colour gains G1,
    // R, B, G2, exposure lines, ...). Application threads read it while the
    // worker writes it here, so every word is stored atomically.
    CameraExposure(CKolvex410QFXZQPSdk* device, int32_t* analog, AnalogDialogRefresh* dialog)
        : device_(device), analog_(analog), dialog_(dialog) {}

    int GetGain() override;
    int GetMaxGain() override;
    int GetExposureLines() override;
    int GetMaxExposureLines() override;
    void ApplyGain(int gain) override;
    void ApplyExposureLines(int lines) override;

private:
    CKolvex410QFXZQPSdk* device_;
    int32_t* analog_;
    AnalogDialogRefresh* dialog_;
};

}  // namespace kvx
