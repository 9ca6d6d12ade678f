// A 32-bit and a 64-bit program on one machine share the cameras, their
// claims and the stored settings: the device table and the virtual camera's
// wires are one named block each, laid out alike in both word sizes, and
// HKEY_CURRENT_USER\Software is one key for both. Every role is played by a
// real process of each width: this build's test child and the 32-bit
// build's (KOLVEX_PEER_CHILD).
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "device/shared_device_table.h"
#include "settings_sandbox.h"
#include "unique_name.h"

namespace {

using kvx::test::ChildProcess;
using Clock = std::chrono::steady_clock;

std::string OwnChild() {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path(self, n);
    return path.substr(0, path.find_last_of("\\/") + 1) + "kolvex_test_child.exe";
}

struct Widths {
    const char* name;
    bool ownFirst;  // this build's child plays the first role, the other build's the second
};

void PrintTo(const Widths& widths, std::ostream* out) { *out << widths.name; }

class CrossWidth : public ::testing::TestWithParam<Widths> {
protected:
    void SetUp() override {
        ASSERT_NE(GetFileAttributesA(KOLVEX_PEER_CHILD), INVALID_FILE_ATTRIBUTES)
            << KOLVEX_PEER_CHILD << " is missing: build the win32 preset first (scripts/test does)";
    }
    std::string First() const { return GetParam().ownFirst ? OwnChild() : KOLVEX_PEER_CHILD; }
    std::string Second() const { return GetParam().ownFirst ? KOLVEX_PEER_CHILD : OwnChild(); }
    std::vector<std::string> Camera(const char* command, std::vector<std::string> more = {}) const {
        std::vector<std::string> args = {command, table_, wire_, "0"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    static int Run(const std::string& program, const std::vector<std::string>& args) {
        ChildProcess child(program, args);
        return child.Wait();
    }
    // Waits until the table exists and device 0 is claimed in it.
    bool WaitUntilClaimed() {
        const auto until = Clock::now() + std::chrono::seconds(30);
        while (!(table_view_.OpenShared(table_) && table_view_.IsDeviceBusy(0))) {
            if (Clock::now() > until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
    // Tells a `camera-hold` child to stop streaming and release the camera.
    void AskHolderToStop() { static_cast<volatile unsigned char*>(table_view_.view())[64] = 1; }

    const std::string table_ = kvx::test::UniqueName("KolvexCrossTable");
    const std::string wire_ = kvx::test::UniqueName("KolvexCrossWire");
    kvx::SharedDeviceTable table_view_;
    kvx::test::SettingsSandbox settings_;
};

// Child results: 0 streamed (or the setting matched), 1 refused with code 2
// (or the setting differed).
TEST_P(CrossWidth, EachIsRefusedWhileTheOtherStreamsAndGetsTheCameraOnceItStops) {
    ChildProcess holder(First(), Camera("camera-hold"));
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(WaitUntilClaimed());
    EXPECT_EQ(Run(Second(), Camera("camera-preview")), 1);
    AskHolderToStop();
    EXPECT_EQ(holder.Wait(), 0);
    EXPECT_FALSE(table_view_.IsDeviceBusy(0));
    EXPECT_EQ(Run(Second(), Camera("camera-preview")), 0);
}

TEST_P(CrossWidth, TheClaimOfAKilledProcessIsTakenOver) {
    ChildProcess holder(First(), Camera("camera-hold"));
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(WaitUntilClaimed());
    holder.Kill();
    holder.Wait();
    EXPECT_EQ(Run(Second(), Camera("camera-preview")), 0);
}

TEST_P(CrossWidth, ASettingSavedByOneIsReadByTheOtherAndBack) {
    const std::string store = settings_.location(), gamma = "11";
    ASSERT_EQ(Run(First(), Camera("camera-save", {store, gamma, "173"})), 0);
    EXPECT_EQ(Run(Second(), Camera("camera-check", {store, gamma, "173"})), 0);
    ASSERT_EQ(Run(Second(), Camera("camera-save", {store, gamma, "61"})), 0);
    EXPECT_EQ(Run(First(), Camera("camera-check", {store, gamma, "61"})), 0);
}

INSTANTIATE_TEST_SUITE_P(Widths, CrossWidth,
                         ::testing::Values(Widths{"ThisFirst", true}, Widths{"OtherFirst", false}),
                         [](const ::testing::TestParamInfo<Widths>& info) { return std::string(info.param.name); });

}  // namespace
