// The filter's controls: IAMVideoProcAmp and IAMCameraControl report the
// library's ranges and defaults, and every video property changes the
// frames exactly as the library parameter it stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "KolvexSdk.h"
#include "camera_access.h"
#include "camera_sandbox.h"
#include "graph_rig.h"
#include "library_frames.h"
#include "media_type.h"
#include "property_set_results.h"

namespace kvx::test {
namespace {

constexpr DWORD kFrameWaitMs = 10000;
constexpr long kManual = VideoProcAmp_Flags_Manual, kAuto = VideoProcAmp_Flags_Auto;

class FilterControls : public ::testing::Test {
protected:
    ComScope com_;
    CameraSandbox sandbox_{{0}};
};

TEST_F(FilterControls, VideoPropertiesHaveTheLibrarysRangesAndDefaults) {
    CaptureGraph graph(0);
    IAMVideoProcAmp* amp = graph.Query<IAMVideoProcAmp>(IID_IAMVideoProcAmp);
    ASSERT_NE(amp, nullptr);
    struct Range {
        long property, minimum, maximum, defaultValue, flags;
    };
    const Range ranges[] = {
        {VideoProcAmp_Brightness, -255, 255, 0, kManual},
        {VideoProcAmp_Contrast, -127, 127, 0, kManual},
        {VideoProcAmp_Hue, -360, 360, 0, kManual},
        {VideoProcAmp_Saturation, -255, 255, 0, kManual},
        {VideoProcAmp_Sharpness, 0, 30, 0, kManual},
        {VideoProcAmp_Gamma, 0, 200, 100, kManual},
        {VideoProcAmp_WhiteBalance, -100, 100, 0, kManual | kAuto},
        {VideoProcAmp_Gain, 0, 480, 0, kManual | kAuto},
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.property);
        long minimum = 0, maximum = 0, step = 0, defaultValue = 0, flags = 0;
        ASSERT_EQ(amp->GetRange(r.property, &minimum, &maximum, &step, &defaultValue, &flags), S_OK);
        EXPECT_EQ(minimum, r.minimum);
        EXPECT_EQ(maximum, r.maximum);
        EXPECT_EQ(step, 1);
        EXPECT_EQ(defaultValue, r.defaultValue);
        EXPECT_EQ(flags, r.flags);
        long value = 0;
        EXPECT_EQ(amp->Get(r.property, &value, &flags), S_OK);
        EXPECT_EQ(value, r.defaultValue);
        EXPECT_EQ(amp->Set(r.property, r.maximum + 1, kManual), E_INVALIDARG);
    }
    long a, b, c, d, e;
    for (long unsupported : {VideoProcAmp_ColorEnable, VideoProcAmp_BacklightCompensation})
        EXPECT_EQ(amp->GetRange(unsupported, &a, &b, &c, &d, &e), E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(amp->Set(VideoProcAmp_Brightness, 0, kAuto), E_INVALIDARG);  // no automatic brightness
    amp->Release();
}

// Exposure in DirectShow's log2 seconds: 1 line (46 us) to 32767 lines
// (1.49 s) at full resolution gives -14 to 0; the camera's default of 1561
// lines is 71 ms, 2^-4.
TEST_F(FilterControls, ExposureIsTheLibrarysInLog2Seconds) {
    CaptureGraph graph(0);
    IAMCameraControl* control = graph.Query<IAMCameraControl>(IID_IAMCameraControl);
    dshow::ICameraAccess* access = graph.Query<dshow::ICameraAccess>(dshow::kCameraAccessId);
    ASSERT_TRUE(control && access);
    int handle = 0;
    ASSERT_EQ(access->CameraHandle(&handle), S_OK);
    long minimum = 0, maximum = 0, step = 0, defaultValue = 0, flags = 0;
    ASSERT_EQ(control->GetRange(CameraControl_Exposure, &minimum, &maximum, &step, &defaultValue, &flags), S_OK);
    EXPECT_EQ(minimum, -14);
    EXPECT_EQ(maximum, 0);
    EXPECT_EQ(defaultValue, -4);
    EXPECT_EQ(flags, CameraControl_Flags_Auto | CameraControl_Flags_Manual);

    ASSERT_EQ(control->Set(CameraControl_Exposure, -7, CameraControl_Flags_Manual), S_OK);
    int ok = 0;
    const int microseconds = Kolvex_GetRealExposureTime(handle, &ok);
    EXPECT_NEAR(microseconds, 1e6 / 128, 46);  // within one line of 2^-7 s
    long value = 0;
    ASSERT_EQ(control->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(value, -7);
    EXPECT_EQ(flags, CameraControl_Flags_Manual);
    EXPECT_EQ(control->Set(CameraControl_Exposure, 1, CameraControl_Flags_Manual), E_INVALIDARG);
    EXPECT_EQ(control->GetRange(CameraControl_Pan, &minimum, &maximum, &step, &defaultValue, &flags),
              E_PROP_ID_UNSUPPORTED);

    // Automatic exposure by time or by gain: one mode of the library's.
    ASSERT_EQ(control->Set(CameraControl_Exposure, 0, CameraControl_Flags_Auto), S_OK);
    EXPECT_EQ(Kolvex_GetAutoIris(handle, &ok), 1);
    IAMVideoProcAmp* amp = graph.Query<IAMVideoProcAmp>(IID_IAMVideoProcAmp);
    ASSERT_EQ(amp->Set(VideoProcAmp_Gain, 0, kAuto), S_OK);
    EXPECT_EQ(Kolvex_GetAutoIris(handle, &ok), 2);
    ASSERT_EQ(control->Get(CameraControl_Exposure, &value, &flags), S_OK);
    EXPECT_EQ(flags, CameraControl_Flags_Manual);
    ASSERT_EQ(amp->Set(VideoProcAmp_Gain, 0, kManual), S_OK);
    EXPECT_EQ(Kolvex_GetAutoIris(handle, &ok), 0);
    amp->Release();
    access->Release();
    control->Release();
}

// Each property set through the filter: the frame it delivers is the
// library's frame with the parameter set through the library, and differs
// from the frame with the default.
TEST_F(FilterControls, EveryVideoPropertyChangesFramesAsTheLibraryParameterDoes) {
    struct Case {
        long property, value;
        std::function<void(int)> library;
    };
    const Case cases[] = {
        {VideoProcAmp_Brightness, 60, [](int h) { Kolvex_SetBrightness(h, 60); }},
        {VideoProcAmp_Contrast, 50, [](int h) { Kolvex_SetContrast(h, 50); }},
        {VideoProcAmp_Hue, 90, [](int h) { Kolvex_SetHue(h, 90); }},
        {VideoProcAmp_Saturation, -100, [](int h) { Kolvex_SetSaturation(h, -100); }},
        {VideoProcAmp_Sharpness, 20, [](int h) { Kolvex_SetSharpness(h, 20); }},
        {VideoProcAmp_Gamma, 150, [](int h) { Kolvex_SetGamma(h, 150); }},
        {VideoProcAmp_WhiteBalance, 40,
         [](int h) {
             Kolvex_SetBayerGainRed(h, 60);
             Kolvex_SetBayerGainBlue(h, 140);
         }},
        {VideoProcAmp_Gain, 200, [](int h) { Kolvex_SetGlobalGain(h, 200); }},
    };
    const int stride = 1024 * 3, height = 768;
    const std::vector<BYTE> unchanged = LibraryFrame(0, 24, true, true);
    // One graph for all, at 24-bit and half size to keep the runs short.
    CaptureGraph graph(0);
    IAMVideoProcAmp* amp = graph.Query<IAMVideoProcAmp>(IID_IAMVideoProcAmp);
    ASSERT_EQ(graph.ChooseFormat(1), S_OK);
    ASSERT_EQ(graph.Connect(), S_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        long defaultValue = 0, unused = 0;
        ASSERT_EQ(amp->GetRange(c.property, &unused, &unused, &unused, &defaultValue, &unused), S_OK);
        ASSERT_EQ(amp->Set(c.property, c.value, kManual), S_OK);
        long value = 0, flags = 0;
        ASSERT_EQ(amp->Get(c.property, &value, &flags), S_OK);
        EXPECT_EQ(value, c.value);
        const size_t before = graph.samples().samples().size();
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.samples().WaitFor(before + 2, kFrameWaitMs));
        ASSERT_EQ(graph.Stop(), S_OK);
        const std::vector<BYTE> frame = graph.samples().NewestBytes();
        // The library's camera object starts from the stored settings, which
        // the filter's keeps to itself until it goes.
        EXPECT_EQ(FirstStillRowDiffering(frame, LibraryFrame(0, 24, true, true, c.library), stride, height, true), -1);
        EXPECT_NE(FirstStillRowDiffering(frame, unchanged, stride, height, true), -1);
        ASSERT_EQ(amp->Set(c.property, defaultValue, kManual), S_OK);
    }
    amp->Release();
}

}  // namespace
}  // namespace kvx::test
