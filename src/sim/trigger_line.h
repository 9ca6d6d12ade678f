// The camera's trigger input as a wire that any process can pull: a small
// named shared block with one pulse counter per device number.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shared_memory.h"

namespace kvx::sim {

constexpr char kDefaultTriggerBlock[] = "KolvexVirtualTriggerLine";

class TriggerLine {
public:
    TriggerLine(const std::string& blockName, int deviceNumber);
    // Pulses counted so far on this device's line; 0 when the block is missing.
    uint32_t Pulses() const;

    // Pulses the line of `deviceNumber` in whichever process serves it.
    // False when no virtual camera has created the block.
    static bool Fire(const std::string& blockName, int deviceNumber);

private:
    platform::SharedMemory block_;
    int deviceNumber_;
};

}  // namespace kvx::sim
