// The driver protocol as the virtual camera sees it: device names, pipes,
// byte counts, the doubled reply read and its pauses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device/kvx_sdk_lib.h"
#include "device/pipe_io.h"
#include "sim/register_map.h"
#include "virtual_rig.h"

namespace {

namespace S = kvx::sim::reg::sensor;
namespace L = kvx::sim::reg::logic;

using kvx::CKVXSdkLib;
using kvx::test::VirtualRig;
using Kind = kvx::sim::LogEntry::Kind;

// The base class with the model's driver name and nothing else, so that
// these tests do not pay for a sensor initialisation.
class DriverLib : public CKVXSdkLib {
public:
    DriverLib() { std::strcpy(driverName_, "Kvex410qfxZQP"); }
};

std::string PathOf(DriverLib& lib, int n) {
    lib.SelectDevicePath(n);
    return lib.devicePath().text;
}

TEST(DevicePath, DigitTableHasNBeforeMAndRejectsNumbersOutOfRange) {
    VirtualRig rig;
    DriverLib lib;
    EXPECT_EQ(PathOf(lib, 0), "\\\\.\\Kvex410qfxZQP-0");
    EXPECT_EQ(PathOf(lib, 10), "\\\\.\\Kvex410qfxZQP-A");
    EXPECT_EQ(PathOf(lib, 21), "\\\\.\\Kvex410qfxZQP-L");
    EXPECT_EQ(PathOf(lib, 22), "\\\\.\\Kvex410qfxZQP-N");
    EXPECT_EQ(PathOf(lib, 23), "\\\\.\\Kvex410qfxZQP-M");
    EXPECT_EQ(PathOf(lib, 31), "\\\\.\\Kvex410qfxZQP-V");

    EXPECT_EQ(lib.SelectDevicePath(32), 22);
    EXPECT_EQ(lib.SelectDevicePath(-1), 22);
    EXPECT_EQ(lib.GetDeviceNumber(), 31);
    EXPECT_EQ(PathOf(lib, 31), "\\\\.\\Kvex410qfxZQP-V");
}

TEST(DeviceProbe, FindsExactlyThePluggedCamerasAndKeepsTheSelectedDevice) {
    VirtualRig rig(23);
    kvx::sim::Plug(2);
    DriverLib lib;
    lib.SelectDevicePath(5);
    lib.ProbeDevices();
    for (int n = 0; n < 32; ++n) EXPECT_EQ(lib.IsDevicePresent(n), n == 2 || n == 23) << n;
    EXPECT_FALSE(lib.IsDevicePresent(32));
    // Listing the cameras never moves the object to another one: its claim
    // and its programming follow the selected number.
    EXPECT_EQ(lib.GetDeviceNumber(), 5);
    EXPECT_EQ(std::string(lib.devicePath().text), "\\\\.\\Kvex410qfxZQP-5");
    // Handles opened by the probe are all closed again.
    EXPECT_EQ(rig.camera->OpenHandles(), 0);

    kvx::sim::UnplugAll();
    lib.ProbeDevices();
    for (int n = 0; n < 32; ++n) EXPECT_FALSE(lib.IsDevicePresent(n)) << n;
    EXPECT_EQ(lib.GetDeviceNumber(), 5);
    // One number alone is probed again when a caller needs it.
    kvx::sim::Plug(5);
    EXPECT_TRUE(lib.ProbeDevice(5));
    EXPECT_TRUE(lib.IsDevicePresent(5));
    EXPECT_FALSE(lib.ProbeDevice(32));
}

TEST(PipeTransfer, ResultCodesForMissingArgumentsAndWrongByteCounts) {
    VirtualRig rig;
    DriverLib lib;
    lib.SelectDevicePath(0);
    kvx::DeviceHandle handle = kvx::OpenDevice(lib.devicePath().text);
    ASSERT_NE(handle, nullptr);
    uint8_t block[65] = {0x01};
    uint32_t returned = 99;
    EXPECT_EQ(kvx::PipeTransfer(handle, 0, 64, nullptr, &returned, 0x222051), -2);
    EXPECT_EQ(kvx::PipeTransfer(nullptr, 0, 64, block, &returned, 0x222051), -3);
    EXPECT_EQ(kvx::PipeSend(nullptr, 0, 64, block), 10);
    EXPECT_EQ(kvx::PipeRead(nullptr, 1, 64, block), 10);

    EXPECT_EQ(kvx::PipeSend(handle, 0, 64, block), 0);
    // The reply pipe holds 64 bytes: asking for 65 gets one byte fewer.
    EXPECT_EQ(kvx::PipeTransfer(handle, 1, 65, block, &returned, 0x22204E), 0);
    EXPECT_EQ(returned, 64u);
    EXPECT_EQ(kvx::PipeRead(handle, 1, 65, block), 12);
    // The driver refuses a request on a pipe that does not exist.
    EXPECT_EQ(kvx::PipeTransfer(handle, 7, 64, block, &returned, 0x222051), -1);
    EXPECT_EQ(kvx::PipeSend(handle, 7, 64, block), 12);
    kvx::CloseDevice(&handle);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(rig.camera->OpenHandles(), 0);
}

TEST(CommandExchange, QueryReadsTheReplyTwiceAndOnlyTheSecondReadDecides) {
    VirtualRig rig;
    DriverLib lib;
    lib.SelectDevicePath(0);
    uint8_t write[64] = {0x25, 0x07, 0x5A};
    ASSERT_TRUE(lib.SendCommand(write));
    EXPECT_EQ(rig.camera->LogicRegister(L::kIoPort), 0x5A);

    rig.camera->StartLog();
    rig.camera->FailReplyReads(1);
    uint8_t query[64] = {0x26, 0x07};
    EXPECT_TRUE(lib.QueryCommand(query, false));
    EXPECT_EQ(query[0], 0x5A);
    auto log = rig.camera->TakeLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, Kind::Command);
    EXPECT_EQ(log[1].kind, Kind::ReplyRead);
    EXPECT_FALSE(log[1].ok);
    EXPECT_EQ(log[2].kind, Kind::ReplyRead);
    EXPECT_TRUE(log[2].ok);

