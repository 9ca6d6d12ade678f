#include "platform/file_replace.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace kvx::platform {

namespace {

std::atomic<unsigned> g_temporaryCounter{0};

// Everything up to and including the last separator ("" for a bare name).
std::string DirectoryPrefix(const std::string& path) {
    const size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace

ReplacementPlan PlanReplacement(const char* path) {
    ReplacementPlan plan;
    if (path == nullptr || *path == '\0') return plan;
    plan.target = path;
    // Reserved device names (NUL, CON, COM1, ...) answer in every
    // directory; asking the opened object what it is covers them all.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        plan.exists = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
        return plan;
    }
    plan.exists = true;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool disk = GetFileType(file) == FILE_TYPE_DISK;
    const bool known = disk && GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    const DWORD unusual = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    plan.staged = known && (info.dwFileAttributes & unusual) == 0 && info.nNumberOfLinks <= 1;
    return plan;
}

bool CreateTemporaryFileBeside(const char* path, std::string& temporaryPath) {
    temporaryPath.clear();
    if (path == nullptr || *path == '\0') return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, "~kvx%lx-%x.tmp", GetCurrentProcessId(), g_temporaryCounter++);
        // A short name of its own in the same directory, so that the rename
        // stays on one volume and the name fits wherever the destination's
        // does.
        const std::string name = DirectoryPrefix(path) + suffix;
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            temporaryPath = name;
            return true;
        }
        // Only a name that is taken is worth another try.
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool ReplaceWithTemporaryFile(const std::string& temporaryPath, const char* path) {
    HANDLE file = CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    if (!flushed) return false;
    return MoveFileExA(temporaryPath.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFileQuietly(const std::string& path) {
    if (!path.empty()) DeleteFileA(path.c_str());
}

bool SeekStream(std::FILE* stream, int64_t offset, int origin) {
    return stream != nullptr && _fseeki64(stream, offset, origin) == 0;
}

}  // namespace kvx::platform
