// What opening a block means on every system; the backends map it.
#include "platform/shared_memory.h"

namespace kvx::platform {

SharedMemory::~SharedMemory() { Close(); }

bool SharedMemory::Open(const std::string& name) { return OpenOrCreateImpl(name, 0, nullptr); }

bool SharedMemory::OpenOrCreate(const std::string& name, size_t size, bool* created) {
    if (size == 0) return false;
    return OpenOrCreateImpl(name, size, created);
}

}  // namespace kvx::platform
