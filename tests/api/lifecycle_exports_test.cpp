// The exports every application meets first, tried through the C interface.
#include <gtest/gtest.h>

#include <thread>

#include "KolvexSdk.h"
#include "api/sdk_chain.h"
#include "camera/kolvex.h"
#include "camera_sandbox.h"
#include "notification_window.h"

namespace {

using kvx::test::Notification;
using kvx::test::NotificationWindow;

constexpr int kUnknownHandle = 0x7FFFFFF0;

Notification ErrorNotice(int code) { return {KOLVEX_WM_ERROR, 0, code}; }

// A table and a virtual camera of the test's own: a camera opened here
// powers its sensor up, which would restart the one another process on the
// machine streams from.
class LifecycleExports : public ::testing::Test {
protected:
    kvx::test::CameraSandbox sandbox_;
};

class Camera : public LifecycleExports {
protected:
    void SetUp() override {
        handle_ = Kolvex_Initialize(window_.handle());
        ASSERT_NE(handle_, 0);
    }
    void TearDown() override { Kolvex_Release(handle_); }

    NotificationWindow window_;
    int handle_ = 0;
};

TEST_F(LifecycleExports, VersionIsConstant) {
    EXPECT_EQ(Kolvex_GetDllVersion(), 28443935);
    int h = Kolvex_Initialize(nullptr);
    EXPECT_EQ(Kolvex_GetDllVersion(), 28443935);
    EXPECT_EQ(Kolvex_Release(h), 1);
}

TEST_F(LifecycleExports, ReleaseTwiceReturnsOneThenZero) {
    int h = Kolvex_Initialize(nullptr);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Kolvex_Release(h), 1);
    EXPECT_EQ(Kolvex_Release(h), 0);
    EXPECT_EQ(Kolvex_GetLastError(h), 0);
}

TEST_F(LifecycleExports, UnknownHandlesGetTheNotFoundValueAndNothingIsPosted) {
    NotificationWindow window;
    int h = Kolvex_Initialize(window.handle());
    int value = 123;
    EXPECT_EQ(Kolvex_Release(kUnknownHandle), 0);
    EXPECT_EQ(Kolvex_GetLastError(kUnknownHandle), 0);
    EXPECT_EQ(Kolvex_GetStatus(kUnknownHandle, 5), 0);
    EXPECT_EQ(Kolvex_SetHalfClock(kUnknownHandle, 1), 0);
    EXPECT_EQ(Kolvex_GetSamplingRate(kUnknownHandle, &value), 0);
    EXPECT_EQ(value, 123);
    EXPECT_EQ(Kolvex_GetConfigFilter(kUnknownHandle), 0);
    EXPECT_TRUE(window.Take().empty());
    Kolvex_Release(h);
}

TEST_F(Camera, FreshCameraHasNoErrorAndStatusZero) {
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
    EXPECT_EQ(Kolvex_GetStatus(handle_, 12345), 0);
}

TEST_F(Camera, UnsupportedOperationsPostElevenWithoutRecordingIt) {
    EXPECT_EQ(Kolvex_SetHalfClock(handle_, 1), 0);
    EXPECT_EQ(Kolvex_Fpga_ReadRegister(handle_, 1, nullptr), 0);
    EXPECT_EQ(Kolvex_Fpga_WriteRegister(handle_, 1, 2), 0);
    EXPECT_EQ(Kolvex_Fps(handle_, nullptr), 0);
    EXPECT_EQ(Kolvex_GetHalfClock(handle_, nullptr), 0);
    EXPECT_EQ(Kolvex_SetCrossbar(handle_, 3), 0);
    EXPECT_EQ(Kolvex_SetSamplingRate(handle_, 4), 0);
    EXPECT_EQ(window_.Take(), std::vector<Notification>(7, ErrorNotice(KOLVEX_ERR_UNSUPPORTED)));
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

TEST_F(Camera, ZeroWritingGettersWriteZeroAndReportNothing) {
    int rate = 55, format = 66;
    EXPECT_EQ(Kolvex_GetSamplingRate(handle_, &rate), 0);
    EXPECT_EQ(Kolvex_GetVideoFormat(handle_, &format), 0);
    EXPECT_EQ(rate, 0);
    EXPECT_EQ(format, 0);
    EXPECT_EQ(Kolvex_GetSamplingRate(handle_, nullptr), 0);
    EXPECT_TRUE(window_.Take().empty());
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

TEST_F(Camera, RecordedErrorsArePostedAndKeptInTheHistory) {
    EXPECT_EQ(Kolvex_GetConfigFilter(handle_), -1);
    EXPECT_EQ(Kolvex_SetConfigFilter(handle_, 0), -1);
    EXPECT_EQ(window_.Take(),
              (std::vector<Notification>{ErrorNotice(KOLVEX_ERR_UNSUPPORTED), ErrorNotice(KOLVEX_ERR_UNSUPPORTED)}));
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_UNSUPPORTED);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_UNSUPPORTED);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

TEST_F(Camera, HistoryKeepsTheTwentyNewestCodesNewestFirst) {
    auto camera = kvx::SdkChain().Lookup(handle_);
    for (int code = 1; code <= 25; ++code) camera->RecordError(code);
    EXPECT_EQ(window_.Take().size(), 25u);
    for (int code = 25; code > 5; --code) EXPECT_EQ(Kolvex_GetLastError(handle_), code);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

TEST_F(LifecycleExports, ErrorsAreRecordedWithoutAWindow) {
    int h = Kolvex_Initialize(nullptr);
    EXPECT_EQ(Kolvex_GetConfigFilter(h), -1);
    EXPECT_EQ(Kolvex_GetLastError(h), KOLVEX_ERR_UNSUPPORTED);
    Kolvex_Release(h);
}

// Codes recorded by one thread come back in that thread's order, whatever
// other threads record at the same time.
TEST_F(Camera, EachThreadsCodesKeepTheirOrder) {
    auto camera = kvx::SdkChain().Lookup(handle_);
    constexpr int kRounds = 2000;
    auto record = [&](int base) {
        for (int i = 0; i < kRounds; ++i) camera->RecordError(base + (i % 3));
    };
    std::thread a(record, 1), b(record, 5);
    a.join();
    b.join();
    window_.Take();
    // The history's last ten codes of each thread are its newest ones, in
    // order: a thread's codes cycle base, base+1, base+2.
    int lastA = -1, lastB = -1;
    for (int i = 0; i < 20; ++i) {
        int code = Kolvex_GetLastError(handle_);
        ASSERT_TRUE((code >= 1 && code <= 3) || (code >= 5 && code <= 7)) << code;
        int& last = code <= 3 ? lastA : lastB;
        int base = code <= 3 ? 1 : 5;
        if (last >= 0) {
            EXPECT_EQ(code - base, (last - base + 2) % 3) << "newest first, stepping back";
        }
        last = code;
    }
}

TEST_F(LifecycleExports, ReleaseWhileAnotherThreadIsInsideACallIsSafe) {
    for (int round = 0; round < 5; ++round) {
        int h = Kolvex_Initialize(nullptr);
        std::thread caller([h] {
            for (int i = 0; i < 200; ++i) {
                Kolvex_GetConfigFilter(h);
                Kolvex_GetLastError(h);
            }
        });
        EXPECT_EQ(Kolvex_Release(h), 1);
        caller.join();
        EXPECT_EQ(Kolvex_GetLastError(h), 0);
    }
}

}  // namespace
