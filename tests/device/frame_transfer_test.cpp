// Frames through the ring and the single-frame path, checked on pixels
// against the virtual camera's scene.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "sim/register_map.h"
#include "virtual_rig.h"

namespace {

namespace S = kvx::sim::reg::sensor;
namespace L = kvx::sim::reg::logic;

using kvx::CKolvex410QFXZQPSdk;
using kvx::test::DecodeCounter;
using kvx::test::Expected8;
using kvx::test::VirtualRig;
using kvx::test::WaitUntil;

// Gives the scene its own values: 1500 lines of integration at gain 0.
void UnityExposure(CKolvex410QFXZQPSdk& model) {
    model.SetExposureLines(model.lastLine() + 281 > 1500 ? 1500 : 1510);
}

// Takes the next frame through WaitFrame/ReadFrame.
int NextFrame(CKolvex410QFXZQPSdk& model, void* dst) {
    for (int tries = 0; tries < 100; ++tries) {
        int result = model.WaitFrame();
        if (result == 3) return model.ReadFrame(dst);
        if (result != 2) return -result;
    }
    return -100;
}

// Compares every pixel of an 8-bit region whose rows do not change from
// frame to frame; `where` maps (row, column) to a picture position.
template <typename Where>
void ExpectPicture(const std::vector<uint8_t>& frame, int width, int height, Where where) {
    int mismatches = 0;
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            auto [x, y] = where(r, c);
            if (kvx::sim::RowChangesPerFrame(y)) continue;
            uint8_t got = frame[static_cast<size_t>(r) * static_cast<size_t>(width) + static_cast<size_t>(c)];
            if (got != Expected8(x, y) && ++mismatches <= 5)
                ADD_FAILURE() << "pixel (" << r << ", " << c << ") = " << int(got) << ", picture (" << x << ", " << y
                              << ") wants " << int(Expected8(x, y));
        }
    }
    EXPECT_EQ(mismatches, 0);
}

struct TransferTest : ::testing::Test {
    VirtualRig rig;
    CKolvex410QFXZQPSdk model;
    void SetUp() override { UnityExposure(model); }
    void TearDown() override {
        rig.camera->SetStalled(false);
        model.StopTransfer();
    }
};

TEST(SetupBuffers, TransferSizeRoundsUpTo1024AndBadGeometriesAreRefused) {
    VirtualRig rig;
    CKolvex410QFXZQPSdk model;
    ASSERT_EQ(model.SetupBuffers(1024, 0, 1024, 1024, 0, 1024, 4), 0);
    EXPECT_EQ(model.transferSize(), 1048576);
    EXPECT_EQ(rig.camera->TransferSize(), 1048576u);
    ASSERT_EQ(model.SetupBuffers(1048577, 0, 1048577, 1, 0, 1, 2), 0);
    EXPECT_EQ(model.transferSize(), 1049600);
    EXPECT_EQ(model.SetupBuffers(100, 0, 101, 10, 0, 10, 4), 3);
    EXPECT_EQ(model.SetupBuffers(100, 60, 50, 10, 0, 10, 4), 3);
    EXPECT_EQ(model.SetupBuffers(0, 0, 0, 10, 0, 10, 4), 3);
    EXPECT_EQ(model.SetupBuffers(100, 0, 100, 10, 4, 7, 4), 4);
    EXPECT_EQ(model.SetupBuffers(100, 0, 100, 0, 0, 0, 4), 4);
    EXPECT_EQ(model.SetupBuffers(100, 0, 100, 10, 0, 10, 1), 1);
    // Refusals keep the buffers in place.
    EXPECT_EQ(model.transferSize(), 1049600);
    EXPECT_EQ(model.ringCount(), 2);
}

TEST_F(TransferTest, FullFramesArriveInBothDepths) {
    std::vector<uint8_t> frame(2048u * 1536u);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_EQ(NextFrame(model, frame.data()), 0);
    ExpectPicture(frame, 2048, 1536, [](int r, int c) { return std::make_pair(c, r); });
    EXPECT_EQ(model.StopTransfer(), 0);
    EXPECT_GT(model.framesTransferred(), 0);

    model.SetSixteenBit(1);
    ASSERT_EQ(model.SetFrameGeometry(0, 0, 2048, 1536, 0), 0);
    EXPECT_EQ(model.largeTransfer(), 1);
    std::vector<uint8_t> deep(2048u * 1536u * 2u);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_EQ(NextFrame(model, deep.data()), 0);
    EXPECT_EQ(model.StopTransfer(), 0);
    // Little-endian words with 12 significant bits.
    for (int x : {0, 1, 300, 1777}) {
        for (int y : {0, 1, 300, 1400}) {
            size_t at = (static_cast<size_t>(y) * 2048 + static_cast<size_t>(x)) * 2;
            int word = deep[at] | deep[at + 1] << 8;
            EXPECT_EQ(word, kvx::sim::MosaicSample(x, y, 0)) << x << "," << y;
        }
    }
}

