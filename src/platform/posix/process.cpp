#include "platform/process.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace kvx::platform {

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

bool ProcessExists(uint32_t processId) {
    if (processId == 0) return false;
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
}

}  // namespace kvx::platform
