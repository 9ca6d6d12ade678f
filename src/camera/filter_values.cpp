// The numbered parameters behind Kolvex_GetFilterValue / Kolvex_SetFilterValue
// and their named synonyms: where each lives, what it accepts, and which of
// them act on the sensor rather than on the conversion.
#include <cstdint>

#include "camera/camera_exposure.h"
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/atomic_word.h"
#include "settings/value_ranges.h"

namespace kvx {

namespace {

enum class Rule {
    Stored,         // a filter-block word within [min, max]
    PackedBayer,    // red, green and blue Bayer gains in one value
    Flag,           // a filter-block word stored as 0 or 1
    GlobalGain,     // the sensor gain; the colour gains follow it
    ColourGain,     // an analog-block word that accepts only 0
    ExposureLines,  // the sensor exposure
};

struct Parameter {
    Rule rule;
    int index;  // into the filter block, or the analog block for the sensor rules
    settings::ValueRange accepted;
};

constexpr int kFirstParameter = 1;
constexpr int kLastParameter = 28;
constexpr settings::ValueRange kUnused = {0, 0};

// Indexed by identifier - 1. The stored settings are checked against the
// same ranges when they are loaded.
constexpr Parameter kParameters[kLastParameter] = {
    {Rule::Stored, kBrightness, settings::kBrightnessRange},     // 1
    {Rule::Stored, kContrast, settings::kContrastRange},         // 2
    {Rule::Stored, kHue, settings::kHueRange},                   // 3
    {Rule::Stored, kSaturation, settings::kSaturationRange},     // 4
    {Rule::Stored, kSharpness, settings::kSharpnessRange},       // 5
    {Rule::PackedBayer, kBayerGainRed, kUnused},                 // 6
    {Rule::Stored, kBayerGainRed, settings::kBayerGainRange},    // 7
    {Rule::Stored, kBayerGainGreen, settings::kBayerGainRange},  // 8
    {Rule::Stored, kBayerGainBlue, settings::kBayerGainRange},   // 9
    {Rule::Flag, kAutoWhiteBalance, kUnused},                    // 10
    {Rule::Stored, kGamma, settings::kGammaRange},               // 11
    {Rule::Stored, kBayerMode, settings::kBayerModeRange},       // 12
    {Rule::GlobalGain, kGlobalGain, kUnused},                    // 13: up to the device's maximum
    {Rule::ColourGain, kColorGainRed, kUnused},                  // 14
    {Rule::ColourGain, kColorGainGreen1, kUnused},               // 15
    {Rule::ColourGain, kColorGainGreen2, kUnused},               // 16
    {Rule::ColourGain, kColorGainBlue, kUnused},                 // 17
    {Rule::ExposureLines, kExposureLines, kUnused},              // 18: 1 up to the device's maximum
    {Rule::Stored, kGrayMode, settings::kGrayModeRange},         // 19
    {Rule::Stored, kGrayGainR, settings::kGrayGainRange},        // 20
    {Rule::Stored, kGrayGainG1, settings::kGrayGainRange},       // 21
    {Rule::Stored, kGrayGainG2, settings::kGrayGainRange},       // 22
    {Rule::Stored, kGrayGainB, settings::kGrayGainRange},        // 23
    {Rule::Stored, kGrayOffsetR, settings::kGrayOffsetRange},    // 24
    {Rule::Stored, kGrayOffsetG1, settings::kGrayOffsetRange},   // 25
    {Rule::Stored, kGrayOffsetG2, settings::kGrayOffsetRange},   // 26
    {Rule::Stored, kGrayOffsetB, settings::kGrayOffsetRange},    // 27
    {Rule::Stored, kAutoGrayGain, settings::kGrayBalanceRange},  // 28
};

bool InRange(int32_t value, int32_t min, int32_t max) { return settings::ValueRange{min, max}.Contains(value); }

const Parameter* Find(int id) {
    if (id < kFirstParameter || id > kLastParameter) return nullptr;
    return &kParameters[id - kFirstParameter];
}

}  // namespace

int CKolvex::GetFilterValue(int parameter, int* ok) {
    if (ok) *ok = 0;
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    const Parameter* p = Find(parameter);
    if (!p) return RecordError(KOLVEX_ERR_ARGUMENT), 0;
    if (ok) *ok = 1;
    switch (p->rule) {
        case Rule::Stored:
        case Rule::Flag:
            return platform::LoadRelaxed(&filter_[static_cast<size_t>(p->index)]);
        case Rule::PackedBayer:
            return (platform::LoadRelaxed(&filter_[kBayerGainBlue]) & 0xFF) << 16 |
                   (platform::LoadRelaxed(&filter_[kBayerGainGreen]) & 0xFF) << 8 |
                   (platform::LoadRelaxed(&filter_[kBayerGainRed]) & 0xFF);
        case Rule::GlobalGain:
            return device_->GetGain() & 0xFFFF;
        case Rule::ColourGain:
            return 0;
        case Rule::ExposureLines: {
            uint16_t lines = 0;
            device_->GetExposureLines(&lines);
            return lines;
        }
    }
    return 0;
}

int CKolvex::SetFilterValue(int parameter, int value) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    const Parameter* p = Find(parameter);
    if (!p) return RecordError(KOLVEX_ERR_ARGUMENT), 0;
    auto rejected = [this] { return RecordError(KOLVEX_ERR_ARGUMENT), 0; };
    CameraExposure sensor(device_.get(), analog_.data(), nullptr);
    // What goes to the sensor waits until a device switch or a new window
    // (whose line length the exposure is counted in) is done.
    using Programming = std::lock_guard<platform::FairRecursiveMutex>;
    switch (p->rule) {
        case Rule::Stored:
            if (!p->accepted.Contains(value)) return rejected();
            platform::StoreRelaxed(&filter_[static_cast<size_t>(p->index)], value);
            return 1;
        case Rule::PackedBayer:
            platform::StoreRelaxed(&filter_[kBayerGainRed], value & 0xFF);
            platform::StoreRelaxed(&filter_[kBayerGainGreen], (value >> 8) & 0xFF);
            platform::StoreRelaxed(&filter_[kBayerGainBlue], (value >> 16) & 0xFF);
            return 1;
        case Rule::Flag:
            platform::StoreRelaxed(&filter_[static_cast<size_t>(p->index)], value != 0 ? 1 : 0);
            return 1;
        case Rule::GlobalGain: {
            if (!InRange(value, 0, device_->GetMaxGain())) return rejected();
            Programming control(controlLock_);
            sensor.ApplyGain(value);
            return 1;
        }
        case Rule::ColourGain:
            if (value != 0) return rejected();
            platform::StoreRelaxed(&analog_[static_cast<size_t>(p->index)], 0);
            return 1;
        case Rule::ExposureLines: {
            if (!InRange(value, 1, device_->GetMaxExposureLines())) return rejected();
            Programming control(controlLock_);
            sensor.ApplyExposureLines(value);
            return 1;
        }
    }
    return rejected();
}

}  // namespace kvx