TEST_F(TransferTest, WindowsSubsamplingAndMirrorsCutTheRightPixels) {
    // A window at (64, 40), 512 x 300.
    ASSERT_EQ(model.SetFrameGeometry(64, 40, 512, 300, 0), 0);
    UnityExposure(model);
    std::vector<uint8_t> frame(512u * 300u);
    ASSERT_EQ(model.ReadSingleFrame(), 0);
    ASSERT_EQ(model.CopySingleFrame(frame.data()), 0);
    ExpectPicture(frame, 512, 300, [](int r, int c) { return std::make_pair(64 + c, 40 + r); });

    // 2x2 subsampling keeps pairs of columns and lines: the Bayer cell survives.
    ASSERT_EQ(model.SetFrameGeometry(8, 16, 1024, 600, 1), 0);
    UnityExposure(model);
    std::vector<uint8_t> half(512u * 300u);
    ASSERT_EQ(model.ReadSingleFrame(), 0);
    ASSERT_EQ(model.CopySingleFrame(half.data()), 0);
    auto kept = [](int k) { return 4 * (k / 2) + k % 2; };
    ExpectPicture(half, 512, 300, [&](int r, int c) { return std::make_pair(kept(c + 4), kept(r + 8)); });

    // Mirrors flip the picture within the full frame.
    ASSERT_EQ(model.SetFrameGeometry(0, 0, 2048, 1536, 0), 0);
    UnityExposure(model);
    model.SetMirrorH(1);
    std::vector<uint8_t> full(2048u * 1536u);
    ASSERT_EQ(model.ReadSingleFrame(), 0);
    ASSERT_EQ(model.CopySingleFrame(full.data()), 0);
    ExpectPicture(full, 2048, 1536, [](int r, int c) { return std::make_pair(2047 - c, r); });
    model.SetMirrorH(0);
    model.SetMirrorV(1);
    ASSERT_EQ(model.ReadSingleFrame(), 0);
    ASSERT_EQ(model.CopySingleFrame(full.data()), 0);
    ExpectPicture(full, 2048, 1536, [](int r, int c) { return std::make_pair(c, 1535 - r); });
}

TEST_F(TransferTest, SizesOffTheFourPixelGridDeliverExactlyTheRequestedRegion) {
    // The sensor runs a 1024 x 768 window; the caller asked for, and sized
    // its buffer from, 1021 x 766.
    ASSERT_EQ(model.SetFrameGeometry(0, 0, 1021, 766, 0), 0);
    UnityExposure(model);
    EXPECT_EQ(model.width(), 1021);
    EXPECT_EQ(model.height(), 766);
    EXPECT_EQ(rig.camera->SensorRegister(S::kWindowWidth) | rig.camera->SensorRegister(S::kWindowWidth + 1) << 8, 1024);
    EXPECT_EQ(model.transferSize(), 1024 * 768);  // the whole sensor window
    const size_t exact = 1021u * 766u;
    std::vector<uint8_t> frame(exact + 64, 0xEE);
    ASSERT_EQ(model.ReadSingleFrame(), 0);
    ASSERT_EQ(model.CopySingleFrame(frame.data()), 0);
    for (size_t i = exact; i < frame.size(); ++i) ASSERT_EQ(frame[i], 0xEE) << "written past the region at " << i;
    frame.resize(exact);
    ExpectPicture(frame, 1021, 766, [](int r, int c) { return std::make_pair(c, r); });

    // The same with subsampling: 1021 / 2 = 510 columns, 383 lines.
    ASSERT_EQ(model.SetFrameGeometry(0, 0, 1021, 766, 1), 0);
    EXPECT_EQ(model.width(), 510);
    EXPECT_EQ(model.height(), 383);
    std::vector<uint8_t> half(510u * 383u + 64, 0xEE);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_EQ(NextFrame(model, half.data()), 0);
    EXPECT_EQ(model.StopTransfer(), 0);
    for (size_t i = 510u * 383u; i < half.size(); ++i) ASSERT_EQ(half[i], 0xEE) << i;
}

TEST_F(TransferTest, TheReaderTakesTheNewestFrame) {
    const uint32_t first = rig.camera->NextFrameCounter();
    rig.camera->StallAfterFrames(3);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_TRUE(WaitUntil([&] { return rig.camera->FramesDelivered() == 3 && model.framesTransferred() == 3; }));
    EXPECT_EQ(model.WaitFrame(), 3);
    std::vector<uint8_t> frame(2048u * 1536u);
    ASSERT_EQ(model.ReadFrame(frame.data()), 0);
    // The counter started just below the wrap.
    EXPECT_EQ(DecodeCounter(frame.data(), 2048), first + 2);
    // Nothing newer has arrived: after the events already signalled, the
    // wait runs into its time-out.
    model.SetFrameTimeoutMs(50);
    int result = 2;
    for (int i = 0; i < 5 && result == 2; ++i) result = model.WaitFrame();
    EXPECT_EQ(result, 1);
    rig.camera->SetStalled(false);
    EXPECT_EQ(model.StopTransfer(), 0);
}

