// ConvertFrame: turns the raw frame in the camera's raw bitmap into the image
// of the current colour mode, in place in the camera's bitmaps, once per
// frame and under the camera's frame lock. Steps, each skipped while its
// control is neutral:
//
//   1 automatic exposure (measures the raw bitmap, adjusts the device)
//   2 modes 0/1: gray gains (gray mode 1) or luminance of the demosaic (2)
//   3 modes 2..5: white balance and demosaic into the output bitmap
//   4 hue and saturation (modes 2..5)
//   5 gamma  6 contrast  7 sharpness (from a copy)  8 brightness
//
// The device and the open dialogs are reached only through the two small
// interfaces below, so the whole sequence runs without a camera.
#pragma once

#include <array>
#include <cstdint>

#include "pixels/filter_index.h"
#include "imaging/mode_kernels.h"
#include "imaging/tone/auto_exposure.h"
#include "pixels/pixel_bitmap.h"
#include "pixels/pixel_kernel.h"
#include "platform/worker_pool.h"

namespace kvx {

// What automatic exposure needs of the device and of the camera's settings.
class ExposureDevice {
public:
    virtual ~ExposureDevice() = default;
    virtual int GetGain() = 0;
    virtual int GetMaxGain() = 0;
    virtual int GetExposureLines() = 0;
    virtual int GetMaxExposureLines() = 0;
    // Sends the value to the device, stores it in the analog settings
    // (global and colour gains, or exposure) and shows it in the analog
    // settings dialog when that is open.
    virtual void ApplyGain(int gain) = 0;
    virtual void ApplyExposureLines(int lines) = 0;
};

// The image settings dialog, told when gains it shows were changed here.
class ImageDialogRefresh {
public:
    virtual ~ImageDialogRefresh() = default;
    virtual void GainsChanged() = 0;
};

// The camera's bitmaps: one per colour mode (8, 16, 24, 32, 48, 64 bits per
// pixel; the 8- and 16-bit ones double as the raw bitmaps) and the output
// copy that sharpening reads. Any may be null or empty; steps that need a
// missing one are skipped.
struct ConversionBitmaps {
    std::array<PixelBitmap*, 6> byMode{};
    PixelBitmap* outputCopy = nullptr;
};

struct ConversionControls {
    // The camera's 30-word filter block. Read once per step; the white
    // balance, gray balance and their request words are written back.
    // Accessed atomically word by word, since the setters run on other
    // threads without the frame lock.
    int32_t* filter = nullptr;
    int colorMode = 0;  // 0..5
    bool mirrorVertical = false;
    bool mirrorHorizontal = false;
    AutoExposureMode autoExposure = kAutoExposureOff;
    // The threads that convert: the steps are cut into row bands that run
    // on the caller and the pool's idle workers. Null means the pool every
    // camera of the process shares. The result is the same whatever the
    // pool's size.
    platform::WorkerPool* pool = nullptr;
};

// The kernels each step runs, by colour mode where they differ. Filled from
// the tone and colour kernels by default; tests may substitute. Every
// kernel here must work pixel by pixel, since it is called once per row
// band, except sharpness, which is given the whole frame and the band's
// rows in its ToneParams.
struct ConversionSteps {
    ModeKernels hueSaturation{};
    ModeKernels gamma{};
    ModeKernels contrast{};
    ModeKernels sharpness{};
    ModeKernels brightness{};
    PixelKernel grayGain8 = nullptr, grayGain16 = nullptr;
    PixelKernel regionMean8 = nullptr, regionMean16 = nullptr;
    std::array<DrawingRect, kAutoExposureRegionCount> (*exposureRegions)(int width, int height) = nullptr;
    double (*exposureFactor)(const std::array<int, kAutoExposureRegionCount>& means) = nullptr;
    bool (*exposureNeedsChange)(double factor) = nullptr;
    int (*exposureGain)(int currentGain, double factor, int maxGain) = nullptr;
    int (*exposureLines)(int currentLines, double factor, int maxLines) = nullptr;
};

const ConversionSteps& DefaultConversionSteps();

void ConvertFrame(const ConversionControls& controls, const ConversionBitmaps& bitmaps, ExposureDevice* device,
                  ImageDialogRefresh* dialog, const ConversionSteps& steps = DefaultConversionSteps());

// The raw bitmap of a colour mode: 8-bit for 0, 2, 3; 16-bit for 1, 4, 5.
PixelBitmap* RawBitmapFor(const ConversionBitmaps& bitmaps, int colorMode);

// Spreads a frame that the device wrote tightly packed to the bitmap's
// padded row stride, in place.
void SpreadPackedRows(PixelBitmap& raw);

}  // namespace kvx
