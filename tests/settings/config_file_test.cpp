#include "settings/config_file.h"

#include <gtest/gtest.h>

namespace {

using kvx::settings::ParseConfigPairs;
using kvx::settings::ValuePair;

TEST(ConfigFile, PairsAreLittleEndianAndATrailingRemainderIsIgnored) {
    const uint8_t data[20] = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // 1, -1
                              0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0x80,  // 0x12345678, INT32_MIN
                              9, 9, 9, 9};
    EXPECT_EQ(ParseConfigPairs(data, sizeof data),
              (std::vector<ValuePair>{{1, -1}, {0x12345678, static_cast<int32_t>(0x80000000u)}}));
    EXPECT_TRUE(ParseConfigPairs(data, 7).empty());
    EXPECT_TRUE(ParseConfigPairs(nullptr, 0).empty());
}

}  // namespace
