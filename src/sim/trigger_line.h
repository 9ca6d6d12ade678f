// The wires of a camera that every process on the machine shares: its
// trigger input, which any process can pull, and its power line, so that a
// camera restarted by one process is restarted for all of them. A small
// named shared block with one pulse counter and one power-up counter per
// device number.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shared_memory.h"

namespace kvx::sim {

constexpr char kDefaultTriggerBlock[] = "KolvexVirtualTriggerLine";

// The wires of this process's virtual cameras: the machine's, or those of
// the device table that KOLVEX_DEVICE_TABLE names (the library's variable,
// spelled here on the device's side of the driver), so that processes that
// choose a table of their own also have cameras of their own.
std::string DefaultTriggerBlock();

class TriggerLine {
public:
    TriggerLine(const std::string& blockName, int deviceNumber);
    // Pulses counted so far on this device's line; 0 when the block is missing.
    uint32_t Pulses() const;

    // Power-ups of this device, by any process; 0 when the block is missing.
    uint32_t PowerUps() const;
    // Counts a power-up and returns the new count.
    uint32_t CountPowerUp();

    // Pulses the line of `deviceNumber` in whichever process serves it.
    // False when no virtual camera has created the block.
    static bool Fire(const std::string& blockName, int deviceNumber);

private:
    platform::SharedMemory block_;
    int deviceNumber_;
};

}  // namespace kvx::sim
