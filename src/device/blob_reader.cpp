#include "device/blob_reader.h"

#include <cstdio>
#include <cstdlib>

#include "platform/module_resource.h"
#include "platform/system_info.h"

namespace kvx {

const void* CBlobReader::Load(const char* name, uintptr_t module, const char* type) {
    Reset();
    if (!name) return nullptr;
    if (type) {
        const void* resource = nullptr;
        size_t size = 0;
        if (!platform::FindModuleResource(module, name, type, &resource, &size)) return nullptr;
        data_ = static_cast<const uint8_t*>(resource);
        size_ = size;
    } else {
        std::FILE* file = std::fopen(name, "rb");
        if (!file) return nullptr;
        long length = -1;
        if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
        bool ok = length >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
        if (ok) {
            // One spare byte so that an empty file still has a buffer.
            owned_ = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length) + 1));
            // A file that shrank under us would leave the tail undefined.
            ok = owned_ && std::fread(owned_, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
        }
        std::fclose(file);
        if (!ok) {
            Reset();
            return nullptr;
        }
        data_ = owned_;
        size_ = static_cast<size_t>(length);
    }
    cursor_ = data_;
    end_ = data_ + size_;
    return data_;
}

const void* CBlobReader::LoadFile(const char* name, const char* type) {
    return Load(name, platform::ProgramModuleId(), type);
}

void CBlobReader::Reset() {
    data_ = end_ = cursor_ = nullptr;
    size_ = 0;
    std::free(owned_);
    owned_ = nullptr;
}

}  // namespace kvx
