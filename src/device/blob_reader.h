// CBlobReader: a whole file (or a resource of the running program) in
// memory, for the settings-file loader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvx {

class CBlobReader {
public:
    CBlobReader() = default;
    ~CBlobReader() { Reset(); }
    CBlobReader(const CBlobReader&) = delete;
    CBlobReader& operator=(const CBlobReader&) = delete;

    // With a type: resource `name` of that type in `module`; without: the
    // file `name`, which must be a plain file of at most maxBytes (anything
    // else is refused before it is read). The data, or null (and an empty
    // reader) on failure.
    const void* Load(const char* name, uintptr_t module, const char* type, size_t maxBytes = SIZE_MAX);
    // Load from the running program's module.
    const void* LoadFile(const char* name, const char* type, size_t maxBytes = SIZE_MAX);
    void Reset();

    const uint8_t* data() const { return data_; }
    const uint8_t* end() const { return end_; }
    const uint8_t* cursor() const { return cursor_; }
    size_t size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    const uint8_t* end_ = nullptr;
    const uint8_t* cursor_ = nullptr;
    size_t size_ = 0;
    std::vector<uint8_t> owned_;  // file contents; empty for resources
};

}  // namespace kvx
