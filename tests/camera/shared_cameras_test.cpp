// Several camera objects, in one process and in several, sharing cameras:
// a device is driven by one object at a time, and nobody else's call
// disturbs the stream of the object that holds it.
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>

#include "acquisition_fixture.h"
#include "child_process.h"
#include "device/shared_device_table.h"
#include "sim/camera_table.h"
#include "sim/register_map.h"

namespace {

using kvx::AcquisitionState;
using kvx::test::AcquisitionTest;
using kvx::test::Collect;
using kvx::test::CollectFrames;
using kvx::test::Count;
using kvx::test::IsError;
using kvx::test::IsFrameError;
using kvx::test::IsFrameReady;
using kvx::test::NotificationWindow;
using Clock = std::chrono::steady_clock;

template <typename Call>
std::chrono::milliseconds Elapsed(Call call) {
    const auto start = Clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

class SharedCameras : public AcquisitionTest {
protected:
    SharedCameras() : AcquisitionTest({0, 2}) {}
    ~SharedCameras() override {
        for (int h : others_) Kolvex_Release(h);
    }

    // Another camera object of this process, without a preview window.
    int Another() {
        const int h = Kolvex_Initialize(otherWindow_.handle());
        if (h) {
            Kolvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0);
            others_.push_back(h);
        }
        return h;
    }
    // Starting `h` failed because the device is taken: codes 2, then 1.
    static bool RefusedAsBusy(int h) {
        return Kolvex_GetLastError(h) == KOLVEX_ERR_NO_DEVICE && Kolvex_GetLastError(h) == KOLVEX_ERR_DEVICE_NUMBER;
    }
    std::vector<std::string> Child(const char* command, int device) const {
        return {command, sandbox_.tableName(), sandbox_.wireName(), std::to_string(device)};
    }
    // Frames a second the camera at `device` delivered while `work` ran (at
    // least `minimumMs`).
    template <typename Work>
    double RateWhile(int device, Work work, int minimumMs = 1000) {
        auto camera = sandbox_.Camera(device);
        const uint64_t before = camera->FramesDelivered();
        const auto start = Clock::now();
        work();
        std::this_thread::sleep_until(start + std::chrono::milliseconds(minimumMs));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return static_cast<double>(camera->FramesDelivered() - before) / seconds;
    }
    // The rate kept while `touching` ran, against the rate while `elsewhere`
    // (the same load on the machine, aimed at another device) ran.
    template <typename Elsewhere, typename Touching>
    double RateKept(int device, Elsewhere elsewhere, Touching touching) {
        const double baseline = RateWhile(device, elsewhere);
        return RateWhile(device, touching) / baseline;
    }

    template <typename Predicate>
    static bool WaitUntil(Predicate done, int timeoutMs = 10000) {
        const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (Clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    bool LostRecorded() {
        for (int code : TakeErrors())
            if (code == KOLVEX_ERR_DEVICE_LOST) return true;
        return false;
    }

    // A 256 x 64 stream from device 0 at its sensor's pace, slow enough
    // that a busy machine's scheduling does not read as lost frames; two
    // frames have arrived.
    void StreamAtFiftyFramesASecond() {
        ASSERT_NE(OpenWith(256, 64, 0), 0);
        NoPreviewWindow();
        sandbox_.Camera(0)->SetFastFrames(false);
        ASSERT_EQ(Kolvex_SetRealExposureTime(handle_, 20000), 1);
        ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
        CollectFrames(callback_, 2);
    }

    NotificationWindow otherWindow_;
    std::vector<int> others_;
};

TEST_F(SharedCameras, EnumeratingNeverMovesTheClaimToAnotherDevice) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_SetDeviceNumber(handle_, 2), 1);
    char names[10][256];
    ASSERT_EQ(Kolvex_EnumDevice(handle_, names), 2);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 1);
    EXPECT_GT(sandbox_.Camera(2)->FramesDelivered(), 0u);

    const int onZero = Another();
    EXPECT_EQ(Kolvex_StartPreview(onZero), 1) << "device 0 was never claimed";
    const int onTwo = Another();
    ASSERT_EQ(Kolvex_SetDeviceNumber(onTwo, 2), 1);
    EXPECT_EQ(Kolvex_StartPreview(onTwo), 0);
    EXPECT_TRUE(RefusedAsBusy(onTwo));
}

