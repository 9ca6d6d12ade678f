#include "sim/trigger_line.h"

#include <cstdlib>

#include "platform/atomic_word.h"

namespace kvx::sim {

namespace {
constexpr size_t kBlockSize = 4096;
constexpr int kLines = 32;

uint32_t* Counter(void* view, int deviceNumber) { return static_cast<uint32_t*>(view) + deviceNumber; }
uint32_t* PowerCounter(void* view, int deviceNumber) { return static_cast<uint32_t*>(view) + kLines + deviceNumber; }
}  // namespace

std::string DefaultTriggerBlock() {
    const char* table = std::getenv("KOLVEX_DEVICE_TABLE");
    if (!table || !*table) return kDefaultTriggerBlock;
    return std::string(kDefaultTriggerBlock) + "-" + table;
}

TriggerLine::TriggerLine(const std::string& blockName, int deviceNumber) : deviceNumber_(deviceNumber) {
    block_.OpenOrCreate(blockName, kBlockSize);
}

uint32_t TriggerLine::Pulses() const {
    if (!block_.view() || deviceNumber_ < 0 || deviceNumber_ >= kLines) return 0;
    return platform::LoadAcquire(Counter(block_.view(), deviceNumber_));
}

uint32_t TriggerLine::PowerUps() const {
    if (!block_.view() || deviceNumber_ < 0 || deviceNumber_ >= kLines) return 0;
    return platform::LoadAcquire(PowerCounter(block_.view(), deviceNumber_));
}

uint32_t TriggerLine::CountPowerUp() {
    if (!block_.view() || deviceNumber_ < 0 || deviceNumber_ >= kLines) return 0;
    return platform::AddAcqRel(PowerCounter(block_.view(), deviceNumber_), 1u);
}

bool TriggerLine::Fire(const std::string& blockName, int deviceNumber) {
    if (deviceNumber < 0 || deviceNumber >= kLines) return false;
    platform::SharedMemory block;
    if (!block.Open(blockName) || block.size() < kLines * sizeof(uint32_t)) return false;
    platform::AddAcqRel(Counter(block.view(), deviceNumber), 1u);
    return true;
}

}  // namespace kvx::sim
