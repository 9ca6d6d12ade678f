// The exports that take sizes and rectangles, called with whatever an
// application might pass: capture windows, preview rectangles, frame
// buffers and name buffers. Buffers are always as large as the size given
// (the one promise a caller makes); everything else is fair game. Besides
// running clean under the sanitizers, a refused capture window must change
// nothing, an accepted one must be one the camera can start with, and
// acquisition must then start.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "KolvexSdk.h"
#include "camera_sandbox.h"
#include "fuzz_target.h"

namespace {

kvx::test::CameraSandbox* g_sandbox = nullptr;
int g_handle = 0;

void TearDown() {
    if (g_handle) Kolvex_Release(g_handle);
    g_handle = 0;
    delete g_sandbox;
    g_sandbox = nullptr;
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool empty() const { return p_ == end_; }
    uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
    int32_t Int() {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b) v |= uint32_t{Byte()} << (8 * b);
        return static_cast<int32_t>(v);
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

struct Window {
    int ht, hs, w, vt, vs, h;
    bool operator==(const Window& o) const {
        return ht == o.ht && hs == o.hs && w == o.w && vt == o.vt && vs == o.vs && h == o.h;
    }
};

Window Current() {
    Window g{};
    FUZZ_CHECK(Kolvex_GetCaptureWindowEx(g_handle, &g.ht, &g.hs, &g.w, &g.vt, &g.vs, &g.h) == 1);
    return g;
}

// Whatever was asked, the camera holds a window it can read out.
void CheckWindowUsable() {
    const Window g = Current();
    FUZZ_CHECK(g.w >= 4 && g.h >= 3 && g.hs >= 0 && g.vs >= 0);
    FUZZ_CHECK(g.hs + g.w <= 2048 && g.vs + g.h <= 1536);
}

// Frames of up to VGA size keep a run of inputs within seconds.
bool SmallEnoughToCapture() {
    const Window g = Current();
    return g.w * g.h <= 640 * 480;
}

// Bytes the largest frame of the current window can take (64 bits a pixel).
size_t LargestFrame() {
    const Window g = Current();
    return static_cast<size_t>(g.w) * static_cast<size_t>(g.h) * 8 + 4096;
}

// A buffer of exactly the size given, or a small one for sizes that are
// not positive; sizes beyond the largest frame are cut to it.
int FrameCall(int (*call)(int, void*, int, int), int32_t size, int bottomUp) {
    const size_t bytes = size > 0 ? std::min(static_cast<size_t>(size), LargestFrame()) : 16;
    std::vector<uint8_t> buffer(bytes);
    const int given = size > 0 ? static_cast<int>(bytes) : size;
    return call(g_handle, buffer.data(), given, bottomUp);
}

template <typename Char>
void NameCall(int (*call)(int, int, Char*, int), Reader& in) {
    const int device = in.Int();
    const size_t capacity = in.Byte();
    const int32_t asked = in.Int();
    std::vector<Char> buffer(capacity + 1, Char('#'));
    const int size = asked >= 0 ? static_cast<int>(std::min<size_t>(static_cast<size_t>(asked), capacity)) : asked;
    if (call(g_handle, device, buffer.data(), size) == 1) {
        // A name is whole and ends within the buffer it was given.
        FUZZ_CHECK(size > 0);
        FUZZ_CHECK(std::find(buffer.begin(), buffer.begin() + size, Char(0)) != buffer.begin() + size);
    }
    FUZZ_CHECK(buffer[capacity] == Char('#'));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_sandbox = new kvx::test::CameraSandbox({0});
    g_handle = Kolvex_Initialize(nullptr);
    std::atexit(TearDown);
    FUZZ_CHECK(g_handle != 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Every input starts from a small window in 8-bit mode. The device
    // takes a tenth of a second for each new frame size, so the window is
    // only set again when the last input left a large one.
    Kolvex_Close(g_handle);
    Kolvex_SetSubSample(g_handle, 0);
    Kolvex_SetColorMode(g_handle, 8);
    if (!SmallEnoughToCapture()) FUZZ_CHECK(Kolvex_SetCaptureWindowEx(g_handle, 2048, 0, 64, 1536, 0, 48) == 1);
    Kolvex_SetPreviewWindow(g_handle, nullptr, 0, 0, 0, 0);

    Reader in(data, size);
    // Each start costs the device's settling pauses: one a input.
    int acquisitions = 0;
    for (int calls = 0; !in.empty() && calls < 48; ++calls) {
        switch (in.Byte() % 10) {
            case 0: {
                const Window before = Current();
                const Window asked = {in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int()};
                const int result = Kolvex_SetCaptureWindowEx(g_handle, asked.ht, asked.hs, asked.w, asked.vt,
                                                              asked.vs, asked.h);
                FUZZ_CHECK(Current() == (result == 1 ? asked : before));
                break;
            }
            case 1: {
                const int32_t w = in.Int(), h = in.Int();
                Kolvex_SetCaptureWindow(g_handle, w, h);
                break;
            }
            case 2: {
                const int32_t l = in.Int(), t = in.Int(), r = in.Int(), b = in.Int();
                Kolvex_SetPreviewWindow(g_handle, nullptr, l, t, r, b);
                break;
            }
            case 3:
            case 4: {
                const int32_t bytes = in.Int();
                const int bottomUp = in.Byte();
                const bool snapshot = (in.Byte() & 1) == 0;
                if (!snapshot) {
                    FrameCall(Kolvex_GetImage, bytes, bottomUp);
                    break;
                }
                if (acquisitions++ > 0 || !SmallEnoughToCapture()) break;
                const int result = FrameCall(Kolvex_SnapShot, bytes, bottomUp);
                // With room for the whole frame a snapshot succeeds.
                if (bytes > 0 && static_cast<size_t>(bytes) >= LargestFrame()) FUZZ_CHECK(result == 1);
                break;
            }
            case 5:
                NameCall(Kolvex_GetDeviceName, in);
                break;
            case 6:
                NameCall(Kolvex_GetDeviceNameW, in);
                break;
            case 7:
                Kolvex_SetSubSample(g_handle, in.Int());
                Kolvex_SetColorMode(g_handle, in.Int());
                break;
            case 8:
                // A window accepted when it was given must start.
                if (acquisitions++ > 0 || !SmallEnoughToCapture()) break;
                FUZZ_CHECK(Kolvex_Preview(g_handle) == 1);
                FUZZ_CHECK(Kolvex_StopPreview(g_handle) == 1);
                Kolvex_Close(g_handle);
                break;
            default: {
                const int32_t id = in.Byte() % 30, value = in.Int();
                Kolvex_SetFilterValue(g_handle, id, value);
                break;
            }
        }
        CheckWindowUsable();
    }
    Kolvex_Close(g_handle);
    while (Kolvex_GetLastError(g_handle) != 0) {
    }
    return 0;
}
