// A group of 32-bit settings stored as DWORD values in one subkey of a
// camera key ("Gain", "Filter", "Gray"), read into and written from a block
// of consecutive values in table order. Other threads read and write the
// block's words meanwhile (the conversion, getters and setters), so each word
// is read and written as an atomic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "settings/value_ranges.h"

namespace kvx::settings {

struct GroupValue {
    enum class Kind {
        Number,  // taken when within `accepted`, else the default
        Flag,    // any number, taken as 0 or 1 as the setter does
    };
    const char* name;
    int32_t defaultValue;
    ValueRange accepted = kAnyValue;
    Kind kind = Kind::Number;
};

class ValueGroup {
public:
    enum class MissingValue {
        KeepField,     // a value absent from an existing subkey leaves its field alone
        UseDefault,    // ... takes that value's group default
    };

    ValueGroup(const char* subKey, std::vector<GroupValue> values, MissingValue missing);

    // Reads the group of `device` into block[0 .. size). When the camera key
    // or the subkey cannot be opened the whole group takes its defaults and
    // the result is 0. A stored value its setter would refuse takes its
    // default. `defaults` may replace the table's defaults (same
    // size), for values whose default depends on the device's state.
    int Load(int device, int32_t* block, const int32_t* defaults = nullptr) const;
    // Writes every value of the group, creating the keys as needed.
    int Save(int device, const int32_t* block) const;

    void SetDefaults(int32_t* block, const int32_t* defaults = nullptr) const;
    size_t size() const { return values_.size(); }
    const char* subKey() const { return subKey_; }

private:
    const char* subKey_;
    std::vector<GroupValue> values_;
    MissingValue missing_;
};

// The sensor settings ("Gain"): Global, ColorG1, ColorR, ColorB, ColorG2,
// Exposure, V_Mirror, H_Mirror, AutoIris.
const ValueGroup& AnalogGroup();
// The image filter ("Filter"): Brightness .. BayerMode, ten values.
const ValueGroup& FilterGroup();
// The gray filter ("Gray"): Mode, four gains, four offsets.
const ValueGroup& GrayGroup();

constexpr size_t kAnalogValues = 9;
constexpr size_t kFilterValues = 10;
constexpr size_t kGrayValues = 9;
constexpr int32_t kDefaultExposureLines = 1561;

}  // namespace kvx::settings
