// Asked to run low, a camera lowers every thread it keeps busy (the
// transfer thread, the worker and the pool that converts its frames), and
// nothing else; by default it lowers none of them.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "../acquisition_fixture.h"
#include "posix/process_threads.h"

namespace {

class ThreadPriority : public kvx::test::AcquisitionTest {
protected:
    // The nice values of the threads a preview started, seen while it runs.
    std::multiset<int> NiceOfPreviewThreads(const char* asked) {
        ::setenv("KOLVEX_TRANSFER_PRIORITY", asked, 1);
        const std::set<pid_t> before = kvx::test::ProcessThreads();
        EXPECT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
        kvx::test::CollectFrames(callback_, 2);
        std::multiset<int> nice;
        for (pid_t id : kvx::test::ThreadsSince(before)) nice.insert(kvx::test::NiceOf(id));
        EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
        ::unsetenv("KOLVEX_TRANSFER_PRIORITY");
        return nice;
    }
};

TEST_F(ThreadPriority, LowReachesEveryBusyThreadOfTheCamera) {
    // Three threads convert: the worker and two of the pool's, made by the
    // first preview that asks for its priority.
    ::setenv("KOLVEX_THREADS", "3", 1);
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    const int own = kvx::test::NiceOf(0);
    const int low = std::max(own, 19);
    const struct {
        const char* asked;
        int nice;
        size_t atLeast;  // transfer thread and worker, and the pool's workers where this row makes the pool
    } rows[] = {{"normal", own, 4}, {"low", low, 4}, {"normal", own, 2}, {"low", low, 2}};
    for (const auto& row : rows) {
        const std::multiset<int> nice = NiceOfPreviewThreads(row.asked);
        EXPECT_GE(nice.size(), row.atLeast) << row.asked;
        EXPECT_EQ(nice.count(row.nice), nice.size()) << row.asked;
    }
    ::unsetenv("KOLVEX_THREADS");
}

}  // namespace