TEST_F(SharedCameras, OpeningOrSelectingADeviceInUseLeavesItsStreamAlone) {
    ASSERT_NO_FATAL_FAILURE(StreamAtFiftyFramesASecond());
    auto camera = sandbox_.Camera(0);
    camera->StartLog();
    int second = 0;
    const auto work = [&](int device) {
        const int h = Another();
        Kolvex_SetDeviceNumber(h, 2);
        Kolvex_SetDeviceNumber(h, device);
        Kolvex_SetMirrorH(h, 1);
        Kolvex_SetRealExposureTime(h, 5000);
        Kolvex_SetCaptureWindowEx(h, 2048, 0, 640, 1536, 0, 480);
        return h;
    };
    const double kept = RateKept(0, [&] { work(2); }, [&] { second = work(0); });
    camera->TakeLog();
    // What reached the camera of the object that went on to device 0.
    camera->StartLog();
    const int third = work(0);
    ASSERT_NE(second, 0);
    RecordProperty("rate_kept_percent", static_cast<int>(kept * 100));
    EXPECT_GE(kept, 0.9);
    EXPECT_NE(third, 0);
    // Nothing reached the camera except the streaming object's own frames.
    for (const auto& entry : camera->TakeLog())
        EXPECT_TRUE(entry.kind == kvx::sim::LogEntry::Kind::ImageRead ||
                    (entry.kind == kvx::sim::LogEntry::Kind::Command && entry.code == 0x02))
            << "command " << int(entry.code) << " at " << entry.address;
    EXPECT_TRUE(camera->SensorAwake());
    EXPECT_FALSE(LostRecorded());
    EXPECT_EQ(Kolvex_StartPreview(second), 0);
    EXPECT_TRUE(RefusedAsBusy(second));

    // Once the device is free, the second object programs it as its own.
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    ASSERT_EQ(Kolvex_CallBackPreview(second, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 2);
    EXPECT_EQ(camera->SensorRegister(kvx::sim::reg::sensor::kWindowWidth) |
                  camera->SensorRegister(kvx::sim::reg::sensor::kWindowWidth + 1) << 8, 640);
    EXPECT_EQ(camera->SensorRegister(kvx::sim::reg::sensor::kMirror) & 0x02, 0) << "mirrored columns";
    EXPECT_EQ(Kolvex_StopPreview(second), 1);
}

TEST_F(SharedCameras, OfTwoStartsAtTheSameMomentExactlyOneGetsTheDevice) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    const int other = Another();
    for (int round = 0; round < 10; ++round) {
        std::atomic<int> ready{0};
        int results[2] = {};
        auto start = [&](int index, int h) {
            ready.fetch_add(1);
            while (ready.load() < 2) {
            }
            results[index] = Kolvex_StartPreview(h);
        };
        std::thread a(start, 0, handle_), b(start, 1, other);
        a.join();
        b.join();
        EXPECT_EQ(results[0] + results[1], 1) << "round " << round;
        Kolvex_StopPreview(handle_);
        Kolvex_StopPreview(other);
        TakeErrors();
        while (Kolvex_GetLastError(other) != 0) {
        }
    }
}

// Capture and trigger drive the device as much as preview does (trigger
// mode, single-frame reads), so they hold it too; a failed start gives it
// back.
TEST_F(SharedCameras, CaptureAndTriggerHoldTheDeviceAndAFailedStartGivesItBack) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    const int other = Another();
    ASSERT_EQ(Kolvex_Capture(handle_), 1);
    EXPECT_EQ(Kolvex_StartPreview(other), 0);
    EXPECT_TRUE(RefusedAsBusy(other));
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    ASSERT_EQ(Kolvex_Trigger(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_EQ(Kolvex_StartPreview(other), 0);
    EXPECT_TRUE(RefusedAsBusy(other));
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    // A start that fails after the claim lets go: here a camera that came
    // back and cannot be initialised.
    auto camera = sandbox_.Camera(0);
    camera->SetUnplugged(true);
    Object()->device()->ProbeDevice(0);
    camera->SetUnplugged(false);
    camera->FailWritesAfter(0);
    EXPECT_EQ(Kolvex_StartPreview(handle_), 0);
    EXPECT_TRUE(RefusedAsBusy(handle_));
    camera->FailWritesAfter(-1);
    EXPECT_EQ(Kolvex_StartPreview(other), 1);
    EXPECT_EQ(Kolvex_StopPreview(other), 1);
}

// Switching is refused while acquisition runs; from idle it is serialised
// with every snapshot, so the ring is never replaced under a reader.
TEST_F(SharedCameras, SwitchingIsRefusedWhileStreamingAndSerialisedWithSnapshots) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
    EXPECT_EQ(Kolvex_SetDeviceNumber(handle_, 2), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_NO_DEVICE);
    EXPECT_EQ(Object()->deviceNumber(), 0);
    callback_.Take();
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    std::vector<uint8_t> buffer(64 * 48);
    std::atomic<bool> done{false};
    std::thread snapshots([&] {
        while (!done.load()) Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0);
    });
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Kolvex_SetDeviceNumber(handle_, i % 2 == 0 ? 2 : 0), 1);
    done = true;
    snapshots.join();
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
}

