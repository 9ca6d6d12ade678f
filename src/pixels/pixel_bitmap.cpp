#include "pixels/pixel_bitmap.h"

namespace kvx {

int PixelBitmap::RunKernel(PixelKernel kernel, const PixelBitmap* source, const BitmapRect* sourceRect, int x, int y,
                           void* argument, int extra) {
    if (kernel == nullptr || source == nullptr || empty() || source->empty()) return 0;
    // 64-bit throughout: positions and sizes come from callers unchecked.
    int64_t sl = 0, st = 0, sr = source->width_, sb = source->height_;
    if (sourceRect != nullptr) {
        sl = sourceRect->left, st = sourceRect->top, sr = sourceRect->right, sb = sourceRect->bottom;
    }
    if (sr <= sl || sb <= st) return 0;
    int64_t dl = x, dt = y, dr = x + (sr - sl), db = y + (sb - st);
    if (dr <= 0 || db <= 0 || dl >= width_ || dt >= height_) return 0;

    // Clip to this bitmap; the source moves with it.
    if (dl < 0) sl -= dl, dl = 0;
    if (dt < 0) st -= dt, dt = 0;
    if (dr > width_) sr -= dr - width_, dr = width_;
    if (db > height_) sb -= db - height_, db = height_;
    if (sr <= 0 || sb <= 0 || sl >= source->width_ || st >= source->height_) return 0;

    // Clip to the source; the destination shrinks with it.
    if (sl < 0) dl -= sl, sl = 0;
    if (st < 0) dt -= st, st = 0;
    if (sr > source->width_) dr -= sr - source->width_, sr = source->width_;
    if (sb > source->height_) db -= sb - source->height_, sb = source->height_;
    if (sr <= sl || sb <= st) return 0;

    // System rows count from the last memory row.
    const KernelRect memoryRect{static_cast<int32_t>(sl), static_cast<int32_t>(source->height_ - sb),
                                static_cast<int32_t>(sr), static_cast<int32_t>(source->height_ - st)};
    return kernel(bits_, source->bits_, memoryRect, static_cast<int>(dl),
                  static_cast<int>(height_ - db), bytesPerPixel(), source->bytesPerPixel(), stride_, source->stride_,
                  argument, extra);
}

int PixelBitmap::RunKernelScaled(ScaledPixelKernel kernel, const PixelBitmap* source,
                                 const BitmapRect* destinationRect, const BitmapRect* sourceRect, void* argument,
                                 int extra) {
    if (kernel == nullptr || source == nullptr || empty() || source->empty()) return 0;
    const KernelRect whole{0, 0, width_, height_};
    const KernelRect sourceWhole{0, 0, source->width_, source->height_};
    const KernelRect dst = destinationRect != nullptr ? KernelRect{destinationRect->left, destinationRect->top,
                                                                   destinationRect->right, destinationRect->bottom}
                                                      : whole;
    const KernelRect src = sourceRect != nullptr
                               ? KernelRect{sourceRect->left, sourceRect->top, sourceRect->right, sourceRect->bottom}
                               : sourceWhole;
    return kernel(bits_, source->bits_, dst, src, width_, height_, source->width_, source->height_,
                  bytesPerPixel(), source->bytesPerPixel(), stride_, source->stride_, argument, extra);
}

}  // namespace kvx
