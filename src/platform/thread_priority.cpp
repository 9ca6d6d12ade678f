#include "platform/thread_priority.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kvx::platform {

ThreadPriority TransferThreadPriority() {
    const char* asked = std::getenv("KOLVEX_TRANSFER_PRIORITY");
    if (asked == nullptr || *asked == '\0' || std::strcmp(asked, "normal") == 0) return ThreadPriority::Normal;
    if (std::strcmp(asked, "highest") == 0) return ThreadPriority::Highest;
    if (std::strcmp(asked, "low") == 0) return ThreadPriority::Low;
    // Told once, since no call of the interface could carry it; read on
    // every start, a misspelt value would otherwise repeat with each camera.
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        std::fprintf(stderr,
                     "kolvex: KOLVEX_TRANSFER_PRIORITY=%s is not understood: expected highest, normal or low; "
                     "the library's threads run at normal priority\n",
                     asked);
    return ThreadPriority::Normal;
}

ThreadPriority ConversionThreadPriority() {
    return TransferThreadPriority() == ThreadPriority::Low ? ThreadPriority::Low : ThreadPriority::Normal;
}

}  // namespace kvx::platform
