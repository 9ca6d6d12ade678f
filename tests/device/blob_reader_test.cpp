// The blob reader: whole files in memory for the settings-file loader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "device/blob_reader.h"
#include "unique_name.h"

namespace {

using kvx::test::UniqueName;

TEST(BlobReader, LoadsWholeFilesAndStaysEmptyForMissingOnes) {
    kvx::CBlobReader reader;
    const std::string missing = UniqueName("kolvex-missing") + ".txt";
    EXPECT_EQ(reader.LoadFile(missing.c_str()), nullptr);
    EXPECT_EQ(reader.data(), nullptr);
    EXPECT_EQ(reader.cursor(), nullptr);
    EXPECT_EQ(reader.size(), 0u);

    const std::string path = UniqueName("kolvex-blob") + ".txt";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("[Size]\nWidth=640\n", f);
    std::fclose(f);
    const void* data = reader.LoadFile(path.c_str());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reader.size(), 17u);
    EXPECT_EQ(reader.end() - reader.data(), 17);
    EXPECT_EQ(reader.cursor(), reader.data());
    EXPECT_EQ(std::memcmp(data, "[Size]\nWidth=640\n", 17), 0);

    // Loading again starts from nothing.
    EXPECT_EQ(reader.LoadFile(missing.c_str()), nullptr);
    EXPECT_EQ(reader.size(), 0u);
    std::remove(path.c_str());
}

}  // namespace
