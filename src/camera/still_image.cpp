// Saving the current output image as a still image file.
#include "camera/frame_copy.h"
#include "camera/kolvex.h"
#include "display/frame_bitmap.h"
#include "output/still_image.h"
#include "pixels/color_mode.h"
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
    // Only the copy happens under the frame lock: encoding and syncing a
    // file takes far longer than a frame, and the stream must not wait.
    FrameBitmap image;
    {
        std::lock_guard<std::mutex> hold(frameLock_);
        // The image of the colour mode set now (see GetImage).
        const FrameBitmap* current = OutputBitmap(colorMode());
        if (!current || current->empty()) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
        if (!CopyFrameBitmap(*current, image)) return RecordError(KOLVEX_ERR_RESOURCE), 0;
    }
    // A writer's failure leaves any earlier file in place and records nothing.
    return SaveFrameFile(path, &image, format, kDeepSampleBits);
}

}  // namespace kvx
