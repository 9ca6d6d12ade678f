// Raw sensor registers, the serial ROM and the IO port, seen from the
// virtual camera's side.
#include <climits>

#include "parameter_fixture.h"
#include "sim/register_map.h"

namespace {

using kvx::test::ParameterTest;
namespace reg = kvx::sim::reg;

class DeviceAccess : public ParameterTest {
protected:
    kvx::sim::VirtualCamera& Camera() const { return *sandbox_.Camera(0); }
};

TEST_F(DeviceAccess, NarrowRegisterCallsUseTheLowEightAddressBitsAndExCallsAllSixteen) {
    EXPECT_EQ(Kolvex_WriteRegisterEx(handle_, 0x1FF, 0xAB), 1);
    EXPECT_EQ(Kolvex_WriteRegister(handle_, 0x1FF, 0x12), 1);
    EXPECT_EQ(Camera().SensorRegister(0x1FF), 0xAB);
    EXPECT_EQ(Camera().SensorRegister(0x0FF), 0x12);
    int ok = 0;
    EXPECT_EQ(Kolvex_ReadRegister(handle_, 0x1FF, &ok), 0x12);
    EXPECT_EQ(ok, 1);
    ok = 0;
    EXPECT_EQ(Kolvex_ReadRegisterEx(handle_, 0x1FF, &ok), 0xAB);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(DeviceAccess, ExAddressesBeyondSixteenBitsAreRefusedRatherThanAliased) {
    const uint8_t before = Camera().SensorRegister(reg::sensor::kGainLow);
    for (int address : {0x10404, -1, INT_MIN}) {
        EXPECT_EQ(Kolvex_WriteRegisterEx(handle_, address, 0x55), 0) << address;
        int ok = -1;
        EXPECT_EQ(Kolvex_ReadRegisterEx(handle_, address, &ok), 0) << address;
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(TakeReported(), (kvx::test::Reported{{9, 9}, {9, 9}})) << address;
    }
    EXPECT_EQ(Camera().SensorRegister(reg::sensor::kGainLow), before);
}

TEST_F(DeviceAccess, FailedRegisterAccessRecordsSix) {
    Camera().FailReplyReads(-1);
    int ok = -1;
    EXPECT_EQ(Kolvex_ReadRegisterEx(handle_, reg::sensor::kGainLow, &ok), 0);
    EXPECT_EQ(ok, 0);
    Camera().FailReplyReads(0);
    Camera().SetUnplugged(true);
    EXPECT_EQ(Kolvex_WriteRegister(handle_, 0x04, 1), 0);
    Camera().SetUnplugged(false);
    EXPECT_EQ(TakeReported(), (kvx::test::Reported{{6, 6}, {6, 6}}));
}

TEST_F(DeviceAccess, SerialRomBytesAreReadAndWrittenInTheIdArea) {
    EXPECT_EQ(Kolvex_WriteSromID(handle_, 0x10, 0x5A), 1);
    EXPECT_EQ(Camera().RomByte(reg::rom::kIdArea + 0x10), 0x5A);
    int ok = 0;
    EXPECT_EQ(Kolvex_ReadSromID(handle_, 0x10, &ok), 0x5A);
    EXPECT_EQ(ok, 1);
    // Reads reach the rest of the ROM above the ID area: the variant byte.
    EXPECT_EQ(Kolvex_ReadSromID(handle_, reg::rom::kVariant - reg::rom::kIdArea, &ok), 1);
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(DeviceAccess, SerialRomOffsetsThatWouldWrapAreRefusedAndOnlyAnnounced) {
    const uint8_t first = Camera().RomByte(reg::rom::kIdArea), next = Camera().RomByte(reg::rom::kIdArea + 0x100);
    // The write command holds one byte of offset: 0x100 must not land on the first byte.
    EXPECT_EQ(Kolvex_WriteSromID(handle_, 0x100, 0x77), 0);
    EXPECT_EQ(Kolvex_WriteSromID(handle_, -1, 0x77), 0);
    EXPECT_EQ(Camera().RomByte(reg::rom::kIdArea), first);
    EXPECT_EQ(Camera().RomByte(reg::rom::kIdArea + 0x100), next);
    for (int offset : {-1, 0x10000 - reg::rom::kIdArea, INT_MAX}) {
        int ok = -1;
        EXPECT_EQ(Kolvex_ReadSromID(handle_, offset, &ok), 0) << offset;
        EXPECT_EQ(ok, 0);
    }
    Camera().FailReplyReads(-1);
    EXPECT_EQ(Kolvex_ReadSromID(handle_, 0, nullptr), 0);
    Camera().FailReplyReads(0);
    EXPECT_EQ(TakeReported(), (kvx::test::Reported{{}, {1, 1, 1, 1, 1, 1}}));
}

TEST_F(DeviceAccess, TheIoPortIsLogicRegisterSeven) {
    EXPECT_EQ(Kolvex_SetIOPort(handle_, 0x5A), 1);
    EXPECT_EQ(Camera().LogicRegister(0x07), 0x5A);
    unsigned char port = 0;
    EXPECT_EQ(Kolvex_GetIOPort(handle_, &port, 123, 456), 1);
    EXPECT_EQ(port, 0x5A);
    EXPECT_EQ(Kolvex_GetIOPort(handle_, nullptr, 0, 0), 0);
    EXPECT_EQ(TakeReported(), PostedOnly(KOLVEX_ERR_ARGUMENT));
    // The write's own result comes back, without a report.
    Camera().SetUnplugged(true);
    EXPECT_EQ(Kolvex_SetIOPort(handle_, 1), 0);
    Camera().SetUnplugged(false);
    EXPECT_EQ(TakeReported(), Nothing());
}

}  // namespace
