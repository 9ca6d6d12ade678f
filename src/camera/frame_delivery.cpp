// Delivering one frame: the one routine behind the preview loop, the
// trigger loop and the snapshot, so that a fix to any step reaches all
// three. From the device into the raw bitmap, spread to the bitmap's
// stride, converted, painted, copied into the application's buffer and
// announced to its callback window.
#include <algorithm>

#include "camera/camera_exposure.h"
#include "camera/frame_copy.h"
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "display/frame_bitmap.h"
#include "platform/atomic_word.h"
#include "platform/clock.h"
#include "pixels/color_mode.h"

namespace kvx {

ModeBitmaps CKolvex::ModeBitmapSet() const {
    return {bitmaps_[kBitmap8].get(),  bitmaps_[kBitmap16].get(), bitmaps_[kBitmap24].get(),
            bitmaps_[kBitmap32].get(), bitmaps_[kBitmap48].get(), bitmaps_[kBitmap64].get()};
}

FrameBitmap* CKolvex::RawBitmap() const {
    if (!IsColorMode(activeMode_)) return nullptr;
    return bitmaps_[IsSixteenBitMode(activeMode_) ? kBitmap16 : kBitmap8].get();
}

FrameBitmap* CKolvex::OutputBitmap(int mode) const {
    if (!IsColorMode(mode)) return nullptr;
    return bitmaps_[static_cast<size_t>(kBitmap8 + mode)].get();
}

namespace {

// The application may still be reading the record from the last frame's
// message: a field is written only when its value changes, so that what a
// frame does not change is never written under the reader.
template <typename T>
void Update(T* field, T value) {
    if (*field != value) *field = value;
}

}  // namespace

void CKolvex::FillFrameInfo(const FrameBitmap& raw, int frameRate) {
    Update(&frameInfo_->size, static_cast<int>(sizeof(KolvexFrameInfo)));
    Update(&frameInfo_->width, raw.width());
    Update(&frameInfo_->height, raw.height());
    Update(&frameInfo_->buffer, callbackBuffer_);
    Update(&frameInfo_->bitsPerPixel, ColorModeBitsPerPixel(activeMode_));
    Update(&frameInfo_->frameRate, frameRate);
}

// Tenths of a frame per second over windows of at least a second.
int CKolvex::UpdateFrameRate() {
    ++framesInWindow_;
    if (platform::MultimediaTime() - windowStart_ > 1000) {
        const uint32_t elapsed = platform::MultimediaTime() - windowStart_;
        frameRate_ = static_cast<int32_t>(uint64_t{static_cast<uint32_t>(framesInWindow_)} * 10000u / elapsed);
        framesInWindow_ = 0;
        windowStart_ = platform::MultimediaTime();
    }
    return frameRate_;
}

void CKolvex::Convert() {
    ConversionControls controls;
    controls.filter = filter_.data();
    controls.colorMode = activeMode_;
    controls.mirrorVertical = platform::LoadRelaxed(&analog_[kMirrorV]) != 0;
    controls.mirrorHorizontal = platform::LoadRelaxed(&analog_[kMirrorH]) != 0;
    controls.autoExposure = AutoExposureModeOf(platform::LoadRelaxed(&analog_[kAutoIris]));
    controls.pool = conversionPool_;
    ConversionBitmaps bitmaps;
    const ModeBitmaps modes = ModeBitmapSet();
    std::copy(modes.begin(), modes.end(), bitmaps.byMode.begin());
    bitmaps.outputCopy = bitmaps_[kBitmapOutputCopy].get();
    CameraExposure exposure(device_.get(), analog_.data(), &dialogHooks_);
    ConvertFrame(controls, bitmaps, &exposure, &dialogHooks_);
}

void CKolvex::Paint() { PaintPreview(preview_, activeMode_, ModeBitmapSet(), *bitmaps_[kBitmapDisplay]); }

int CKolvex::FrameCopy(const FrameBitmap* bitmap, int bottomUp, void* buffer, int size,
                       WindowHandle callbackWindow) {
    if (!bitmap || !CopyFrameOut(*bitmap, bottomUp, buffer, size)) {
        PostFrameError(callbackWindow, KOLVEX_ERR_RESOURCE);
        RecordError(KOLVEX_ERR_RESOURCE);
        return 0;
    }
    return 1;
}

void CKolvex::PostFrameError(WindowHandle callbackWindow, int code) {
    if (callbackWindow) platform::PostWindowMessage(callbackWindow, KOLVEX_WM_FRAME, 0, code);
}

DeliveryResult CKolvex::DeliverFrame(const FrameDelivery& how) {
    std::unique_lock<std::mutex> hold(frameLock_);
    // Taken under the lock, so that a frame never goes to a window with
    // another window's buffer.
    const WindowHandle callbackWindow = callbackWindow_;
    const FrameDelivery::Destination destination =
        how.destination ? *how.destination : FrameDelivery::Destination{callbackBuffer_, callbackSize_, callbackBottomUp_};

    FrameBitmap* raw = RawBitmap();
    const bool read = raw && !raw->empty() &&
                      (how.source == FrameSource::Ring ? device_->ReadFrame(raw->bits())
                                                       : device_->CopySingleFrame(raw->bits())) == kDeviceOk;
    if (!read) {
        hold.unlock();
        PostFrameError(callbackWindow, KOLVEX_ERR_FRAME);
        RecordError(KOLVEX_ERR_FRAME);
        return DeliveryResult::ReadFailed;
    }
    SpreadPackedRows(*raw);
    if (how.announce) FillFrameInfo(*raw, how.measureRate ? UpdateFrameRate() : 0);
    Convert();
    if (how.feedRecorder) recorderNewFrame_ = 1;
    imageAvailable_ = 1;
    if (how.paint) Paint();
    if (destination.buffer && destination.size != 0 &&
        !FrameCopy(OutputBitmap(activeMode_), destination.bottomUp, destination.buffer, destination.size,
                   callbackWindow))
        return DeliveryResult::CopyFailed;
    hold.unlock();
    if (how.announce && callbackWindow)
        platform::PostWindowMessage(callbackWindow, KOLVEX_WM_FRAME, reinterpret_cast<uintptr_t>(frameInfo_), 0);
    return DeliveryResult::Delivered;
}

}  // namespace kvx
