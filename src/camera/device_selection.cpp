// Listing, naming and switching the physical cameras behind a camera object.
#include <cstdio>
#include <cwchar>

#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/text_encoding.h"

namespace kvx {

namespace {

constexpr int kMinNameBuffer = 16;
// "Kolvex410QFX-ZQP_NN" and its terminator.
constexpr int kNameBufferNeeded = 20;

// "Kolvex410QFX-ZQP_NN", terminated; `size` always has room for it.
void FormatName(int number, char* out, size_t size) {
    std::snprintf(out, size, "%s_%02d", CKolvex::kModelName, number);
}

void FormatName(int number, wchar_t* out, size_t size) {
    static const std::wstring model = platform::AnsiToWide(CKolvex::kModelName);
    std::swprintf(out, size, L"%ls_%02d", model.c_str(), number);
    out[size - 1] = L'\0';
}

}  // namespace

template <typename Char>
int CKolvex::EnumerateInto(Char (*names)[kNameTableChars]) {
    if (!device_) {
        RecordError(KOLVEX_ERR_NO_DEVICE);
        return 0;
    }
    if (!names) {
        RecordError(KOLVEX_ERR_ARGUMENT);
        return 0;
    }
    // The table has ten entries: cameras beyond the tenth are neither
    // written nor counted, so that a caller walking the count stays inside
    // its table.
    int found = 0;
    for (int n = 0; n < device_->GetMaxDevices(); ++n) {
        device_->ProbeDevices();
        if (!device_->IsDevicePresent(n) || found == kNameTableEntries) continue;
        FormatName(found + 1, names[found], kNameTableChars);
        ++found;
    }
    for (int i = found; i < kNameTableEntries; ++i) names[i][0] = Char(0);
    return found;
}

int CKolvex::Enumerate(char (*names)[kNameTableChars]) { return EnumerateInto(names); }

int CKolvex::EnumerateWide(wchar_t (*names)[kNameTableChars]) { return EnumerateInto(names); }

template <typename Char>
static int NameCheck(CKolvex410QFXZQPSdk* device, int n, const Char* buffer, int size) {
    if (!device) return KOLVEX_ERR_NO_DEVICE;
    if (size < kMinNameBuffer || !buffer || n < 0 || n >= device->GetMaxDevices()) return KOLVEX_ERR_ARGUMENT;
    if (!device->IsDevicePresent(n)) return KOLVEX_ERR_DEVICE_NUMBER;
    // A buffer of 16 to 19 characters passes the size test but cannot hold
    // the name: refused, rather than handing back a cut name as if it were
    // the camera's.
    if (size < kNameBufferNeeded) return KOLVEX_ERR_ARGUMENT;
    return 0;
}

// Names follow the device number (n + 1), unlike the enumeration, which
// numbers the cameras it finds consecutively.
int CKolvex::GetDeviceName(int n, char* buffer, int size) {
    if (int code = NameCheck(device_.get(), n, buffer, size)) return RecordError(code), 0;
    FormatName(n + 1, buffer, static_cast<size_t>(size));
    return 1;
}

int CKolvex::GetDeviceNameWide(int n, wchar_t* buffer, int size) {
    if (int code = NameCheck(device_.get(), n, buffer, size)) return RecordError(code), 0;
    FormatName(n + 1, buffer, static_cast<size_t>(size));
    return 1;
}

// Switching is refused while acquisition runs (code 1, as for any start in
// the wrong state): the worker, a snapshot or the recorder may be reading
// the ring that a switch would replace, and silently stopping a stream the
// application did not ask to stop would lose its frames and its recording.
int CKolvex::SelectDevice(int n) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) {
        RecordError(KOLVEX_ERR_NO_DEVICE);
        return 0;
    }
    if (state_.load() != AcquisitionState::Idle || worker_.joinable()) {
        RecordError(KOLVEX_ERR_NO_DEVICE);
        return 0;
    }
    SaveDeviceSettings();
    // Presence is looked at again: a camera plugged in since the last
    // probe must not be refused.
    if (n >= 0 && n < device_->GetMaxDevices() && !device_->IsDevicePresent(n)) device_->ProbeDevice(n);
    // A device that another camera object drives is only named here (the
    // command gate withholds everything); the first start that claims it
    // programs it.
    if (!device_->IsDevicePresent(n) || device_->SelectDevice(n) != 0) {
        RecordError(KOLVEX_ERR_DEVICE_NUMBER);
        return 0;
    }
    deviceNumber_ = n;
    LoadDeviceSettings();
    ReadVariant();
    return 1;
}

int CKolvex::GetCameraInfo(KolvexCameraInfo* info) {
    int code = 0;
    if (!device_)
        code = KOLVEX_ERR_NO_DEVICE;
    else if (!info)
        code = KOLVEX_ERR_ARGUMENT;
    else if (info->size < sizeof(KolvexCameraInfo))
        code = KOLVEX_ERR_RESOURCE;
    if (code) {
        RecordError(code);
        return 0;
    }
    info->sensorWidth = CKolvex410QFXZQPSdk::kSensorWidth;
    info->sensorHeight = CKolvex410QFXZQPSdk::kSensorHeight;
    info->minGlobalGain = 0;
    info->maxGlobalGain = device_->GetMaxGain() & 0xFFFF;
    info->reserved1 = 0;
    info->reserved2 = 0;
    info->minExposureLines = 1;
    info->maxExposureLines = device_->GetMaxExposureLines() & 0xFFFF;
    return 1;
}

int CKolvex::GetCaptureWindow(int* horizontalTotal, int* horizontalStart, int* width, int* verticalTotal,
                              int* verticalStart, int* height) const {
    // One copy, so that a window set meanwhile never comes back half old.
    const CaptureGeometry window = geometry();
    if (horizontalTotal) *horizontalTotal = window.horizontalTotal;
    if (horizontalStart) *horizontalStart = window.horizontalStart;
    if (width) *width = window.width;
    if (verticalTotal) *verticalTotal = window.verticalTotal;
    if (verticalStart) *verticalStart = window.verticalStart;
    if (height) *height = window.height;
    return 1;
}

}  // namespace kvx
