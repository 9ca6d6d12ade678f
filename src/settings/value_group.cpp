#include "settings/value_group.h"

#include "platform/atomic_word.h"
#include "platform/settings_store.h"
#include "settings/registry_layout.h"

namespace kvx::settings {

using platform::SettingsKey;

ValueGroup::ValueGroup(const char* subKey, std::vector<GroupValue> values, MissingValue missing)
    : subKey_(subKey), values_(std::move(values)), missing_(missing) {}

void ValueGroup::SetDefaults(int32_t* block, const int32_t* defaults) const {
    for (size_t i = 0; i < values_.size(); ++i)
        platform::StoreRelaxed(&block[i], defaults ? defaults[i] : values_[i].defaultValue);
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
        const GroupValue& v = values_[i];
        const int32_t fallback = defaults ? defaults[i] : v.defaultValue;
        uint32_t stored = 0;
        if (group->ReadDword(v.name, &stored)) {
            const auto value = static_cast<int32_t>(stored);
            if (v.kind == GroupValue::Kind::Flag)
                platform::StoreRelaxed(&block[i], value != 0 ? 1 : 0);
            else
                platform::StoreRelaxed(&block[i], v.accepted.Contains(value) ? value : fallback);
        } else if (missing_ == MissingValue::UseDefault) {
            platform::StoreRelaxed(&block[i], fallback);
        }
    }
    return 1;
}

int ValueGroup::Save(int device, const int32_t* block) const {
    auto group = SettingsKey::Open(CameraKeyPath(device) + "\\" + subKey_, SettingsKey::Access::Write);
    if (!group) return 0;
    std::vector<std::pair<std::string, uint32_t>> named;
    named.reserve(values_.size());
    for (size_t i = 0; i < values_.size(); ++i)
        named.emplace_back(values_[i].name, static_cast<uint32_t>(platform::LoadRelaxed(&block[i])));
    return group->WriteDwords(named) ? 1 : 0;
}

const ValueGroup& AnalogGroup() {
    // A value missing from an existing "Gain" key takes its own default;
    // carrying over the neighbour read before it would, for instance, turn
    // a missing exposure into the blue gain.
    using Kind = GroupValue::Kind;
    static const ValueGroup group("Gain",
                                  {{"Global", 0, kGlobalGainRange},
                                   {"ColorG1", 0, kGlobalGainRange},
                                   {"ColorR", 0, kGlobalGainRange},
                                   {"ColorB", 0, kGlobalGainRange},
                                   {"ColorG2", 0, kGlobalGainRange},
                                   {"Exposure", kDefaultExposureLines, kExposureLinesRange},
                                   {"V_Mirror", 0, kAnyValue, Kind::Flag},
                                   {"H_Mirror", 0, kAnyValue, Kind::Flag},
                                   {"AutoIris", 0, kAutoIrisRange}},
                                  ValueGroup::MissingValue::UseDefault);
    return group;
}

const ValueGroup& FilterGroup() {
    static const ValueGroup group("Filter",
                                  {{"Brightness", 0, kBrightnessRange},
                                   {"Contrast", 0, kContrastRange},
                                   {"Hue", 0, kHueRange},
                                   {"Saturation", 0, kSaturationRange},
                                   {"Sharpness", 0, kSharpnessRange},
                                   {"R_Gain", 100, kBayerGainRange},
                                   {"G_Gain", 100, kBayerGainRange},
                                   {"B_Gain", 100, kBayerGainRange},
                                   {"Gamma", 100, kGammaRange},
                                   {"BayerMode", 2, kBayerModeRange}},
                                  ValueGroup::MissingValue::KeepField);
    return group;
}

const ValueGroup& GrayGroup() {
    static const ValueGroup group("Gray",
                                  {{"Mode", 0, kGrayModeRange},
                                   {"GainR1", 128, kGrayGainRange},
                                   {"GainG1", 128, kGrayGainRange},
                                   {"GainG2", 128, kGrayGainRange},
                                   {"GainB1", 128, kGrayGainRange},
                                   {"OffsetR1", 0, kGrayOffsetRange},
                                   {"OffsetG1", 0, kGrayOffsetRange},
                                   {"OffsetG2", 0, kGrayOffsetRange},
                                   {"OffsetB1", 0, kGrayOffsetRange}},
                                  ValueGroup::MissingValue::KeepField);
    return group;
}

}  // namespace kvx::settings
