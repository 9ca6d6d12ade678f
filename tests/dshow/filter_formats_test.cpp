// The capture pin's formats through Wine's filter graph: what
// IAMStreamConfig offers, what SetFormat chooses, and that the frames of
// each format are the library's own for the same camera and settings.
#include <gtest/gtest.h>

#include <vfwmsgs.h>

#include <string>
#include <utility>

#include "KolvexSdk.h"
#include "camera_sandbox.h"
#include "graph_rig.h"
#include "guids.h"
#include "library_frames.h"
#include "media_type.h"

namespace kvx::test {
namespace {

struct Offered {
    const GUID* subtype;
    int bits;
    DWORD compression;
    int width, height;
    int libraryBits;  // the colour mode the library's reference frame is taken in
};

const Offered kOffered[] = {
    {&MEDIASUBTYPE_RGB24, 24, BI_RGB, 2048, 1536, 24},
    {&MEDIASUBTYPE_RGB24, 24, BI_RGB, 1024, 768, 24},
    {&MEDIASUBTYPE_RGB32, 32, BI_RGB, 2048, 1536, 32},
    {&MEDIASUBTYPE_RGB32, 32, BI_RGB, 1024, 768, 32},
    {&dshow::kSubtypeY800, 8, MAKEFOURCC('Y', '8', '0', '0'), 2048, 1536, 8},
    {&dshow::kSubtypeY800, 8, MAKEFOURCC('Y', '8', '0', '0'), 1024, 768, 8},
    {&dshow::kSubtypeY16, 16, MAKEFOURCC('Y', '1', '6', ' '), 2048, 1536, 48},
    {&dshow::kSubtypeY16, 16, MAKEFOURCC('Y', '1', '6', ' '), 1024, 768, 48},
};

constexpr DWORD kFrameWaitMs = 10000;

class FilterFormats : public ::testing::Test {
protected:
    ComScope com_;
    CameraSandbox sandbox_{{0}};
};

TEST_F(FilterFormats, OffersEachFormatAtFullAndHalfSizeAtTheMeasuredInterval) {
    CaptureGraph graph(0);
    IAMStreamConfig* config = graph.StreamConfig();
    ASSERT_NE(config, nullptr);
    int count = 0, size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    ASSERT_EQ(count, 8);
    EXPECT_EQ(size, static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)));
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE("capability " + std::to_string(i));
        const Offered& want = kOffered[i];
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)), S_OK);
        EXPECT_TRUE(IsEqualGUID(type->majortype, MEDIATYPE_Video));
        EXPECT_TRUE(IsEqualGUID(type->subtype, *want.subtype));
        ASSERT_TRUE(IsEqualGUID(type->formattype, FORMAT_VideoInfo));
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
        EXPECT_EQ(info->bmiHeader.biWidth, want.width);
        // Bottom-up bitmaps for RGB; FourCC gray is always top row first.
        EXPECT_EQ(info->bmiHeader.biHeight, want.height);
        EXPECT_EQ(info->bmiHeader.biBitCount, want.bits);
        EXPECT_EQ(info->bmiHeader.biCompression, want.compression);
        EXPECT_EQ(info->bmiHeader.biSizeImage, static_cast<DWORD>(Stride(want.width, want.bits) * want.height));
        EXPECT_EQ(type->lSampleSize, info->bmiHeader.biSizeImage);
        EXPECT_GT(info->AvgTimePerFrame, 0);
        EXPECT_LT(info->AvgTimePerFrame, 10000000);
        EXPECT_EQ(caps.MinOutputSize.cx, want.width);
        EXPECT_EQ(caps.MaxOutputSize.cy, want.height);
        EXPECT_EQ(caps.MinFrameInterval, info->AvgTimePerFrame);
        EXPECT_EQ(caps.MaxFrameInterval, info->AvgTimePerFrame);
        dshow::DeleteMediaType(type);
    }
    AM_MEDIA_TYPE* type = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    EXPECT_EQ(config->GetStreamCaps(count, &type, reinterpret_cast<BYTE*>(&caps)), S_FALSE);
    config->Release();
}

