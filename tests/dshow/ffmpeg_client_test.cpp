// The filter as an application nobody here wrote meets it: registered with
// regsvr32, found by the system device enumerator, and used by ffmpeg.exe
// (the npm registry's @ffmpeg-installer build, fetched by scripts/setup)
// to list the camera and its formats and to capture from it.
//
// Frames are compared with the library's own for the same virtual camera
// and stored settings. The scene moves between the two captures only in its
// frame counter and its marker; those pixels (with the few pixels around
// them that the demosaic and sharpening reach) are checked by what they
// show instead: the counter read off each frame must differ from frame to
// frame and the marker must stand where that counter puts it, as white as
// in the library's frame. Every other pixel must be equal.
#include <gtest/gtest.h>

#include <dshow.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "KolvexSdk.h"
#include "client_process.h"
#include "graph_rig.h"
#include "guids.h"
#include "library_frames.h"
#include "registered_devices.h"
#include "sim/scene.h"

namespace kvx::test {
namespace {

constexpr int kWidth = 2048, kHeight = 1536, kFrameBytes = kWidth * kHeight * 3;

// A file of the build machine, named through Wine's drive for the Unix root.
std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}
// The cached ffmpeg.exe, and the filter in the Windows package.
std::wstring Ffmpeg() { return Quoted(WinePath(KOLVEX_FFMPEG_UNIX_PATH)); }
std::wstring Filter() { return WinePath(KOLVEX_FILTER_UNIX_PATH); }

DWORD Regsvr32(bool unregister, const std::vector<std::pair<std::wstring, std::wstring>>& environment = {}) {
    return RunClient(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + Quoted(Filter()), nullptr,
                     environment)
        .exitCode;
}

// The filter's own record of its device entries, as a set.
std::set<std::wstring> OurDeviceEntries() {
    const std::vector<std::wstring> entries = dshow::RegisteredDeviceEntries();
    return {entries.begin(), entries.end()};
}

// Class keys of the filter (any device number) and of its settings page.
int OurClassKeys() {
    int count = 0;
    auto exists = [](REFCLSID clsid) {
        wchar_t text[40];
        StringFromGUID2(clsid, text, 40);
        HKEY key = nullptr;
        const bool found =
            RegOpenKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + text).c_str(), 0, KEY_READ, &key) == 0;
        if (key) RegCloseKey(key);
        return found;
    };
    for (int device = 0; device < dshow::kMaxDevices; ++device) count += exists(dshow::FilterClassId(device));
    return count + exists(dshow::kSettingsPageClassId);
}

// What the system device enumerator lists as video inputs.
std::set<std::wstring> EnumeratedVideoInputs() {
    std::set<std::wstring> names;
    ICreateDevEnum* devices = nullptr;
    IEnumMoniker* monikers = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&devices))))
        return names;
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) == S_OK) {
        IMoniker* moniker = nullptr;
        while (monikers->Next(1, &moniker, nullptr) == S_OK) {
            IPropertyBag* bag = nullptr;
            VARIANT name;
            VariantInit(&name);
            if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))) &&
                SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)))
                names.insert(name.bstrVal);
            VariantClear(&name);
            if (bag) bag->Release();
            moniker->Release();
        }
        monikers->Release();
    }
    devices->Release();
    return names;
}

class FfmpegClient : public ::testing::Test {
protected:
    void SetUp() override {
        // Virtual cameras at 0 and 2 for this process (before the library
        // first looks) and for the programs it starts.
        _putenv("KOLVEX_SIMULATOR=0,2");
        ASSERT_NE(GetFileAttributesW(WinePath(KOLVEX_FFMPEG_UNIX_PATH).c_str()), INVALID_FILE_ATTRIBUTES)
            << KOLVEX_FFMPEG_UNIX_PATH << " is missing: scripts/setup fetches it";
    }
    void TearDown() override { Regsvr32(true); }

    ComScope com_;
};

TEST_F(FfmpegClient, RegistersEachCameraOnceAndUnregistersWithoutTrace) {
    const std::set<std::wstring> cameras = {L"Kolvex410QFX-ZQP (device 0)", L"Kolvex410QFX-ZQP (device 2)"};
    ASSERT_TRUE(OurDeviceEntries().empty());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(Regsvr32(false), 0u);
        EXPECT_EQ(OurDeviceEntries(), cameras);
        EXPECT_EQ(OurClassKeys(), 3);
        EXPECT_EQ(EnumeratedVideoInputs(), cameras);
    }
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(Regsvr32(true), 0u);
        EXPECT_TRUE(OurDeviceEntries().empty());
        EXPECT_EQ(OurClassKeys(), 0);
    }
    // Without a camera registering fails and leaves nothing.
    EXPECT_NE(Regsvr32(false, {{L"KOLVEX_SIMULATOR", L"none"}}), 0u);
    EXPECT_TRUE(OurDeviceEntries().empty());
    EXPECT_EQ(OurClassKeys(), 0);
}