    rig.camera->FailReplyReads(2);
    uint8_t failing[64] = {0x26, 0x07};
    EXPECT_FALSE(lib.QueryCommand(failing, false));
    EXPECT_EQ(failing[0], 0);
    EXPECT_EQ(rig.camera->OpenHandles(), 0);
}

TEST(CommandExchange, SensorQueriesPauseBeforeTheReply) {
    VirtualRig rig;
    DriverLib lib;
    lib.SelectDevicePath(0);
    rig.camera->StartLog();
    uint8_t query[64] = {0x0C, 0x02, 0x0E};
    EXPECT_TRUE(lib.QueryCommand(query, true));
    auto log = rig.camera->TakeLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_GE(log[1].at - log[0].at, std::chrono::milliseconds(6));
}

TEST(CommandExchange, AnUnpluggedCameraFailsEveryCommandWithoutARequest) {
    VirtualRig rig;
    DriverLib lib;
    lib.SelectDevicePath(0);
    rig.camera->StartLog();
    rig.camera->SetUnplugged(true);
    uint8_t write[64] = {0x25, 0x07, 0x5A};
    EXPECT_FALSE(lib.SendCommand(write));
    uint8_t query[64] = {0x26, 0x07};
    query[0] = 0x26;
    EXPECT_FALSE(lib.QueryCommand(query, false));
    EXPECT_EQ(query[0], 0);
    EXPECT_TRUE(rig.camera->TakeLog().empty());
}

TEST(CommandExchange, TriggerWaitBlockCarriesTheValue) {
    VirtualRig rig;
    DriverLib lib;
    lib.SelectDevicePath(0);
    lib.SendTriggerWait(5000);
    EXPECT_EQ(lib.triggerWait(), 5000);
    EXPECT_EQ(rig.camera->TriggerWait(), 5000u);
    EXPECT_EQ(rig.camera->OpenHandles(), 0);
}

TEST(DeviceIo, PathsTheVirtualCameraDoesNotServeGoToTheSystemDriver) {
    VirtualRig rig(0);
    DriverLib lib;
    lib.SelectDevicePath(9);
    // No driver is installed on the build machine (nor on POSIX at all).
    EXPECT_EQ(kvx::OpenDevice(lib.devicePath().text), nullptr);
    EXPECT_EQ(kvx::OpenDevice("\\\\.\\SomethingElse-0"), nullptr);
}

}  // namespace
