#include "platform/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using kvx::platform::WorkerPool;

TEST(WorkerPool, EveryTaskRunsOnceWhateverTheSize) {
    for (int threads : {1, 2, 5}) {
        WorkerPool pool(threads);
        EXPECT_EQ(pool.size(), threads);
        for (int count : {0, 1, 7, 100}) {
            std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
            auto task = [&](int i) { runs[static_cast<size_t>(i)].fetch_add(1); };
            pool.Run(count, task);
            for (int i = 0; i < count; ++i) EXPECT_EQ(runs[static_cast<size_t>(i)].load(), 1) << threads << " " << i;
        }
    }
}

TEST(WorkerPool, ASinglePoolRunsInOrderOnTheCaller) {
    WorkerPool pool(1);
    std::vector<int> order;
    const std::thread::id caller = std::this_thread::get_id();
    bool onCaller = true;
    auto task = [&](int i) {
        order.push_back(i);
        onCaller = onCaller && std::this_thread::get_id() == caller;
    };
    pool.Run(5, task);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(onCaller);
}

TEST(WorkerPool, SizesOutsideTheRangeAreHeldToIt) {
    EXPECT_EQ(WorkerPool(0).size(), 1);
    EXPECT_EQ(WorkerPool(1000).size(), 64);
    EXPECT_GE(kvx::platform::ConfiguredThreadCount(), 1);
    EXPECT_EQ(kvx::platform::SharedWorkerPool().size(), kvx::platform::ConfiguredThreadCount());
}

// One caller's task holds the only worker; another caller must still
// finish, doing its own tasks itself, or cameras sharing the pool would
// stall each other.
TEST(WorkerPool, ACallerNeverWaitsForAnotherCallersTasks) {
    WorkerPool pool(2);
    std::mutex mutex;
    std::condition_variable changed;
    bool workerHeld = false, secondDone = false;
    std::thread first([&] {
        const std::thread::id caller = std::this_thread::get_id();
        auto hold = [&](int) {
            if (std::this_thread::get_id() == caller) return;
            std::unique_lock<std::mutex> lock(mutex);
            workerHeld = true;
            changed.notify_all();
            changed.wait(lock, [&] { return secondDone; });
        };
        // A worker still starting up takes no task; try until one does.
        for (;;) {
            pool.Run(2, hold);
            std::lock_guard<std::mutex> lock(mutex);
            if (workerHeld) return;
        }
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return workerHeld; });
    }
    std::atomic<int> ran{0};
    auto count = [&](int) { ran.fetch_add(1); };
    pool.Run(3, count);
    EXPECT_EQ(ran.load(), 3);
    {
        std::lock_guard<std::mutex> lock(mutex);
        secondDone = true;
    }
    changed.notify_all();
    first.join();
}

TEST(WorkerPool, ManyCallersAtOnce) {
    WorkerPool pool(3);
    std::atomic<long> total{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c) {
        callers.emplace_back([&] {
            for (int repeat = 0; repeat < 50; ++repeat) {
                auto add = [&](int i) { total.fetch_add(i + 1); };
                pool.Run(10, add);
            }
        });
    }
    for (std::thread& t : callers) t.join();
    EXPECT_EQ(total.load(), 4L * 50 * 55);
}

}  // namespace