TEST_F(SharedCameras, ACameraPluggedInAfterInitializeIsFoundAndStreams) {
    kvx::sim::Unplug(0);
    kvx::sim::Unplug(2);
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    EXPECT_EQ(Kolvex_StartPreview(handle_), 0);
    EXPECT_TRUE(RefusedAsBusy(handle_));
    EXPECT_EQ(Kolvex_SetDeviceNumber(handle_, 2), 0);

    kvx::sim::CameraOptions options;
    options.fastFrames = true;
    options.triggerBlock = sandbox_.wireName();
    auto zero = kvx::sim::Plug(0, options);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_GE(Count(CollectFrames(callback_, 2), IsFrameReady), 2);
    EXPECT_TRUE(zero->SensorAwake());
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    auto two = kvx::sim::Plug(2, options);
    ASSERT_EQ(Kolvex_SetDeviceNumber(handle_, 2), 1);
    ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
    CollectFrames(callback_, 2);
    EXPECT_GT(two->FramesDelivered(), 0u);
}

TEST_F(SharedCameras, ACameraThatCameBackAfterALossStreamsAgain) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    auto camera = sandbox_.Camera(0);
    camera->SetUnplugged(true);
    Collect(callback_, [](const auto& all) {
        return Count(all, [](const auto& n) { return IsFrameError(n, KOLVEX_ERR_DEVICE_LOST); }) > 0;
    });
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    camera->SetUnplugged(false);
    callback_.Take();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_GE(Count(CollectFrames(callback_, 2), IsFrameReady), 2);
}

