// Scheduling priority of the calling thread.
//
// Blocking and threads: SetCurrentThreadPriority never blocks and changes
// only the calling thread; any thread may call it for itself.
// TransferThreadPriority and ConversionThreadPriority never block; any
// thread.
#pragma once

namespace kvx::platform {

// Low: THREAD_PRIORITY_BELOW_NORMAL on Windows, a higher nice value for the
// one thread on POSIX. Highest: THREAD_PRIORITY_HIGHEST on Windows,
// real-time (SCHED_FIFO) scheduling on POSIX.
enum class ThreadPriority { Low, Normal, Highest, TimeCritical };

// Best effort: returns false when the system refuses (an unprivileged process
// on POSIX may not raise its priority); the thread runs on regardless. Low
// never raises a thread that already runs lower, and needs no privileges.
bool SetCurrentThreadPriority(ThreadPriority priority);

// The priority frame transfer threads run at, from KOLVEX_TRANSFER_PRIORITY:
// Normal unless the process asks for `highest` or `low`. A raised thread
// takes the processor from the application whenever it is runnable, and the
// virtual camera makes its frames on that thread, so a library must not
// raise it on its own. A value it cannot read is reported once on stderr and
// counts as Normal.
ThreadPriority TransferThreadPriority();

// The priority of the threads that convert frames (a camera's worker and
// the pool it shares): Low when the transfer threads are asked to run low,
// otherwise Normal. Converting is never raised: an application that wants
// frames read in time under load raises the reading only.
ThreadPriority ConversionThreadPriority();

}  // namespace kvx::platform
