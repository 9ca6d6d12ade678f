// How acquisition ends: stops that never wait for the worker's pause, a
// device loss that is never hidden behind a 1, a Release that leaves the
// application's memory alone, and stops and setters that get their turn
// beside a busy caller.
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "acquisition_fixture.h"

namespace {

using kvx::AcquisitionState;
using kvx::test::AcquisitionTest;
using kvx::test::Collect;
using kvx::test::CollectFrames;
using kvx::test::Count;
using kvx::test::IsError;
using kvx::test::IsFrameError;
using kvx::test::IsFrameReady;
using kvx::test::Notification;
using Clock = std::chrono::steady_clock;

// Far above one frame's work (also on a loaded machine), far below the
// pauses that used to be waited.
constexpr auto kPromptly = std::chrono::milliseconds(3000);

template <typename Call>
Clock::duration Timed(Call call) {
    const auto start = Clock::now();
    call();
    return Clock::now() - start;
}

bool IsLost(const Notification& n) { return IsFrameError(n, KOLVEX_ERR_DEVICE_LOST); }

// Another thread of the application, taking 64 x 48 snapshots from the
// camera until it goes out of scope.
class SnapshotLoop {
public:
    explicit SnapshotLoop(int handle) {
        thread_ = std::thread([this, handle] {
            std::vector<uint8_t> buffer(64 * 48);
            while (!done_.load()) {
                Kolvex_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0);
                ++snapshots_;
            }
        });
    }
    ~SnapshotLoop() {
        done_ = true;
        thread_.join();
    }
    void WaitFor(int snapshots) const {
        while (snapshots_.load() < snapshots) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    std::atomic<bool> done_{false};
    std::atomic<int> snapshots_{0};
    std::thread thread_;
};

class AcquisitionLifetime : public AcquisitionTest {};

TEST_F(AcquisitionLifetime, StopCloseAndReleaseNeverWaitForTheWorkersPause) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    for (int waitTime : {30000, INT_MAX}) {
        SCOPED_TRACE(waitTime);
        ASSERT_EQ(Kolvex_SetWaitTime(handle_, waitTime), 1);
        ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the worker is in its pause
        EXPECT_LT(Timed([&] { EXPECT_EQ(Kolvex_StopPreview(handle_), 1); }), kPromptly);
        ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_LT(Timed([&] { EXPECT_EQ(Kolvex_Close(handle_), 1); }), kPromptly);
        EXPECT_FALSE(Object()->workerRunning());
    }
    ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_LT(Timed([&] { EXPECT_EQ(Kolvex_Release(handle_), 1); }), kPromptly);
    handle_ = 0;
}

TEST_F(AcquisitionLifetime, AWaitTimeOfZeroStillDeliversAndStops) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_SetWaitTime(handle_, 0), 1);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_GE(Count(CollectFrames(callback_, 3), IsFrameReady), 3);
    EXPECT_LT(Timed([&] { EXPECT_EQ(Kolvex_StopPreview(handle_), 1); }), kPromptly);
}

TEST_F(AcquisitionLifetime, StoppingATriggerThatNeverCameIsPrompt) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    std::vector<uint8_t> buffer(64 * 48);
    ASSERT_EQ(Kolvex_Trigger(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // waiting for a pulse
    EXPECT_LT(Timed([&] { EXPECT_EQ(Kolvex_StopPreview(handle_), 1); }), kPromptly);
    EXPECT_FALSE(Object()->workerRunning());
}

TEST_F(AcquisitionLifetime, AfterADeviceLossStartingAgainSaysSoUntilTheDeviceIsBack) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 1);
    camera->SetUnplugged(true);
    Collect(callback_, [](const std::vector<Notification>& all) { return Count(all, IsLost) >= 1; });
    for (int i = 0; i < 100 && Object()->workerRunning() && TakeErrors().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    TakeErrors();

    // Previewing in name only: a 1 here would promise frames that never come.
    EXPECT_EQ(Kolvex_StartPreview(handle_), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{KOLVEX_ERR_DEVICE_LOST});
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Preview);
    // Preview's failure path closes, which clears the way.
    EXPECT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 0);
    EXPECT_EQ(TakeErrors(), (std::vector<int>{KOLVEX_ERR_FRAME, KOLVEX_ERR_DEVICE_LOST}));
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);

    camera->SetUnplugged(false);
    callback_.Take();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_GE(Count(CollectFrames(callback_, 2), IsFrameReady), 2);
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
}

