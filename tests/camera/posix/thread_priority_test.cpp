// Asked to run low, a camera lowers every thread it keeps busy (the
// transfer thread, the worker and the pool that converts its frames), and
// only then.
#include <cstdlib>
#include <string>

#include "../acquisition_fixture.h"
#include "posix/process_threads.h"

namespace {

class ThreadPriority : public kvx::test::AcquisitionTest {};

TEST_F(ThreadPriority, LowReachesEveryBusyThreadOfTheCamera) {
    // Two pool workers, made by the first preview at each priority.
    ::setenv("KOLVEX_THREADS", "3", 1);
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    const int own = kvx::test::NiceOf(0), low = own > 19 ? own : 19;
    const struct {
        const char* asked;
        int nice;
        size_t started;  // at least: transfer thread, worker and any pool workers
    } rows[] = {{"normal", own, 4}, {"low", low, 4}, {"normal", own, 2}, {"lowest", own, 2}, {"low", low, 2}};
    testing::internal::CaptureStderr();
    for (const auto& row : rows) {
        ::setenv("KOLVEX_TRANSFER_PRIORITY", row.asked, 1);
        const std::set<pid_t> before = kvx::test::ProcessThreads();
        EXPECT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
        kvx::test::CollectFrames(callback_, 2);
        const std::set<pid_t> started = kvx::test::ProcessThreads(before);
        EXPECT_GE(started.size(), row.started) << row.asked;
        for (pid_t id : started) EXPECT_EQ(kvx::test::NiceOf(id), row.nice) << row.asked;
        EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    }
    ::unsetenv("KOLVEX_TRANSFER_PRIORITY");
    ::unsetenv("KOLVEX_THREADS");
    // A value the library cannot read is told once, not at every start.
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("KOLVEX_TRANSFER_PRIORITY=lowest is not understood"), std::string::npos) << told;
    EXPECT_EQ(told.find("not understood"), told.rfind("not understood")) << told;
}

}  // namespace
