// The preview's X server goes away under a running preview: killed, or
// stopped so that it never answers again. The process lives on, frames keep
// coming, and stopping and releasing the camera end in bounded time.
//
// Each case starts an X server of its own (Xvfb, whose path CMake passes in
// KOLVEX_XVFB) and must run in a process of its own: the window backend is
// chosen, and its connection made, once per process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "KolvexSdk.h"
#include "KolvexSdkLinux.h"
#include "camera_sandbox.h"
#include "platform/window_surface.h"

namespace {

using Clock = std::chrono::steady_clock;

// An Xvfb of the test's own, on a display number it picks itself.
class OwnServer {
public:
    OwnServer() {
        const char* xvfb = std::getenv("KOLVEX_XVFB");
        int fds[2];
        if (!xvfb || ::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            ::execl(xvfb, xvfb, "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char number[16] = {};
        size_t got = 0;
        while (got < sizeof number - 1) {
            const ssize_t n = ::read(fds[0], number + got, 1);
            if (n <= 0 || number[got] == '\n') break;
            ++got;
        }
        ::close(fds[0]);
        number[got] = '\0';
        if (got > 0) display_ = std::string(":") + number;
    }
    ~OwnServer() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGCONT);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    const std::string& display() const { return display_; }
    void Signal(int signal) { ::kill(pid_, signal); }

private:
    pid_t pid_ = -1;
    std::string display_;
};

class X11ServerLoss : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(server_.display().empty()) << "no Xvfb to start (KOLVEX_XVFB)";
        ::setenv("DISPLAY", server_.display().c_str(), 1);
        handle_ = Kolvex_Initialize(nullptr);
        ASSERT_NE(handle_, 0);
        ASSERT_EQ(Kolvex_SetSubSample(handle_, 1), 1);
        // A top-level window of the frame's size, on the test's server.
        ASSERT_EQ(Kolvex_SetPreviewWindow(handle_, nullptr, 0, 0, 2048, 1536), 1);
        buffer_.resize(static_cast<size_t>(Kolvex_Width(handle_) / 2) * static_cast<size_t>(Kolvex_Height(handle_) / 2) * 3);
        ASSERT_EQ(Kolvex_CallBackPreview(handle_, mailbox(), buffer_.data(), static_cast<int>(buffer_.size()), 0), 1);
        ASSERT_EQ(Frames(3, std::chrono::seconds(20)), 3) << "no preview to begin with";
    }
    void TearDown() override {
        if (handle_) Kolvex_Release(handle_);
    }

    // Waits for `count` frames; how many came.
    int Frames(int count, std::chrono::seconds within) {
        const auto giveUp = Clock::now() + within;
        int seen = 0;
        KolvexMessage m;
        while (seen < count && Clock::now() < giveUp)
            if (KolvexLinux_WaitMessage(mailbox(), 100, &m) && m.message == KOLVEX_WM_FRAME && m.wParam) ++seen;
        return seen;
    }

    // The preview goes on without its server, and ends in bounded time.
    void ExpectAcquisitionOutlivesTheServer() {
        EXPECT_EQ(Frames(5, std::chrono::seconds(30)), 5) << "frames stopped with the server";
        const auto start = Clock::now();
        EXPECT_EQ(Kolvex_StopPreview(handle_), 1);
        EXPECT_EQ(Kolvex_Release(handle_), 1);
        handle_ = 0;
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
    }

    KolvexWindow mailbox() { return &mailboxKey_; }

    kvx::test::CameraSandbox sandbox_;
    OwnServer server_;
    int handle_ = 0;
    int mailboxKey_ = 0;
    std::vector<uint8_t> buffer_;
};

TEST_F(X11ServerLoss, AKilledServerTakesOnlyItsWindow) {
    server_.Signal(SIGKILL);
    ExpectAcquisitionOutlivesTheServer();
    // A new preview asks for a window the lost server cannot give.
    const int again = Kolvex_Initialize(nullptr);
    ASSERT_NE(again, 0);
    EXPECT_EQ(Kolvex_SetPreviewWindow(again, nullptr, 0, 0, 2048, 1536), 1);
    EXPECT_EQ(Kolvex_Preview(again), 0);
    EXPECT_EQ(Kolvex_GetLastError(again), KOLVEX_ERR_WINDOW);
    EXPECT_EQ(Kolvex_Release(again), 1);
}

TEST_F(X11ServerLoss, AStoppedServerHoldsNoCallForever) {
    server_.Signal(SIGSTOP);
    ExpectAcquisitionOutlivesTheServer();
}

}  // namespace
