#include "platform/dib_surface.h"

#include <windows.h>

#include <cstdlib>

namespace kvx::platform {
namespace {

bool CreateHeapSurface(size_t imageBytes, DibSurface& out) {
    void* memory = std::calloc(imageBytes == 0 ? 1 : imageBytes, 1);
    if (memory == nullptr) return false;
    out.bits = static_cast<uint8_t*>(memory);
    out.heapMemory = true;
    return true;
}

}  // namespace

bool CreateDibSurface(const DibInfo& info, size_t imageBytes, void* compatibleDc, DibSurface& out) {
    out = DibSurface{};
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(static_cast<HDC>(compatibleDc), reinterpret_cast<const BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section == nullptr || bits == nullptr) {
        if (section != nullptr) DeleteObject(section);
        // Kernels only need the pixels; drawing from this bitmap will not work.
        return CreateHeapSurface(imageBytes, out);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) {
        DeleteObject(section);
        return false;
    }
    HGDIOBJ previous = SelectObject(dc, section);
    if (previous == nullptr || previous == HGDI_ERROR) {
        DeleteDC(dc);
        DeleteObject(section);
        return false;
    }
    out.memoryDc = dc;
    out.section = section;
    out.previousObject = previous;
    out.bits = static_cast<uint8_t*>(bits);  // sections start zeroed
    return true;
}

void DestroyDibSurface(DibSurface& surface) {
    if (surface.memoryDc != nullptr) {
        if (surface.previousObject != nullptr) {
            SelectObject(static_cast<HDC>(surface.memoryDc), static_cast<HGDIOBJ>(surface.previousObject));
        }
    }
    if (surface.section != nullptr) DeleteObject(static_cast<HGDIOBJ>(surface.section));
    if (surface.memoryDc != nullptr) DeleteDC(static_cast<HDC>(surface.memoryDc));
    if (surface.heapMemory) std::free(surface.bits);
    surface = DibSurface{};
}

void SetDibSurfaceColors(DibSurface& surface, int first, int count, const DibColor* colors) {
    if (surface.memoryDc == nullptr || colors == nullptr || count <= 0) return;
    SetDIBColorTable(static_cast<HDC>(surface.memoryDc), static_cast<UINT>(first), static_cast<UINT>(count),
                     reinterpret_cast<const RGBQUAD*>(colors));
}

bool BlitDibSurface(DibSurface& destination, int x, int y, int width, int height, const DibSurface& source,
                    int sourceX, int sourceY) {
    if (destination.memoryDc == nullptr || source.memoryDc == nullptr) return false;
    return BitBlt(static_cast<HDC>(destination.memoryDc), x, y, width, height, static_cast<HDC>(source.memoryDc),
                  sourceX, sourceY, SRCCOPY) != 0;
}

}  // namespace kvx::platform
