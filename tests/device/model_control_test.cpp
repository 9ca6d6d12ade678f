// What the model class writes to the camera, read back from the virtual
// camera's log in order.
#include <gtest/gtest.h>

#include <vector>

#include "device/kolvex_410qfx_zqp_sdk.h"
#include "sim/register_map.h"
#include "virtual_rig.h"

namespace {

namespace S = kvx::sim::reg::sensor;
namespace L = kvx::sim::reg::logic;

using kvx::CKolvex410QFXZQPSdk;
using kvx::test::LastWrite;
using kvx::test::LogicWrites;
using kvx::test::SensorWrites;
using kvx::test::VirtualRig;
using kvx::test::Write;
using Kind = kvx::sim::LogEntry::Kind;

uint32_t Logic32(const std::vector<Write>& logic, int first) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint32_t>(LastWrite(logic, first + i));
    return v;
}

int Sensor24(const std::vector<Write>& sensor, int first) {
    return LastWrite(sensor, first) | LastWrite(sensor, first + 1) << 8 | LastWrite(sensor, first + 2) << 16;
}

struct ModelTest : ::testing::Test {
    VirtualRig rig;
    void SetUp() override { rig.camera->StartLog(); }
};

TEST_F(ModelTest, ConstructionInitialisesTheSensorOnceAndSelectsTheFullFrame) {
    CKolvex410QFXZQPSdk model;
    auto log = rig.camera->TakeLog();
    // Power on, then the sensor table; the table's last three writes come
    // after a pause.
    std::vector<const kvx::sim::LogEntry*> table;
    size_t powerAt = log.size();
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].kind == Kind::Command && log[i].code == 0x0E && log[i].address == 0x20 && powerAt == log.size())
            powerAt = i;
        if (powerAt < log.size() && table.size() < 216 && log[i].kind == Kind::Command && log[i].code == 0x04)
            table.push_back(&log[i]);
    }
    ASSERT_LT(powerAt, log.size());
    ASSERT_EQ(table.size(), 216u);
    EXPECT_GE(table[0]->at - log[powerAt].at, std::chrono::milliseconds(300));
    EXPECT_EQ(table[0]->address, 0x205);
    EXPECT_EQ(table[0]->value, 0x20u);
    EXPECT_EQ(table[215]->address, 0x2AE);
    EXPECT_GE(table[213]->at - table[212]->at, std::chrono::milliseconds(2));
    EXPECT_EQ(table[212]->address, 0x200);
    // Three groups of eight at 0xFC3 + 12 i.
    for (int group = 0; group < 3; ++group) {
        const int base = 0xFC3 + 12 * group;
        const int offsets[8] = {0, 1, 3, 5, 7, 9, 10, 11};
        const int values[8] = {1, 100 + group, 110 + group, 23 + group, 38 + group, 157 + group, 1, 172 + group};
        for (int k = 0; k < 8; ++k) EXPECT_EQ(rig.camera->SensorRegister(static_cast<uint16_t>(base + offsets[k])), values[k]);
    }

    EXPECT_EQ(model.GetDeviceNumber(), 0);
    EXPECT_EQ(rig.camera->SensorRegister(S::kMirror), 0x03);  // no mirrors
    EXPECT_EQ(rig.camera->SensorRegister(S::kTriggerMode), 0x00);  // free running
    EXPECT_EQ(rig.camera->LogicRegister(L::kDepth), 0x04);     // 8-bit

    // Selecting the same device again does not repeat the table; another does.
    rig.camera->StartLog();
    EXPECT_EQ(model.SelectDevice(0), 0);
    EXPECT_LT(SensorWrites(rig.camera->TakeLog()).size(), 216u);
    kvx::sim::Plug(1, {});
    auto second = kvx::sim::FindCamera(1);
    second->StartLog();
    EXPECT_EQ(model.SelectDevice(1), 0);
    EXPECT_GE(SensorWrites(second->TakeLog()).size(), 216u);
    EXPECT_EQ(model.SelectDevice(32), 22);
}

