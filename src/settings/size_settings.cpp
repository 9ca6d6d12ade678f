#include "settings/size_settings.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/settings_store.h"
#include "settings/value_ranges.h"

namespace kvx::settings {

using platform::SettingsKey;

namespace {

const char* const kSizeValueNames[7] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};

bool ReadValue(const SettingsKey& key, const char* name, int32_t* field) {
    uint32_t value = 0;
    if (!key.ReadDword(name, &value)) return false;
    *field = static_cast<int32_t>(value);
    return true;
}

// Reads the seven values of a size key; missing values leave their fields.
void ReadSize(const SettingsKey& key, SizeEntry* size) {
    for (int i = 0; i < 7; ++i) ReadValue(key, kSizeValueNames[i], &(*size)[i]);
}

bool WriteSize(SettingsKey& key, const SizeEntry& size) {
    std::vector<std::pair<std::string, uint32_t>> named;
    for (int i = 0; i < 7; ++i) named.emplace_back(kSizeValueNames[i], static_cast<uint32_t>(size[static_cast<size_t>(i)]));
    return key.WriteDwords(named);
}

bool WriteFormat(SettingsKey& camera, int32_t current, const FormatValues& f) {
    return camera.WriteDwords({{"Size", static_cast<uint32_t>(current)},
                               {"Color", static_cast<uint32_t>(f.colorMode)},
                               {"SubSample", static_cast<uint32_t>(f.subSample)},
                               {"WaitTime", static_cast<uint32_t>(f.waitTime)},
                               {"Clock", static_cast<uint32_t>(f.clock)}});
}

// A stored value outside `accepted` reads as the value a first use writes.
void ReadChecked(const SettingsKey& key, const char* name, ValueRange accepted, int32_t fallback, int32_t* field) {
    int32_t value = 0;
    if (ReadValue(key, name, &value)) *field = accepted.Contains(value) ? value : fallback;
}

void ReadFormat(const SettingsKey& camera, FormatValues* f) {
    ReadChecked(camera, "Color", kColorModeRange, kFirstUseFormat.colorMode, &f->colorMode);
    ReadChecked(camera, "SubSample", kSubSampleRange, kFirstUseFormat.subSample, &f->subSample);
    ReadChecked(camera, "WaitTime", kStoredWaitTimeRange, kFirstUseFormat.waitTime, &f->waitTime);
    ReadChecked(camera, "Clock", kClockRange, kFirstUseFormat.clock, &f->clock);
}

void WriteFirstUseTree(int device) {
    auto camera = SettingsKey::Open(CameraKeyPath(device), SettingsKey::Access::Write);
    if (!camera) return;
    if (auto size = camera->OpenSubKey(SizeKeyName(0), SettingsKey::Access::Write)) WriteSize(*size, kDefaultSize);
    WriteFormat(*camera, 0, kFirstUseFormat);
}

}  // namespace

int LoadCurrentSize(int device, SizeEntry* size) {
    if (!SettingsKey::Open(kRootKey, SettingsKey::Access::Read)) {
        WriteFirstUseTree(device);
        return 0;
    }
    auto camera = SettingsKey::Open(CameraKeyPath(device), SettingsKey::Access::Read);
    if (!camera) return 0;
    int32_t index = 0;
    if (!ReadValue(*camera, "Size", &index) || index < 0 || index >= kMaxSizeEntries) return 0;
    auto entry = camera->OpenSubKey(SizeKeyName(index), SettingsKey::Access::Read);
    if (!entry) return 0;
    ReadSize(*entry, size);
    return 1;
}

int LoadFormat(int device, FormatValues* format) {
    auto root = SettingsKey::Open(kRootKey, SettingsKey::Access::Read);
    auto camera = root ? SettingsKey::Open(CameraKeyPath(device), SettingsKey::Access::Read) : nullptr;
    if (!camera) return 0;
    ReadFormat(*camera, format);
    return 1;
}

int LoadSizeList(int device, SizeList* list) {
    auto camera = SettingsKey::Open(CameraKeyPath(device), SettingsKey::Access::Read);
    if (!camera) return 0;
    list->count = 0;
    for (int nn = 0; nn < kMaxSizeEntries; ++nn) {
        auto entry = camera->OpenSubKey(SizeKeyName(nn), SettingsKey::Access::Read);
        if (!entry) break;
        ReadSize(*entry, &list->entries[static_cast<size_t>(nn)]);
        list->count = nn + 1;
    }
    ReadValue(*camera, "Size", &list->current);
    ReadFormat(*camera, &list->format);
    return 1;
}

int SaveSizeList(int device, const SizeList& list) {
    auto camera = SettingsKey::Open(CameraKeyPath(device), SettingsKey::Access::Write);
    if (!camera) return 0;
    for (int nn = 0; nn < list.count && nn < kMaxSizeEntries; ++nn) {
        auto entry = camera->OpenSubKey(SizeKeyName(nn), SettingsKey::Access::Write);
        if (!entry) break;
        if (!WriteSize(*entry, list.entries[static_cast<size_t>(nn)])) return 0;
    }
    return WriteFormat(*camera, list.current, list.format) ? 1 : 0;
}

PresetSearch FindRootSizePreset(int32_t width, int32_t height, SizeEntry* preset) {
    auto root = SettingsKey::Open(kRootKey, SettingsKey::Access::Read);
    if (!root) return PresetSearch::NoRootKey;
    for (int nn = 0; nn < kMaxSizeEntries; ++nn) {
        auto entry = root->OpenSubKey(SizeKeyName(nn), SettingsKey::Access::Read);
        if (!entry) break;
        SizeEntry candidate = {0, 0, 0, 0, 0, 0, 4};
        ReadSize(*entry, &candidate);
        if (candidate[2] == width && candidate[3] == height) {
            *preset = candidate;
            return PresetSearch::Found;
        }
    }
    return PresetSearch::NoMatch;
}

}  // namespace kvx::settings
