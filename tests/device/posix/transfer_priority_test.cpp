// The transfer thread (on which the virtual camera also makes its frames)
// takes real-time scheduling only when the application asks for it, and
// runs below the application's threads when it asks for that.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "device/kolvex_410qfx_zqp_sdk.h"
#include "posix/process_threads.h"
#include "../virtual_rig.h"

namespace {

// Whether this process may schedule a thread in real time at all.
bool RealTimeAllowed() {
    bool allowed = false;
    std::thread probe([&] {
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_FIFO);
        allowed = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
    });
    probe.join();
    return allowed;
}

struct Scheduling {
    int policy = -1;
    int nice = -100;
};

// How the transfer thread is scheduled while it waits for a frame that does
// not come.
Scheduling TransferScheduling(const char* asked) {
    if (asked) ::setenv("KOLVEX_TRANSFER_PRIORITY", asked, 1);
    else ::unsetenv("KOLVEX_TRANSFER_PRIORITY");
    kvx::test::VirtualRig rig;
    kvx::CKolvex410QFXZQPSdk model;
    rig.camera->StallAfterFrames(1);
    const std::set<pid_t> before = kvx::test::ProcessThreads();
    Scheduling seen;
    if (model.StartTransfer() == 0) {
        kvx::test::WaitUntil([&] { return model.framesTransferred() == 1; });
        for (pid_t id : kvx::test::ThreadsSince(before)) seen = {sched_getscheduler(id), kvx::test::NiceOf(id)};
    }
    rig.camera->SetStalled(false);
    model.StopTransfer();
    ::unsetenv("KOLVEX_TRANSFER_PRIORITY");
    return seen;
}

TEST(TransferPriority, RaisedOrLoweredOnlyWhenTheApplicationAsks) {
    const int raised = RealTimeAllowed() ? SCHED_FIFO : SCHED_OTHER;
    const int own = kvx::test::NiceOf(0);
    const int low = std::max(own, 19);
    const struct {
        const char* asked;
        int policy;
        int nice;
    } rows[] = {{nullptr, SCHED_OTHER, own},  {"normal", SCHED_OTHER, own}, {"", SCHED_OTHER, own},
                {"highest", raised, own},     {"low", SCHED_OTHER, low},     {"lowest", SCHED_OTHER, own},
                {"LOW", SCHED_OTHER, own}};
    testing::internal::CaptureStderr();
    for (const auto& row : rows) {
        const Scheduling seen = TransferScheduling(row.asked);
        EXPECT_EQ(seen.policy, row.policy) << (row.asked ? row.asked : "(unset)");
        EXPECT_EQ(seen.nice, row.nice) << (row.asked ? row.asked : "(unset)");
    }
    // Values it cannot read are told once a process, not once a camera.
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("KOLVEX_TRANSFER_PRIORITY=lowest is not understood"), std::string::npos) << told;
    EXPECT_EQ(told.find("is not understood"), told.rfind("is not understood")) << told;
}

}  // namespace
