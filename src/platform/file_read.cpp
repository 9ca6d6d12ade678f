#include "platform/file_read.h"

namespace kvx::platform {

FileRead ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* data) {
    data->clear();
    if (!path || !*path) return FileRead::CannotOpen;
    const FileRead result = ReadNamedRegularFile(path, maxBytes, data);
    if (result != FileRead::Ok) data->clear();
    return result;
}

}  // namespace kvx::platform