// However many frames arrived unread, the reader gets the last of them.
TEST_F(TransferTest, AReaderLappedByTheTransferTakesTheNewestFrame) {
    std::vector<uint8_t> frame(2048u * 1536u);
    for (int unread : {4, 7, 10}) {
        const uint32_t first = rig.camera->NextFrameCounter();
        rig.camera->StallAfterFrames(unread);
        ASSERT_EQ(model.StartTransfer(), 0);
        ASSERT_TRUE(WaitUntil([&] { return model.framesTransferred() == unread; }));
        ASSERT_EQ(NextFrame(model, frame.data()), 0);
        EXPECT_EQ(DecodeCounter(frame.data(), 2048), first + static_cast<uint32_t>(unread) - 1) << unread;
        rig.camera->SetStalled(false);
        EXPECT_EQ(model.StopTransfer(), 0);
    }
}

// A reader slower than the camera always gets a frame at least as new as
// the newest one finished when it asked, and never one being written: the
// frame counter and the marker, far apart in the frame, tell the same frame.
TEST_F(TransferTest, ASlowReaderGetsTheNewestFinishedFrameWhole) {
    ASSERT_EQ(model.SetFrameGeometry(0, 0, 1024, 1100, 0), 0);
    UnityExposure(model);
    std::vector<uint8_t> frame(1024u * 1100u);
    const uint32_t first = rig.camera->NextFrameCounter();
    ASSERT_EQ(model.StartTransfer(), 0);
    for (int read = 0; read < 25; ++read) {
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
        int result = 2;
        int finished = 0;
        while (result == 2) {
            finished = model.framesTransferred();
            result = model.WaitFrame();
        }
        ASSERT_EQ(result, 3);
        ASSERT_EQ(model.ReadFrame(frame.data()), 0);
        const uint32_t counter = DecodeCounter(frame.data(), 1024);
        EXPECT_GE(counter - first + 1, static_cast<uint32_t>(finished)) << "read " << read;
        EXPECT_LE(counter - first + 1, static_cast<uint32_t>(model.framesTransferred())) << "read " << read;
        const int marker = kvx::sim::MarkerLeft(counter);
        if (marker >= 0 && marker + 16 < 1024) {
            EXPECT_GT(frame[static_cast<size_t>(1040) * 1024 + static_cast<size_t>(marker + 16)], 128) << "read " << read;
        }
    }
    EXPECT_EQ(model.StopTransfer(), 0);
}

