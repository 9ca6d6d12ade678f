#include "device/blob_reader.h"

#include "platform/file_read.h"

namespace kvx {

const void* CBlobReader::LoadFile(const char* name, size_t maxBytes) {
    Reset();
    if (!name) return nullptr;
    if (platform::ReadRegularFile(name, maxBytes, &owned_) != platform::FileRead::Ok) {
        Reset();
        return nullptr;
    }
    // One spare byte so that an empty file still has a buffer.
    owned_.reserve(owned_.size() + 1);
    data_ = owned_.data();
    size_ = owned_.size();
    cursor_ = data_;
    end_ = data_ + size_;
    return data_;
}

void CBlobReader::Reset() {
    data_ = end_ = cursor_ = nullptr;
    size_ = 0;
    owned_.clear();
    owned_.shrink_to_fit();
}

}  // namespace kvx
