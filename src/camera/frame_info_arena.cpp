#include "camera/frame_info_arena.h"

#include <mutex>
#include <new>

namespace kvx {

namespace {

constexpr int kRecordsPerBlock = 32;

struct Block {
    KolvexFrameInfo records[kRecordsPerBlock];
    Block* next;
};

struct Arena {
    std::mutex lock;  // guards everything below
    Block* blocks = nullptr;
    int usedInNewest = kRecordsPerBlock;
};

// Deliberately never destroyed: the blocks must stay reachable (and
// readable) until the process ends, also while static destructors run.
Arena& TheArena() {
    static Arena* arena = new Arena;
    return *arena;
}

KolvexFrameInfo g_fallback{static_cast<int>(sizeof(KolvexFrameInfo)), 0, 0, 0, 0, nullptr};

KolvexFrameInfo* Fresh(KolvexFrameInfo* record) {
    *record = KolvexFrameInfo{};
    record->size = static_cast<int>(sizeof(KolvexFrameInfo));
    return record;
}

}  // namespace

KolvexFrameInfo* AcquireFrameInfoRecord() {
    Arena& arena = TheArena();
    std::lock_guard<std::mutex> hold(arena.lock);
    if (arena.usedInNewest == kRecordsPerBlock) {
        Block* block = new (std::nothrow) Block{};
        if (!block) return &g_fallback;
        block->next = arena.blocks;
        arena.blocks = block;
        arena.usedInNewest = 0;
    }
    return Fresh(&arena.blocks->records[arena.usedInNewest++]);
}

}  // namespace kvx
