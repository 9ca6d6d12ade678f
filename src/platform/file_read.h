// Reading a whole file that is a plain file on disk, and nothing else: a
// directory, a FIFO, a pipe or a device is refused before anything is read
// from it, so that a careless name can neither hang the caller nor make it
// allocate what the name's "size" claims.
//
// Blocking and threads: ReadRegularFile blocks only for disk reads: a name
// that could block (a FIFO, a device) is refused before it is read. Any
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvx::platform {

enum class FileRead {
    Ok,
    CannotOpen,  // missing, not accessible, or in use elsewhere
    NotAFile,    // a directory, FIFO, pipe, device ...
    TooLarge,    // more than the caller's limit
    Failed,      // a read failed part way
};

// Reads the file `path` into *data (replacing what it held). On anything
// but Ok, *data is empty.
FileRead ReadRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* data);

// The backend's part of ReadRegularFile: `path` is not empty and *data is
// empty; the caller empties *data again on anything but Ok.
FileRead ReadNamedRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* data);

}  // namespace kvx::platform
