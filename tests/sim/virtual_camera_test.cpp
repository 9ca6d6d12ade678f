// The virtual camera's own rules: its configuration syntax and the parts of
// the driver protocol that it enforces on any caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "child_process.h"
#include "platform/device_io.h"
#include "sim/camera_table.h"
#include "sim/driver_protocol.h"
#include "sim/register_map.h"
#include "unique_name.h"

namespace reg = kvx::sim::reg;

namespace {

using kvx::sim::CameraList;
using kvx::sim::ParseSimulatorSetting;

TEST(SimulatorSetting, ListsDevicesWithOptions) {
    CameraList list;
    ASSERT_TRUE(ParseSimulatorSetting("0,2", &list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].first, 0);
    EXPECT_EQ(list[1].first, 2);
    EXPECT_FALSE(list[0].second.fastFrames);

    ASSERT_TRUE(ParseSimulatorSetting(" 0:fps=max , 31:variant=2:counter=0x10 ", &list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(list[0].second.fastFrames);
    EXPECT_EQ(list[1].first, 31);
    EXPECT_EQ(list[1].second.variant, 2);
    EXPECT_EQ(list[1].second.firstFrameCounter, 0x10u);

    ASSERT_TRUE(ParseSimulatorSetting("none", &list));
    EXPECT_TRUE(list.empty());

    list.push_back({5, {}});
    for (const char* bad : {"32", "-1", "0:fps=slow", "0:speed=1", "a", "0,,1", "0:variant=256"})
        EXPECT_FALSE(ParseSimulatorSetting(bad, &list)) << bad;
    EXPECT_EQ(list.size(), 1u);
}

struct ProtocolTest : ::testing::Test {
    void SetUp() override {
        kvx::sim::UnplugAll();
        kvx::sim::CameraOptions options;
        options.fastFrames = true;
        options.triggerBlock = wire;
        camera = kvx::sim::Plug(0, options);
        device = kvx::platform::DeviceOpen("\\\\.\\kvex410qfxzqp-0");
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override {
        kvx::platform::DeviceClose(device);
        kvx::sim::UnplugAll();
    }
    bool Send(std::vector<uint8_t> bytes, uint32_t code = kvx::sim::kIoctlPipeSend) {
        bytes.resize(64);
        uint32_t pipe = 0, returned = 0;
        return kvx::platform::DeviceControl(device, code, &pipe, 4, bytes.data(), 64, &returned) && returned == 64;
    }
    bool ReadImage(uint32_t bytes, uint32_t code, uint32_t* returned) {
        std::vector<uint8_t> buffer(bytes);
        uint32_t pipe = 2;
        return kvx::platform::DeviceControl(device, code, &pipe, 4, buffer.data(), bytes, returned);
    }
    bool WriteSensor(uint16_t address, uint8_t value) {
        return Send({kvx::sim::kSensorWrite, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), value});
    }
    bool WriteLogic(uint8_t address, uint8_t value) { return Send({kvx::sim::kLogicWrite, address, value}); }
    bool WriteControl(uint8_t address, uint8_t value) { return Send({kvx::sim::kControlWrite, address, value}); }
    // Both the driver and the logic learn the transfer size.
    void SetTransferSize(uint32_t pixels) {
        ASSERT_TRUE(Send({kvx::sim::kTransferSize, static_cast<uint8_t>(pixels), static_cast<uint8_t>(pixels >> 8),
                          static_cast<uint8_t>(pixels >> 16), static_cast<uint8_t>(pixels >> 24)}));
        for (uint8_t i = 0; i < 4; ++i)
            ASSERT_TRUE(WriteLogic(reg::logic::kTransferSize + i, static_cast<uint8_t>(pixels >> (8 * i))));
    }
    // Power, then the sensor's start-up registers.
    void StartUp() {
        ASSERT_TRUE(WriteControl(reg::control::kPower, 1));
        for (const auto& w : reg::sensor::kStartup) ASSERT_TRUE(WriteSensor(w.address, w.value));
        ASSERT_TRUE(camera->SensorAwake());
    }
    bool Query(std::vector<uint8_t> bytes, int reads, uint8_t* value) {
        if (!Send(std::move(bytes))) return false;
        std::vector<uint8_t> reply(64);
        uint32_t pipe = 1, returned = 0;
        for (int i = 0; i < reads; ++i)
            if (!kvx::platform::DeviceControl(device, kvx::sim::kIoctlPipeRead, &pipe, 4, reply.data(), 64, &returned))
                return false;
        *value = reply[0];
        return true;
    }
    std::string wire = kvx::test::UniqueName("KolvexSimWire");
    std::shared_ptr<kvx::sim::VirtualCamera> camera;
    kvx::platform::DeviceHandle device = nullptr;
};

TEST_F(ProtocolTest, FramesComeOnlyWhenArmedAndRequested) {
    StartUp();
    SetTransferSize(4096);
    uint32_t returned = 0;
    EXPECT_FALSE(ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned));
    ASSERT_TRUE(Send({0x02}));
    EXPECT_FALSE(ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned));  // not armed: the request was dropped
    ASSERT_TRUE(Send({0x01}));
    ASSERT_TRUE(Send({0x02}, kvx::sim::kIoctlPipeRead));  // either code carries a command
    EXPECT_TRUE(ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned));
    EXPECT_EQ(returned, 4096u);
}

