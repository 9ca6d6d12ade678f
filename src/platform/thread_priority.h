// Scheduling priority of the calling thread.
//
// Blocking and threads: SetCurrentThreadPriority never blocks and changes
// only the calling thread; any thread may call it for itself.
#pragma once

namespace kvx::platform {

enum class ThreadPriority { Normal, Highest, TimeCritical };

// Best effort: returns false when the system refuses (an unprivileged process
// on POSIX may not raise its priority); the thread runs on regardless.
bool SetCurrentThreadPriority(ThreadPriority priority);

}  // namespace kvx::platform
