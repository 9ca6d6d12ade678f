#include "platform/shared_memory.h"

#include <windows.h>

namespace kvx::platform {

bool SharedMemory::OpenOrCreateImpl(const std::string& name, size_t createSize, bool* created) {
    if (created) *created = false;
    Close();
    bool made = false;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!mapping && createSize > 0) {
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     static_cast<DWORD>(createSize), name.c_str());
        made = mapping && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!view) {
        CloseHandle(mapping);
        return false;
    }
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(view, &info, sizeof info);
    view_ = view;
    size_ = info.RegionSize;
    mapping_ = reinterpret_cast<intptr_t>(mapping);
    name_ = name;
    if (created) *created = made;
    return true;
}

void SharedMemory::Close() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_ != -1 && mapping_ != 0) CloseHandle(reinterpret_cast<HANDLE>(mapping_));
    view_ = nullptr;
    size_ = 0;
    mapping_ = -1;
    name_.clear();
}

}  // namespace kvx::platform
