#include "platform/file_read.h"

#include <windows.h>

namespace kvx::platform {

namespace {

FileRead Closing(HANDLE file, FileRead why) { return CloseHandle(file), why; }

}  // namespace

FileRead ReadNamedRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* data) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileRead::CannotOpen;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return FileRead::NotAFile;
    // No sharing: nobody writes the file while it is read. Opening never
    // waits, so a pipe or device is refused right after by its type.
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FileRead::CannotOpen;
    if (GetFileType(file) != FILE_TYPE_DISK) return Closing(file, FileRead::NotAFile);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return Closing(file, FileRead::Failed);
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return Closing(file, FileRead::TooLarge);

    data->resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < data->size()) {
        const size_t chunk = data->size() - done < (1u << 20) ? data->size() - done : (1u << 20);
        DWORD got = 0;
        if (!ReadFile(file, data->data() + done, static_cast<DWORD>(chunk), &got, nullptr))
            return Closing(file, FileRead::Failed);
        if (got == 0) break;  // shorter than its size said: what is there
        done += got;
    }
    data->resize(done);
    CloseHandle(file);
    return FileRead::Ok;
}

}  // namespace kvx::platform
