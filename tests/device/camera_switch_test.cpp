// The device object moving between cameras, and cameras that come and go:
// each camera gets what it needs before its first frame.
#include <gtest/gtest.h>

#include <vector>

#include "device/kolvex_410qfx_zqp_sdk.h"
#include "sim/register_map.h"
#include "virtual_rig.h"

namespace {

using kvx::CKolvex410QFXZQPSdk;
using kvx::test::VirtualRig;
using Programming = CKolvex410QFXZQPSdk::Programming;
namespace reg = kvx::sim::reg;

uint32_t LogicTransferSize(kvx::sim::VirtualCamera& camera) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | camera.LogicRegister(static_cast<uint8_t>(reg::logic::kTransferSize + i));
    return v;
}

void UnityExposure(CKolvex410QFXZQPSdk& model) { model.SetExposureLines(1500); }

TEST(CameraSwitch, TheNewCameraGetsTheTransferSizeInItsLogic) {
    VirtualRig rig(0);
    kvx::sim::CameraOptions options;
    options.fastFrames = true;
    options.triggerBlock = rig.triggerBlock;
    auto second = kvx::sim::Plug(2, options);
    CKolvex410QFXZQPSdk model;
    EXPECT_EQ(LogicTransferSize(*rig.camera), 3145728u);
    // Same geometry on another camera: its logic has never heard of it.
    ASSERT_EQ(model.SelectDevice(2), 0);
    EXPECT_EQ(LogicTransferSize(*second), 3145728u);
    UnityExposure(model);
    EXPECT_EQ(model.ReadSingleFrame(), 0);
    model.CloseSingleFrame();
}

TEST(CameraSwitch, ACameraAbsentAtConstructionIsInitialisedWhenItIsSelected) {
    kvx::sim::UnplugAll();
    CKolvex410QFXZQPSdk model;  // nothing answers: every write of the table fails
    EXPECT_TRUE(model.initNeeded());
    VirtualRig rig(0);
    EXPECT_TRUE(model.ProbeDevice(0));
    // Selecting the same number again still writes the table that never
    // arrived.
    ASSERT_EQ(model.SelectDevice(0), 0);
    EXPECT_FALSE(model.initNeeded());
    EXPECT_TRUE(rig.camera->SensorAwake());
    UnityExposure(model);
    EXPECT_EQ(model.ReadSingleFrame(), 0);
    model.CloseSingleFrame();
}

TEST(CameraSwitch, ATableCutShortByAFailedWriteIsWrittenAgain) {
    VirtualRig rig(0);
    rig.camera->FailWritesAfter(100);
    CKolvex410QFXZQPSdk model;
    EXPECT_TRUE(model.initNeeded());
    EXPECT_FALSE(rig.camera->SensorAwake());
    rig.camera->FailWritesAfter(-1);
    EXPECT_EQ(model.ProgramIfNeeded(), Programming::Done);
    EXPECT_TRUE(rig.camera->SensorAwake());
    EXPECT_EQ(model.ProgramIfNeeded(), Programming::NotNeeded);
}

TEST(CameraSwitch, ACameraThatCameBackDuringAStreamIsProgrammedAgain) {
    VirtualRig rig(0);
    CKolvex410QFXZQPSdk model;
    UnityExposure(model);
    ASSERT_EQ(model.StartTransfer(), 0);
    rig.camera->SetUnplugged(true);
    ASSERT_TRUE(kvx::test::WaitUntil([&] { return model.WaitFrame() == 1; }));
    EXPECT_NE(model.StopTransfer(), 0);
    rig.camera->SetUnplugged(false);
    // The transfer broke off: whatever the camera held is not trusted.
    EXPECT_EQ(model.ProgramIfNeeded(), Programming::Done);
    UnityExposure(model);
    std::vector<uint8_t> frame(2048u * 1536u);
    ASSERT_EQ(model.StartTransfer(), 0);
    int result = 2;
    ASSERT_TRUE(kvx::test::WaitUntil([&] { return (result = model.WaitFrame()) != 2; }));
    EXPECT_EQ(result, 3);
    EXPECT_EQ(model.ReadFrame(frame.data()), 0);
    EXPECT_EQ(model.StopTransfer(), 0);
}

TEST(CameraSwitch, CommandsWithheldByTheGateNeverReachTheCamera) {
    VirtualRig rig(0);
    CKolvex410QFXZQPSdk model;
    bool allowed = false;
    model.SetCommandGate([&](int) { return allowed; });
    rig.camera->StartLog();
    EXPECT_EQ(model.SelectDevice(0), 0);
    EXPECT_EQ(model.SetGain(7), 0);
    uint8_t value = 0xEE;
    EXPECT_EQ(model.ReadSensorRegister(reg::sensor::kGainLow, &value), 0);
    EXPECT_TRUE(rig.camera->TakeLog().empty());
    allowed = true;
    EXPECT_EQ(model.SetGain(7), 1);
    EXPECT_EQ(rig.camera->SensorRegister(reg::sensor::kGainLow), 7);
}

}  // namespace
