// CBlobReader: a whole file in memory, for the settings-file loader.
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

    // The file `name`, which must be a plain file of at most maxBytes
    // (anything else is refused before it is read). The data, or null (and
    // an empty reader) on failure.
    const void* LoadFile(const char* name, size_t maxBytes = SIZE_MAX);
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
    std::vector<uint8_t> owned_;
};

}  // namespace kvx
