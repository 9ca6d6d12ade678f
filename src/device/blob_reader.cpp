#include "device/blob_reader.h"

#include "platform/file_read.h"
#include "platform/module_resource.h"
#include "platform/system_info.h"

namespace kvx {

const void* CBlobReader::Load(const char* name, uintptr_t module, const char* type, size_t maxBytes) {
    Reset();
    if (!name) return nullptr;
    if (type) {
        const void* resource = nullptr;
        size_t size = 0;
        if (!platform::FindModuleResource(module, name, type, &resource, &size)) return nullptr;
        data_ = static_cast<const uint8_t*>(resource);
        size_ = size;
    } else {
        if (platform::ReadRegularFile(name, maxBytes, &owned_) != platform::FileRead::Ok) {
            Reset();
            return nullptr;
        }
        // One spare byte so that an empty file still has a buffer.
        owned_.reserve(owned_.size() + 1);
        data_ = owned_.data();
        size_ = owned_.size();
    }
    cursor_ = data_;
    end_ = data_ + size_;
    return data_;
}

const void* CBlobReader::LoadFile(const char* name, const char* type, size_t maxBytes) {
    return Load(name, platform::ProgramModuleId(), type, maxBytes);
}

void CBlobReader::Reset() {
    data_ = end_ = cursor_ = nullptr;
    size_ = 0;
    owned_.clear();
    owned_.shrink_to_fit();
}

}  // namespace kvx