TEST_F(FfmpegClient, ListsTheCamerasAndTheirFormats) {
    ASSERT_EQ(Regsvr32(false), 0u);
    const std::string devices = RunClient(Ffmpeg() + L" -hide_banner -list_devices true -f dshow -i dummy").errors;
    EXPECT_NE(devices.find("\"Kolvex410QFX-ZQP (device 0)\""), std::string::npos) << devices;
    EXPECT_NE(devices.find("\"Kolvex410QFX-ZQP (device 2)\""), std::string::npos) << devices;

    const std::string options =
        RunClient(Ffmpeg() + L" -hide_banner -list_options true -f dshow -i \"video=Kolvex410QFX-ZQP (device 0)\"")
            .errors;
    // ffmpeg's names for the formats; this build has none for 16-bit gray.
    const char* const formats[] = {"pixel_format=bgr24  min s=2048x1536", "pixel_format=bgr24  min s=1024x768",
                                   "pixel_format=bgr0  min s=2048x1536",  "pixel_format=bgr0  min s=1024x768",
                                   "pixel_format=gray  min s=2048x1536",  "pixel_format=gray  min s=1024x768",
                                   "compression type 0x20363159  min s=2048x1536",
                                   "compression type 0x20363159  min s=1024x768"};
    for (const char* format : formats) EXPECT_NE(options.find(format), std::string::npos) << format << options;
}

// The counter the scene shows in a top-down 24-bit frame: 32 cells, most
// significant first, bright for 1.
uint32_t ReadCounter(const BYTE* frame) {
    const int row = (sim::kCounterTop + sim::kCounterBottom) / 2;
    uint32_t counter = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const int x = bit * sim::kCounterCellWidth + sim::kCounterCellWidth / 2;
        counter = counter << 1 | (frame[(static_cast<size_t>(row) * kWidth + x) * 3 + 1] > 128 ? 1u : 0u);
    }
    return counter;
}

// Pixels where two frames of the scene may differ: the counter cells and the
// marker at either frame's counter, with the reach of the conversion.
bool Moves(int x, int y, uint32_t counterA, uint32_t counterB) {
    constexpr int kReach = 4;
    if (y >= sim::kCounterTop - kReach && y < sim::kCounterBottom + kReach && x < 32 * sim::kCounterCellWidth + kReach)
        return true;
    if (y < sim::kMarkerTop - kReach || y >= sim::kMarkerBottom + kReach) return false;
    for (uint32_t counter : {counterA, counterB}) {
        const int left = sim::MarkerLeft(counter);
        if (x >= left - kReach && x < left + sim::kMarkerSize + kReach) return true;
    }
    return false;
}

// The first difference outside the moving parts, or an empty string.
std::string CompareWithLibrary(const BYTE* frame, const std::vector<BYTE>& library) {
    const uint32_t counter = ReadCounter(frame), libraryCounter = ReadCounter(library.data());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const size_t at = (static_cast<size_t>(y) * kWidth + x) * 3;
            if (!Moves(x, y, counter, libraryCounter) && std::memcmp(frame + at, library.data() + at, 3) != 0)
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    // The marker stands where the counter puts it, as white as the library's.
    const int y = (sim::kMarkerTop + sim::kMarkerBottom) / 2, inside = sim::kMarkerSize / 2;
    const size_t here = (static_cast<size_t>(y) * kWidth + sim::MarkerLeft(counter) + inside) * 3;
    const size_t there = (static_cast<size_t>(y) * kWidth + sim::MarkerLeft(libraryCounter) + inside) * 3;
    if (std::memcmp(frame + here, library.data() + there, 3) != 0) return "marker of counter " + std::to_string(counter);
    return "";
}

TEST_F(FfmpegClient, Captures30DistinctFramesThatAreTheLibrarys) {
    // Settings of the camera's own, kept by the library for every program.
    auto store = [](int gamma, int brightness) {
        const int handle = Kolvex_Initialize(nullptr);
        Kolvex_SetGamma(handle, gamma);
        Kolvex_SetBrightness(handle, brightness);
        Kolvex_Release(handle);
    };
    store(130, 20);
    const std::vector<BYTE> library = LibraryFrame(0, 24, false, false);
    ASSERT_EQ(library.size(), static_cast<size_t>(kFrameBytes));
    ASSERT_EQ(Regsvr32(false), 0u);

    std::vector<BYTE> frame;
    std::vector<uint32_t> counters;
    std::vector<std::string> differences;
    const ClientRun run = RunClient(
        Ffmpeg() + L" -hide_banner -f dshow -rtbufsize 256M -video_size 2048x1536 -pixel_format bgr24"
                   L" -i \"video=Kolvex410QFX-ZQP (device 0)\" -frames:v 30 -vsync passthrough -f rawvideo -",
        [&](const BYTE* data, size_t size) {
            while (size > 0) {
                const size_t taken = std::min(size, kFrameBytes - frame.size());
                frame.insert(frame.end(), data, data + taken);
                data += taken;
                size -= taken;
                if (frame.size() < static_cast<size_t>(kFrameBytes)) continue;
                counters.push_back(ReadCounter(frame.data()));
                differences.push_back(CompareWithLibrary(frame.data(), library));
                frame.clear();
            }
            return true;
        });
    store(100, 0);
    ASSERT_EQ(run.exitCode, 0u) << run.errors;
    ASSERT_EQ(counters.size(), 30u) << run.errors;
    for (size_t i = 0; i < counters.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(differences[i], "");
        // Later frames, and never the same one twice.
        if (i > 0) {
            EXPECT_GT(counters[i] - counters[i - 1], 0u);
        }
    }
    EXPECT_EQ(std::set<uint32_t>(counters.begin(), counters.end()).size(), 30u);
}

}  // namespace
}  // namespace kvx::test
