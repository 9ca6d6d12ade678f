#include "display/preview_window.h"

#include <cstdio>
#include <cstdlib>

#include "imaging/display_reduction.h"
#include "imaging/nearest_scaling.h"
#include "platform/clock.h"
#include "platform/window_surface.h"

namespace kvx {

namespace {

constexpr uint32_t kChildStyle = platform::kStyleChild | platform::kStyleVisible | platform::kStyleClipChildren;
constexpr uint32_t kTopLevelStyle = platform::kStyleOverlappedWindow | platform::kStyleVisible |
                                    platform::kStyleClipSiblings | platform::kStyleClipChildren;

// The bitmap the system can draw for a colour mode: 8-bit gray or 24-bit,
// reduced from the deeper ones first. Null when the mode's bitmaps are
// missing.
FrameBitmap* Drawable(int colorMode, const ModeBitmaps& bitmaps) {
    FrameBitmap* gray = bitmaps[kColorMode8];
    FrameBitmap* color = bitmaps[kColorMode24];
    auto reduce = [](FrameBitmap* to, FrameBitmap* from, PixelKernel kernel) -> FrameBitmap* {
        if (!to || !from || to->empty() || from->empty()) return nullptr;
        to->RunKernel(kernel, from, nullptr, 0, 0, nullptr, 0);
        return to;
    };
    switch (colorMode) {
        case kColorMode8: return gray && !gray->empty() ? gray : nullptr;
        case kColorMode16: return reduce(gray, bitmaps[kColorMode16], ReduceGray16To8);
        case kColorMode24: return color && !color->empty() ? color : nullptr;
        case kColorMode32: return reduce(color, bitmaps[kColorMode32], ReduceColor32To24);
        case kColorMode48: return reduce(color, bitmaps[kColorMode48], ReduceColor48To24);
        case kColorMode64: return reduce(color, bitmaps[kColorMode64], ReduceColor48To24);
        default: return nullptr;
    }
}

}  // namespace

platform::WindowHandle CreatePreviewWindow(const void* owner, const PreviewPlacement& placement, int frameWidth,
                                           int frameHeight, std::string* className) {
    if (!placement.parent && !placement.WantsWindow()) return nullptr;
    char name[64];
    std::snprintf(name, sizeof name, "VideoRenderer_%08x_%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(owner)),
                  static_cast<unsigned>(platform::MultimediaTime() + static_cast<uint32_t>(std::rand())));
    if (!platform::RegisterWindowClass(name)) return nullptr;

    platform::WindowHandle window =
        placement.parent
            ? platform::CreateChildWindow(name, "ActiveMovie Window", kChildStyle, placement.parent, placement.left,
                                          placement.top, placement.right, placement.bottom, kPreviewChildId)
            : platform::CreateCentredWindow(name, "Active Window", kTopLevelStyle, frameWidth, frameHeight);
    if (window && !platform::FocusShowUpdate(window)) {
        platform::DestroyPlatformWindow(window);
        window = nullptr;
    }
    if (!window) {
        // A failed start must not leave a class behind under a name that
        // nobody remembers.
        platform::UnregisterWindowClass(name);
        return nullptr;
    }
    *className = name;
    return window;
}

bool OpenPreviewWindow(const void* owner, const PreviewPlacement& placement, int frameWidth, int frameHeight,
                       PreviewWindowHandles* out) {
    std::string name;
    platform::WindowHandle window = CreatePreviewWindow(owner, placement, frameWidth, frameHeight, &name);
    if (!window) return false;
    void* dc = platform::AcquireWindowDc(window);
    if (!dc) {
        platform::DestroyPlatformWindow(window);
        platform::UnregisterWindowClass(name.c_str());
        return false;
    }
    out->window = window;
    out->deviceContext = dc;
    out->className = std::move(name);
    return true;
}

void ClosePreviewWindow(PreviewWindowHandles* handles) {
    if (handles->deviceContext) platform::ReleaseWindowDc(handles->window, handles->deviceContext);
    if (handles->window) platform::DestroyPlatformWindow(handles->window);
    if (!handles->className.empty()) platform::UnregisterWindowClass(handles->className.c_str());
    *handles = PreviewWindowHandles{};
}

bool PaintableClientSize(const PreviewWindowHandles& handles, int* width, int* height) {
    if (!handles.window || !handles.deviceContext || !platform::IsWindowShown(handles.window)) return false;
    if (!platform::ClientSize(handles.window, width, height)) return false;
    return *width > 0 && *height > 0;
}

bool FitPreviewBitmap(FrameBitmap& preview, int width, int height, int colorMode) {
    const int bits = colorMode == kColorMode8 || colorMode == kColorMode16 ? 8 : 24;
    // The depth counts as much as the size: scaling 24-bit pixels into an
    // 8-bit bitmap of the right size would run past its rows.
    if (!preview.empty() && preview.width() == width && preview.height() == height && preview.bitsPerPixel() == bits)
        return true;
    return preview.Create(width, height, bits) == 1;
}

void PaintPreview(const PreviewWindowHandles& handles, int colorMode, const ModeBitmaps& bitmaps,
                  FrameBitmap& preview) {
    // The window is looked at first so that a frame nobody sees costs no
    // reduction.
    int width = 0, height = 0;
    if (!PaintableClientSize(handles, &width, &height)) return;
    FrameBitmap* drawable = Drawable(colorMode, bitmaps);
    if (!drawable) return;

    if (width == drawable->width() && height == drawable->height() && colorMode != kColorMode16) {
        // Memory row 0 is the top of the picture but the system's last row:
        // drawing from the bottom upwards puts it on top. A negative extent
        // covers its origin row and the rows above it, so the flip starts
        // at the last row, height - 1; starting at height would shift the
        // picture down by a row and lose its bottom line.
        platform::StretchToWindow(handles.deviceContext, 0, 0, width, height, drawable->surface(), drawable->info(), 0,
                                  height - 1, width, -height);
        return;
    }
    if (!FitPreviewBitmap(preview, width, height, colorMode)) return;
    // The scaling kernel flips while it scales, so a plain block transfer
    // shows the picture upright.
    preview.RunKernelScaled(preview.bitsPerPixel() == 8 ? ScaleNearest8 : ScaleNearest24, drawable, nullptr, nullptr,
                            nullptr, 0);
    platform::BlitToWindow(handles.deviceContext, 0, 0, width, height, preview.surface(), preview.info(), 0, 0);
}

}  // namespace kvx