// A camera that never answers the image read must not hold the stop: the
// read is cancelled, also when it reaches the camera only after the stop's
// first cancel went out (which then finds nothing to cancel).
TEST_F(TransferTest, StopReturnsWhenTheReadNeverDoes) {
    for (int lateMs : {0, 400}) {
        SCOPED_TRACE(lateMs);
        rig.camera->SetStalled(true);
        rig.camera->DelayNextRead(lateMs);
        ASSERT_EQ(model.StartTransfer(), 0);
        ASSERT_TRUE(WaitUntil([&] { return rig.camera->OpenHandles() == 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto start = std::chrono::steady_clock::now();
        auto stop = std::async(std::launch::async, [&] { return model.StopTransfer(); });
        if (stop.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
            ADD_FAILURE() << "the stop waits for the camera";
            rig.camera->SetStalled(false);
        }
        EXPECT_EQ(stop.get(), 0);
        const auto took = std::chrono::steady_clock::now() - start;
        RecordProperty("stop_ms_" + std::to_string(lateMs),
                       static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        EXPECT_EQ(rig.camera->OpenHandles(), 0);
    }
    // The camera itself still hangs; a new run after it recovers works.
    rig.camera->SetStalled(false);
    std::vector<uint8_t> frame(2048u * 1536u);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_EQ(NextFrame(model, frame.data()), 0);
    EXPECT_EQ(model.StopTransfer(), 0);
}

TEST_F(TransferTest, OneShortReadPerRunIsForgivenTheSecondEndsTheRun) {
    rig.camera->ShortenNextRead();
    rig.camera->StallAfterFrames(3);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_TRUE(WaitUntil([&] { return rig.camera->FramesDelivered() == 3; }));
    ASSERT_TRUE(WaitUntil([&] { return model.framesTransferred() == 2; }));
    rig.camera->SetStalled(false);
    EXPECT_EQ(model.StopTransfer(), 0);

    rig.camera->ShortenEveryRead(true);
    ASSERT_EQ(model.StartTransfer(), 0);
    int result = 0;
    ASSERT_TRUE(WaitUntil([&] { return (result = model.WaitFrame()) == 1; }));
    EXPECT_EQ(model.WaitFrame(), 1);
    EXPECT_EQ(model.framesTransferred(), 0);
    EXPECT_EQ(model.StopTransfer(), 19);
    // Collected: the object is stopped again and can start a new run.
    EXPECT_EQ(model.WaitFrame(), 0);
    EXPECT_EQ(model.StopTransfer(), 0);
}

TEST_F(TransferTest, ReadFailuresAndLostCamerasEndTheRun) {
    rig.camera->FailReadsAfterFrames(2);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_TRUE(WaitUntil([&] { return model.WaitFrame() == 1; }));
    EXPECT_EQ(model.framesTransferred(), 2);
    EXPECT_EQ(model.StopTransfer(), 19);
    rig.camera->FailReadsAfterFrames(-1);

    // A camera that cannot be opened at all is reported, not waited for.
    rig.camera->SetUnplugged(true);
    ASSERT_EQ(model.StartTransfer(), 0);
    ASSERT_TRUE(WaitUntil([&] { return model.WaitFrame() == 1; }));
    EXPECT_EQ(model.StopTransfer(), 10);
}

TEST_F(TransferTest, AStalledCameraTimesOut) {
    model.SetFrameTimeoutMs(100);
    rig.camera->SetStalled(true);
    ASSERT_EQ(model.StartTransfer(), 0);
    EXPECT_EQ(model.WaitFrame(), 1);
    rig.camera->SetStalled(false);
    EXPECT_EQ(model.StopTransfer(), 0);
}

TEST_F(TransferTest, StartStopAndReadArguments) {
    EXPECT_EQ(model.StopTransfer(), 0);
    EXPECT_EQ(model.WaitFrame(), 0);
    ASSERT_EQ(model.StartTransfer(), 0);
    EXPECT_EQ(model.StartTransfer(), 21);
    std::vector<uint8_t> frame(2048u * 1536u);
    ASSERT_EQ(NextFrame(model, frame.data()), 0);
    const int index = model.readIndex();
    EXPECT_EQ(model.ReadFrame(nullptr), 14);
    EXPECT_EQ(model.readIndex(), index);
    EXPECT_EQ(model.CopySingleFrame(nullptr), 14);
    // The geometry cannot change under a running transfer.
    EXPECT_EQ(model.SetupBuffers(1024, 0, 1024, 768, 0, 768, 4), 21);
    EXPECT_EQ(model.StopTransfer(), 0);
    EXPECT_GE(model.lastElapsedMs(), 0);
}

TEST_F(TransferTest, SingleFramesKeepTheirHandleUntilAFailure) {
    ASSERT_EQ(model.ReadSingleFrame(), 0);
    EXPECT_EQ(rig.camera->OpenHandles(), 1);
    ASSERT_EQ(model.ReadSingleFrame(), 0);
    EXPECT_EQ(rig.camera->OpenHandles(), 1);
    rig.camera->ShortenNextRead();
    EXPECT_EQ(model.ReadSingleFrame(), 19);
    EXPECT_EQ(model.lastSingleStatus(), 19);
    EXPECT_EQ(rig.camera->OpenHandles(), 0);
    rig.camera->SetUnplugged(true);
    EXPECT_EQ(model.ReadSingleFrame(), 10);
    // Plugged in again, the camera is unpowered: it gives no frame until the
    // lost programming is made good.
    rig.camera->SetUnplugged(false);
    EXPECT_EQ(model.ReadSingleFrame(), 19);
    EXPECT_EQ(model.ProgramIfNeeded(), CKolvex410QFXZQPSdk::Programming::Done);
    UnityExposure(model);
    EXPECT_EQ(model.ReadSingleFrame(), 0);
    model.CloseSingleFrame();
    EXPECT_EQ(rig.camera->OpenHandles(), 0);
}

TEST_F(TransferTest, TriggeredFramesWaitForThePulseFromThisOrAnotherProcess) {
    model.SendTriggerWait(5000);
    ASSERT_EQ(model.SetTriggerMode(1), 1);
    std::thread pulse([&] {
        WaitUntil([&] { return rig.camera->OpenHandles() > 0; });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        rig.camera->FireTrigger();
    });
    EXPECT_EQ(model.ReadSingleFrame(), 0);
    pulse.join();

    kvx::test::ChildProcess child({"sim-trigger", rig.triggerBlock, "0"});
    EXPECT_EQ(model.ReadSingleFrame(), 0);
    EXPECT_EQ(child.Wait(), 0);

    // Without a pulse the driver gives up after the trigger wait.
    model.SendTriggerWait(30);
    EXPECT_EQ(model.ReadSingleFrame(), 19);
}

}  // namespace