// Each offered format chosen with SetFormat before connecting: the
// connection takes it, and its frames are the library's frames of the same
// colour mode and size (16-bit gray: the luminance of the 48-bit frame),
// row for row wherever the scene stands still.
TEST_F(FilterFormats, SetFormatChoosesTheFormatAndItsFramesAreTheLibrarys) {
    for (size_t i = 0; i < sizeof kOffered / sizeof kOffered[0]; ++i) {
        const Offered& want = kOffered[i];
        SCOPED_TRACE("format " + std::to_string(i));
        CaptureGraph graph(0);
        ASSERT_EQ(graph.ChooseFormat(static_cast<int>(i)), S_OK);
        ASSERT_EQ(graph.Connect(), S_OK);
        AM_MEDIA_TYPE connected = graph.ConnectedType();
        EXPECT_TRUE(IsEqualGUID(connected.subtype, *want.subtype));
        EXPECT_EQ(BitmapHeader(connected).biWidth, want.width);
        dshow::FreeMediaTypeContents(&connected);

        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.samples().WaitFor(2, kFrameWaitMs));
        ASSERT_EQ(graph.Stop(), S_OK);
        const std::vector<BYTE> frame = graph.samples().NewestBytes();
        const int stride = Stride(want.width, want.bits);
        ASSERT_EQ(frame.size(), static_cast<size_t>(stride) * want.height);

        const bool gray = want.bits <= 16;
        std::vector<BYTE> library = LibraryFrame(0, want.libraryBits, want.width < 2048, !gray, [&](int h) {
            if (want.bits == 8) Kolvex_SetGrayMode(h, 2);
        });
        if (want.libraryBits == 48) library = GrayFromDeepColor(library, want.width, want.height);
        EXPECT_EQ(FirstStillRowDiffering(frame, library, stride, want.height, !gray), -1);
    }
}

TEST_F(FilterFormats, TopDownRgbWhenTheClientAsksForANegativeHeight) {
    CaptureGraph graph(0);
    IAMStreamConfig* config = graph.StreamConfig();
    AM_MEDIA_TYPE* type = graph.Capability(0);
    ASSERT_NE(type, nullptr);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type->pbFormat);
    info->bmiHeader.biHeight = -info->bmiHeader.biHeight;
    ASSERT_EQ(config->SetFormat(type), S_OK);
    dshow::DeleteMediaType(type);
    config->Release();
    ASSERT_EQ(graph.Connect(), S_OK);
    AM_MEDIA_TYPE connected = graph.ConnectedType();
    EXPECT_EQ(BitmapHeader(connected).biHeight, -1536);
    dshow::FreeMediaTypeContents(&connected);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.samples().WaitFor(1, kFrameWaitMs));
    ASSERT_EQ(graph.Stop(), S_OK);
    EXPECT_EQ(FirstStillRowDiffering(graph.samples().NewestBytes(), LibraryFrame(0, 24, false, false), 2048 * 3, 1536,
                                     false),
              -1);
}

// 8-bit gray is the library's gray path: a uniform colour patch stays
// uniform (the raw mosaic would alternate sites). The gray mode it needs is
// the camera's stored setting, which the filter puts back.
TEST_F(FilterFormats, EightBitGrayComesFromColourAndLeavesTheStoredGrayModeAlone) {
    {
        CaptureGraph graph(0);
        ASSERT_EQ(graph.ChooseFormat(4), S_OK);  // 8-bit gray, full size
        ASSERT_EQ(graph.Connect(), S_OK);
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(graph.samples().WaitFor(1, kFrameWaitMs));
        ASSERT_EQ(graph.Stop(), S_OK);
        const std::vector<BYTE> frame = graph.samples().NewestBytes();
        ASSERT_EQ(frame.size(), 2048u * 1536u);
        // Inside the red patch (x 256..511, y 0..255), top row first.
        const BYTE first = frame[100 * 2048 + 300];
        for (int y = 100; y < 104; ++y)
            for (int x = 300; x < 304; ++x) EXPECT_EQ(frame[static_cast<size_t>(y) * 2048 + x], first) << x << "," << y;
    }
    const int handle = Kolvex_Initialize(nullptr);
    int ok = 0;
    EXPECT_EQ(Kolvex_GetGrayMode(handle, &ok), 0);
    Kolvex_Release(handle);
}

