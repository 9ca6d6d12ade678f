// The numbered parameters, the output format, exposure in microseconds,
// mirrors and the automatic exposure mode, through the C interface on a
// virtual camera.
#include <climits>

#include "device/kolvex_410qfx_zqp_sdk.h"
#include "parameter_fixture.h"
#include "sim/register_map.h"

namespace {

using kvx::test::ParameterTest;
namespace reg = kvx::sim::reg;

class Parameters : public ParameterTest {
protected:
    uint8_t Sensor(uint16_t address) const { return sandbox_.Camera(0)->SensorRegister(address); }
    const std::array<int32_t, kvx::kAnalogBlockSize>& Analog() const { return Object()->analog(); }
};

struct Range {
    int id;
    int min;
    int max;
};

// Every parameter that is only stored for the conversion, with its bounds.
constexpr Range kStoredRanges[] = {
    {1, -255, 255}, {2, -127, 127}, {3, -360, 360}, {4, -255, 255}, {5, 0, 30},     {7, 0, 400},
    {8, 0, 400},    {9, 0, 400},    {11, 0, 200},   {12, 0, 3},     {19, 0, 2},     {20, 0, 255},
    {21, 0, 255},   {22, 0, 255},   {23, 0, 255},   {24, -255, 255}, {25, -255, 255}, {26, -255, 255},
    {27, -255, 255}, {28, 0, 1},
};

TEST_F(Parameters, StoredParametersTakeTheirBoundsAndRecordNineBeyondThem) {
    for (const Range& r : kStoredRanges) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(Kolvex_SetFilterValue(handle_, r.id, r.min), 1);
        EXPECT_EQ(Get(r.id), r.min);
        EXPECT_EQ(Kolvex_SetFilterValue(handle_, r.id, r.max), 1);
        EXPECT_EQ(Get(r.id), r.max);
        EXPECT_EQ(TakeReported(), Nothing());
        // Just outside, and the extremes that a careless range test would
        // wrap into range (ranges from 0 fail every negative value).
        for (int rejected : {r.min - 1, r.max + 1, INT_MIN, INT_MAX, -1}) {
            if (rejected >= r.min && rejected <= r.max) continue;
            EXPECT_EQ(Kolvex_SetFilterValue(handle_, r.id, rejected), 0) << rejected;
            EXPECT_EQ(TakeReported(), RecordedAndPosted(KOLVEX_ERR_ARGUMENT)) << rejected;
            EXPECT_EQ(Get(r.id), r.max) << rejected;
        }
    }
}

