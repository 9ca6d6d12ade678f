// The preview window: a window of a class made for it alone, either a child
// of a window the application names or a top-level window of its own,
// painted from the acquisition thread after every converted frame. It has
// no drawing logic of its own; between frames the system's default
// procedure only erases it to black.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/frame_bitmap.h"
#include "pixels/color_mode.h"
#include "platform/window_message.h"

namespace kvx {

// Where the application wants the preview: a parent window and a
// rectangle. For a child, right and bottom are its width and height.
struct PreviewPlacement {
    platform::WindowHandle parent = nullptr;
    int32_t left = 0, top = 0, right = 2048, bottom = 1536;

    // No parent and an all-zero rectangle: frames go to the application only.
    bool WantsWindow() const { return parent != nullptr || left != 0 || top != 0 || right != 0 || bottom != 0; }
};

// What an open preview window consists of; empty while there is none.
struct PreviewWindowHandles {
    platform::WindowHandle window = nullptr;
    void* deviceContext = nullptr;
    std::string className;

    bool open() const { return window != nullptr; }
};

constexpr int kPreviewChildId = 6540;

// Registers a fresh class and makes the window. `owner` and the clock make
// the class name unique, so several cameras and successive previews never
// collide. A top-level window gets a client area of exactly the frame size.
// Null on failure, with nothing left behind.
platform::WindowHandle CreatePreviewWindow(const void* owner, const PreviewPlacement& placement, int frameWidth,
                                           int frameHeight, std::string* className);

// CreatePreviewWindow and the device context. False (with nothing left
// behind) when either fails.
bool OpenPreviewWindow(const void* owner, const PreviewPlacement& placement, int frameWidth, int frameHeight,
                       PreviewWindowHandles* out);

// Releases the device context, destroys the window, unregisters its class
// and empties `handles`. The caller has stopped every painter first.
void ClosePreviewWindow(PreviewWindowHandles* handles);

// The client size when the window can be painted at all: it exists, is
// shown, has a device context and a client area in both directions.
bool PaintableClientSize(const PreviewWindowHandles& handles, int* width, int* height);

// (Re)creates the preview bitmap at the client size, 8-bit gray for colour
// modes kColorMode8 and kColorMode16, 24-bit otherwise; keeps it when it already fits.
bool FitPreviewBitmap(FrameBitmap& preview, int width, int height, int colorMode);

// The camera's bitmaps indexed by ColorMode.
using ModeBitmaps = std::array<FrameBitmap*, kColorModeCount>;

// Draws the converted frame of `colorMode` into the window, through the
// preview bitmap when the sizes differ. Runs under the camera's frame lock.
// Failures are silent: a hidden or empty window is simply not painted.
void PaintPreview(const PreviewWindowHandles& handles, int colorMode, const ModeBitmaps& bitmaps,
                  FrameBitmap& preview);

}  // namespace kvx
