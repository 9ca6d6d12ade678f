// Acquisition through the C interface on virtual cameras: starting and
// stopping, frames and their messages, the application's buffer, single
// frames, the trigger and what happens when a device goes away.
#include <chrono>
#include <cstring>
#include <thread>

#include "acquisition_fixture.h"
#include "child_process.h"
#include "device/driver_protocol.h"
#include "device/shared_device_table.h"

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

class Acquisition : public AcquisitionTest {};

TEST_F(Acquisition, StartingTwiceKeepsOneRunAndStopEndsIt) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
    auto camera = sandbox_.Camera(0);
    EXPECT_EQ(Kolvex_StartPreview(handle_), 1);
    EXPECT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Preview);
    CollectFrames(callback_, 2);
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
    EXPECT_FALSE(Object()->workerRunning());
    EXPECT_EQ(camera->OpenHandles(), 0);
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_TRUE(TakeErrors().empty());
}

TEST_F(Acquisition, FramesArriveWithTheirRecordAndTheConvertedImage) {
    // 1021 pixels of 8 bits: rows of 1024 bytes, three of them alignment.
    ASSERT_NE(OpenWith(1021, 10, 0), 0);
    NoPreviewWindow();
    std::vector<uint8_t> buffer(1024 * 10, 0xEE);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0),
              1);
    auto messages = CollectFrames(callback_, 3);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    ASSERT_GE(Count(messages, IsFrameReady), 3);
    const auto* info = reinterpret_cast<const KolvexFrameInfo*>(messages.front().wParam);
    for (const auto& m : messages) EXPECT_EQ(reinterpret_cast<const KolvexFrameInfo*>(m.wParam), info);
    EXPECT_EQ(info->size, static_cast<int>(sizeof(KolvexFrameInfo)));
    EXPECT_EQ(info->width, 1021);
    EXPECT_EQ(info->height, 10);
    EXPECT_EQ(info->bitsPerPixel, 8);
    EXPECT_EQ(info->buffer, buffer.data());

    const kvx::FrameBitmap& output = Output(0);
    ASSERT_EQ(output.stride(), 1024);
    EXPECT_EQ(std::memcmp(buffer.data(), output.bits(), buffer.size()), 0) << "top row first, padding included";
    EXPECT_TRUE(TakeErrors().empty());
}

// The application reads the record it was told of while later frames
// arrive: they leave alone what they do not change (a race under TSan).
TEST_F(Acquisition, TheRecordIsReadableWhileLaterFramesArrive) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    int wrong = 0;
    const auto frames = Collect(callback_, [&](const std::vector<Notification>& all) {
        for (const auto& m : all) {
            if (!IsFrameReady(m)) continue;
            const auto* info = reinterpret_cast<const KolvexFrameInfo*>(m.wParam);
            if (info->size != static_cast<int>(sizeof(KolvexFrameInfo)) || info->width != 64 || info->height != 48 ||
                info->bitsPerPixel != 24 || info->buffer != nullptr)
                ++wrong;
        }
        return Count(all, IsFrameReady) >= 20;
    });
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_GE(Count(frames, IsFrameReady), 20);
    EXPECT_EQ(wrong, 0);
}

// The record's rate, in tenths of a frame a second, is measured over a
// second: a preview that ran longer reports about what arrived.
TEST_F(Acquisition, APreviewOfMoreThanASecondPostsItsFrameRate) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 1);
    const auto start = std::chrono::steady_clock::now();
    const auto frames = Collect(callback_, [&](const std::vector<Notification>&) {
        return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(1500);
    });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    ASSERT_GE(Count(frames, IsFrameReady), 10);
    const auto* info = reinterpret_cast<const KolvexFrameInfo*>(frames.back().wParam);
    const double arrived = Count(frames, IsFrameReady) / seconds;
    RecordProperty("frame_rate_tenths", info->frameRate);
    EXPECT_GT(info->frameRate, arrived * 10 / 2);
    EXPECT_LT(info->frameRate, arrived * 10 * 2);
}

