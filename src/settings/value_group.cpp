#include "settings/value_group.h"

#include "platform/settings_store.h"
#include "settings/registry_layout.h"

namespace kvx::settings {

using platform::SettingsKey;

ValueGroup::ValueGroup(const char* subKey, std::vector<GroupValue> values, MissingValue missing)
    : subKey_(subKey), values_(std::move(values)), missing_(missing) {}

void ValueGroup::SetDefaults(int32_t* block, const int32_t* defaults) const {
    for (size_t i = 0; i < values_.size(); ++i) block[i] = defaults ? defaults[i] : values_[i].defaultValue;
}

int ValueGroup::Load(int device, int32_t* block, const int32_t* defaults) const {
    auto root = SettingsKey::Open(kRootKey, SettingsKey::Access::Read);
    auto camera = root ? SettingsKey::Open(CameraKeyPath(device), SettingsKey::Access::Read) : nullptr;
    auto group = camera ? camera->OpenSubKey(subKey_, SettingsKey::Access::Read) : nullptr;
    if (!group) {
        SetDefaults(block, defaults);
        return 0;
    }
    for (size_t i = 0; i < values_.size(); ++i) {
        uint32_t value = 0;
        if (group->ReadDword(values_[i].name, &value))
            block[i] = static_cast<int32_t>(value);
        else if (missing_ == MissingValue::UseDefault)
            block[i] = defaults ? defaults[i] : values_[i].defaultValue;
    }
    return 1;
}

int ValueGroup::Save(int device, const int32_t* block) const {
    auto group = SettingsKey::Open(CameraKeyPath(device) + "\\" + subKey_, SettingsKey::Access::Write);
    if (!group) return 0;
    for (size_t i = 0; i < values_.size(); ++i)
        if (!group->WriteDword(values_[i].name, static_cast<uint32_t>(block[i]))) return 0;
    return 1;
}

const ValueGroup& AnalogGroup() {
    // A value missing from an existing "Gain" key takes its own default;
    // carrying over the neighbour read before it would, for instance, turn
    // a missing exposure into the blue gain.
    static const ValueGroup group("Gain",
                                  {{"Global", 0},
                                   {"ColorG1", 0},
                                   {"ColorR", 0},
                                   {"ColorB", 0},
                                   {"ColorG2", 0},
                                   {"Exposure", kDefaultExposureLines},
                                   {"V_Mirror", 0},
                                   {"H_Mirror", 0},
                                   {"AutoIris", 0}},
                                  ValueGroup::MissingValue::UseDefault);
    return group;
}

const ValueGroup& FilterGroup() {
    static const ValueGroup group("Filter",
                                  {{"Brightness", 0},
                                   {"Contrast", 0},
                                   {"Hue", 0},
                                   {"Saturation", 0},
                                   {"Sharpness", 0},
                                   {"R_Gain", 100},
                                   {"G_Gain", 100},
                                   {"B_Gain", 100},
                                   {"Gamma", 100},
                                   {"BayerMode", 2}},
                                  ValueGroup::MissingValue::KeepField);
    return group;
}

const ValueGroup& GrayGroup() {
    static const ValueGroup group("Gray",
                                  {{"Mode", 0},
                                   {"GainR1", 128},
                                   {"GainG1", 128},
                                   {"GainG2", 128},
                                   {"GainB1", 128},
                                   {"OffsetR1", 0},
                                   {"OffsetG1", 0},
                                   {"OffsetG2", 0},
                                   {"OffsetB1", 0}},
                                  ValueGroup::MissingValue::KeepField);
    return group;
}

}  // namespace kvx::settings
