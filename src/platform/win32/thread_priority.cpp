#include "platform/thread_priority.h"

#include <windows.h>

namespace kvx::platform {

bool SetCurrentThreadPriority(ThreadPriority priority) {
    int level = THREAD_PRIORITY_NORMAL;
    if (priority == ThreadPriority::Low) {
        // Only ever lowered: a thread the application already runs lower
        // keeps its level.
        const int current = GetThreadPriority(GetCurrentThread());
        if (current != THREAD_PRIORITY_ERROR_RETURN && current <= THREAD_PRIORITY_BELOW_NORMAL) return true;
        level = THREAD_PRIORITY_BELOW_NORMAL;
    }
    if (priority == ThreadPriority::Highest) level = THREAD_PRIORITY_HIGHEST;
    if (priority == ThreadPriority::TimeCritical) level = THREAD_PRIORITY_TIME_CRITICAL;
    return SetThreadPriority(GetCurrentThread(), level) != 0;
}

}  // namespace kvx::platform
