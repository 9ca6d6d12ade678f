// The transfer thread (on which the virtual camera also makes its frames)
// takes real-time scheduling only when the application asks for it.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <cstdlib>
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

// The scheduling policy of the transfer thread while it waits for a frame
// that does not come.
int TransferPolicy(const char* asked) {
    if (asked) ::setenv("KOLVEX_TRANSFER_PRIORITY", asked, 1);
    else ::unsetenv("KOLVEX_TRANSFER_PRIORITY");
    kvx::test::VirtualRig rig;
    kvx::CKolvex410QFXZQPSdk model;
    rig.camera->StallAfterFrames(1);
    const std::set<pid_t> before = kvx::test::ProcessThreads();
    int policy = -1;
    if (model.StartTransfer() == 0) {
        kvx::test::WaitUntil([&] { return model.framesTransferred() == 1; });
        for (pid_t id : kvx::test::ProcessThreads(before)) policy = sched_getscheduler(id);
    }
    rig.camera->SetStalled(false);
    model.StopTransfer();
    ::unsetenv("KOLVEX_TRANSFER_PRIORITY");
    return policy;
}

TEST(TransferPriority, RealTimeOnlyWhenTheApplicationAsks) {
    const int raised = RealTimeAllowed() ? SCHED_FIFO : SCHED_OTHER;
    const struct {
        const char* asked;
        int policy;
    } rows[] = {
        {nullptr, SCHED_OTHER}, {"normal", SCHED_OTHER}, {"", SCHED_OTHER}, {"highest", raised}, {"low", SCHED_OTHER}};
    for (const auto& row : rows)
        EXPECT_EQ(TransferPolicy(row.asked), row.policy) << (row.asked ? row.asked : "(unset)");
}

}  // namespace
