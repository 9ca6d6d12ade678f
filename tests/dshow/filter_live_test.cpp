// The filter as a live source in Wine's filter graph: sample times from the
// graph's clock, dropped frames counted, a prompt stop, an unplugged camera
// and a camera another program streams, and the settings page.
#include <gtest/gtest.h>

#include <evcode.h>
#include <vfwmsgs.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "KolvexSdk.h"
#include "camera_sandbox.h"
#include "camera_session.h"
#include "child_process.h"
#include "class_factory.h"
#include "device/shared_device_table.h"
#include "graph_rig.h"
#include "guids.h"
#include "media_type.h"
#include "settings_page.h"

EXTERN_C const CLSID CLSID_NullRenderer;

namespace kvx::test {
namespace {

constexpr DWORD kFrameWaitMs = 10000;

class FilterLive : public ::testing::Test {
protected:
    ComScope com_;
    CameraSandbox sandbox_{{0}};

    // A graph at half size (24-bit), connected.
    void ConnectHalfSize(CaptureGraph* graph) {
        ASSERT_EQ(graph->ChooseFormat(1), S_OK);
        ASSERT_EQ(graph->Connect(), S_OK);
    }
    REFERENCE_TIME ConnectedInterval(const CaptureGraph& graph) {
        AM_MEDIA_TYPE type = graph.ConnectedType();
        const REFERENCE_TIME interval = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame;
        dshow::FreeMediaTypeContents(&type);
        return interval;
    }
    // The library's stop bound is a fraction of a second; this only catches a
    // stop that waits for something that never comes.
    void StopPromptly(CaptureGraph* graph) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(graph->Stop(), S_OK);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    }
    template <typename Condition>
    bool WaitUntil(Condition condition) {
        for (int i = 0; i < 500; ++i) {
            if (condition()) return true;
            Sleep(20);
        }
        return false;
    }
};

TEST_F(FilterLive, SampleTimesAreTheGraphClocksWithTheMeasuredDuration) {
    CaptureGraph graph(0);
    ConnectHalfSize(&graph);
    const REFERENCE_TIME interval = ConnectedInterval(graph);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.samples().WaitFor(8, kFrameWaitMs));
    ASSERT_EQ(graph.Stop(), S_OK);
    const auto samples = graph.samples().samples();
    const auto& first = samples.front();
    for (size_t i = 1; i < samples.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& s = samples[i];
        ASSERT_TRUE(s.timed);
        EXPECT_EQ(s.end - s.start, interval);
        EXPECT_GT(s.start, samples[i - 1].start);
        EXPECT_GT(s.mediaStart, samples[i - 1].mediaStart);
        // Stamped by the clock as the frame went out: the clock's own
        // progress between arrivals, within scheduling noise (50 ms).
        EXPECT_NEAR(static_cast<double>(s.start - first.start),
                    static_cast<double>(s.streamTimeAtArrival - first.streamTimeAtArrival), 500000.0);
    }
}

TEST_F(FilterLive, ASlowConsumerSeesDroppedFramesCounted) {
    CaptureGraph graph(0);
    ConnectHalfSize(&graph);
    const long bytes = 1024 * 3 * 768;
    // Each sample takes the consumer about four frame times.
    graph.samples().SetDelay(static_cast<DWORD>(ConnectedInterval(graph) * 4 / 10000));
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.samples().WaitFor(6, kFrameWaitMs));
    // Read while running: one sample may be in the consumer's hands, seen by
    // it and not yet counted as delivered.
    IAMDroppedFrames* dropped = nullptr;
    ASSERT_EQ(graph.pin()->QueryInterface(IID_IAMDroppedFrames, reinterpret_cast<void**>(&dropped)), S_OK);
    long delivered = 0, lost = 0, average = 0, numbers[64], copied = 0;
    ASSERT_EQ(dropped->GetNumNotDropped(&delivered), S_OK);
    ASSERT_EQ(dropped->GetNumDropped(&lost), S_OK);
    ASSERT_EQ(dropped->GetAverageFrameSize(&average), S_OK);
    ASSERT_EQ(dropped->GetDroppedInfo(64, numbers, &copied), S_OK);
    const auto samples = graph.samples().samples();
    ASSERT_EQ(graph.Stop(), S_OK);
    EXPECT_GE(static_cast<long>(samples.size()), delivered);
    EXPECT_LE(static_cast<long>(samples.size()), delivered + 1);
    EXPECT_GT(lost, 0);
    EXPECT_EQ(average, bytes);
    EXPECT_EQ(copied, std::min(lost, 64L));
    // Every number is a frame the camera announced and no sample carried.
    for (long i = 0; i < copied; ++i) {
        if (i > 0) {
            EXPECT_GT(numbers[i], numbers[i - 1]);
        }
        for (const auto& s : samples) EXPECT_NE(s.mediaStart, numbers[i]);
    }
    dropped->Release();
}

TEST_F(FilterLive, StopsPromptlyWhileStreamingAndRunsAgain) {
    CaptureGraph graph(0);
    ConnectHalfSize(&graph);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const size_t before = graph.samples().samples().size();
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.samples().WaitFor(before + 3, kFrameWaitMs));
        StopPromptly(&graph);
    }
}

