#include "platform/thread_priority.h"

#include <cstdlib>
#include <cstring>

namespace kvx::platform {

ThreadPriority TransferThreadPriority() {
    const char* asked = std::getenv("KOLVEX_TRANSFER_PRIORITY");
    return asked != nullptr && std::strcmp(asked, "highest") == 0 ? ThreadPriority::Highest : ThreadPriority::Normal;
}

}  // namespace kvx::platform
