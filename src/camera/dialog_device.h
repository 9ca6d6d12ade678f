// The sensor as the analog settings dialog drives it.
#pragma once

#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "settings/analog_dialog.h"

namespace kvx {

class DialogAnalogDevice final : public settings::AnalogDevice {
public:
    DialogAnalogDevice(CKolvex410QFXZQPSdk& device, const ExposureConversion& exposure)
        : device_(device), exposure_(exposure) {}

    void SetGain(int gain) override { device_.SetGain(gain); }
    void SetExposureLines(int lines) override { device_.SetExposureLines(lines); }
    void SetMirrorV(int on) override { device_.SetMirrorV(on); }
    void SetMirrorH(int on) override { device_.SetMirrorH(on); }
    int DefaultGain() const override { return 0; }
    int MaxGain() const override { return device_.GetMaxGain(); }
    int DefaultExposureLines() const override { return device_.GetDefaultExposureLines(); }
    int MinExposureLines() const override { return 1; }
    int MaxExposureLines() const override { return device_.GetMaxExposureLines(); }
    void ExposureTiming(int32_t* linePeriod, int32_t* offset, double* msPerClock) const override {
        *linePeriod = exposure_.lineLengthClocks;
        *offset = exposure_.offset;
        *msPerClock = exposure_.msPerClock;
    }

private:
    CKolvex410QFXZQPSdk& device_;
    const ExposureConversion& exposure_;
};

}  // namespace kvx