TEST_F(FilterLive, UnpluggedCameraEndsTheStreamWithAnErrorEvent) {
    CaptureGraph graph(0);
    ConnectHalfSize(&graph);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.samples().WaitFor(2, kFrameWaitMs));
    sandbox_.Camera(0)->SetUnplugged(true);
    LONG_PTR reason = 0;
    EXPECT_EQ(graph.WaitForEvent(kFrameWaitMs, &reason), EC_ERRORABORT);
    EXPECT_EQ(static_cast<HRESULT>(reason), dshow::kCameraAbsent);
    StopPromptly(&graph);
}

// Another program streams the camera: a connection (which measures the
// rate) is refused as busy, and so is running a graph connected before.
TEST_F(FilterLive, ACameraAnotherProgramStreamsIsBusy) {
    CaptureGraph connectedEarlier(0);
    ConnectHalfSize(&connectedEarlier);
    ChildProcess holder({"camera-hold", sandbox_.tableName(), sandbox_.wireName(), "0"});
    ASSERT_TRUE(holder.started());
    SharedDeviceTable table;
    ASSERT_TRUE(WaitUntil([&] { return table.OpenShared(sandbox_.tableName()) && table.IsDeviceBusy(0); }));

    CaptureGraph graph(0);
    IPin* pin = graph.pin();
    IBaseFilter* renderer = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               reinterpret_cast<void**>(&renderer)),
              S_OK);
    IPin* input = nullptr;
    IEnumPins* pins = nullptr;
    renderer->EnumPins(&pins);
    pins->Next(1, &input, nullptr);
    pins->Release();
    EXPECT_EQ(pin->Connect(input, nullptr), dshow::kCameraBusy);
    input->Release();
    renderer->Release();
    EXPECT_NE(graph.Connect(), S_OK);

    // Windows' graph fails the run with the filter's reason; Wine's runs the
    // other filters on. Either way the filter says so as an event.
    const HRESULT run = connectedEarlier.Run();
    if (FAILED(run)) {
        EXPECT_EQ(run, dshow::kCameraBusy);
    }
    LONG_PTR reason = 0;
    EXPECT_EQ(connectedEarlier.WaitForEvent(kFrameWaitMs, &reason), EC_ERRORABORT);
    EXPECT_EQ(static_cast<HRESULT>(reason), dshow::kCameraBusy);
    holder.Kill();
    holder.Wait();
}

// The settings page: what ISpecifyPropertyPages names, its three buttons,
// and each opening one of the library's dialogs on the filter's camera.
TEST_F(FilterLive, TheSettingsPageOpensTheLibrarysDialogs) {
    // The dialogs' templates live in the product DLL.
    ASSERT_NE(LoadLibraryA("KolvexSdk_410QFX_ZQP.dll"), nullptr);
    CaptureGraph graph(0);
    ISpecifyPropertyPages* specify = graph.Query<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
    ASSERT_NE(specify, nullptr);
    CAUUID pages{};
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_TRUE(IsEqualGUID(pages.pElems[0], dshow::kSettingsPageClassId));
    CoTaskMemFree(pages.pElems);
    specify->Release();

    IUnknown* made = dshow::CreateSettingsPage();
    IPropertyPage* page = nullptr;
    ASSERT_EQ(made->QueryInterface(IID_IPropertyPage, reinterpret_cast<void**>(&page)), S_OK);
    made->Release();
    IUnknown* objects[] = {graph.filter()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Camera");
    CoTaskMemFree(info.pszTitle);
    HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    const RECT area{0, 0, info.size.cx, info.size.cy};
    ASSERT_EQ(page->Activate(frame, &area, TRUE), S_OK);
    struct Button {
        int id;
        const wchar_t* text;
    };
    const Button buttons[] = {{dshow::SettingsPage::kCameraButton, L"Camera settings..."},
                              {dshow::SettingsPage::kAnalogButton, L"Analog settings..."},
                              {dshow::SettingsPage::kImageButton, L"Image settings..."}};
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.id);
        HWND button = GetDlgItem(GetWindow(frame, GW_CHILD), b.id);
        ASSERT_NE(button, nullptr);
        wchar_t text[64] = {};
        GetWindowTextW(button, text, 64);
        EXPECT_STREQ(text, b.text);
        // The user: waits for the library's dialog and cancels it.
        std::atomic<int> dialogs{0};
        std::atomic<bool> done{false};
        std::thread user([&] {
            while (!done) {
                HWND dialog = FindWindowW(L"#32770", nullptr);
                DWORD process = 0;
                if (dialog) GetWindowThreadProcessId(dialog, &process);
                if (dialog && process == GetCurrentProcessId() && IsWindowVisible(dialog)) {
                    ++dialogs;
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                    while (IsWindow(dialog) && !done) Sleep(10);
                }
                Sleep(10);
            }
        });
        SendMessageW(button, BM_CLICK, 0, 0);
        done = true;
        user.join();
        EXPECT_EQ(dialogs.load(), 1);
    }
    page->Deactivate();
    page->SetObjects(0, nullptr);
    page->Release();
    DestroyWindow(frame);
}

}  // namespace
}  // namespace kvx::test
