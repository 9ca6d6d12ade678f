// A conversion allocates nothing once its tables exist: frames after the
// first with the same controls take no memory from the heap, in any colour
// mode, on one thread or on several. Counted by replacing the global
// allocation functions of this test program.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "display/frame_bitmap.h"
#include "imaging/convert_frame.h"
#include "platform/worker_pool.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<int> g_allocations{0};

void* Allocate(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace kvx {
namespace {

TEST(ConvertFrameAllocation, FramesAfterTheFirstAllocateNothing) {
    static const int depths[6] = {8, 16, 24, 32, 48, 64};
    platform::WorkerPool one(1), three(3);
    for (platform::WorkerPool* pool : {&one, &three}) {
        for (int mode = 0; mode < 6; ++mode) {
            std::array<std::unique_ptr<FrameBitmap>, 6> bitmaps;
            ConversionBitmaps set;
            for (int m = 0; m < 6; ++m) {
                bitmaps[m] = std::make_unique<FrameBitmap>();
                ASSERT_EQ(bitmaps[m]->Create(96, 64, depths[m]), 1);
                set.byMode[m] = bitmaps[m].get();
            }
            FrameBitmap copy;
            copy.CreateLike(bitmaps[mode].get());
            set.outputCopy = &copy;
            std::array<int32_t, kFilterBlockSize> filter{};
            filter[kBayerGainRed] = filter[kBayerGainGreen] = filter[kBayerGainBlue] = 100;
            filter[kGamma] = 130;
            filter[kContrast] = 12;
            filter[kBrightness] = -30;
            filter[kSharpness] = 8;
            filter[kHue] = 45;
            filter[kSaturation] = 20;
            filter[kAutoWhiteBalance] = 1;
            filter[kGrayMode] = 1;
            for (int i = kGrayGainR; i <= kGrayGainB; ++i) filter[i] = 140;
            ConversionControls controls;
            controls.filter = filter.data();
            controls.colorMode = mode;
            controls.pool = pool;
            ConvertFrame(controls, set, nullptr, nullptr);  // builds the tables

            g_allocations = 0;
            g_counting = true;
            for (int frame = 0; frame < 3; ++frame) ConvertFrame(controls, set, nullptr, nullptr);
            g_counting = false;
            EXPECT_EQ(g_allocations.load(), 0) << "mode " << mode << ", " << pool->size() << " threads";
        }
    }
}

}  // namespace
}  // namespace kvx
