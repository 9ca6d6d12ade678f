#include "output/staged_file.h"

#include <new>

#include "platform/file_replace.h"

namespace kvx {

StagedFile::StagedFile(const char* destination) {
    if (destination == nullptr) return;
    destination_ = destination;
    if (!platform::CreateTemporaryFileBeside(destination, temporaryPath_)) temporaryPath_.clear();
}

StagedFile::~StagedFile() {
    if (!committed_) platform::RemoveFileQuietly(temporaryPath_);
}

std::FILE* StagedFile::OpenStream() {
    constexpr size_t kBufferBytes = size_t{1} << 20;
    std::FILE* stream = ready() ? std::fopen(temporaryPath_.c_str(), "wb") : nullptr;
    if (stream == nullptr) return nullptr;
    buffer_.reset(new (std::nothrow) char[kBufferBytes]);
    if (buffer_) std::setvbuf(stream, buffer_.get(), _IOFBF, kBufferBytes);
    return stream;
}

bool StagedFile::CloseStream(std::FILE* stream) {
    if (stream == nullptr) return false;
    const bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    return std::fclose(stream) == 0 && written;
}

bool StagedFile::Commit() {
    if (!ready() || committed_) return committed_;
    committed_ = platform::ReplaceWithTemporaryFile(temporaryPath_, destination_.c_str());
    return committed_;
}

}  // namespace kvx
