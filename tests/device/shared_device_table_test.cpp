// The shared device table across camera objects and processes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "child_process.h"
#include "device/shared_device_table.h"
#include "platform/system_info.h"
#include "unique_name.h"
#include "virtual_rig.h"

namespace {

using kvx::SharedDeviceTable;
using kvx::test::ChildProcess;
using kvx::test::UniqueName;
using kvx::test::WaitUntil;

auto* const kWindow = reinterpret_cast<kvx::platform::WindowHandle>(uintptr_t{0x1230});
auto* const kOtherWindow = reinterpret_cast<kvx::platform::WindowHandle>(uintptr_t{0x4560});

uint32_t Word(const void* view, size_t at) {
    uint32_t v;
    std::memcpy(&v, static_cast<const uint8_t*>(view) + at, sizeof v);
    return v;
}

struct TableTest : ::testing::Test {
    std::string name = UniqueName("KolvexDeviceTable");
    SharedDeviceTable table;
    uint32_t module = kvx::platform::ProgramModuleId();
    void SetUp() override { ASSERT_TRUE(table.Attach(name)); }
};

TEST_F(TableTest, EntriesLieWhereOtherProcessesLookForThem) {
    ASSERT_EQ(table.ClaimDevice(0, kWindow, module), 1);
    ASSERT_EQ(table.ClaimDevice(31, kWindow, module), 1);
    const void* view = table.view();
    EXPECT_EQ(Word(view, 1944320), 0x1230u);
    EXPECT_EQ(Word(view, 1944320 + 4), module);
    EXPECT_EQ(Word(view, 1944320 + 8), 0u);
    EXPECT_STREQ(static_cast<const char*>(view) + 1944320 + 12, "KolvexSdk_410QFX_ZQP.dll");
    EXPECT_EQ(Word(view, 1948660), 0x1230u);
    EXPECT_EQ(Word(view, 1948660 - 140), 0u);
    EXPECT_TRUE(table.IsDeviceBusy(0));
    EXPECT_FALSE(table.IsDeviceBusy(1));
    EXPECT_TRUE(table.IsDeviceBusy(31));
    EXPECT_FALSE(table.IsDeviceBusy(32));
}

TEST_F(TableTest, OnlyTheCreatorClearsTheBlock) {
    static_cast<uint8_t*>(table.view())[100] = 0x5A;
    SharedDeviceTable second;
    ASSERT_TRUE(second.Attach(name));
    EXPECT_EQ(static_cast<uint8_t*>(second.view())[100], 0x5A);
}

TEST_F(TableTest, OnlyTheClaimingObjectReleases) {
    ASSERT_EQ(table.ClaimDevice(3, kWindow, module), 1);
    SharedDeviceTable other, sameWindow;
    ASSERT_TRUE(other.Attach(name));
    ASSERT_TRUE(sameWindow.Attach(name));
    EXPECT_TRUE(other.IsDeviceBusy(3));
    EXPECT_EQ(other.ReleaseDevice(3, kOtherWindow, module), 1);
    EXPECT_TRUE(other.IsDeviceBusy(3));
    // A second camera object of the same application window never claimed it.
    EXPECT_EQ(sameWindow.ReleaseDevice(3, kWindow, module), 1);
    EXPECT_TRUE(other.IsDeviceBusy(3));
    EXPECT_EQ(table.ReleaseDevice(3, kOtherWindow, module), 1);
    EXPECT_TRUE(other.IsDeviceBusy(3));
    EXPECT_EQ(table.ClaimDevice(3, kWindow, module), 1);
    EXPECT_EQ(table.ReleaseDevice(3, kWindow, module), 1);
    EXPECT_FALSE(other.IsDeviceBusy(3));
    EXPECT_EQ(static_cast<const char*>(other.view())[1944320 + 3 * 140 + 12], '\0');
}

TEST_F(TableTest, ACameraWithoutAWindowStillProtectsItsDevice) {
    ASSERT_EQ(table.ClaimDevice(4, nullptr, module), 1);
    SharedDeviceTable other;
    ASSERT_TRUE(other.Attach(name));
    EXPECT_TRUE(other.IsDeviceBusy(4));
    EXPECT_NE(Word(other.view(), 1944320 + 4 * 140), 0u);
    EXPECT_EQ(other.ReleaseDevice(4, nullptr, module), 1);
    EXPECT_TRUE(other.IsDeviceBusy(4));
    EXPECT_EQ(table.ReleaseDevice(4, nullptr, module), 1);
    EXPECT_FALSE(other.IsDeviceBusy(4));
}

TEST_F(TableTest, WithoutAViewNothingIsClaimedOrBusy) {
    SharedDeviceTable detached;
    EXPECT_EQ(detached.ClaimDevice(0, kWindow, module), 0);
    EXPECT_EQ(detached.ReleaseDevice(0, kWindow, module), 0);
    EXPECT_FALSE(detached.IsDeviceBusy(0));
    EXPECT_FALSE(detached.OpenShared(UniqueName("KolvexNoTable")));
}

TEST_F(TableTest, AClaimInAnotherProcessIsSeenBusyUntilReleased) {
    ChildProcess child({"devtable-hold", name, "6"});
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(WaitUntil([&] { return table.IsDeviceBusy(6); }));
    // The child releases when told to through the block's first bytes.
    static_cast<volatile uint8_t*>(table.view())[64] = 1;
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_FALSE(table.IsDeviceBusy(6));
}

TEST_F(TableTest, AClaimLeftByAnEndedProcessNoLongerBlocks) {
    EXPECT_EQ(kvx::test::RunChild({"devtable-abandon", name, "7"}), 0);
    // The entry itself stays as the process left it...
    EXPECT_NE(Word(table.view(), 1944320 + 7 * 140), 0u);
    // ...but its owner is gone, so the device is usable again.
    EXPECT_FALSE(table.IsDeviceBusy(7));
    EXPECT_EQ(table.ClaimDevice(7, kWindow, module), 1);
    EXPECT_TRUE(table.IsDeviceBusy(7));
}

// A writer that knows only the layout (owner, module, reserved, the name as
// a string) claims an entry whose tail still holds a stamp of a process that
// has ended: the claim is live, not that process's. Its claim differs from
// the dead one in one word only, whatever module values this machine gives
// the two processes, so the check value must cover each word.
TEST_F(TableTest, AForeignClaimOverADeadStampIsNeverTakenForTheDeadOne) {
    struct Foreign {
        int device;
        uint32_t windowChange, moduleChange;
    };
    for (const Foreign& foreign : {Foreign{9, 0x0100, 0}, Foreign{10, 0, 0x10000}}) {
        SCOPED_TRACE(foreign.device);
        EXPECT_EQ(kvx::test::RunChild({"devtable-abandon", name, std::to_string(foreign.device)}), 0);
        EXPECT_FALSE(table.IsDeviceBusy(foreign.device));
        const size_t at = 1944320 + static_cast<size_t>(foreign.device) * 140;
        auto* entry = static_cast<uint8_t*>(table.view()) + at;
        const uint32_t window = Word(entry, 0) ^ foreign.windowChange;
        const uint32_t foreignModule = Word(entry, 4) ^ foreign.moduleChange, reserved = 0;
        std::memcpy(entry + 4, &foreignModule, 4);
        std::memcpy(entry + 8, &reserved, 4);
        std::strcpy(reinterpret_cast<char*>(entry + 12), "KolvexSdk_410QFX_ZQP.dll");
        std::memcpy(entry, &window, 4);
        EXPECT_TRUE(table.IsDeviceBusy(foreign.device));
        EXPECT_FALSE(table.TryClaimDevice(foreign.device, kWindow, module));
        EXPECT_EQ(Word(table.view(), at), window);
    }
}

// A process may die between any two writes of a claim or a release, from
// a free entry or while taking over one whose owner has ended: whatever it
// leaves, the device is free for the next claimant, whose claim then holds.
TEST_F(TableTest, AProcessEndingAtAnyPointOfAChangeNeverLeavesTheDeviceBusy) {
    const int device = 10;
    SharedDeviceTable other;
    ASSERT_TRUE(other.Attach(name));
    for (const bool fromAbandoned : {false, true}) {
        int ended = 0;
        for (int step = 1; step < 50; ++step) {
            SCOPED_TRACE(std::string(fromAbandoned ? "over an abandoned claim" : "from a free entry") + ", step " +
                         std::to_string(step));
            if (fromAbandoned) {
                ASSERT_EQ(kvx::test::RunChild({"devtable-abandon", name, std::to_string(device)}), 0);
            }
            const int code = kvx::test::RunChild({"devtable-interrupt", name, std::to_string(device),
                                                  std::to_string(step)});
            if (code == 0) break;  // every step passed: the last run finished its change
            ASSERT_EQ(code, 10);
            ++ended;
            EXPECT_FALSE(table.IsDeviceBusy(device));
            ASSERT_TRUE(table.TryClaimDevice(device, kWindow, module));
            EXPECT_TRUE(other.IsDeviceBusy(device));
            EXPECT_FALSE(other.TryClaimDevice(device, kOtherWindow, module));
            EXPECT_EQ(table.ReleaseDevice(device, kWindow, module), 1);
            EXPECT_FALSE(other.IsDeviceBusy(device));
        }
        EXPECT_GE(ended, 4) << "a claim and a release take several writes";
    }
}

TEST_F(TableTest, TestAndClaimIsOneStep) {
    SharedDeviceTable other;
    ASSERT_TRUE(other.Attach(name));
    for (int round = 0; round < 50; ++round) {
        std::atomic<int> ready{0};
        bool won[2] = {};
        auto claim = [&](SharedDeviceTable* t, kvx::platform::WindowHandle w, int index) {
            ready.fetch_add(1);
            while (ready.load() < 2) {
            }
            won[index] = t->TryClaimDevice(5, w, module);
        };
        std::thread a(claim, &table, kWindow, 0), b(claim, &other, kOtherWindow, 1);
        a.join();
        b.join();
        ASSERT_NE(won[0], won[1]) << "round " << round;
        table.ReleaseDevice(5, kWindow, module);
        other.ReleaseDevice(5, kOtherWindow, module);
        ASSERT_FALSE(table.IsDeviceBusy(5));
    }
    // Claiming again what one holds already succeeds; a dead owner's entry
    // is taken over.
    EXPECT_TRUE(table.TryClaimDevice(5, kWindow, module));
    EXPECT_TRUE(table.TryClaimDevice(5, kWindow, module));
    EXPECT_EQ(kvx::test::RunChild({"devtable-abandon", name, "8"}), 0);
    EXPECT_TRUE(other.TryClaimDevice(8, kOtherWindow, module));
    EXPECT_TRUE(table.IsDeviceBusy(8));
    EXPECT_FALSE(table.TryClaimDevice(8, kWindow, module));
}

}  // namespace