TEST_F(ProtocolTest, LargeFramesNeedTheLargeTransferCode) {
    StartUp();
    SetTransferSize(3145728);
    ASSERT_TRUE(Send({0x01}));
    ASSERT_TRUE(Send({0x02}));
    uint32_t returned = 0;
    EXPECT_FALSE(ReadImage(3145728, kvx::sim::kIoctlPipeSend, &returned));
    ASSERT_TRUE(Send({0x02}));
    EXPECT_TRUE(ReadImage(3145728, kvx::sim::kIoctlPipeSendLarge, &returned));
    EXPECT_EQ(returned, 3145728u);
}

TEST_F(ProtocolTest, MalformedRequestsAreRefused) {
    std::vector<uint8_t> block(64, 0);
    uint32_t pipe = 0, returned = 0;
    EXPECT_FALSE(kvx::platform::DeviceControl(device, kvx::sim::kIoctlPipeSend, &pipe, 4, block.data(), 63, &returned));
    EXPECT_FALSE(kvx::platform::DeviceControl(device, kvx::sim::kIoctlPipeSend, &pipe, 2, block.data(), 64, &returned));
    EXPECT_FALSE(kvx::platform::DeviceControl(device, 0x222000, &pipe, 4, block.data(), 64, &returned));
    uint8_t wait[44] = {2};
    EXPECT_FALSE(kvx::platform::DeviceControl(device, kvx::sim::kIoctlTriggerWait, wait, 44, nullptr, 0, &returned));
    wait[0] = 1;
    EXPECT_FALSE(kvx::platform::DeviceControl(device, kvx::sim::kIoctlTriggerWait, wait, 40, nullptr, 0, &returned));
    EXPECT_TRUE(kvx::platform::DeviceControl(device, kvx::sim::kIoctlTriggerWait, wait, 44, nullptr, 0, &returned));
}

TEST_F(ProtocolTest, AnUnpluggedCameraCannotBeOpenedAndComesBackUnpowered) {
    StartUp();
    camera->SetUnplugged(true);
    EXPECT_EQ(kvx::platform::DeviceOpen("\\\\.\\Kvex410qfxZQP-0"), nullptr);
    EXPECT_FALSE(Send({0x01}));
    camera->SetUnplugged(false);
    EXPECT_TRUE(Send({0x01}));
    EXPECT_FALSE(camera->SensorAwake());
}

