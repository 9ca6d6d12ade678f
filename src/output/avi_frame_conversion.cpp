#include "output/avi_frame_conversion.h"

#include "display/frame_bitmap.h"
#include "imaging/export_kernels.h"
#include "output/output_kernels.h"

namespace kvx {

bool ConvertFrameForAvi(const FrameBitmap& frame, int sampleBits, FrameBitmap& bgr24, FrameBitmap& gray8) {
    // The palette arguments are read-only; the kernel signature is shared.
    auto* framePalette = const_cast<platform::DibColor*>(frame.info().colors);
    auto* grayPalette = const_cast<platform::DibColor*>(gray8.info().colors);
    const int shift = ShiftDownFor(sampleBits);
    switch (frame.bitsPerPixel()) {
        case 8:  // as the system draws it: through its palette
            return bgr24.RunKernel(ExpandPaletteToBgr24, &frame, nullptr, 0, 0, framePalette, 1) != 0;
        case 16:
            return gray8.RunKernel(sampleBits == 10 ? ExportGray16To8Bits10 : ExportGray16To8Bits12, &frame, nullptr,
                                   0, 0, nullptr, 0) != 0 &&
                   bgr24.RunKernel(ExpandPaletteToBgr24, &gray8, nullptr, 0, 0, grayPalette, 0) != 0;
        case 24:
        case 32: return bgr24.RunKernel(ExportCopy24Flipped, &frame, nullptr, 0, 0, nullptr, 0) != 0;
        case 48:
        case 64: return bgr24.RunKernel(ReduceColorWordsToBgr24Flipped, &frame, nullptr, 0, 0, nullptr, shift) != 0;
        default: return false;
    }
}

}  // namespace kvx