TEST_F(Parameters, PackedBayerGainsSplitIntoBytesAndReadBackTheirLowBytes) {
    EXPECT_EQ(Kolvex_SetBayerGainRGB(handle_, 0xC86432), 1);
    EXPECT_EQ(Get(7), 50);
    EXPECT_EQ(Get(8), 100);
    EXPECT_EQ(Get(9), 200);
    EXPECT_EQ(Get(6), 0xC86432);
    // The top byte is not a gain and is ignored.
    EXPECT_EQ(Kolvex_SetBayerGainRGB(handle_, static_cast<int>(0xFF010203u)), 1);
    EXPECT_EQ(Get(6), 0x010203);
    EXPECT_EQ(Kolvex_SetBayerGainRed(handle_, 300), 1);
    EXPECT_EQ(Get(6), 0x010200 | (300 % 256));
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(Parameters, BayerGainAutoIsStoredAsAFlag) {
    EXPECT_EQ(Kolvex_SetBayerGainAuto(handle_, -7), 1);
    EXPECT_EQ(Get(10), 1);
    EXPECT_EQ(Object()->filter()[kvx::kAutoWhiteBalance], 1);
    EXPECT_EQ(Kolvex_SetBayerGainAuto(handle_, 0), 1);
    EXPECT_EQ(Get(10), 0);
}

TEST_F(Parameters, GlobalGainReachesTheSensorAndEveryColourGain) {
    EXPECT_EQ(Kolvex_SetGlobalGain(handle_, 480), 1);
    EXPECT_EQ(Sensor(reg::sensor::kGainLow), 480 & 0xFF);
    EXPECT_EQ(Sensor(reg::sensor::kGainHigh), 1);
    EXPECT_EQ(Get(13), 480);
    for (int index : {kvx::kGlobalGain, kvx::kColorGainGreen1, kvx::kColorGainRed, kvx::kColorGainBlue,
                      kvx::kColorGainGreen2})
        EXPECT_EQ(Analog()[static_cast<size_t>(index)], 480) << index;
    for (int rejected : {481, -1, INT_MIN}) {
        EXPECT_EQ(Kolvex_SetGlobalGain(handle_, rejected), 0);
        EXPECT_EQ(TakeReported(), RecordedAndPosted(KOLVEX_ERR_ARGUMENT));
    }
    EXPECT_EQ(Get(13), 480);
    EXPECT_EQ(Analog()[kvx::kGlobalGain], 480);
}

TEST_F(Parameters, ColourGainsAcceptOnlyZeroAndAlwaysReadZero) {
    ASSERT_EQ(Kolvex_SetGlobalGain(handle_, 200), 1);
    const struct {
        int id;
        int index;
    } gains[] = {{14, kvx::kColorGainRed}, {15, kvx::kColorGainGreen1}, {16, kvx::kColorGainGreen2},
                 {17, kvx::kColorGainBlue}};
    for (const auto& g : gains) {
        SCOPED_TRACE(g.id);
        EXPECT_EQ(Get(g.id), 0);
        EXPECT_EQ(Kolvex_SetFilterValue(handle_, g.id, 1), 0);
        EXPECT_EQ(TakeReported(), RecordedAndPosted(KOLVEX_ERR_ARGUMENT));
        EXPECT_EQ(Analog()[static_cast<size_t>(g.index)], 200);
        EXPECT_EQ(Kolvex_SetFilterValue(handle_, g.id, 0), 1);
        EXPECT_EQ(Analog()[static_cast<size_t>(g.index)], 0);
    }
    // The sensor gain is the global one and stays.
    EXPECT_EQ(Get(13), 200);
}

TEST_F(Parameters, ExposureLinesReachTheSensorTimingWithinOneTo32767) {
    EXPECT_EQ(Kolvex_SetExposureTime(handle_, 0), 0);
    EXPECT_EQ(Kolvex_SetExposureTime(handle_, 32768), 0);
    EXPECT_EQ(TakeReported(), (kvx::test::Reported{{9, 9}, {9, 9}}));
    EXPECT_EQ(Kolvex_SetExposureTime(handle_, 32767), 1);
    EXPECT_EQ(Get(18), 32767);
    EXPECT_EQ(Analog()[kvx::kExposureLines], 32767);
    // Longer than the frame: the frame stretches to the exposure.
    EXPECT_EQ(Sensor(reg::sensor::kFrameLength), 0xFF);
    EXPECT_EQ(Sensor(reg::sensor::kFrameLength + 1), 0x7F);
    EXPECT_EQ(Kolvex_SetExposureTime(handle_, 1), 1);
    EXPECT_EQ(Get(18), 1);
}

TEST_F(Parameters, IdentifiersOutsideOneToTwentyEightAreRefused) {
    for (int id : {0, 29, -1, INT_MIN, INT_MAX}) {
        int ok = -1;
        EXPECT_EQ(Kolvex_GetFilterValue(handle_, id, &ok), 0) << id;
        EXPECT_EQ(ok, 0) << id;
        EXPECT_EQ(Kolvex_SetFilterValue(handle_, id, 0), 0) << id;
        EXPECT_EQ(TakeReported(), (kvx::test::Reported{{9, 9}, {9, 9}})) << id;
    }
    // The ok flag may be left out.
    EXPECT_EQ(Kolvex_GetFilterValue(handle_, 1, nullptr), 0);
    EXPECT_EQ(Kolvex_GetFilterValue(handle_, 29, nullptr), 0);
}

TEST_F(Parameters, ColourModeTakesBitsPerPixelAndReportsSignificantDepth) {
    const int set[] = {8, 16, 24, 32, 48, 64};
    const int reported[] = {8, 12, 24, 32, 44, 60};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Kolvex_SetColorMode(handle_, set[i]), 1);
        EXPECT_EQ(Kolvex_GetColorMode(handle_), reported[i]);
        EXPECT_EQ(Object()->colorMode(), i);
    }
    for (int rejected : {12, 44, 0, -8}) {
        EXPECT_EQ(Kolvex_SetColorMode(handle_, rejected), 0) << rejected;
        EXPECT_EQ(TakeReported(), RecordedAndPosted(KOLVEX_ERR_ARGUMENT));
    }
    EXPECT_EQ(Kolvex_GetColorMode(handle_), 60);
    EXPECT_EQ(Kolvex_GetColorMode(handle_ + 1), -1);
}

