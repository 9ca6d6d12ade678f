#include "platform/recording_file.h"

#include <windows.h>

namespace kvx::platform {

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

RecordingFile::OpenResult RecordingFile::Open(const char* path) {
    Close();
    createdPath_.clear();
    if (path == nullptr || *path == '\0') return OpenResult::CannotOpen;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return OpenResult::NotAFile;
    // Others may read the growing file (a player, a progress display), but
    // nobody else writes it. Opening never waits: a pipe without a free
    // instance fails, anything that is not a disk file goes by its type.
    constexpr DWORD kShare = FILE_SHARE_READ;
    bool created = false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, kShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        file = CreateFileA(path, GENERIC_WRITE, kShare, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        created = file != INVALID_HANDLE_VALUE;
    }
    if (file == INVALID_HANDLE_VALUE) return OpenResult::CannotOpen;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return OpenResult::NotAFile;
    }
    handle_ = reinterpret_cast<intptr_t>(file);
    if (created) createdPath_ = path;
    return created ? OpenResult::Created : OpenResult::Opened;
}

bool RecordingFile::Truncate(uint64_t size) {
    if (!isOpen()) return false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(AsHandle(handle_), at, nullptr, FILE_BEGIN) && SetEndOfFile(AsHandle(handle_));
}

bool RecordingFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (!isOpen()) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        // The offset travels in the OVERLAPPED block, also for a handle
        // opened for synchronous writes.
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(offset);
        where.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD piece = size > (1u << 26) ? (1u << 26) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes, piece, &written, &where) || written == 0) return false;
        bytes += written;
        offset += written;
        size -= written;
    }
    return true;
}

bool RecordingFile::Close() {
    if (!isOpen()) return true;
    const HANDLE file = AsHandle(handle_);
    handle_ = kNoHandle;
    return CloseHandle(file) != 0;
}

}  // namespace kvx::platform
