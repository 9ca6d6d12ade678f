// Scheduling priority of the calling thread.
//
// Blocking and threads: SetCurrentThreadPriority never blocks and changes
// only the calling thread; any thread may call it for itself.
// TransferThreadPriority never blocks; any thread.
#pragma once

namespace kvx::platform {

// Highest: THREAD_PRIORITY_HIGHEST on Windows, real-time (SCHED_FIFO)
// scheduling on POSIX.
enum class ThreadPriority { Normal, Highest, TimeCritical };

// Best effort: returns false when the system refuses (an unprivileged process
// on POSIX may not raise its priority); the thread runs on regardless.
bool SetCurrentThreadPriority(ThreadPriority priority);

// The priority frame transfer threads run at: Normal, unless the process
// asks for Highest with KOLVEX_TRANSFER_PRIORITY=highest. A raised thread
// takes the processor from the application whenever it is runnable, and the
// virtual camera makes its frames on that thread, so a library must not
// raise it on its own.
ThreadPriority TransferThreadPriority();

}  // namespace kvx::platform
