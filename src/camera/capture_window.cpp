// Choosing the readout window: given outright, or picked from the stored
// size presets by its effective size.
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "settings/size_settings.h"

namespace kvx {

namespace {

constexpr int32_t kPresetBuffersDefault = 4;

// The presets this library writes live in the camera's own key; the root
// is searched after it for presets that something else put there.
bool FindSizePreset(int device, int32_t width, int32_t height, settings::SizeEntry* preset) {
    settings::SizeList list;
    for (auto& entry : list.entries) entry = {0, 0, 0, 0, 0, 0, kPresetBuffersDefault};
    if (settings::LoadSizeList(device, &list)) {
        for (int i = 0; i < list.count; ++i) {
            const settings::SizeEntry& entry = list.entries[static_cast<size_t>(i)];
            if (entry[2] == width && entry[3] == height) {
                *preset = entry;
                return true;
            }
        }
    }
    return settings::FindRootSizePreset(width, height, preset) == settings::PresetSearch::Found;
}

}  // namespace

// While acquisition runs the device keeps the window that the bitmaps were
// made for: a new one arriving mid-stream would deliver frames of another
// size into them. The next start sends the stored window.
void CKolvex::SendGeometryUnlessStreaming() {
    if (state_.load() != AcquisitionState::Idle) return;
    device_->SetFrameGeometry(geometry_.horizontalStart, geometry_.verticalStart, geometry_.width, geometry_.height,
                              subSample());
}

int CKolvex::SetCaptureWindowEx(int horizontalTotal, int horizontalStart, int width, int verticalTotal,
                                int verticalStart, int height) {
    std::lock_guard<std::recursive_mutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    geometry_.horizontalTotal = horizontalTotal;
    geometry_.horizontalStart = horizontalStart;
    geometry_.width = width;
    geometry_.verticalTotal = verticalTotal;
    geometry_.verticalStart = verticalStart;
    geometry_.height = height;
    // An invalid window stays stored; the next start refuses it.
    if (!CaptureWindowValid()) return RecordError(KOLVEX_ERR_GEOMETRY), 0;
    SendGeometryUnlessStreaming();
    return 1;
}

int CKolvex::SetCaptureWindow(int width, int height) {
    std::lock_guard<std::recursive_mutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    settings::SizeEntry preset{};
    if (!FindSizePreset(deviceNumber_, width, height, &preset)) return RecordError(KOLVEX_ERR_WINDOW), 0;
    geometry_ = {preset[0], preset[1], preset[2], preset[3], preset[4], preset[5], preset[6]};
    if (!CaptureWindowValid()) {
        PostError(KOLVEX_ERR_GEOMETRY);
        RestoreDefaultGeometry();
    }
    SendGeometryUnlessStreaming();
    return 1;
}

}  // namespace kvx
