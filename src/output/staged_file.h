// A file written under a temporary name beside its destination and put in
// place by Commit. Destruction without a successful Commit removes the
// temporary file, so a failed writer leaves nothing behind.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace kvx {

class StagedFile {
public:
    explicit StagedFile(const char* destination);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // False when no temporary file could be made (missing directory, ...).
    bool ready() const { return !temporaryPath_.empty(); }
    const char* temporaryPath() const { return temporaryPath_.c_str(); }

    // The temporary file as a stdio stream, truncated, with a buffer large
    // enough that row-by-row writers make few system calls; null on
    // failure. Close it with CloseStream before this object goes.
    std::FILE* OpenStream();
    // Closes a stream from OpenStream. False when any write through it
    // failed, including the buffered ones that only closing pushes out.
    static bool CloseStream(std::FILE* stream);

    // Renames the finished temporary file over the destination.
    bool Commit();

private:
    std::string destination_;
    std::string temporaryPath_;
    std::unique_ptr<char[]> buffer_;
    bool committed_ = false;
};

}  // namespace kvx
