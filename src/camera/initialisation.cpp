// Bringing a camera object up from its stored settings, and taking it down.
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>

#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "display/frame_bitmap.h"
#include "platform/atomic_word.h"
#include "platform/system_info.h"
#include "settings/registry_layout.h"

namespace kvx {

namespace {

std::mutex g_tableNameLock;  // guards g_tableName
std::string g_tableName;

// The machine's table, unless the environment names another: two checkouts,
// or two test runs, that each name their own never see each other's claims.
std::string SharedTableName() {
    std::lock_guard<std::mutex> hold(g_tableNameLock);
    if (!g_tableName.empty()) return g_tableName;
    const char* chosen = std::getenv(kDeviceTableVariable);
    return chosen && *chosen ? std::string(chosen) : std::string(SharedDeviceTable::kName);
}

}  // namespace

void CKolvex::SetSharedTableNameForTesting(const std::string& name) {
    std::lock_guard<std::mutex> hold(g_tableNameLock);
    g_tableName = name;
}

int CKolvex::Initialize(WindowHandle applicationWindow) {
    if (!sharedTable_.Attach(SharedTableName())) {
        applicationWindow_ = applicationWindow;
        RecordError(KOLVEX_ERR_RESOURCE);
        return 0;
    }
    try {
        device_ = std::make_unique<CKolvex410QFXZQPSdk>(CKolvex410QFXZQPSdk::NoSelection{});
        for (auto& bitmap : bitmaps_) bitmap = std::make_unique<FrameBitmap>();
    } catch (const std::bad_alloc&) {
        // A camera that is only half there must not be driven: without a
        // device every later call fails cleanly with error 1.
        device_.reset();
        for (auto& bitmap : bitmaps_) bitmap.reset();
        applicationWindow_ = applicationWindow;
        RecordError(KOLVEX_ERR_RESOURCE);
        return 0;
    }
    applicationWindow_ = applicationWindow;
    // A device that another camera object streams from is left alone:
    // selecting it below only names it, and this object programs it when its
    // own start claims it.
    device_->SetCommandGate([this](int n) { return MayDrive(n); });
    device_->SetSettleBreaker([this] { return snapshotSettingUp_ && StopWaiting(); });
    device_->SelectDevice(0);
    return InitializeDevice();
}

int CKolvex::InitializeDevice() {
    // The camera still starts, from defaults; the application learns why its
    // settings are not there.
    if (!settings::SettingsStoreReadable()) RecordError(KOLVEX_ERR_RESOURCE);
    LoadStoredGeometry();

    device_->InitSensor();
    if (!CaptureWindowValid()) {
        RecordError(KOLVEX_ERR_GEOMETRY);
        RestoreDefaultGeometry();
    }
    device_->SetFrameGeometry(geometry_.horizontalStart, geometry_.verticalStart, geometry_.width,
                              geometry_.height, subSample_);
    placement_.left = 0;
    placement_.top = 0;
    placement_.right = geometry_.width;
    placement_.bottom = geometry_.height;

    LoadDeviceSettings();

    // The format comes last: the geometry above was given with the
    // subsample mode held before it.
    settings::FormatValues format = {colorMode_, subSample_, waitTimeMs_, clock_};
    settings::LoadFormat(deviceNumber_, &format);
    colorMode_ = format.colorMode;
    subSample_ = format.subSample;
    waitTimeMs_ = format.waitTime;
    clock_ = format.clock;
    return 1;
}

// Reads the analog, filter and gray groups of the current device number.
void CKolvex::LoadDeviceSettings() {
    if (!settings::FilterGroup().Load(deviceNumber_, &filter_[kBrightness])) {
        // The automatic controls start off with the filter defaults.
        for (int i = 20; i <= 28; ++i) platform::StoreRelaxed(&filter_[static_cast<size_t>(i)], 0);
    }
    settings::GrayGroup().Load(deviceNumber_, &filter_[kGrayMode]);

    std::array<int32_t, kAnalogBlockSize> defaults = {0, 0, 0, 0, 0, settings::kDefaultExposureLines,
                                                      device_->GetMirrorV(), device_->GetMirrorH(), 0};
    settings::AnalogGroup().Load(deviceNumber_, analog_.data(), defaults.data());
    SendAnalogToDevice();
}

void CKolvex::SaveDeviceSettings() {
    settings::AnalogGroup().Save(deviceNumber_, analog_.data());
    settings::FilterGroup().Save(deviceNumber_, &filter_[kBrightness]);
    settings::GrayGroup().Save(deviceNumber_, &filter_[kGrayMode]);
}

// The colour gains and the automatic mode are only held; the device gets
// the global gain, the exposure and the mirrors.
void CKolvex::SendAnalogToDevice() {
    device_->SetGain(platform::LoadRelaxed(&analog_[kGlobalGain]));
    device_->SetExposureLines(platform::LoadRelaxed(&analog_[kExposureLines]));
    device_->SetMirrorV(platform::LoadRelaxed(&analog_[kMirrorV]));
    device_->SetMirrorH(platform::LoadRelaxed(&analog_[kMirrorH]));
}

void CKolvex::Teardown() {
    if (device_) {
        SaveDeviceSettings();
        // Stops the worker before anything it uses goes away, also when the
        // release raced a running acquisition.
        Close();
        ReleaseClaim();
    }
    device_.reset();
    for (auto& bitmap : bitmaps_) bitmap.reset();
    {
        std::lock_guard<std::mutex> hold(settingsFileLock_);
        settingsFile_.clear();
        settingsFile_.shrink_to_fit();
    }
    sharedTable_.CloseShared();
}

}  // namespace kvx
