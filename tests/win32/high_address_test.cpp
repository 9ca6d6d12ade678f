// Pointers above 4 GiB, where a 64-bit program's memory often lies. Every
// free byte below 4 GiB is reserved before the program starts, so whatever
// is made afterwards (thread stacks, the dialogs' frames, new heap space)
// lies above; the frame record and the application's buffer are placed
// there on purpose. A value cut to 32 bits anywhere on the way (a window
// message parameter, a record field, a window's user data) then points
// nowhere.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>

#include "../camera/acquisition_fixture.h"
#include "camera/frame_info_arena.h"
#include "dialog_user.h"

namespace kvx::test {
namespace {

constexpr uintptr_t kFourGiB = uintptr_t{1} << 32;

bool High(const void* p) { return reinterpret_cast<uintptr_t>(p) >= kFourGiB; }

const bool g_lowMemoryReserved = [] {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const uintptr_t grain = system.dwAllocationGranularity;
    auto* at = static_cast<char*>(system.lpMinimumApplicationAddress);
    MEMORY_BASIC_INFORMATION region;
    while (reinterpret_cast<uintptr_t>(at) < kFourGiB && VirtualQuery(at, &region, sizeof region)) {
        char* next = static_cast<char*>(region.BaseAddress) + region.RegionSize;
        if (region.State == MEM_FREE) {
            // Reservations start on the allocation granularity.
            const uintptr_t start = (reinterpret_cast<uintptr_t>(region.BaseAddress) + grain - 1) / grain * grain;
            const uintptr_t end = std::min<uintptr_t>(reinterpret_cast<uintptr_t>(next), kFourGiB);
            if (start < end) VirtualAlloc(reinterpret_cast<void*>(start), end - start, MEM_RESERVE, PAGE_NOACCESS);
        }
        at = next;
    }
    return true;
}();

// Takes the records left in the arena's low block, so that the next
// camera's frame record lies above 4 GiB: records are handed out in order,
// and every block the arena adds from now on comes from up there (the heap
// can only grow upwards).
bool LowFrameRecordsUsedUp() {
    for (int i = 0; i < (1 << 20); ++i)
        if (High(AcquireFrameInfoRecord())) return true;
    return false;
}

// Memory at the top of the address space.
struct HighBuffer {
    explicit HighBuffer(size_t size)
        : bytes(static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN,
                                                   PAGE_READWRITE))),
          size(size) {}
    ~HighBuffer() { VirtualFree(bytes, 0, MEM_RELEASE); }
    uint8_t* const bytes;
    const size_t size;
};

class HighAddresses : public AcquisitionTest {};

TEST_F(HighAddresses, TheFrameMessageCarriesTheWholeRecordAddressAndTheBufferInIt) {
    ASSERT_TRUE(g_lowMemoryReserved);
    ASSERT_TRUE(LowFrameRecordsUsedUp());
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    const int size = 64 * 48 * 3;
    HighBuffer buffer(size);
    ASSERT_TRUE(High(buffer.bytes));
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.bytes, size, 0), 1);
    const auto frames = CollectFrames(callback_, 2);
    Kolvex_StopPreview(handle_);
    ASSERT_GE(Count(frames, IsFrameReady), 2);
    for (const auto& n : frames) {
        if (!IsFrameReady(n)) continue;
        ASSERT_TRUE(High(reinterpret_cast<const void*>(n.wParam))) << "the record's address lost its top half";
        const auto* info = reinterpret_cast<const KolvexFrameInfo*>(n.wParam);
        EXPECT_EQ(info->size, 32);
        EXPECT_EQ(info->width, 64);
        EXPECT_EQ(info->height, 48);
        EXPECT_EQ(info->bitsPerPixel, 24);
        EXPECT_EQ(info->buffer, buffer.bytes);
    }
    size_t lit = 0;
    for (size_t i = 0; i < buffer.size; ++i) lit += buffer.bytes[i] != 0;
    EXPECT_GT(lit, buffer.size / 2) << "no frame reached the buffer";
}

// A dialog whose object lies above 4 GiB (on a stack up there), found again
// by every call of its window procedure from the window's user data.
TEST_F(HighAddresses, DialogsFindTheirObjectsFromTheirWindows) {
    ASSERT_TRUE(g_lowMemoryReserved);
    ASSERT_NE(Open(), 0);
    // The dialog templates are resources of the DLL.
    HMODULE product = LoadLibraryA("KolvexSdk_410QFX_ZQP.dll");
    ASSERT_NE(product, nullptr);
    int result = 0;
    bool highStack = false;
    // A thread made now has its stack, and so the dialog's frame, up there.
    std::thread opener([&] {
        int onTheStack = 0;
        highStack = High(&onTheStack);
        RunCancellingDialogs([&] { result = Kolvex_SetAnalogDlg(handle_, nullptr); });
    });
    opener.join();
    FreeLibrary(product);
    EXPECT_TRUE(highStack);
    EXPECT_EQ(result, 1);
}

}  // namespace
}  // namespace kvx::test