// A message read after its camera was released still describes that camera:
// the next camera gets a record of its own, not the released one's.
TEST_F(Acquisition, ARecordOfAReleasedCameraIsNeverAnotherCamerasRecord) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    std::vector<uint8_t> first(64 * 48 * 3), second(first.size());
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), first.data(), static_cast<int>(first.size()), 0), 1);
    const auto early = CollectFrames(callback_, 1);
    ASSERT_GE(Count(early, IsFrameReady), 1);
    const auto* released = reinterpret_cast<const KolvexFrameInfo*>(early.front().wParam);
    Kolvex_Release(handle_);
    handle_ = 0;

    ASSERT_NE(Open(), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), second.data(), static_cast<int>(second.size()), 0),
              1);
    const auto later = CollectFrames(callback_, 2);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    ASSERT_GE(Count(later, IsFrameReady), 1);
    const auto* live = reinterpret_cast<const KolvexFrameInfo*>(later.back().wParam);
    EXPECT_NE(live, released);
    EXPECT_EQ(live->buffer, second.data());
    EXPECT_EQ(released->buffer, first.data());
    EXPECT_EQ(released->width, 64);
}

TEST_F(Acquisition, RowOrderOnePutsTheBottomRowFirst) {
    ASSERT_NE(OpenWith(64, 6, 2), 0);
    NoPreviewWindow();
    const int stride = 64 * 3;
    std::vector<uint8_t> buffer(static_cast<size_t>(stride) * 6);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 1),
              1);
    CollectFrames(callback_, 2);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    const kvx::FrameBitmap& output = Output(2);
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(std::memcmp(&buffer[static_cast<size_t>(row * stride)], output.bits() + (5 - row) * stride, stride), 0)
            << row;
}

TEST_F(Acquisition, ABufferOneByteShortIsNeverWrittenAndEachFrameReportsIt) {
    ASSERT_NE(OpenWith(1021, 10, 0), 0);
    NoPreviewWindow();
    // The guard byte sits just past the size the camera is told.
    std::vector<uint8_t> buffer(1024 * 10, 0xEE);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.data(), 1024 * 10 - 1, 0), 1);
    auto messages = Collect(callback_, [](const std::vector<Notification>& all) {
        return Count(all, [](const Notification& n) { return IsFrameError(n, KOLVEX_ERR_RESOURCE); }) >= 2;
    });
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_GE(Count(messages, [](const Notification& n) { return IsFrameError(n, KOLVEX_ERR_RESOURCE); }), 2);
    EXPECT_EQ(Count(messages, IsFrameReady), 0);
    EXPECT_EQ(buffer.back(), 0xEE);
    EXPECT_EQ(buffer.front(), 0xEE);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_RESOURCE);
}

TEST_F(Acquisition, SnapshotChecksTheBufferSizeAndClosesItsChannelWhenIdle) {
    ASSERT_NE(OpenWith(1021, 10, 0), 0);
    auto camera = sandbox_.Camera(0);
    std::vector<uint8_t> buffer(1024 * 10, 0xEE);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), 1024 * 10 - 1, 0), 0);
    EXPECT_EQ(buffer.back(), 0xEE);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_RESOURCE);
    TakeErrors();
    EXPECT_EQ(camera->OpenHandles(), 0);

    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), 1024 * 10, 0), 1);
    EXPECT_EQ(std::memcmp(buffer.data(), Output(0).bits(), buffer.size()), 0);
    EXPECT_EQ(camera->OpenHandles(), 0);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
    // Without a new frame Get image hands out the same picture.
    std::vector<uint8_t> again(buffer.size());
    EXPECT_EQ(Kolvex_GetImage(handle_, again.data(), static_cast<int>(again.size()), 0), 1);
    EXPECT_EQ(again, buffer);
    EXPECT_TRUE(TakeErrors().empty());
}

