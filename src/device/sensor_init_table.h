// The sensor's start-up register settings, written once per device before
// the first use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvx {

struct SensorSetting {
    uint16_t address;
    uint8_t value;
};

extern const SensorSetting kSensorInitTable[];
constexpr size_t kSensorInitCount = 216;
// The last three settings need the sensor settled: pause this long first.
constexpr size_t kSensorInitPauseAfter = 213;
constexpr uint32_t kSensorInitPauseMs = 2;

}  // namespace kvx
