#include "platform/file_read.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "unique_name.h"

namespace {

using kvx::platform::FileRead;
using kvx::platform::ReadRegularFile;

class ReadFile : public ::testing::Test {
protected:
    std::string Make(const std::string& contents) {
        paths_.push_back(kvx::test::UniqueName("kolvex-read") + ".bin");
        std::ofstream(paths_.back(), std::ios::binary) << contents;
        return paths_.back();
    }
    ~ReadFile() override {
        for (const auto& p : paths_) std::filesystem::remove_all(p);
    }
    std::vector<std::string> paths_;
};

TEST_F(ReadFile, APlainFileIsReadWholeUpToTheLimit) {
    std::vector<uint8_t> data = {9};
    EXPECT_EQ(ReadRegularFile(Make("abcdef").c_str(), 6, &data), FileRead::Ok);
    EXPECT_EQ(data, (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(ReadRegularFile(Make("abcdefg").c_str(), 6, &data), FileRead::TooLarge);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(ReadRegularFile(Make("").c_str(), 0, &data), FileRead::Ok);
    EXPECT_TRUE(data.empty());
}

TEST_F(ReadFile, MissingNamesAndDirectoriesAreRefused) {
    std::vector<uint8_t> data = {1, 2};
    EXPECT_EQ(ReadRegularFile((kvx::test::UniqueName("kolvex-absent") + ".bin").c_str(), 100, &data),
              FileRead::CannotOpen);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(ReadRegularFile("", 100, &data), FileRead::CannotOpen);
    EXPECT_EQ(ReadRegularFile(nullptr, 100, &data), FileRead::CannotOpen);

    paths_.push_back(kvx::test::UniqueName("kolvex-dir"));
    ASSERT_TRUE(std::filesystem::create_directory(paths_.back()));
    EXPECT_EQ(ReadRegularFile(paths_.back().c_str(), SIZE_MAX, &data), FileRead::NotAFile);
    EXPECT_EQ(ReadRegularFile(".", SIZE_MAX, &data), FileRead::NotAFile);
}

}  // namespace