TEST_F(Acquisition, CaptureSetsUpOnceAndKeepsTheChannelForItsSnapshots) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    auto camera = sandbox_.Camera(0);
    ASSERT_EQ(Kolvex_Capture(handle_), 1);
    EXPECT_EQ(Kolvex_Capture(handle_), 1);
    camera->StartLog();
    std::vector<uint8_t> buffer(64 * 3 * 48);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(camera->OpenHandles(), 1);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(camera->OpenHandles(), 1);
    int sensorWrites = 0, images = 0;
    for (const auto& entry : camera->TakeLog()) {
        if (entry.kind == kvx::sim::LogEntry::Kind::Command && entry.code == kvx::driver::kSensorWrite) ++sensorWrites;
        if (entry.kind == kvx::sim::LogEntry::Kind::ImageRead && entry.ok) ++images;
    }
    EXPECT_EQ(sensorWrites, 0) << "the snapshots ran Setup again";
    EXPECT_EQ(images, 2);
    EXPECT_EQ(Kolvex_Close(handle_), 1);
    EXPECT_EQ(camera->OpenHandles(), 0);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
}

TEST_F(Acquisition, EachStateRefusesWhatItCannotDo) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    std::vector<uint8_t> buffer(64 * 48);
    ASSERT_EQ(Kolvex_Preview(handle_), 1);
    EXPECT_EQ(Kolvex_Capture(handle_), 0);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(Kolvex_Trigger(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Preview);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    ASSERT_EQ(Kolvex_Capture(handle_), 1);
    EXPECT_EQ(Kolvex_StartPreview(handle_), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{1});
    // Preview's failure path closes, so the capture ends too.
    EXPECT_EQ(Kolvex_Preview(handle_), 0);
    EXPECT_EQ(TakeErrors(), (std::vector<int>{8, 1}));
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
    EXPECT_FALSE(Object()->workerRunning());
}

TEST_F(Acquisition, TriggerDeliversOneFramePerPulse) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    std::vector<uint8_t> buffer(64 * 48);
    ASSERT_EQ(Kolvex_Trigger(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Trigger);
    EXPECT_EQ(camera->TriggerWait(), 5000u);
    std::vector<Notification> all;
    for (int pulse = 1; pulse <= 3; ++pulse) {
        camera->FireTrigger();
        for (const auto& m : CollectFrames(callback_, 1)) all.push_back(m);
        EXPECT_EQ(Count(all, IsFrameReady), pulse);
    }
    // A second Trigger takes new callback settings; it starts nothing.
    EXPECT_EQ(Kolvex_Trigger(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(Kolvex_StartPreview(handle_), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const auto& m : callback_.Take()) all.push_back(m);
    EXPECT_EQ(Count(all, IsFrameReady), 3) << "a frame without a pulse";

    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
    EXPECT_FALSE(Object()->workerRunning());
    const auto* info = reinterpret_cast<const KolvexFrameInfo*>(all.back().wParam);
    EXPECT_EQ(info->frameRate, 0);
    EXPECT_EQ(std::memcmp(buffer.data(), Output(0).bits(), buffer.size()), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{1});
}

TEST_F(Acquisition, ALostDeviceEndsTheWorkerAndIsReportedTwice) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 1);
    camera->SetUnplugged(true);
    auto lost = Collect(callback_, [](const std::vector<Notification>& all) {
        return Count(all, [](const Notification& n) { return IsFrameError(n, KOLVEX_ERR_DEVICE_LOST); }) >= 1;
    });
    EXPECT_EQ(Count(lost, [](const Notification& n) { return IsFrameError(n, KOLVEX_ERR_DEVICE_LOST); }), 1);
    auto errors = Collect(window_, [](const std::vector<Notification>& all) {
        return Count(all, [](const Notification& n) { return IsError(n, KOLVEX_ERR_DEVICE_LOST); }) >= 1;
    });
    EXPECT_EQ(Count(errors, [](const Notification& n) { return IsError(n, KOLVEX_ERR_DEVICE_LOST); }), 1);
    // The state stays until the application stops.
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Preview);
    EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
}