// Stop, Close and Release come back at once whatever the camera does: a
// read it never answers is cancelled, in preview and in trigger mode.
TEST_F(SharedCameras, StoppingNeverWaitsForAReadThatNeverReturns) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 1);
    camera->SetStalled(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto preview = Elapsed([&] { EXPECT_EQ(Kolvex_StopPreview(handle_), 1); });
    RecordProperty("preview_stop_ms", static_cast<int>(preview.count()));
    EXPECT_LT(preview, std::chrono::seconds(3));

    // Trigger mode with no pulse and a camera that never gives up.
    ASSERT_EQ(Kolvex_Trigger(handle_, callback_.handle(), nullptr, 0, 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto trigger = Elapsed([&] { EXPECT_EQ(Kolvex_Close(handle_), 1); });
    RecordProperty("trigger_close_ms", static_cast<int>(trigger.count()));
    EXPECT_LT(trigger, std::chrono::seconds(3));

    ASSERT_EQ(Kolvex_Trigger(handle_, callback_.handle(), nullptr, 0, 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto release = Elapsed([&] { EXPECT_EQ(Kolvex_Release(handle_), 1); });
    handle_ = 0;
    RecordProperty("trigger_release_ms", static_cast<int>(release.count()));
    EXPECT_LT(release, std::chrono::seconds(3));
    camera->SetStalled(false);
    EXPECT_EQ(camera->OpenHandles(), 0);
}

// A snapshot from a camera that never answers gives up after the frame
// time-out, and a stop from another thread meanwhile cancels it at once
// instead of waiting for the lock the snapshot holds.
TEST_F(SharedCameras, ASnapshotNeverHangsOnACameraThatNeverAnswers) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    std::vector<uint8_t> frame(64 * 48);
    const int bytes = static_cast<int>(frame.size());
    auto errors = [&] {
        std::vector<int> codes;
        for (int code; (code = Kolvex_GetLastError(handle_)) != 0;) codes.push_back(code);
        return codes;
    };
    ASSERT_EQ(Kolvex_Capture(handle_), 1);
    ASSERT_EQ(Kolvex_SnapShot(handle_, frame.data(), bytes, 0), 1);

    Object()->device()->SetFrameTimeoutMs(100);
    camera->SetStalled(true);
    EXPECT_LT(Elapsed([&] { EXPECT_EQ(Kolvex_SnapShot(handle_, frame.data(), bytes, 0), 0); }),
              std::chrono::seconds(3));
    EXPECT_THAT(errors(), ::testing::Contains(KOLVEX_ERR_FRAME));
    camera->SetStalled(false);
    EXPECT_EQ(Kolvex_SnapShot(handle_, frame.data(), bytes, 0), 1);

    // Also a read that reaches the camera only after the stop's first
    // cancel went out, which then finds nothing to cancel.
    Object()->device()->SetFrameTimeoutMs(kvx::CKVXSdkLib::kDefaultFrameTimeoutMs);
    for (int lateMs : {0, 400}) {
        SCOPED_TRACE(lateMs);
        ASSERT_EQ(Kolvex_Capture(handle_), 1);
        camera->SetStalled(true);
        camera->DelayNextRead(lateMs);
        std::atomic<int> snapshot{-1};
        std::thread application([&] { snapshot = Kolvex_SnapShot(handle_, frame.data(), bytes, 0); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        auto stop = std::async(std::launch::async, [&] { return Elapsed([&] { Kolvex_StopPreview(handle_); }); });
        if (stop.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
            ADD_FAILURE() << "the stop waits for the camera";
            camera->SetStalled(false);
        }
        RecordProperty("snapshot_stop_ms_" + std::to_string(lateMs), static_cast<int>(stop.get().count()));
        application.join();
        EXPECT_EQ(snapshot.load(), 0);
        camera->SetStalled(false);
        EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
    }
}

// --- across processes ----------------------------------------------------------

TEST_F(SharedCameras, ClaimsAfterEnumerationHoldAcrossProcesses) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_SetDeviceNumber(handle_, 2), 1);
    char names[10][256];
    ASSERT_EQ(Kolvex_EnumDevice(handle_, names), 2);
    ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
    EXPECT_EQ(kvx::test::RunChild(Child("camera-preview", 2)), 1);
    EXPECT_EQ(kvx::test::RunChild(Child("camera-preview", 0)), 0);
}

TEST_F(SharedCameras, InitializeInAnotherProcessLeavesTheStreamAlone) {
    ASSERT_NO_FATAL_FAILURE(StreamAtFiftyFramesASecond());
    auto camera = sandbox_.Camera(0);
    int child = -1, elsewhere = -1;
    const double kept = RateKept(
        0, [&] { elsewhere = kvx::test::RunChild(Child("camera-open", 2)); },
        [&] { child = kvx::test::RunChild(Child("camera-open", 0)); });
    EXPECT_EQ(elsewhere, 0);
    EXPECT_EQ(child, 0);
    RecordProperty("rate_kept_percent", static_cast<int>(kept * 100));
    EXPECT_GE(kept, 0.9);
    EXPECT_TRUE(camera->SensorAwake());
    EXPECT_FALSE(LostRecorded());
    // The process refused while we stream gets the device after we stop.
    EXPECT_EQ(kvx::test::RunChild(Child("camera-preview", 0)), 1);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_EQ(kvx::test::RunChild(Child("camera-preview", 0)), 0);
}

TEST_F(SharedCameras, ADeviceHeldByAKilledProcessCanBeOpenedAgain) {
    kvx::test::ChildProcess holder(Child("camera-hold", 0));
    ASSERT_TRUE(holder.started());
    kvx::SharedDeviceTable table;
    ASSERT_TRUE(WaitUntil([&] { return table.OpenShared(sandbox_.tableName()) && table.IsDeviceBusy(0); }));
    holder.Kill();
    holder.Wait();
    EXPECT_FALSE(table.IsDeviceBusy(0));
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_GE(Count(CollectFrames(callback_, 2), IsFrameReady), 2);
}

}  // namespace
