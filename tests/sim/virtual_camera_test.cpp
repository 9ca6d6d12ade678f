// The virtual camera's own rules: its configuration syntax and the parts of
// the driver protocol that it enforces on any caller.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/device_io.h"
#include "sim/camera_table.h"
#include "sim/driver_protocol.h"

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
    std::shared_ptr<kvx::sim::VirtualCamera> camera;
    kvx::platform::DeviceHandle device = nullptr;
};

TEST_F(ProtocolTest, FramesComeOnlyWhenArmedAndRequested) {
    ASSERT_TRUE(Send({0x09, 0x00, 0x10, 0x00, 0x00}));  // 4096 pixels
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
    ASSERT_TRUE(Send({0x09, 0x00, 0x00, 0x30, 0x00}));  // 3,145,728 pixels
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

TEST_F(ProtocolTest, AnUnpluggedCameraCannotBeOpenedAndItsHandlesFail) {
    camera->SetUnplugged(true);
    EXPECT_EQ(kvx::platform::DeviceOpen("\\\\.\\Kvex410qfxZQP-0"), nullptr);
    EXPECT_FALSE(Send({0x01}));
    camera->SetUnplugged(false);
    EXPECT_TRUE(Send({0x01}));
}

}  // namespace
