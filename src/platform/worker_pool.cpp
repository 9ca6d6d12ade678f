#include "platform/worker_pool.h"

#include <cstdlib>
#include <new>
#include <system_error>

namespace kvx::platform {

namespace {
constexpr int kMaxThreads = 64;
}

WorkerPool::WorkerPool(int threads, ThreadPriority priority) {
    if (threads < 1) threads = 1;
    if (threads > kMaxThreads) threads = kMaxThreads;
    // A process short of threads or memory gets a smaller pool, down to the
    // caller alone, rather than an exception it never asked for.
    try {
        workers_.reserve(static_cast<size_t>(threads - 1));
        for (int i = 1; i < threads; ++i)
            workers_.emplace_back([this, priority] {
                if (priority == ThreadPriority::Low) SetCurrentThreadPriority(priority);
                WorkerLoop();
            });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::Unlink(Job* job) {
    // Workers claim from the oldest job; a caller may finish claiming its
    // own job while older ones are still queued.
    if (oldest_ == job) {
        oldest_ = job->newer;
        if (newest_ == job) newest_ = nullptr;
        return;
    }
    for (Job* j = oldest_; j != nullptr; j = j->newer) {
        if (j->newer == job) {
            j->newer = job->newer;
            if (newest_ == job) newest_ = j;
            return;
        }
    }
}

bool WorkerPool::Claim(Job*& job, int& index) {
    if (oldest_ == nullptr) return false;
    job = oldest_;
    index = job->next++;
    if (job->next == job->count) Unlink(job);
    return true;
}

void WorkerPool::WorkerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        ++idle_;
        work_.wait(lock, [this] { return stopping_ || oldest_ != nullptr; });
        --idle_;
        if (stopping_) return;
        Job* job = nullptr;
        int index = 0;
        if (!Claim(job, index)) continue;
        lock.unlock();
        job->task(job->context, index);
        lock.lock();
        // The caller may return as soon as it sees the last task done, so
        // this is the last touch of the job.
        if (++job->done == job->count) finished_.notify_all();
    }
}

void WorkerPool::Run(int count, Task task, void* context) {
    if (count <= 0) return;
    if (workers_.empty() || count == 1) {
        for (int i = 0; i < count; ++i) task(context, i);
        return;
    }
    Job job{task, context, count};
    std::unique_lock<std::mutex> lock(mutex_);
    if (idle_ == 0) {
        lock.unlock();
        for (int i = 0; i < count; ++i) task(context, i);
        return;
    }
    if (newest_ != nullptr) newest_->newer = &job;
    else oldest_ = &job;
    newest_ = &job;
    lock.unlock();
    work_.notify_all();

    // The caller works only on its own job, so its frame never waits for
    // another camera's tasks.
    lock.lock();
    while (job.next < job.count) {
        const int index = job.next++;
        if (job.next == job.count) Unlink(&job);
        lock.unlock();
        task(context, index);
        lock.lock();
        ++job.done;
    }
    finished_.wait(lock, [&job] { return job.done == job.count; });
}

int ConfiguredThreadCount() {
    const char* text = std::getenv("KOLVEX_THREADS");
    if (text != nullptr && *text != '\0') {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != nullptr && *end == '\0' && value >= 1 && value <= kMaxThreads) return static_cast<int>(value);
    }
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0) return 1;
    return cores > static_cast<unsigned>(kMaxThreads) ? kMaxThreads : static_cast<int>(cores);
}

namespace {

// Made on first use, in storage of its own, so that making it cannot fail
// for want of heap.
template <ThreadPriority Priority>
WorkerPool& PoolAt() {
    alignas(WorkerPool) static unsigned char storage[sizeof(WorkerPool)];
    static WorkerPool* pool = new (storage) WorkerPool(ConfiguredThreadCount(), Priority);
    return *pool;
}

}  // namespace

WorkerPool& SharedWorkerPool(ThreadPriority priority) {
    return priority == ThreadPriority::Low ? PoolAt<ThreadPriority::Low>() : PoolAt<ThreadPriority::Normal>();
}

}  // namespace kvx::platform
