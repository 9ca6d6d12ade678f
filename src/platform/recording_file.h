// The file a recording writes: a plain file on disk and nothing else,
// written at explicit 64-bit offsets, since recordings pass 4 GiB and their
// headers are patched in place.
//
// A directory, FIFO, pipe, socket or device is refused when it is opened.
// An AVI's sizes and index are written back at its start, which none of
// those can take, and a FIFO would make the opener wait for a reader and a
// writer wait for a reader that stopped reading, which no stop could end.
//
// Blocking and threads: Open never waits for another process (a name that
// could make it wait is refused); writes and Truncate block on the disk
// only. Any thread; one thread at a time per file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvx::platform {

class RecordingFile {
public:
    enum class OpenResult {
        Opened,      // an existing file, its contents still there
        Created,     // a new, empty file
        NotAFile,    // a directory, FIFO, pipe, socket or device
        CannotOpen,  // missing folder, no permission, in use elsewhere
    };

    RecordingFile() = default;
    ~RecordingFile() { Close(); }
    RecordingFile(RecordingFile&& other) noexcept { *this = static_cast<RecordingFile&&>(other); }
    RecordingFile& operator=(RecordingFile&& other) noexcept;
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Opens `path` for writing: an existing file as it is (Truncate empties
    // it), else a new file that must not exist yet. Closes a file this
    // object had open first.
    OpenResult Open(const char* path);

    bool isOpen() const { return handle_ != kNoHandle; }
    // Sets the file's length; false when the system refuses.
    bool Truncate(uint64_t size);
    // Writes all of `size` bytes at `offset`; false when any of them could
    // not be written (disk full, file size limit, I/O error).
    bool WriteAt(uint64_t offset, const void* data, size_t size);
    // False when the system reports a failure on closing.
    bool Close();
    // Closes, and removes the file when Open created it: for a start that
    // failed after the file was made.
    void Discard();

private:
    static constexpr intptr_t kNoHandle = -1;
    intptr_t handle_ = kNoHandle;  // a descriptor, or a Windows HANDLE
    std::string createdPath_;      // set when Open made the file
};

}  // namespace kvx::platform
