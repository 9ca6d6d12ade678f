// A small pool of worker threads that runs numbered tasks beside the
// calling thread. The caller always works on its own tasks too, and hands
// tasks to the pool only while a worker is idle: with every worker busy
// (several cameras converting at once) a caller runs its tasks alone, so
// one camera never waits for a thread that another camera's frame holds.
//
// Run takes no allocation: the job lives on the caller's stack and is
// linked into the pool's queue for as long as it has unclaimed tasks.
//
// Blocking and threads: Run blocks the calling thread until every task of
// its job has finished; any thread may call it, but never from inside a task
// of the same pool. The destructor joins the workers; SharedWorkerPool's
// pool is never destroyed. ConfiguredThreadCount never blocks.
// SharedWorkerPool may be called from any thread (the first call makes the
// workers).
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/thread_priority.h"

namespace kvx::platform {

class WorkerPool {
public:
    // `threads` counts the caller: a pool of 1 has no workers and runs every
    // task on the calling thread, in order. Never throws: when the system
    // refuses threads, the pool has the workers it could start (size() says
    // how many), perhaps none. The workers run at `priority` (Low or
    // Normal); the caller's own share of the tasks runs at its own.
    explicit WorkerPool(int threads, ThreadPriority priority = ThreadPriority::Normal);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return static_cast<int>(workers_.size()) + 1; }

    using Task = void (*)(void* context, int index);

    // Runs task(context, i) for every i in [0, count) and returns when all
    // have finished. Tasks may run in any order and on any thread; a task
    // must not call Run on the same pool.
    void Run(int count, Task task, void* context);

    template <typename F>
    void Run(int count, F& function) {
        Run(count, [](void* context, int index) { (*static_cast<F*>(context))(index); }, &function);
    }

private:
    struct Job {
        Task task;
        void* context;
        int count;
        int next = 0;  // next unclaimed index
        int done = 0;  // finished tasks
        Job* newer = nullptr;
    };

    // Claims the next task of the oldest job; unlinks a job whose last task
    // was claimed. Called with mutex_ held.
    bool Claim(Job*& job, int& index);
    void Unlink(Job* job);
    void WorkerLoop();

    std::mutex mutex_;  // guards everything below and every queued Job
    std::condition_variable work_;  // a job was queued, or the pool stops
    std::condition_variable finished_;  // some job's last task finished
    Job* oldest_ = nullptr;
    Job* newest_ = nullptr;
    int idle_ = 0;  // workers waiting for a job
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// Threads for conversion: KOLVEX_THREADS when it holds a number from 1 to
// 64, otherwise one per processor core.
int ConfiguredThreadCount();

// The pool every camera of the process converts on, sized by
// ConfiguredThreadCount on first use. Never destroyed: its workers must not
// be joined while the process exits. Cameras asked to run low share a pool
// of their own (made only when one is), since a lowered thread cannot be
// raised again without privileges; any other priority gives the normal pool.
WorkerPool& SharedWorkerPool(ThreadPriority priority = ThreadPriority::Normal);

}  // namespace kvx::platform
