// Sensor settings with setters of their own: mirrors, exposure in real time
// units and the automatic exposure mode.
#include <cmath>
#include <cstdint>
#include <limits>

#include "camera/camera_exposure.h"
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/atomic_word.h"

namespace kvx {

namespace {

// Milliseconds per pixel clock: the sensor runs at 74.25 MHz.
constexpr double kMsPerPixelClock = 1.3468013094097842e-05;

// Truncates towards zero like a plain conversion, but a result beyond 32
// bits (a stored exposure far outside the sensor's range) saturates instead
// of being undefined.
int32_t TruncateSaturating(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

// --- mirrors -------------------------------------------------------------------

int CKolvex::SetMirrorH(int flag) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    const int32_t on = flag != 0 ? 1 : 0;
    // Not while a device switch programs the mirrors of the new device.
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    // The stored flag is what the conversion corrects the Bayer phase with,
    // so it follows the request even if the register write failed.
    device_->SetMirrorH(on);
    platform::StoreRelaxed(&analog_[kMirrorH], on);
    return 1;
}

int CKolvex::GetMirrorH() {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    return platform::LoadRelaxed(&analog_[kMirrorH]);
}

// The vertical pair reports a missing device without recording it, as the
// interface always has.
int CKolvex::SetMirrorV(int flag) {
    if (!device_) return PostError(KOLVEX_ERR_NO_DEVICE), 0;
    const int32_t on = flag != 0 ? 1 : 0;
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    device_->SetMirrorV(on);
    platform::StoreRelaxed(&analog_[kMirrorV], on);
    return 1;
}

int CKolvex::GetMirrorV() {
    if (!device_) return PostError(KOLVEX_ERR_NO_DEVICE), 0;
    return platform::LoadRelaxed(&analog_[kMirrorV]);
}

// --- exposure in microseconds ----------------------------------------------------

// Refreshes the conversion record from the device's line length and the
// stored exposure; returns the exposure in microseconds. Callers hold
// controlLock_, which guards the record.
int CKolvex::UpdateRealExposure() {
    exposure_.msPerClock = kMsPerPixelClock;
    exposure_.lineLengthClocks = device_->lineLength();
    exposure_.lines = platform::LoadRelaxed(&analog_[kExposureLines]);
    exposure_.offset = 0;
    // Evaluated in this order in double precision: lines x line length is
    // exact there, and the two scalings round as the documented figures
    // (1561 lines of 3384 clocks are 71143 us) require.
    const double clocks = static_cast<double>(exposure_.lineLengthClocks) * exposure_.lines + exposure_.offset;
    exposure_.lastMicroseconds = TruncateSaturating(clocks * exposure_.msPerClock * 1000.0);
    return exposure_.lastMicroseconds;
}

int CKolvex::GetRealExposureTime(int* ok) {
    if (!device_) {
        if (ok) *ok = 0;
        return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    }
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (ok) *ok = 1;
    return UpdateRealExposure();
}

int CKolvex::SetRealExposureTime(int microseconds) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    exposure_.msPerClock = kMsPerPixelClock;
    exposure_.lineLengthClocks = device_->lineLength();
    exposure_.offset = 0;
    const double lineMs = static_cast<double>(exposure_.lineLengthClocks) * exposure_.msPerClock;
    exposure_.lines = TruncateSaturating((static_cast<double>(microseconds) / 1000.0) / lineMs);
    const int lines = exposure_.lines;
    if (lines < 1 || lines > device_->GetMaxExposureLines()) return RecordError(KOLVEX_ERR_ARGUMENT), 0;
    CameraExposure(device_.get(), analog_.data(), nullptr).ApplyExposureLines(lines);
    return 1;
}

// --- automatic exposure mode --------------------------------------------------

int CKolvex::SetAutoIris(int mode) {
    if (mode < 0 || mode > 2) return PostError(KOLVEX_ERR_ARGUMENT), 0;
    platform::StoreRelaxed(&analog_[kAutoIris], mode);
    return 1;
}

int CKolvex::GetAutoIris(int* ok) const {
    if (ok) *ok = 1;
    return platform::LoadRelaxed(&analog_[kAutoIris]);
}

}  // namespace kvx
