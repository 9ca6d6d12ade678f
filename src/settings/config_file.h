// Settings files: a list of pairs of little-endian 32-bit values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kvx::settings {

using ValuePair = std::pair<int32_t, int32_t>;

// The largest settings file taken: 8 Mi pairs, far beyond any real list of
// settings, and little enough that the 32-bit library can hold the file and
// its pairs at once.
constexpr size_t kMaxConfigFileBytes = size_t{64} << 20;

// The pairs in file order; a trailing remainder of fewer than 8 bytes is
// ignored.
std::vector<ValuePair> ParseConfigPairs(const uint8_t* data, size_t size);

}  // namespace kvx::settings
