// Choosing the readout window: given outright, or picked from the stored
// size presets by its effective size.
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "settings/size_settings.h"

namespace kvx {

namespace {

constexpr int32_t kPresetBuffersDefault = 4;
constexpr int32_t kSensorWidth = CKolvex410QFXZQPSdk::kSensorWidth;
constexpr int32_t kSensorHeight = CKolvex410QFXZQPSdk::kSensorHeight;
// The device refuses smaller windows: accepting one here would only move
// the failure to the next start.
constexpr int32_t kSmallestWidth = 4;
constexpr int32_t kSmallestHeight = 3;

bool WindowFits(const CaptureGeometry& g, int32_t subSample) {
    if (g.width < kSmallestWidth || g.height < kSmallestHeight || g.horizontalStart < 0 || g.verticalStart < 0)
        return false;
    if (g.width > kSensorWidth || g.height > kSensorHeight || g.horizontalStart > kSensorWidth ||
        g.verticalStart > kSensorHeight)
        return false;
    // Compared in 64 bits: values near INT32_MAX must not wrap into a
    // valid-looking window.
    if (int64_t{g.horizontalStart} + g.width > kSensorWidth || int64_t{g.verticalStart} + g.height > kSensorHeight)
        return false;
    switch (subSample) {
        case 2: case 3: case 17: case 18: case 19:
            return false;
        default:
            return true;
    }
}

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

bool CKolvex::CaptureWindowValid() const { return WindowFits(geometry_, subSample()); }

void CKolvex::SetGeometry(const CaptureGeometry& window) {
    std::lock_guard<std::mutex> hold(geometryLock_);
    geometry_ = window;
}

void CKolvex::RestoreDefaultGeometry() {
    CaptureGeometry window = CaptureGeometry::From(settings::kDefaultSize);
    window.buffers = geometry_.buffers;
    SetGeometry(window);
}

void CKolvex::LoadStoredGeometry() {
    settings::SizeEntry size = geometry_.ToSizeEntry();
    settings::LoadCurrentSize(deviceNumber_, &size);
    SetGeometry(CaptureGeometry::From(size));
}

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
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    CaptureGeometry window = geometry_;
    window.horizontalTotal = horizontalTotal;
    window.horizontalStart = horizontalStart;
    window.width = width;
    window.verticalTotal = verticalTotal;
    window.verticalStart = verticalStart;
    window.height = height;
    // A refused window changes nothing: the camera keeps one it can start
    // with, and nothing sizes a preview window from values it refused.
    if (!WindowFits(window, subSample())) return RecordError(KOLVEX_ERR_GEOMETRY), 0;
    SetGeometry(window);
    SendGeometryUnlessStreaming();
    return 1;
}

int CKolvex::SetCaptureWindow(int width, int height) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    settings::SizeEntry preset{};
    if (!FindSizePreset(deviceNumber_, width, height, &preset)) return RecordError(KOLVEX_ERR_WINDOW), 0;
    SetGeometry(CaptureGeometry::From(preset));
    if (!CaptureWindowValid()) {
        PostError(KOLVEX_ERR_GEOMETRY);
        RestoreDefaultGeometry();
    }
    SendGeometryUnlessStreaming();
    return 1;
}

}  // namespace kvx
