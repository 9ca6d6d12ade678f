#include "settings/config_file.h"

namespace kvx::settings {

namespace {
int32_t ReadLittleEndian(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

std::vector<ValuePair> ParseConfigPairs(const uint8_t* data, size_t size) {
    std::vector<ValuePair> pairs;
    pairs.reserve(size / 8);
    for (size_t at = 0; at + 8 <= size; at += 8) pairs.emplace_back(ReadLittleEndian(data + at), ReadLittleEndian(data + at + 4));
    return pairs;
}

}  // namespace kvx::settings