TEST_F(Parameters, SubsampleTakesZeroOrOneAndRefusesOthersSilently) {
    EXPECT_EQ(Kolvex_SetSubSample(handle_, 1), 1);
    EXPECT_EQ(Kolvex_GetSubSample(handle_), 1);
    for (int rejected : {2, 3, 17, -1}) EXPECT_EQ(Kolvex_SetSubSample(handle_, rejected), 0);
    EXPECT_EQ(TakeReported(), Nothing());
    EXPECT_EQ(Kolvex_GetSubSample(handle_), 1);
    EXPECT_EQ(Kolvex_GetSubSample(handle_ + 1), -1);
}

TEST_F(Parameters, MirrorsReachTheSensorAsNormalisedFlags) {
    // The mirror register has a bit set for each direction that is not mirrored.
    EXPECT_EQ(Sensor(reg::sensor::kMirror), 3);
    EXPECT_EQ(Kolvex_SetMirrorH(handle_, 5), 1);
    EXPECT_EQ(Kolvex_GetMirrorH(handle_), 1);
    EXPECT_EQ(Sensor(reg::sensor::kMirror), 1);
    EXPECT_EQ(Kolvex_SetMirrorV(handle_, -1), 1);
    EXPECT_EQ(Kolvex_GetMirrorV(handle_), 1);
    EXPECT_EQ(Sensor(reg::sensor::kMirror), 0);
    EXPECT_EQ(Analog()[kvx::kMirrorH], 1);
    EXPECT_EQ(Analog()[kvx::kMirrorV], 1);
    EXPECT_EQ(Kolvex_SetMirrorH(handle_, 0), 1);
    EXPECT_EQ(Sensor(reg::sensor::kMirror), 2);
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(Parameters, AutoIrisTakesZeroToTwoAndAnnouncesOthersWithoutRecording) {
    EXPECT_EQ(Kolvex_SetAutoIris(handle_, 2), 1);
    EXPECT_EQ(Kolvex_SetAutoIris(handle_, 3), 0);
    EXPECT_EQ(Kolvex_SetAutoIris(handle_, -1), 0);
    EXPECT_EQ(TakeReported(), (kvx::test::Reported{{}, {9, 9}}));
    int ok = 0;
    EXPECT_EQ(Kolvex_GetAutoIris(handle_, &ok), 2);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(Analog()[kvx::kAutoIris], 2);
}

// --- exposure in microseconds ---------------------------------------------------

TEST_F(Parameters, RealExposureConvertsWithTheLineLengthOfTheFullFrame) {
    ASSERT_EQ(Kolvex_SetExposureTime(handle_, 1561), 1);
    int ok = 0;
    EXPECT_EQ(Kolvex_GetRealExposureTime(handle_, &ok), 71143);
    EXPECT_EQ(ok, 1);
    const auto& record = Object()->exposureConversion();
    EXPECT_EQ(record.lineLengthClocks, 3384);
    EXPECT_EQ(record.lines, 1561);
    EXPECT_EQ(record.offset, 0);
    EXPECT_EQ(record.msPerClock, 1.3468013094097842e-05);
    EXPECT_EQ(record.lastMicroseconds, 71143);

    ASSERT_EQ(Kolvex_SetExposureTime(handle_, 100), 1);
    EXPECT_EQ(Kolvex_SetRealExposureTime(handle_, 71144), 1);
    EXPECT_EQ(Get(18), 1561);
    EXPECT_EQ(Kolvex_SetRealExposureTime(handle_, 10000), 1);
    EXPECT_EQ(Get(18), 219);
    EXPECT_EQ(Analog()[kvx::kExposureLines], 219);
    EXPECT_EQ(TakeReported(), Nothing());
}

TEST_F(Parameters, RealExposureOutsideOneTo32767LinesIsRefusedAndKeepsTheComputedLines) {
    ASSERT_EQ(Kolvex_SetRealExposureTime(handle_, 10000), 1);
    EXPECT_EQ(Kolvex_SetRealExposureTime(handle_, 1), 0);
    EXPECT_EQ(Object()->exposureConversion().lines, 0);
    for (int rejected : {-10000, INT_MAX, INT_MIN}) EXPECT_EQ(Kolvex_SetRealExposureTime(handle_, rejected), 0);
    EXPECT_EQ(TakeReported(), (kvx::test::Reported{{9, 9, 9, 9}, {9, 9, 9, 9}}));
    EXPECT_EQ(Get(18), 219);
}

TEST_F(Parameters, RealExposureFollowsTheSubsampledLineLength) {
    ASSERT_EQ(Kolvex_SetSubSample(handle_, 1), 1);
    ASSERT_EQ(Kolvex_SetCaptureWindowEx(handle_, 2048, 0, 2048, 1536, 0, 1536), 1);
    ASSERT_EQ(Object()->device()->lineLength(), 1692);
    EXPECT_EQ(Kolvex_SetRealExposureTime(handle_, 10000), 1);
    EXPECT_EQ(Get(18), 438);
}

// A stored exposure the setter would refuse is never sent to the sensor:
// it loads as the default exposure.
class StoredExposure : public Parameters {
protected:
    void SetUp() override {
        Store(kvx::settings::CameraKeyPath(0) + "\\Gain", "Exposure", 0x7FFFFFFF);
        Parameters::SetUp();
    }
};

TEST_F(StoredExposure, AHugeStoredExposureLoadsAsTheDefault) {
    EXPECT_EQ(Get(18), 1561);
    int ok = 0;
    EXPECT_EQ(Kolvex_GetRealExposureTime(handle_, &ok), 71143);
    EXPECT_EQ(ok, 1);
}

// --- a camera without a device --------------------------------------------------

class WithoutDevice : public ParameterTest {
protected:
    void SetUp() override {
        kvx::CKolvex::SetSharedTableNameForTesting("no/such\\table");
        ASSERT_NE(Open(), 0);
        kvx::CKolvex::SetSharedTableNameForTesting(sandbox_.tableName());
        TakeReported();
    }
};

TEST_F(WithoutDevice, EachCallReportsOneTheWayItAlwaysHas) {
    const auto recorded = RecordedAndPosted(KOLVEX_ERR_NO_DEVICE);
    const auto posted = PostedOnly(KOLVEX_ERR_NO_DEVICE);
    int ok = -1;
    unsigned char port = 0;
    const struct {
        const char* call;
        int result;
        kvx::test::Reported reported;
    } cases[] = {
        {"GetFilterValue", Kolvex_GetFilterValue(handle_, 1, &ok), TakeReported()},
        {"SetFilterValue", Kolvex_SetFilterValue(handle_, 1, 0), TakeReported()},
        {"SetGamma", Kolvex_SetGamma(handle_, 100), TakeReported()},
        {"SetMirrorH", Kolvex_SetMirrorH(handle_, 1), TakeReported()},
        {"GetMirrorH", Kolvex_GetMirrorH(handle_), TakeReported()},
        {"SetMirrorV", Kolvex_SetMirrorV(handle_, 1), TakeReported()},
        {"GetMirrorV", Kolvex_GetMirrorV(handle_), TakeReported()},
        {"SetRealExposureTime", Kolvex_SetRealExposureTime(handle_, 10000), TakeReported()},
        {"GetRealExposureTime", Kolvex_GetRealExposureTime(handle_, &ok), TakeReported()},
        {"ReadRegister", Kolvex_ReadRegister(handle_, 1, &ok), TakeReported()},
        {"WriteRegisterEx", Kolvex_WriteRegisterEx(handle_, 0x200, 1), TakeReported()},
        {"ReadSromID", Kolvex_ReadSromID(handle_, 0, &ok), TakeReported()},
        {"WriteSromID", Kolvex_WriteSromID(handle_, 0, 1), TakeReported()},
        {"GetIOPort", Kolvex_GetIOPort(handle_, &port, 0, 0), TakeReported()},
        {"SetIOPort", Kolvex_SetIOPort(handle_, 1), TakeReported()},
        {"SetCaptureWindowEx", Kolvex_SetCaptureWindowEx(handle_, 2048, 0, 1024, 1536, 0, 768), TakeReported()},
        {"SetCaptureWindow", Kolvex_SetCaptureWindow(handle_, 2048, 1536), TakeReported()},
    };
    const char* postedOnly[] = {"SetMirrorV", "GetMirrorV", "ReadSromID", "WriteSromID", "GetIOPort", "SetIOPort"};
    for (const auto& c : cases) {
        bool onlyPosted = false;
        for (const char* name : postedOnly) onlyPosted = onlyPosted || std::string(name) == c.call;
        EXPECT_EQ(c.result, 0) << c.call;
        EXPECT_EQ(c.reported, onlyPosted ? posted : recorded) << c.call;
    }
    EXPECT_EQ(ok, 0);
    // The format and the automatic mode are only held, device or not.
    EXPECT_EQ(Kolvex_SetColorMode(handle_, 16), 1);
    EXPECT_EQ(Kolvex_GetColorMode(handle_), 12);
    EXPECT_EQ(Kolvex_SetAutoIris(handle_, 1), 1);
    EXPECT_EQ(TakeReported(), Nothing());
}

}  // namespace