TEST_F(Acquisition, AStalledDeviceTimesOutAsALostDevice) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    auto camera = sandbox_.Camera(0);
    Object()->device()->SetFrameTimeoutMs(100);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), nullptr, 0, 0), 1);
    CollectFrames(callback_, 1);
    camera->SetStalled(true);
    auto lost = Collect(callback_, [](const std::vector<Notification>& all) {
        return Count(all, [](const Notification& n) { return IsFrameError(n, KOLVEX_ERR_DEVICE_LOST); }) >= 1;
    });
    EXPECT_EQ(Count(lost, [](const Notification& n) { return IsFrameError(n, KOLVEX_ERR_DEVICE_LOST); }), 1);
    // The transfer thread is still inside the driver's read; the stop
    // returns once the driver gives the read back.
    std::thread driver([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        camera->SetUnplugged(true);
    });
    EXPECT_EQ(Kolvex_Release(handle_), 1);
    handle_ = 0;
    driver.join();
}

TEST_F(Acquisition, ReleaseWhileStreamingStopsTheWorkerFirst) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    std::vector<uint8_t> buffer(64 * 3 * 48);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0),
              1);
    CollectFrames(callback_, 2);
    // Released from another thread while the worker converts and copies.
    std::thread releaser([h = handle_] { EXPECT_EQ(Kolvex_Release(h), 1); });
    releaser.join();
    handle_ = 0;
    callback_.Take();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Count(callback_.Take(), IsFrameReady), 0) << "a worker outlived its camera";
    EXPECT_EQ(sandbox_.Camera(0)->OpenHandles(), 0);
}

class SharedDevice : public AcquisitionTest {};

TEST_F(SharedDevice, ADeviceClaimedByAnotherCameraObjectCannotBeSetUp) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    kvx::test::NotificationWindow otherWindow;
    const int other = Kolvex_Initialize(otherWindow.handle());
    ASSERT_NE(other, 0);
    ASSERT_EQ(Kolvex_StartPreview(handle_), 1);
    std::vector<uint8_t> buffer(64 * 48);
    EXPECT_EQ(Kolvex_StartPreview(other), 0);
    EXPECT_EQ(Kolvex_GetLastError(other), KOLVEX_ERR_NO_DEVICE);
    EXPECT_EQ(Kolvex_GetLastError(other), KOLVEX_ERR_DEVICE_NUMBER);
    EXPECT_EQ(Kolvex_SnapShot(other, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(other), KOLVEX_ERR_DEVICE_NUMBER);

    // Once the first one stops, the device is free again.
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    EXPECT_EQ(Kolvex_SnapShot(other, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(Kolvex_Release(other), 1);
}

TEST_F(SharedDevice, ADeviceClaimedInAnotherProcessCannotBeSetUp) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    kvx::SharedDeviceTable table;
    ASSERT_TRUE(table.OpenShared(sandbox_.tableName()));
    kvx::test::ChildProcess holder({"devtable-hold", sandbox_.tableName(), "0"});
    ASSERT_TRUE(holder.started());
    for (int waited = 0; !table.IsDeviceBusy(0) && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(table.IsDeviceBusy(0));

    std::vector<uint8_t> buffer(64 * 48);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_DEVICE_NUMBER);

    static_cast<volatile uint8_t*>(table.view())[64] = 1;  // lets the child release
    EXPECT_EQ(holder.Wait(), 0);
    EXPECT_EQ(Kolvex_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
}

TEST_F(Acquisition, WaitTimeAndWindowPlacementNeedTheirArguments) {
    EXPECT_EQ(Kolvex_GetWaitTime(0x7FFF1234), -1);
    EXPECT_EQ(Kolvex_StartPreview(0x7FFF1234), 0);
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    EXPECT_EQ(Kolvex_GetWaitTime(handle_), 1);
    EXPECT_EQ(Kolvex_SetWaitTime(handle_, 0), 1);
    EXPECT_EQ(Kolvex_GetWaitTime(handle_), 0);
    EXPECT_EQ(Kolvex_SetWaitTime(handle_, -1), 0);
    EXPECT_EQ(Kolvex_GetWaitTime(handle_), 0);
    EXPECT_TRUE(TakeErrors().empty());
    std::vector<uint8_t> buffer(16);
    EXPECT_EQ(Kolvex_GetImage(handle_, buffer.data(), 16, 0), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{5}) << "nothing was ever set up";
}

}  // namespace
