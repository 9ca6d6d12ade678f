// Saving the current output image as a still image file.
#include "camera/kolvex.h"
#include "display/frame_bitmap.h"
#include "output/still_image.h"
#include "platform/text_encoding.h"

namespace kvx {

int CKolvex::SaveImage(const char* path, int format) {
    if (!device_ || imageAvailable_.load() == 0) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    return SaveCurrentImage(path, format);
}

int CKolvex::SaveImageWide(const wchar_t* path, int format) {
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    char narrow[kWidePathBytes];
    if (!path || !platform::WideToAnsi(path, narrow, sizeof narrow)) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    return SaveCurrentImage(narrow, format);
}

int CKolvex::SaveCurrentImage(const char* path, int format) {
    if (!path) return RecordError(KOLVEX_ERR_ARGUMENT), 0;
    std::lock_guard<std::mutex> hold(frameLock_);
    // The image of the mode the bitmaps were set up for; a mode chosen
    // since then has no image yet.
    const FrameBitmap* image = OutputBitmap(activeMode_ >= 0 ? activeMode_ : colorMode_);
    if (!image || image->empty()) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    // A writer's failure leaves any earlier file in place and records nothing.
    return SaveFrameFile(path, image, format, kFileSampleBits);
}

}  // namespace kvx
