// A file written under a temporary name beside its destination and put in
// place by Commit. Destruction without a successful Commit removes the
// temporary file, so a failed writer leaves nothing behind.
//
// Where a rename would change what the destination is (a device, a pipe, a
// file with other hard links), or no temporary file can be made beside an
// existing destination (a read-only directory), the destination is written
// in place instead: a failure may then leave it partly written.
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

    // False when there is nowhere to write (missing directory, ...).
    bool ready() const { return !writePath_.empty(); }
    bool inPlace() const { return inPlace_; }
    // The file the writer fills: the temporary file, or the destination
    // itself when it is written in place.
    const char* writePath() const { return writePath_.c_str(); }

    // The file to fill as a stdio stream, truncated, with a buffer large
    // enough that row-by-row writers make few system calls; null on
    // failure. Close it with CloseStream before this object goes.
    std::FILE* OpenStream();
    // Closes a stream from OpenStream. False when any write through it
    // failed, including the buffered ones that only closing pushes out.
    static bool CloseStream(std::FILE* stream);

    // Renames the finished temporary file over the destination (nothing to
    // do for a file written in place).
    bool Commit();

private:
    std::string target_;
    std::string writePath_;
    std::unique_ptr<char[]> buffer_;
    bool inPlace_ = false;
    bool committed_ = false;
};

}  // namespace kvx