TEST_F(ProtocolTest, NoFrameBeforePowerAndStartUp) {
    SetTransferSize(4096);
    uint32_t returned = 0;
    auto frame = [&] { return Send({0x01}) && Send({0x02}) && ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned); };
    EXPECT_FALSE(frame());
    ASSERT_TRUE(WriteControl(reg::control::kPower, 1));
    // All start-up registers but the last: the sensor stays asleep.
    for (size_t i = 0; i + 1 < std::size(reg::sensor::kStartup); ++i)
        ASSERT_TRUE(WriteSensor(reg::sensor::kStartup[i].address, reg::sensor::kStartup[i].value));
    EXPECT_FALSE(frame());
    const auto& last = reg::sensor::kStartup[std::size(reg::sensor::kStartup) - 1];
    ASSERT_TRUE(WriteSensor(last.address, last.value));
    SetTransferSize(4096);  // a power-up restarts the logic's view as well
    EXPECT_TRUE(frame());
    EXPECT_EQ(returned, 4096u);
    // A new power-up puts it to sleep again.
    ASSERT_TRUE(WriteControl(reg::control::kPower, 1));
    EXPECT_FALSE(camera->SensorAwake());
    EXPECT_FALSE(frame());
}

TEST_F(ProtocolTest, FrameRequestsThatDisagreeWithTheLogicAreRefused) {
    StartUp();
    SetTransferSize(4096);
    uint32_t returned = 0;
    auto frame = [&](uint32_t bytes) {
        return Send({0x01}) && Send({0x02}) && ReadImage(bytes, kvx::sim::kIoctlPipeSend, &returned);
    };
    ASSERT_TRUE(frame(4096));
    // The driver was told another size than the logic.
    ASSERT_TRUE(Send({kvx::sim::kTransferSize, 0x00, 0x20, 0x00, 0x00}));
    EXPECT_FALSE(frame(8192));
    SetTransferSize(8192);
    ASSERT_TRUE(frame(8192));
    // Two bytes per pixel over the 8-bit interface.
    ASSERT_TRUE(Send({kvx::sim::kDepth, 0x00}));
    ASSERT_TRUE(WriteLogic(reg::logic::kDepth, 0x05));
    EXPECT_FALSE(frame(16384));
    ASSERT_TRUE(Send({kvx::sim::kDepth, 0x01}));
    ASSERT_TRUE(frame(16384));
    EXPECT_EQ(returned, 16384u);
}

TEST_F(ProtocolTest, AShortReadLeavesTheRestOfTheFrameForTheNext) {
    StartUp();
    SetTransferSize(4096);
    ASSERT_TRUE(Send({0x01}));
    ASSERT_TRUE(Send({0x02}));
    uint32_t returned = 0;
    ASSERT_TRUE(ReadImage(1000, kvx::sim::kIoctlPipeSend, &returned));
    EXPECT_EQ(returned, 1000u);
    // No new request: the rest comes first, and only the rest.
    ASSERT_TRUE(ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned));
    EXPECT_EQ(returned, 3096u);
    EXPECT_FALSE(ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned));
}

TEST_F(ProtocolTest, TheFirstReplyReadStillHoldsThePreviousAnswer) {
    StartUp();
    ASSERT_TRUE(WriteSensor(reg::sensor::kGainLow, 0x11));
    ASSERT_TRUE(WriteSensor(reg::sensor::kGainHigh, 0x01));
    const auto read = [](uint16_t address) {
        return std::vector<uint8_t>{kvx::sim::kSensorRead, static_cast<uint8_t>(address >> 8),
                                    static_cast<uint8_t>(address)};
    };
    uint8_t value = 0;
    ASSERT_TRUE(Query(read(reg::sensor::kGainLow), 2, &value));
    EXPECT_EQ(value, 0x11);
    // A layer that reads the reply once gets the answer before.
    ASSERT_TRUE(Query(read(reg::sensor::kGainHigh), 1, &value));
    EXPECT_EQ(value, 0x11);
    ASSERT_TRUE(Query(read(reg::sensor::kGainHigh), 2, &value));
    EXPECT_EQ(value, 0x01);
}

