// The output format: colour depth and subsampling. Both are only stored
// here; the bitmaps, the device's sample depth and the frame size follow at
// the next start, while a running worker keeps the mode it was set up for,
// so no bitmap is ever used before it exists.
#include "camera/kolvex.h"
#include "pixels/color_mode.h"

namespace kvx {

namespace {

// The depth code the getter reports for each colour mode: the 16-bit
// modes report their significant bits.
constexpr int kDepthCode[kColorModeCount] = {8, 12, 24, 32, 44, 60};

}  // namespace

int CKolvex::SetColorMode(int bitsPerPixel) {
    for (int mode = 0; mode < kColorModeCount; ++mode) {
        if (ColorModeBitsPerPixel(mode) != bitsPerPixel) continue;
        std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
        platform::StoreRelaxed(&colorMode_, mode);
        return 1;
    }
    return RecordError(KOLVEX_ERR_ARGUMENT), 0;
}

int CKolvex::GetColorMode() const {
    const int mode = colorMode();
    return IsColorMode(mode) ? kDepthCode[mode] : -1;
}

int CKolvex::SetSubSample(int mode) {
    if (mode != 0 && mode != 1) return 0;
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    platform::StoreRelaxed(&subSample_, mode);
    return 1;
}

int CKolvex::GetSubSample() const { return subSample(); }

}  // namespace kvx