TEST_F(ModelTest, FullFrameGeometryProgramsTheWindowUnderUpdateHold) {
    CKolvex410QFXZQPSdk model;
    model.SetFrameGeometry(0, 0, 1024, 768, 0);  // so the full frame is a change again
    rig.camera->StartLog();
    ASSERT_EQ(model.SetFrameGeometry(0, 0, 2048, 1536, 0), 0);
    auto log = rig.camera->TakeLog();
    auto sensor = SensorWrites(log);
    ASSERT_FALSE(sensor.empty());
    EXPECT_EQ(sensor.front(), Write(S::kUpdateHold, 1));
    EXPECT_EQ(LastWrite(sensor, S::kWindowX) | LastWrite(sensor, S::kWindowX + 1) << 8, 8);
    EXPECT_EQ(LastWrite(sensor, S::kWindowY) | LastWrite(sensor, S::kWindowY + 1) << 8, 8);
    EXPECT_EQ(LastWrite(sensor, S::kWindowWidth) | LastWrite(sensor, S::kWindowWidth + 1) << 8, 2048);
    EXPECT_EQ(LastWrite(sensor, S::kWindowHeight) | LastWrite(sensor, S::kWindowHeight + 1) << 8, 1536);
    EXPECT_EQ(LastWrite(sensor, S::kWindowEnable), 0x03);
    EXPECT_EQ(LastWrite(sensor, S::kReadoutMode), 0x00);
    EXPECT_EQ(LastWrite(sensor, S::kLineLength) | LastWrite(sensor, S::kLineLength + 1) << 8, 3384);
    EXPECT_EQ(model.lineLength(), 3384);
    // The hold is released as: control 0x60 <- 0, sensor 0x0208 <- 0, control 0x60 <- 1.
    std::vector<std::pair<int, int>> tail;
    for (const auto& e : log)
        if (e.kind == Kind::Command && (e.code == 0x0E || (e.code == 0x04 && e.address == S::kUpdateHold)))
            tail.push_back({e.code == 0x0E ? -e.address : e.address, static_cast<int>(e.value)});
    ASSERT_EQ(tail.size(), 4u);
    EXPECT_EQ(tail[1], std::make_pair(-0x60, 0));
    EXPECT_EQ(tail[2], Write(S::kUpdateHold, 0));
    EXPECT_EQ(tail[3], std::make_pair(-0x60, 1));

    EXPECT_EQ(model.transferSize(), 3145728);
    EXPECT_EQ(Logic32(LogicWrites(log), L::kTransferSize), 3145728u);
    EXPECT_EQ(rig.camera->TransferSize(), 3145728u);
    EXPECT_EQ(model.largeTransfer(), 1);
    EXPECT_EQ(model.pitch(), 2048);
    EXPECT_EQ(model.rows(), 1536);
}

TEST_F(ModelTest, SubsampledGeometryCutsTheRegionOutOf1032PixelLines) {
    CKolvex410QFXZQPSdk model;
    rig.camera->StartLog();
    ASSERT_EQ(model.SetFrameGeometry(0, 0, 2048, 1536, 1), 0);
    auto sensor = SensorWrites(rig.camera->TakeLog());
    EXPECT_EQ(LastWrite(sensor, S::kReadoutMode), 0x11);
    EXPECT_EQ(LastWrite(sensor, S::kWindowEnable), 0x00);
    EXPECT_EQ(LastWrite(sensor, S::kLineLength) | LastWrite(sensor, S::kLineLength + 1) << 8, 1692);
    EXPECT_EQ(model.pitch(), 1032);
    EXPECT_EQ(model.xOffset(), 4);
    EXPECT_EQ(model.yOffset(), 4);
    EXPECT_EQ(model.width(), 1024);
    EXPECT_EQ(model.height(), 768);
    EXPECT_EQ(model.rows(), 772);
    EXPECT_EQ(model.transferSize(), 797696);
    EXPECT_EQ(model.largeTransfer(), 0);
    EXPECT_EQ(model.lastLine(), 776);
}

TEST_F(ModelTest, RefusedGeometriesChangeNothing) {
    CKolvex410QFXZQPSdk model;
    rig.camera->StartLog();
    EXPECT_EQ(model.SetFrameGeometry(1, 0, 2048, 1536, 0), 1);
    EXPECT_EQ(model.SetFrameGeometry(0, 0, 3, 1536, 0), 1);
    EXPECT_EQ(model.SetFrameGeometry(0, 0, 2048, 2, 0), 1);
    EXPECT_EQ(model.SetFrameGeometry(0, 1, 2048, 1536, 0), 1);
    EXPECT_EQ(model.SetFrameGeometry(-4, 0, 64, 64, 0), 1);
    EXPECT_EQ(model.SetFrameGeometry(0, 0, 64, 64, 2), 1);
    EXPECT_TRUE(rig.camera->TakeLog().empty());
    EXPECT_EQ(model.width(), 2048);
}

TEST_F(ModelTest, ExposureSetsTimerFrameLengthAndShutterOffset) {
    CKolvex410QFXZQPSdk model;
    rig.camera->StartLog();
    EXPECT_EQ(model.SetExposureLines(1500), 1);
    auto log = rig.camera->TakeLog();
    EXPECT_EQ(Logic32(LogicWrites(log), L::kExposureTimer), 3417495u);
    EXPECT_EQ(Sensor24(SensorWrites(log), S::kFrameLength), 1816);
    EXPECT_EQ(Sensor24(SensorWrites(log), S::kShutterOffset), 316);

    rig.camera->StartLog();
    model.SetExposureLines(1);
    EXPECT_EQ(Logic32(LogicWrites(rig.camera->TakeLog()), L::kExposureTimer), 1792u);

    // Beyond the minimum frame the frame grows with the exposure.
    rig.camera->StartLog();
    model.SetExposureLines(5000);
    log = rig.camera->TakeLog();
    EXPECT_EQ(Sensor24(SensorWrites(log), S::kFrameLength), 5000);
    EXPECT_EQ(Sensor24(SensorWrites(log), S::kShutterOffset), 10);
    // The value is taken as 16 bits.
    model.SetExposureLines(0x10000 + 1200);
    uint16_t lines = 0;
    model.GetExposureLines(&lines);
    EXPECT_EQ(lines, 1200);
}

