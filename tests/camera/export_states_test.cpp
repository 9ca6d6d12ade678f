// Every export in every state: the map of what each call does when.
//
// A camera is driven into one state (idle, previewing, capturing,
// triggering, recording, after a failed initialisation, released) and each
// of the 124 exports is called in it with sound arguments. A cell reads
// "<result> [r<code>...] [p<code>...]": the result ('v' for a getter's
// value, not checked), the codes recorded in the
// error history (each also posted to the application window) and the codes
// only posted. After each call the camera is put back into its state. In
// every state, too, each export that reads or sets a parameter runs while
// another thread switches the device and sets the capture window.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "acquisition_fixture.h"
#include "dialog_user.h"
#include "unique_name.h"

namespace {

using kvx::AcquisitionState;
using kvx::test::Notification;

enum State { kIdle, kPreview, kCapture, kTrigger, kRecording, kNoDevice, kReleased, kStateCount };
const char* const kStateNames[kStateCount] = {"Idle",      "Previewing", "Capturing", "Triggering",
                                              "Recording", "NoDevice",   "Released"};

constexpr int kWidth = 64, kHeight = 48, kImageBytes = kWidth * kHeight;

// What a call needs besides the handle.
struct Arguments {
    KolvexWindow callbackWindow;
    std::vector<uint8_t>* buffer;
    std::string image, settings, recording;
    std::wstring imageWide, settingsWide, recordingWide;
    std::array<int, 29> filterValues;  // by parameter identifier
    int register0, srom, ioPort;
};

using Call = std::function<int(int handle, const Arguments& a)>;

struct Row {
    const char* name;
    Call call;
    std::array<const char*, kStateCount> cells;
};

int* Ok() {
    static int ok;
    return &ok;
}

#define NAMED(Name, id, get, set)                                                                      \
    {"Kolvex_Get" #Name, [](int h, const Arguments&) { return Kolvex_Get##Name(h, Ok()); }, get},       \
    {                                                                                                  \
        "Kolvex_Set" #Name, [](int h, const Arguments& a) { return Kolvex_Set##Name(h, a.filterValues[id]); }, set \
    }

// Most named parameters behave alike; these are their cells.
#define NAMED_GET {"v", "v", "v", "v", "v", "v r1", "0"}
#define NAMED_SET {"1", "1", "1", "1", "1", "0 r1", "0"}

const std::vector<Row>& Table() {
    static const std::vector<Row> rows = {
        // Lifecycle, errors, version and the unsupported stubs.
        {"Kolvex_GetDllVersion", [](int, const Arguments&) { return Kolvex_GetDllVersion() == 28443935; },
         {"1", "1", "1", "1", "1", "1", "1"}},
        // A second camera object on the same device leaves a running
        // stream alone (checked after the call).
        {"Kolvex_Initialize",
         [](int, const Arguments&) {
             const int other = Kolvex_Initialize(nullptr);
             return other != 0 && Kolvex_Release(other) == 1;
         },
         {"1", "1", "1", "1", "1", "1", "1"}},
        {"Kolvex_GetLastError", [](int h, const Arguments&) { return Kolvex_GetLastError(h); },
         {"0", "0", "0", "0", "0", "0", "0"}},
        {"Kolvex_GetStatus", [](int h, const Arguments&) { return Kolvex_GetStatus(h, 77); },
         {"0", "0", "0", "0", "0", "0", "0"}},
        {"Kolvex_Fpga_ReadRegister", [](int h, const Arguments&) { return Kolvex_Fpga_ReadRegister(h, 0, Ok()); },
         {"0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0"}},
        {"Kolvex_Fpga_WriteRegister", [](int h, const Arguments&) { return Kolvex_Fpga_WriteRegister(h, 0, 0); },
         {"0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0"}},
        {"Kolvex_Fps", [](int h, const Arguments&) { return Kolvex_Fps(h, Ok()); },
         {"0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0"}},
        {"Kolvex_GetHalfClock", [](int h, const Arguments&) { return Kolvex_GetHalfClock(h, Ok()); },
         {"0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0"}},
        {"Kolvex_SetHalfClock", [](int h, const Arguments&) { return Kolvex_SetHalfClock(h, 1); },
         {"0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0"}},
        {"Kolvex_SetCrossbar", [](int h, const Arguments&) { return Kolvex_SetCrossbar(h, 1); },
         {"0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0"}},
        {"Kolvex_SetSamplingRate", [](int h, const Arguments&) { return Kolvex_SetSamplingRate(h, 1); },
         {"0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0 p11", "0"}},
        {"Kolvex_GetSamplingRate",
         [](int h, const Arguments&) {
             int value = 5;
             return Kolvex_GetSamplingRate(h, &value) + (value == 0 ? 100 : 0);
         },
         {"100", "100", "100", "100", "100", "100", "0"}},
        {"Kolvex_GetVideoFormat",
         [](int h, const Arguments&) {
             int value = 5;
             return Kolvex_GetVideoFormat(h, &value) + (value == 0 ? 100 : 0);
         },
         {"100", "100", "100", "100", "100", "100", "0"}},

        // Devices.
        {"Kolvex_EnumDevice",
         [](int h, const Arguments&) {
             static char names[10][256];
             return Kolvex_EnumDevice(h, names);
         },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_EnumDeviceW",
         [](int h, const Arguments&) {
             static wchar_t names[10][256];
             return Kolvex_EnumDeviceW(h, names);
         },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_GetDeviceName",
         [](int h, const Arguments&) {
             char name[32];
             return Kolvex_GetDeviceName(h, 0, name, sizeof name);
         },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_GetDeviceNameW",
         [](int h, const Arguments&) {
             wchar_t name[32];
             return Kolvex_GetDeviceNameW(h, 0, name, 32);
         },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        // Switching devices while acquisition runs follows the device
        // switching rules and is tried where those are tested.
        {"Kolvex_SetDeviceNumber", [](int h, const Arguments&) { return Kolvex_SetDeviceNumber(h, 0); },
         {"1", "0 r1", "0 r1", "0 r1", "0 r1", "0 r1", "0"}},
        {"Kolvex_GetCameraInfo",
         [](int h, const Arguments&) {
             KolvexCameraInfo info{};
             info.size = sizeof info;
             return Kolvex_GetCameraInfo(h, &info);
         },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_Width", [](int h, const Arguments&) { return Kolvex_Width(h); },
         {"64", "64", "64", "64", "64", "2048", "0"}},
        {"Kolvex_Height", [](int h, const Arguments&) { return Kolvex_Height(h); },
         {"48", "48", "48", "48", "48", "1536", "0"}},
        {"Kolvex_GetCaptureWindowEx",
         [](int h, const Arguments&) {
             int v[6];
             return Kolvex_GetCaptureWindowEx(h, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
         },
         {"1", "1", "1", "1", "1", "1", "0"}},
        {"Kolvex_SetCaptureWindowEx",
         [](int h, const Arguments&) { return Kolvex_SetCaptureWindowEx(h, 2048, 0, kWidth, 1536, 0, kHeight); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        // No size preset of this size is stored here.
        {"Kolvex_SetCaptureWindow", [](int h, const Arguments&) { return Kolvex_SetCaptureWindow(h, kWidth, kHeight); },
         {"0 r4", "0 r4", "0 r4", "0 r4", "0 r4", "0 r1", "0"}},

        // Acquisition.
        {"Kolvex_Preview", [](int h, const Arguments&) { return Kolvex_Preview(h); },
         {"1", "1", "0 r1 r8", "0 r1 r8", "1", "0 r1 r1 r8", "0"}},
        {"Kolvex_CallBackPreview",
         [](int h, const Arguments& a) {
             return Kolvex_CallBackPreview(h, a.callbackWindow, a.buffer->data(), kImageBytes, 0);
         },
         {"1", "1", "0 r1 r8", "0 r1 r8", "1", "0 r1 r1 r8", "0"}},
        {"Kolvex_StartPreview", [](int h, const Arguments&) { return Kolvex_StartPreview(h); },
         {"1", "1", "0 r1", "0 r1", "1", "0 r1", "0"}},
        {"Kolvex_StopPreview", [](int h, const Arguments&) { return Kolvex_StopPreview(h); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_Close", [](int h, const Arguments&) { return Kolvex_Close(h); },
         {"1", "1", "1", "1", "1", "1 r1", "0"}},
        {"Kolvex_Capture", [](int h, const Arguments&) { return Kolvex_Capture(h); },
         {"1", "0 r1", "1", "0 r1", "0 r1", "0 r1", "0"}},
        {"Kolvex_SnapShot",
         [](int h, const Arguments& a) { return Kolvex_SnapShot(h, a.buffer->data(), kImageBytes, 0); },
         {"1", "0 r1", "1", "0 r1", "0 r1", "0 r1", "0"}},
        {"Kolvex_GetImage",
         [](int h, const Arguments& a) { return Kolvex_GetImage(h, a.buffer->data(), kImageBytes, 0); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_Trigger",
         [](int h, const Arguments& a) {
             return Kolvex_Trigger(h, a.callbackWindow, a.buffer->data(), kImageBytes, 0);
         },
         {"1", "0 r1", "0 r1", "1", "0 r1", "0 r1", "0"}},
        {"Kolvex_SetPreviewWindow", [](int h, const Arguments&) { return Kolvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_SetWaitTime", [](int h, const Arguments&) { return Kolvex_SetWaitTime(h, 1); },
         {"1", "1", "1", "1", "1", "1", "0"}},
        {"Kolvex_GetWaitTime", [](int h, const Arguments&) { return Kolvex_GetWaitTime(h); },
         {"1", "1", "1", "1", "1", "1", "-1"}},

        // Format and parameters.
        {"Kolvex_SetColorMode", [](int h, const Arguments&) { return Kolvex_SetColorMode(h, 8); },
         {"1", "1", "1", "1", "1", "1", "0"}},
        {"Kolvex_GetColorMode", [](int h, const Arguments&) { return Kolvex_GetColorMode(h); },
         {"8", "8", "8", "8", "8", "8", "-1"}},
        {"Kolvex_SetSubSample", [](int h, const Arguments&) { return Kolvex_SetSubSample(h, 0); },
         {"1", "1", "1", "1", "1", "1", "0"}},
        {"Kolvex_GetSubSample", [](int h, const Arguments&) { return Kolvex_GetSubSample(h); },
         {"0", "0", "0", "0", "0", "0", "-1"}},
        {"Kolvex_GetFilterValue", [](int h, const Arguments&) { return Kolvex_GetFilterValue(h, 11, Ok()); },
         NAMED_GET},
        {"Kolvex_SetFilterValue", [](int h, const Arguments& a) { return Kolvex_SetFilterValue(h, 11, a.filterValues[11]); },
         NAMED_SET},
        {"Kolvex_SetRealExposureTime", [](int h, const Arguments&) { return Kolvex_SetRealExposureTime(h, 10000); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_GetRealExposureTime", [](int h, const Arguments&) { return Kolvex_GetRealExposureTime(h, Ok()); },
         {"v", "v", "v", "v", "v", "0 r1", "0"}},
        {"Kolvex_SetMirrorH", [](int h, const Arguments&) { return Kolvex_SetMirrorH(h, 0); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_GetMirrorH", [](int h, const Arguments&) { return Kolvex_GetMirrorH(h); },
         {"0", "0", "0", "0", "0", "0 r1", "0"}},
        {"Kolvex_SetMirrorV", [](int h, const Arguments&) { return Kolvex_SetMirrorV(h, 0); },
         {"1", "1", "1", "1", "1", "0 p1", "0"}},
        {"Kolvex_GetMirrorV", [](int h, const Arguments&) { return Kolvex_GetMirrorV(h); },
         {"0", "0", "0", "0", "0", "0 p1", "0"}},
        {"Kolvex_SetAutoIris", [](int h, const Arguments&) { return Kolvex_SetAutoIris(h, 0); },
         {"1", "1", "1", "1", "1", "1", "0"}},
        {"Kolvex_GetAutoIris", [](int h, const Arguments&) { return Kolvex_GetAutoIris(h, Ok()); },
         {"0", "0", "0", "0", "0", "0", "0"}},
        {"Kolvex_GetConfigFilter", [](int h, const Arguments&) { return Kolvex_GetConfigFilter(h); },
         {"-1 r11", "-1 r11", "-1 r11", "-1 r11", "-1 r11", "-1 r11", "0"}},
        {"Kolvex_SetConfigFilter", [](int h, const Arguments&) { return Kolvex_SetConfigFilter(h, 0); },
         {"-1 r11", "-1 r11", "-1 r11", "-1 r11", "-1 r11", "-1 r11", "0"}},
        NAMED(Brightness, 1, NAMED_GET, NAMED_SET),
        NAMED(Contrast, 2, NAMED_GET, NAMED_SET),
        NAMED(Hue, 3, NAMED_GET, NAMED_SET),
        NAMED(Saturation, 4, NAMED_GET, NAMED_SET),
        NAMED(Sharpness, 5, NAMED_GET, NAMED_SET),
        NAMED(BayerGainRGB, 6, NAMED_GET, NAMED_SET),
        NAMED(BayerGainRed, 7, NAMED_GET, NAMED_SET),
        NAMED(BayerGainGreen, 8, NAMED_GET, NAMED_SET),
        NAMED(BayerGainBlue, 9, NAMED_GET, NAMED_SET),
        NAMED(BayerGainAuto, 10, NAMED_GET, NAMED_SET),
        NAMED(Gamma, 11, NAMED_GET, NAMED_SET),
        NAMED(BayerMode, 12, NAMED_GET, NAMED_SET),
        NAMED(GlobalGain, 13, NAMED_GET, NAMED_SET),
        NAMED(ColorGainRed, 14, NAMED_GET, NAMED_SET),
        NAMED(ColorGainGreen1, 15, NAMED_GET, NAMED_SET),
        NAMED(ColorGainGreen2, 16, NAMED_GET, NAMED_SET),
        NAMED(ColorGainBlue, 17, NAMED_GET, NAMED_SET),
        NAMED(ExposureTime, 18, NAMED_GET, NAMED_SET),
        NAMED(GrayMode, 19, NAMED_GET, NAMED_SET),
        NAMED(GrayGainR, 20, NAMED_GET, NAMED_SET),
        NAMED(GrayGainG1, 21, NAMED_GET, NAMED_SET),
        NAMED(GrayGainG2, 22, NAMED_GET, NAMED_SET),
        NAMED(GrayGainB, 23, NAMED_GET, NAMED_SET),
        NAMED(GrayOffsetR, 24, NAMED_GET, NAMED_SET),
        NAMED(GrayOffsetG1, 25, NAMED_GET, NAMED_SET),
        NAMED(GrayOffsetG2, 26, NAMED_GET, NAMED_SET),
        NAMED(GrayOffsetB, 27, NAMED_GET, NAMED_SET),

        // Registers, serial ROM and I/O port.
        {"Kolvex_ReadRegister", [](int h, const Arguments&) { return Kolvex_ReadRegister(h, 0, Ok()); },
         {"v", "v", "v", "v", "v", "0 r1", "0"}},
        {"Kolvex_ReadRegisterEx", [](int h, const Arguments&) { return Kolvex_ReadRegisterEx(h, 0, Ok()); },
         {"v", "v", "v", "v", "v", "0 r1", "0"}},
        {"Kolvex_WriteRegister", [](int h, const Arguments& a) { return Kolvex_WriteRegister(h, 0, a.register0); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_WriteRegisterEx", [](int h, const Arguments& a) { return Kolvex_WriteRegisterEx(h, 0, a.register0); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_ReadSromID", [](int h, const Arguments&) { return Kolvex_ReadSromID(h, 0x10, Ok()); },
         {"v", "v", "v", "v", "v", "0 p1", "0"}},
        {"Kolvex_WriteSromID", [](int h, const Arguments& a) { return Kolvex_WriteSromID(h, 0x10, a.srom); },
         {"1", "1", "1", "1", "1", "0 p1", "0"}},
        {"Kolvex_GetIOPort",
         [](int h, const Arguments&) {
             unsigned char port = 0;
             return Kolvex_GetIOPort(h, &port, 0, 0);
         },
         {"1", "1", "1", "1", "1", "0 p1", "0"}},
        {"Kolvex_SetIOPort", [](int h, const Arguments& a) { return Kolvex_SetIOPort(h, a.ioPort); },
         {"v", "v", "v", "v", "v", "0 p1", "0"}},

        // Files, recording, settings and dialogs.
        {"Kolvex_SaveImage", [](int h, const Arguments& a) { return Kolvex_SaveImage(h, a.image.c_str(), KOLVEX_FILE_BMP); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_SaveImageW",
         [](int h, const Arguments& a) { return Kolvex_SaveImageW(h, a.imageWide.c_str(), KOLVEX_FILE_BMP); },
         {"1", "1", "1", "1", "1", "0 r1", "0"}},
        {"Kolvex_Record", [](int h, const Arguments& a) { return Kolvex_Record(h, a.recording.c_str(), 60000, 0); },
         {"1", "1", "0 r1 r12", "0 r1 r12", "0 r12", "0 r1", "0"}},
        {"Kolvex_RecordW",
         [](int h, const Arguments& a) { return Kolvex_RecordW(h, a.recordingWide.c_str(), 60000, 0); },
         {"1", "1", "0 r1 r12", "0 r1 r12", "0 r12", "0 r1", "0"}},
        {"Kolvex_LoadConfigFileA", [](int h, const Arguments& a) { return Kolvex_LoadConfigFileA(h, a.settings.c_str()); },
         {"1", "1", "1", "1", "1", "1", "0"}},
        {"Kolvex_LoadConfigFileW",
         [](int h, const Arguments& a) { return Kolvex_LoadConfigFileW(h, a.settingsWide.c_str()); },
         {"1", "1", "1", "1", "1", "1", "0"}},
        {"Kolvex_SetCameraDlg", [](int h, const Arguments&) { return Kolvex_SetCameraDlg(h, nullptr); },
         {"dialog", "dialog", "dialog", "dialog", "dialog", "0 r1", "0"}},
        {"Kolvex_SetAnalogDlg", [](int h, const Arguments&) { return Kolvex_SetAnalogDlg(h, nullptr); },
         {"dialog", "dialog", "dialog", "dialog", "dialog", "0 r1", "0"}},
        {"Kolvex_SetImageDlg", [](int h, const Arguments&) { return Kolvex_SetImageDlg(h, nullptr); },
         {"dialog", "dialog", "dialog", "dialog", "dialog", "0 r1", "0"}},

        // Last: it ends the camera.
        {"Kolvex_Release", [](int h, const Arguments&) { return Kolvex_Release(h); },
         {"1", "1", "1", "1", "1", "1", "0"}},
    };
    return rows;
}

// What one call did.
struct Observed {
    int result;
    std::vector<int> recorded, postedOnly;
};

std::string Cell(const Observed& o, bool value) {
    std::ostringstream out;
    out << (value ? std::string("v") : std::to_string(o.result));
    for (int code : o.recorded) out << " r" << code;
    for (int code : o.postedOnly) out << " p" << code;
    return out.str();
}

class ExportStates : public kvx::test::AcquisitionTest, public ::testing::WithParamInterface<State> {
protected:
    void SetUp() override {
        ASSERT_NE(OpenWith(kWidth, kHeight, 0), 0);
        NoPreviewWindow();
        buffer_.assign(kImageBytes, 0);
        dir_ = std::filesystem::temp_directory_path() / kvx::test::UniqueName("kolvex-states");
        std::filesystem::create_directories(dir_);
        args_.callbackWindow = callback_.handle();
        args_.buffer = &buffer_;
        args_.image = (dir_ / "frame.bmp").string();
        args_.imageWide = (dir_ / "frame-w.bmp").wstring();
        args_.settings = (dir_ / "settings.txt").string();
        args_.settingsWide = (dir_ / "settings.txt").wstring();
        args_.recording = (dir_ / "movie.avi").string();
        args_.recordingWide = (dir_ / "movie-w.avi").wstring();
        std::ofstream(args_.settings) << "\n";
        for (int id = 1; id <= 28; ++id) args_.filterValues[static_cast<size_t>(id)] = Kolvex_GetFilterValue(handle_, id, nullptr);
        args_.register0 = Kolvex_ReadRegister(handle_, 0, nullptr);
        args_.srom = Kolvex_ReadSromID(handle_, 0x10, nullptr);
        unsigned char port = 0;
        Kolvex_GetIOPort(handle_, &port, 0, 0);
        args_.ioPort = port;
        // Something converted, so that the readers have an image.
        ASSERT_EQ(Kolvex_SnapShot(handle_, buffer_.data(), kImageBytes, 0), 1);
        if (GetParam() == kNoDevice) {
            kvx::CKolvex::SetSharedTableNameForTesting("no/such\\table");
            target_ = Kolvex_Initialize(window_.handle());
            kvx::CKolvex::SetSharedTableNameForTesting(sandbox_.tableName());
            ASSERT_NE(target_, 0);
        } else if (GetParam() == kReleased) {
            target_ = Kolvex_Initialize(window_.handle());
            ASSERT_EQ(Kolvex_Release(target_), 1);
        } else {
            target_ = handle_;
        }
        Enter();
    }
    void TearDown() override {
        if (target_ != handle_ && GetParam() == kNoDevice) Kolvex_Release(target_);
        if (handle_) Kolvex_Close(handle_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Brings the camera (back) into the state under test.
    void Enter() {
        switch (GetParam()) {
            case kPreview:
                ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer_.data(), kImageBytes, 0), 1);
                break;
            case kCapture: ASSERT_EQ(Kolvex_Capture(handle_), 1); break;
            case kTrigger:
                ASSERT_EQ(Kolvex_Trigger(handle_, callback_.handle(), buffer_.data(), kImageBytes, 0), 1);
                break;
            case kRecording: ASSERT_EQ(Kolvex_Record(handle_, args_.recording.c_str(), 600000, 0), 1); break;
            default: break;
        }
        Forget();
    }
    bool InState() {
        auto camera = Object();
        if (!camera) return false;
        const AcquisitionState expected[] = {AcquisitionState::Idle,    AcquisitionState::Preview,
                                             AcquisitionState::Capture, AcquisitionState::Trigger,
                                             AcquisitionState::Preview};
        if (GetParam() > kRecording) return true;
        return camera->acquisitionState() == expected[GetParam()] &&
               camera->recording() == (GetParam() == kRecording) && camera->workerRunning() == (GetParam() == kPreview || GetParam() == kTrigger || GetParam() == kRecording);
    }
    void Restore(bool lostRun) {
        if (!Object()) {
            // Released: a fresh camera for the rows after it.
            ASSERT_NE(OpenWith(kWidth, kHeight, 0), 0);
            NoPreviewWindow();
            if (GetParam() < kNoDevice) target_ = handle_;
        }
        // Re-entered every time: a call may have ended the run behind the
        // state (a device loss leaves the state as it was).
        if (GetParam() != kNoDevice && GetParam() != kReleased && (lostRun || !InState())) {
            Kolvex_Close(handle_);
            ASSERT_EQ(Kolvex_SnapShot(handle_, buffer_.data(), kImageBytes, 0), 1);
            Enter();
        }
        Forget();
    }
    void Forget() {
        TakeErrors();
        if (target_ != handle_ && GetParam() == kNoDevice)
            while (Kolvex_GetLastError(target_) != 0) {
            }
        window_.Take();
    }

    Observed Run(const Row& row) {
        Observed o{};
        kvx::test::RunCancellingDialogs([&] { o.result = row.call(target_, args_); });
        const bool released = std::string(row.name) == "Kolvex_Release";
        if (released && GetParam() != kReleased && GetParam() != kNoDevice) handle_ = 0;
        for (int code; !released && (code = Kolvex_GetLastError(target_)) != 0;) o.recorded.insert(o.recorded.begin(), code);
        std::vector<int> posted;
        for (const Notification& n : window_.Take())
            if (n.message == KOLVEX_WM_ERROR) posted.push_back(static_cast<int>(n.lParam));
        for (int code : o.recorded) {
            auto it = std::find(posted.begin(), posted.end(), code);
            if (it != posted.end()) posted.erase(it);
        }
        o.postedOnly = posted;
        return o;
    }

    std::vector<uint8_t> buffer_;
    std::filesystem::path dir_;
    Arguments args_{};
    int target_ = 0;
};

TEST_P(ExportStates, EveryExportDoesWhatTheTableSays) {
    const State state = GetParam();
    const bool dump = std::getenv("KOLVEX_DUMP_STATES") != nullptr;
    EXPECT_EQ(Table().size(), 124u);
    for (const Row& row : Table()) {
        SCOPED_TRACE(row.name);
        const std::string expected = row.cells[state];
        const Observed o = Run(row);
        if (expected == "dialog") {
            // Modal on this thread: shown and cancelled (1) where windows
            // exist, refused with 11 where they do not.
            const std::string cell = Cell(o, false);
            EXPECT_TRUE(cell == "1" || cell == "0 r11") << cell;
        } else {
            const std::string observed = Cell(o, expected[0] == 'v');
            if (dump) std::cout << row.name << " " << kStateNames[state] << ": \"" << Cell(o, false) << "\"\n";
            EXPECT_EQ(observed, expected);
        }
        if (std::string(row.name) == "Kolvex_Initialize") {
            EXPECT_TRUE(InState()) << "a second camera disturbed the stream";
        }
        Restore(std::find(o.recorded.begin(), o.recorded.end(), KOLVEX_ERR_DEVICE_LOST) != o.recorded.end());
        if (HasFatalFailure()) return;
    }
}

// Exports that read what the camera is or holds, and the parameter setters,
// which the table calls with the values the camera has.
bool ReadsOrSetsAParameter(const std::string& name) {
    if (name.rfind("Kolvex_Get", 0) == 0) return name != "Kolvex_GetLastError";
    if (name.rfind("Kolvex_Set", 0) == 0)
        return name.find("Dlg") == std::string::npos && name.find("CaptureWindow") == std::string::npos &&
               name != "Kolvex_SetDeviceNumber" && name != "Kolvex_SetPreviewWindow";
    for (const char* reader : {"Kolvex_EnumDevice", "Kolvex_EnumDeviceW", "Kolvex_Width", "Kolvex_Height",
                               "Kolvex_ReadRegister", "Kolvex_ReadRegisterEx", "Kolvex_ReadSromID"})
        if (name == reader) return true;
    return false;
}

// The application's other thread switches the device and sets the capture
// window (both to what they are, so every answer stays the same) while each
// reader and parameter setter runs; ThreadSanitizer sees any field one writes
// and the other reads without a lock between them.
TEST_P(ExportStates, ParameterCallsRaceTheDeviceSwitchAndTheCaptureWindowSetter) {
    std::atomic<bool> reading{true};
    std::atomic<int> writes{0};
    std::thread switcher([&] {
        while (reading.load()) {
            Kolvex_SetDeviceNumber(target_, 0);
            Kolvex_SetCaptureWindowEx(target_, 2048, 0, kWidth, 1536, 0, kHeight);
            ++writes;
        }
    });
    int calls = 0;
    for (const Row& row : Table()) {
        if (!ReadsOrSetsAParameter(row.name)) continue;
        SCOPED_TRACE(row.name);
        ++calls;
        const int before = writes.load();
        for (int i = 0; i < 1000 && (i < 3 || writes.load() < before + 2); ++i) row.call(target_, args_);
    }
    reading = false;
    switcher.join();
    EXPECT_GE(calls, 80);
    Forget();
}

INSTANTIATE_TEST_SUITE_P(, ExportStates, ::testing::Values(kIdle, kPreview, kCapture, kTrigger, kRecording, kNoDevice, kReleased),
                         [](const ::testing::TestParamInfo<State>& info) { return std::string(kStateNames[info.param]); });

}  // namespace
