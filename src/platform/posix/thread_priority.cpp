#include "platform/thread_priority.h"

#include <errno.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kvx::platform {

namespace {

// The scheduler weighs a nice-19 thread at 15 against 1024 for nice 0, so
// the several busy threads of four cameras sharing a core with an
// application thread take about a twentieth of it between them; at nice 10
// (weight 110 each) they would still take a third.
constexpr int kLowNice = 19;

// Linux threads have a nice value of their own, addressed by thread id:
// the process's other threads keep theirs.
bool LowerCurrentThread() {
    const id_t self = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, self);
    if (current == -1 && errno != 0) return false;
    if (current >= kLowNice) return true;  // already as low; raising it back would need privileges
    return ::setpriority(PRIO_PROCESS, self, kLowNice) == 0;
}

}  // namespace

bool SetCurrentThreadPriority(ThreadPriority priority) {
    if (priority == ThreadPriority::Low) return LowerCurrentThread();
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