TEST_F(ProtocolTest, SensorWritesApplyAtTheHoldsReleaseOrTheNextFrame) {
    StartUp();
    SetTransferSize(4096);
    using namespace reg::sensor;
    ASSERT_TRUE(WriteSensor(kUpdateHold, 1));
    ASSERT_TRUE(WriteSensor(kWindowWidth, 0x40));
    ASSERT_TRUE(WriteSensor(kWindowHeight, 0x10));
    // Read back as written, but the sensor still works with the old values.
    EXPECT_EQ(camera->SensorRegister(kWindowWidth), 0x40);
    EXPECT_EQ(camera->ActiveSensorRegister(kWindowWidth), 0x00);
    ASSERT_TRUE(WriteSensor(kUpdateHold, 0));
    EXPECT_EQ(camera->ActiveSensorRegister(kWindowWidth), 0x40);
    EXPECT_EQ(camera->ActiveSensorRegister(kWindowHeight), 0x10);

    // Outside the hold a write waits for the start of the next frame.
    ASSERT_TRUE(WriteSensor(kGainLow, 0x22));
    EXPECT_EQ(camera->ActiveSensorRegister(kGainLow), 0x00);
    ASSERT_TRUE(Send({0x01}));
    ASSERT_TRUE(Send({0x02}));
    uint32_t returned = 0;
    ASSERT_TRUE(ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned));
    EXPECT_EQ(camera->ActiveSensorRegister(kGainLow), 0x22);
}

TEST_F(ProtocolTest, WritesFailByAddressOrAfterACount) {
    StartUp();
    camera->FailWritesTo(reg::sensor::kMirror);
    EXPECT_FALSE(WriteSensor(reg::sensor::kMirror, 3));
    EXPECT_TRUE(WriteSensor(reg::sensor::kGainLow, 3));
    camera->FailWritesTo(-1);
    EXPECT_TRUE(WriteSensor(reg::sensor::kMirror, 3));
    camera->FailWritesAfter(2);
    EXPECT_TRUE(WriteLogic(reg::logic::kIoPort, 1));
    EXPECT_TRUE(WriteControl(reg::control::kUpdate, 1));
    EXPECT_FALSE(WriteSensor(reg::sensor::kGainLow, 4));
    EXPECT_FALSE(WriteLogic(reg::logic::kIoPort, 2));
    EXPECT_EQ(camera->LogicRegister(reg::logic::kIoPort), 1);
    camera->FailWritesAfter(-1);
    EXPECT_TRUE(WriteSensor(reg::sensor::kGainLow, 4));
}

TEST_F(ProtocolTest, ACancelEndsAReadThatWouldNeverReturn) {
    StartUp();
    SetTransferSize(4096);
    camera->SetStalled(true);
    ASSERT_TRUE(Send({0x01}));
    ASSERT_TRUE(Send({0x02}));
    // A cancel with nothing pending has no effect on later reads.
    kvx::platform::DeviceCancel(device);
    std::atomic<bool> read{true};
    std::thread reader([&] {
        uint32_t returned = 0;
        read = ReadImage(4096, kvx::sim::kIoctlPipeSend, &returned);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    // Repeated, as a caller racing the request does, until the read is out.
    while (read) {
        kvx::platform::DeviceCancel(device);
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!read) break;
    }
    reader.join();
    EXPECT_FALSE(read);
}

TEST_F(ProtocolTest, APowerUpInAnotherProcessRestartsTheCameraHereToo) {
    StartUp();
    EXPECT_EQ(kvx::test::RunChild({"sim-power", wire, "0"}), 0);
    EXPECT_FALSE(camera->SensorAwake());
}

}  // namespace
