#include "platform/recording_file.h"

#include <cstdio>
#include <utility>

namespace kvx::platform {

RecordingFile& RecordingFile::operator=(RecordingFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, kNoHandle);
        createdPath_ = std::move(other.createdPath_);
        other.createdPath_.clear();
    }
    return *this;
}

void RecordingFile::Discard() {
    const bool opened = isOpen();
    Close();
    if (opened && !createdPath_.empty()) std::remove(createdPath_.c_str());
    createdPath_.clear();
}

}  // namespace kvx::platform
