// The numbered parameters behind Kolvex_GetFilterValue / Kolvex_SetFilterValue
// and their named synonyms: where each lives, what it accepts, and which of
// them act on the sensor rather than on the conversion.
#include <cstdint>

#include "camera/camera_exposure.h"
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"

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
    int32_t min;
    int32_t max;
};

constexpr int kFirstParameter = 1;
constexpr int kLastParameter = 28;

// Indexed by identifier - 1.
constexpr Parameter kParameters[kLastParameter] = {
    {Rule::Stored, kBrightness, -255, 255},      // 1
    {Rule::Stored, kContrast, -127, 127},        // 2
    {Rule::Stored, kHue, -360, 360},             // 3
    {Rule::Stored, kSaturation, -255, 255},      // 4
    {Rule::Stored, kSharpness, 0, 30},           // 5
    {Rule::PackedBayer, kBayerGainRed, 0, 0},    // 6
    {Rule::Stored, kBayerGainRed, 0, 400},       // 7
    {Rule::Stored, kBayerGainGreen, 0, 400},     // 8
    {Rule::Stored, kBayerGainBlue, 0, 400},      // 9
    {Rule::Flag, kAutoWhiteBalance, 0, 0},       // 10
    {Rule::Stored, kGamma, 0, 200},              // 11
    {Rule::Stored, kBayerMode, 0, 3},            // 12
    {Rule::GlobalGain, kGlobalGain, 0, 0},       // 13: up to the device's maximum
    {Rule::ColourGain, kColorGainRed, 0, 0},     // 14
    {Rule::ColourGain, kColorGainGreen1, 0, 0},  // 15
    {Rule::ColourGain, kColorGainGreen2, 0, 0},  // 16
    {Rule::ColourGain, kColorGainBlue, 0, 0},    // 17
    {Rule::ExposureLines, kExposureLines, 1, 0}, // 18: up to the device's maximum
    {Rule::Stored, kGrayMode, 0, 2},             // 19
    {Rule::Stored, kGrayGainR, 0, 255},          // 20
    {Rule::Stored, kGrayGainG1, 0, 255},         // 21
    {Rule::Stored, kGrayGainG2, 0, 255},         // 22
    {Rule::Stored, kGrayGainB, 0, 255},          // 23
    {Rule::Stored, kGrayOffsetR, -255, 255},     // 24
    {Rule::Stored, kGrayOffsetG1, -255, 255},    // 25
    {Rule::Stored, kGrayOffsetG2, -255, 255},    // 26
    {Rule::Stored, kGrayOffsetB, -255, 255},     // 27
    {Rule::Stored, kAutoGrayGain, 0, 1},         // 28
};

// Inclusive, without overflow for any pair of 32-bit bounds. With min 0 it
// is the unsigned test the interface documents: every negative value fails.
bool InRange(int32_t value, int32_t min, int32_t max) {
    return static_cast<uint32_t>(value) - static_cast<uint32_t>(min) <=
           static_cast<uint32_t>(max) - static_cast<uint32_t>(min);
}

// The worker reads these blocks word by word while it converts.
int32_t Load(const int32_t* word) { return __atomic_load_n(word, __ATOMIC_RELAXED); }
void Store(int32_t* word, int32_t value) { __atomic_store_n(word, value, __ATOMIC_RELAXED); }

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
            return Load(&filter_[static_cast<size_t>(p->index)]);
        case Rule::PackedBayer:
            return (Load(&filter_[kBayerGainBlue]) & 0xFF) << 16 | (Load(&filter_[kBayerGainGreen]) & 0xFF) << 8 |
                   (Load(&filter_[kBayerGainRed]) & 0xFF);
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
    switch (p->rule) {
        case Rule::Stored:
            if (!InRange(value, p->min, p->max)) return rejected();
            Store(&filter_[static_cast<size_t>(p->index)], value);
            return 1;
        case Rule::PackedBayer:
            Store(&filter_[kBayerGainRed], value & 0xFF);
            Store(&filter_[kBayerGainGreen], (value >> 8) & 0xFF);
            Store(&filter_[kBayerGainBlue], (value >> 16) & 0xFF);
            return 1;
        case Rule::Flag:
            Store(&filter_[static_cast<size_t>(p->index)], value != 0 ? 1 : 0);
            return 1;
        case Rule::GlobalGain:
            if (!InRange(value, 0, device_->GetMaxGain())) return rejected();
            sensor.ApplyGain(value);
            return 1;
        case Rule::ColourGain:
            if (value != 0) return rejected();
            Store(&analog_[static_cast<size_t>(p->index)], 0);
            return 1;
        case Rule::ExposureLines:
            if (!InRange(value, p->min, device_->GetMaxExposureLines())) return rejected();
            sensor.ApplyExposureLines(value);
            return 1;
    }
    return rejected();
}

}  // namespace kvx