TEST_F(AcquisitionLifetime, UnpluggingWhileTriggeringIsReportedAsInPreview) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    std::vector<uint8_t> buffer(64 * 48);
    ASSERT_EQ(Kolvex_Trigger(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    camera->FireTrigger();
    CollectFrames(callback_, 1);
    camera->SetUnplugged(true);
    auto lost = Collect(callback_, [](const std::vector<Notification>& all) { return Count(all, IsLost) >= 1; });
    EXPECT_EQ(Count(lost, IsLost), 1);
    auto errors = Collect(window_, [](const std::vector<Notification>& all) {
        return Count(all, [](const Notification& n) { return IsError(n, KOLVEX_ERR_DEVICE_LOST); }) >= 1;
    });
    EXPECT_EQ(Count(errors, [](const Notification& n) { return IsError(n, KOLVEX_ERR_DEVICE_LOST); }), 1);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_DEVICE_LOST);
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
}

TEST_F(AcquisitionLifetime, ReleaseStopsTheWorkerEvenWhileAnotherCallHoldsTheCamera) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    std::vector<uint8_t> buffer(64 * 3 * 48);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0),
              1);
    CollectFrames(callback_, 2);
    // What a call still running on another thread holds.
    std::shared_ptr<kvx::CKolvex> inFlight = Object();
    EXPECT_EQ(Kolvex_Release(handle_), 1);
    handle_ = 0;

    // The application may free its buffer now: nothing writes into it.
    std::memset(buffer.data(), 0x5A, buffer.size());
    callback_.Take();
    window_.Take();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(inFlight->workerRunning());
    EXPECT_EQ(inFlight->acquisitionState(), AcquisitionState::Idle);
    EXPECT_EQ(Count(callback_.Take(), IsFrameReady), 0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(buffer.size(), 0x5A));

    // The call in flight cannot start it again, and says nothing.
    EXPECT_EQ(inFlight->CallBackPreview(callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(inFlight->StartPreview(), 0);
    EXPECT_EQ(inFlight->Trigger(callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(inFlight->Capture(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(inFlight->workerRunning());
    EXPECT_TRUE(window_.Take().empty());
    EXPECT_EQ(buffer, std::vector<uint8_t>(buffer.size(), 0x5A));
}

TEST_F(AcquisitionLifetime, AFrameMessageReadAfterReleaseFindsItsRecord) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    auto frames = CollectFrames(callback_, 1);
    ASSERT_GE(Count(frames, IsFrameReady), 1);
    EXPECT_EQ(Kolvex_Release(handle_), 1);
    handle_ = 0;
    // Handled late, as a message still in the queue would be.
    const auto* info = reinterpret_cast<const KolvexFrameInfo*>(frames.back().wParam);
    EXPECT_EQ(info->size, static_cast<int>(sizeof(KolvexFrameInfo)));
    EXPECT_EQ(info->width, 64);
    EXPECT_EQ(info->height, 48);
}

TEST_F(AcquisitionLifetime, CloseGetsItsTurnBesideASnapshotLoop) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    SnapshotLoop loop(handle_);
    loop.WaitFor(3);
    for (int round = 0; round < 5; ++round)
        EXPECT_LT(Timed([&] { EXPECT_EQ(Kolvex_Close(handle_), 1); }), kPromptly) << round;
}

// A worker thread polls a camera that stopped answering with snapshots, each
// of which holds the camera for the frame time-out; the application's other
// thread sets parameters meanwhile. Every call waits for the snapshot in
// progress at most, never for the loop to end.
TEST_F(AcquisitionLifetime, EveryControlCallGetsItsTurnBesideASnapshotLoopOnAStalledCamera) {
    constexpr auto kFrameTimeout = std::chrono::milliseconds(600);
    // The snapshot in progress, a quarter second, and the call's own work:
    // the device switch powers the sensor up afresh after the failed reads
    // (half a second of pauses the sensor needs) and the machine may be
    // loaded. A call that lost the lock to the loop twice waits longer.
    constexpr auto kBound = kFrameTimeout + std::chrono::milliseconds(250 + 750);
    struct ControlCall {
        const char* name;
        std::function<int(int handle)> call;
    };
    const std::vector<ControlCall> calls = {
        {"SetColorMode", [](int h) { return Kolvex_SetColorMode(h, 8); }},
        {"SetRealExposureTime", [](int h) { return Kolvex_SetRealExposureTime(h, 10000); }},
        {"SetDeviceNumber", [](int h) { return Kolvex_SetDeviceNumber(h, 0); }},
        {"SetCaptureWindowEx", [](int h) { return Kolvex_SetCaptureWindowEx(h, 2048, 0, 64, 1536, 0, 48); }},
        {"ReadRegister", [](int h) { return Kolvex_ReadRegister(h, 0, nullptr); }},
    };
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    Object()->device()->SetFrameTimeoutMs(static_cast<uint32_t>(kFrameTimeout.count()));
    sandbox_.Camera(0)->SetStalled(true);
    for (bool capturing : {false, true}) {
        SCOPED_TRACE(capturing ? "capturing" : "idle");
        if (capturing) {
            ASSERT_EQ(Kolvex_Capture(handle_), 1);
        }
        SnapshotLoop loop(handle_);
        loop.WaitFor(1);
        for (const ControlCall& c : calls) {
            const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Timed([&] { c.call(handle_); }));
            RecordProperty(std::string(capturing ? "capture_" : "idle_") + c.name + "_ms",
                           static_cast<int>(took.count()));
            EXPECT_LT(took.count(), kBound.count()) << c.name;
        }
    }
    sandbox_.Camera(0)->SetStalled(false);
}

// Each idle snapshot powers up a camera whose last read failed, and the
// sensor needs a while to settle after that. A stop that comes meanwhile
// cuts the settling short (the next snapshot programs the sensor again).
TEST_F(AcquisitionLifetime, AStopNeedNotWaitForASnapshotsSensorToSettle) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    Object()->device()->SetFrameTimeoutMs(300);
    camera->SetStalled(true);
    SnapshotLoop loop(handle_);
    auto waitFor = [&](bool awake) {
        for (int i = 0; i < 5000 && camera->SensorAwake() != awake; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    for (int round = 0; round < 3; ++round) {
        waitFor(true);
        waitFor(false);  // powered up again, settling
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            Timed([&] { EXPECT_EQ(Kolvex_Close(handle_), 1); }));
        RecordProperty("close_ms_" + std::to_string(round), static_cast<int>(took.count()));
        EXPECT_LT(took.count(), 250) << round;
    }
    camera->SetStalled(false);
}

class NoDevice : public AcquisitionTest {
protected:
    void SetUp() override {
        kvx::CKolvex::SetSharedTableNameForTesting("no/such\\table");
        Open();
        kvx::CKolvex::SetSharedTableNameForTesting(sandbox_.tableName());
        ASSERT_NE(handle_, 0);
        TakeErrors();
        window_.Take();
    }
};

TEST_F(NoDevice, PreviewRecordsWhatItsFailedStartAndCloseMeet) {
    // Start preview finds no device (1), the close after it neither (1),
    // and the preview itself could not start (8).
    EXPECT_EQ(Kolvex_Preview(handle_), 0);
    EXPECT_EQ(TakeErrors(), (std::vector<int>{8, 1, 1}));
    std::vector<uint8_t> buffer(64);
    EXPECT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.data(), 64, 0), 0);
    EXPECT_EQ(TakeErrors(), (std::vector<int>{8, 1, 1}));
    EXPECT_TRUE(callback_.Take().empty());
}

}  // namespace
