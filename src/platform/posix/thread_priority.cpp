#include "platform/thread_priority.h"

#include <pthread.h>
#include <sched.h>

namespace kvx::platform {

bool SetCurrentThreadPriority(ThreadPriority priority) {
    sched_param param{};
    int policy = SCHED_OTHER;
    if (priority != ThreadPriority::Normal) {
        // Real-time scheduling needs privileges that an ordinary process
        // lacks; then the thread keeps the normal policy.
        policy = SCHED_FIFO;
        int top = sched_get_priority_max(SCHED_FIFO);
        param.sched_priority = priority == ThreadPriority::TimeCritical ? top : top - 1;
    }
    return pthread_setschedparam(pthread_self(), policy, &param) == 0;
}

}  // namespace kvx::platform
