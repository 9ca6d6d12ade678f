// Named memory shared by every process on the machine.
//
// Blocking and threads: Open, OpenOrCreate, Close and the destructor may
// block for a short while: on POSIX they wait for another process that is
// attaching or detaching the same name (the block's guard lock). Any thread;
// one SharedMemory object by one thread at a time. The mapped memory itself
// carries no lock: its users agree on atomic access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvx::platform {

// A view of a named block. The block lives as long as some process keeps a
// view of it; the first process to create it finds it zero-filled.
class SharedMemory {
public:
    SharedMemory() = default;
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Maps an existing block of that name. False when none exists.
    bool Open(const std::string& name);
    // Maps the block of that name, creating it with `size` bytes when none
    // exists. `created` tells which happened.
    bool OpenOrCreate(const std::string& name, size_t size, bool* created = nullptr);
    void Close();

    void* view() const { return view_; }
    size_t size() const { return size_; }

private:
    bool OpenOrCreateImpl(const std::string& name, size_t createSize, bool* created);

    void* view_ = nullptr;
    size_t size_ = 0;
    // Backend state: a mapping handle on Windows; descriptors on POSIX.
    intptr_t mapping_ = -1;
    intptr_t lock_ = -1;
    std::string name_;
};

}  // namespace kvx::platform