TEST_F(ModelTest, MirrorsGainTriggerAndDepthRegisters) {
    CKolvex410QFXZQPSdk model;
    rig.camera->StartLog();
    EXPECT_EQ(model.SetMirrorH(1), 0);
    EXPECT_EQ(model.SetMirrorV(1), 0);
    EXPECT_EQ(model.SetMirrorH(0), 0);
    auto mirror = SensorWrites(rig.camera->TakeLog());
    EXPECT_EQ(mirror, (std::vector<Write>{{S::kMirror, 0x01}, {S::kMirror, 0x00}, {S::kMirror, 0x02}}));

    EXPECT_EQ(model.SetGain(300), 1);
    EXPECT_EQ(rig.camera->SensorRegister(S::kGainLow), 300 & 0xFF);
    EXPECT_EQ(rig.camera->SensorRegister(S::kGainHigh), 1);
    EXPECT_EQ(model.GetGain(), 300);

    EXPECT_EQ(model.SetTriggerMode(1), 1);
    EXPECT_EQ(rig.camera->SensorRegister(S::kTriggerMode), 1);
    EXPECT_EQ(rig.camera->LogicRegister(L::kTrigger), 0x11);
    EXPECT_EQ(model.GetTriggerMode(), 1);

    EXPECT_EQ(model.SetSixteenBit(1), 1);
    EXPECT_EQ(rig.camera->LogicRegister(L::kDepth), 0x05);
    EXPECT_EQ(model.sixteenBit(), 1);

    // A camera that has gone away keeps the old flags.
    rig.camera->SetUnplugged(true);
    EXPECT_EQ(model.SetMirrorV(0), -1);
    EXPECT_EQ(model.GetMirrorV(), 1);
    EXPECT_EQ(model.SetGain(10), 0);
    EXPECT_EQ(model.GetGain(), 0);
    EXPECT_EQ(model.SetTriggerMode(0), 0);
    EXPECT_EQ(model.GetTriggerMode(), 1);
}

TEST_F(ModelTest, SerialRomAndRawRegisters) {
    CKolvex410QFXZQPSdk model;
    uint8_t value = 0x77;
    rig.camera->StartLog();
    EXPECT_EQ(model.ReadSromByteAt(kvx::sim::reg::rom::kIdArea - 1, &value), 0);
    EXPECT_EQ(value, 0x77);
    EXPECT_TRUE(rig.camera->TakeLog().empty());

    EXPECT_EQ(model.ReadSromByteAt(kvx::sim::reg::rom::kVariant, &value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(model.WriteSromByte(0x20, 0xA5), 1);
    EXPECT_EQ(rig.camera->RomByte(kvx::sim::reg::rom::kIdArea + 0x20), 0xA5);
    EXPECT_EQ(model.ReadSromByte(0x20, &value), 1);
    EXPECT_EQ(value, 0xA5);
    EXPECT_EQ(model.WriteSromByte(0x100, 1), 0);

    EXPECT_EQ(model.WriteSensorRegister(0x1234, 0x56), 1);
    EXPECT_EQ(model.ReadSensorRegister(0x1234, &value), 1);
    EXPECT_EQ(value, 0x56);
    EXPECT_EQ(model.WriteLogicRegister(CKolvex410QFXZQPSdk::kIoPortRegister, 0x3C), 1);
    EXPECT_EQ(model.ReadLogicRegister(CKolvex410QFXZQPSdk::kIoPortRegister, &value), 1);
    EXPECT_EQ(value, 0x3C);
    EXPECT_EQ(model.WriteControlRegister(0x33, 0x44), 1);
    EXPECT_EQ(rig.camera->ControlRegister(0x33), 0x44);

    rig.camera->FailReplyReads(-1);
    value = 0x77;
    EXPECT_EQ(model.ReadSensorRegister(0x1234, &value), 0);
    EXPECT_EQ(value, 0);
}

TEST_F(ModelTest, VariantAndLimits) {
    CKolvex410QFXZQPSdk model;
    EXPECT_EQ(model.SetVariant(2), 1);
    EXPECT_EQ(model.variant(), 2);
    EXPECT_EQ(model.SetVariant(3), 1);
    EXPECT_EQ(model.variant(), 1);
    EXPECT_EQ(model.GetMaxGain(), 480);
    EXPECT_EQ(model.GetMaxExposureLines(), 32767);
    EXPECT_EQ(model.GetDefaultExposureLines(), 1561);
    uint8_t clock = 9;
    EXPECT_EQ(model.GetClock(&clock), 1);
    EXPECT_EQ(clock, 9);
}

}  // namespace