TEST_F(FilterFormats, SetFormatRefusesWhatIsNotOffered) {
    CaptureGraph graph(0);
    IAMStreamConfig* config = graph.StreamConfig();
    AM_MEDIA_TYPE* type = graph.Capability(0);
    ASSERT_NE(type, nullptr);
    struct Case {
        const char* what;
        void (*change)(AM_MEDIA_TYPE*, VIDEOINFOHEADER*);
    };
    const Case refused[] = {
        {"a size between the two", [](AM_MEDIA_TYPE*, VIDEOINFOHEADER* v) { v->bmiHeader.biWidth = 1600; }},
        {"another subtype", [](AM_MEDIA_TYPE* t, VIDEOINFOHEADER*) { t->subtype = MEDIASUBTYPE_YUY2; }},
        {"a bit count the subtype has not", [](AM_MEDIA_TYPE*, VIDEOINFOHEADER* v) { v->bmiHeader.biBitCount = 32; }},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        AM_MEDIA_TYPE* copy = dshow::CreateMediaTypeCopy(*type);
        c.change(copy, reinterpret_cast<VIDEOINFOHEADER*>(copy->pbFormat));
        EXPECT_EQ(config->SetFormat(copy), VFW_E_INVALIDMEDIATYPE);
        dshow::DeleteMediaType(copy);
    }
    dshow::DeleteMediaType(type);
    config->Release();
}

// A connected pin takes a new format by connecting its receiver again; one
// the receiver refuses leaves the connection as it was, and none changes
// while the graph runs.
TEST_F(FilterFormats, SetFormatWhileConnectedReconnectsWithWhatTheReceiverTakes) {
    CaptureGraph graph(0);
    IAMStreamConfig* config = graph.StreamConfig();
    ASSERT_EQ(graph.ConnectDirectly(&MEDIASUBTYPE_RGB24), S_OK);
    auto connectedSize = [&graph] {
        AM_MEDIA_TYPE connected = graph.ConnectedType();
        const BITMAPINFOHEADER header = BitmapHeader(connected);
        dshow::FreeMediaTypeContents(&connected);
        return std::make_pair(header.biWidth, static_cast<int>(header.biBitCount));
    };
    ASSERT_EQ(connectedSize(), std::make_pair(2048L, 24));
    AM_MEDIA_TYPE* half = graph.Capability(1);
    AM_MEDIA_TYPE* gray = graph.Capability(4);
    ASSERT_TRUE(half && gray);
    EXPECT_EQ(config->SetFormat(half), S_OK);
    EXPECT_EQ(connectedSize(), std::make_pair(1024L, 24));
    EXPECT_EQ(config->SetFormat(gray), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(connectedSize(), std::make_pair(1024L, 24));
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(graph.samples().WaitFor(1, kFrameWaitMs));
    EXPECT_EQ(graph.samples().samples().front().bytes, 1024 * 768 * 3);
    EXPECT_EQ(config->SetFormat(half), VFW_E_NOT_STOPPED);
    ASSERT_EQ(graph.Stop(), S_OK);
    dshow::DeleteMediaType(half);
    dshow::DeleteMediaType(gray);
    config->Release();
}

}  // namespace
}  // namespace kvx::test
