// No drawing system here: every surface is zeroed heap memory.
#include "platform/dib_surface.h"

#include <cstdlib>

namespace kvx::platform {

bool CreateDibSurface(const DibInfo&, size_t imageBytes, void*, DibSurface& out) {
    out = DibSurface{};
    void* memory = std::calloc(imageBytes == 0 ? 1 : imageBytes, 1);
    if (memory == nullptr) return false;
    out.bits = static_cast<uint8_t*>(memory);
    out.heapMemory = true;
    return true;
}

void DestroyDibSurface(DibSurface& surface) {
    if (surface.heapMemory) std::free(surface.bits);
    surface = DibSurface{};
}

void SetDibSurfaceColors(DibSurface&, int, int, const DibColor*) {}

bool BlitDibSurface(DibSurface&, int, int, int, int, const DibSurface&, int, int) { return false; }

}  // namespace kvx::platform
