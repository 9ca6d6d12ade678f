#include "output/staged_file.h"

#include <new>

#include "platform/file_replace.h"

namespace kvx {

StagedFile::StagedFile(const char* destination) {
    if (destination == nullptr || *destination == '\0') return;
    const platform::ReplacementPlan plan = platform::PlanReplacement(destination);
    if (plan.staged && platform::CreateTemporaryFileBeside(plan.target.c_str(), writePath_)) {
        target_ = plan.target;
        return;
    }
    writePath_.clear();
    // A destination that exists may still be writable where no new file can
    // be made beside it; one that does not exist has nowhere to go.
    if (!plan.staged || plan.exists) {
        inPlace_ = true;
        writePath_ = destination;
    }
}

StagedFile::~StagedFile() {
    if (!committed_ && !inPlace_) platform::RemoveFileQuietly(writePath_);
}

std::FILE* StagedFile::OpenStream() {
    constexpr size_t kBufferBytes = size_t{1} << 20;
    std::FILE* stream = ready() ? std::fopen(writePath_.c_str(), "wb") : nullptr;
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
    committed_ = inPlace_ || platform::ReplaceWithTemporaryFile(writePath_, target_.c_str());
    return committed_;
}

}  // namespace kvx
