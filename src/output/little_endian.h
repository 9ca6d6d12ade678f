// File headers are little-endian whatever the machine; they are built byte
// by byte into a buffer and written in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvx {

class LittleEndianBuffer {
public:
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(v));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    // Four letters such as "RIFF", in the order they are read.
    void Tag(const char (&letters)[5]) { bytes_.insert(bytes_.end(), letters, letters + 4); }
    void Bytes(const uint8_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
};

// Four letters as the 32-bit value a little-endian reader sees.
constexpr uint32_t FourCC(const char (&letters)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(letters[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(letters[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(letters[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(letters[3])) << 24;
}

}  // namespace kvx
