// What only POSIX systems put under a file name: FIFOs and symbolic links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/file_read.h"
#include "unique_name.h"

namespace {

using kvx::platform::FileRead;
using kvx::platform::ReadRegularFile;

// A directory of its own below $TMPDIR, removed with everything in it.
class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        dir_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + kvx::test::UniqueName("kolvex-fileread");
        ASSERT_EQ(::mkdir(dir_.c_str(), 0700), 0);
    }
    void TearDown() override {
        for (const auto& name : made_) ::unlink((dir_ + "/" + name).c_str());
        ::rmdir(dir_.c_str());
    }
    std::string Path(const std::string& name) {
        made_.push_back(name);
        return dir_ + "/" + name;
    }
    std::string dir_;
    std::vector<std::string> made_;
};

// Opening a FIFO for reading waits for a writer that never comes.
TEST_F(TempDir, AFifoIsRefusedWithoutWaitingForAWriter) {
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> data;
    EXPECT_EQ(ReadRegularFile(fifo.c_str(), 1 << 20, &data), FileRead::NotAFile);
    const std::string link = Path("link-to-fifo");
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    EXPECT_EQ(ReadRegularFile(link.c_str(), 1 << 20, &data), FileRead::NotAFile);
}

TEST_F(TempDir, ALinkToAPlainFileReadsTheFile) {
    const std::string file = Path("file");
    std::ofstream(file) << "12345678";
    const std::string link = Path("link");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    std::vector<uint8_t> data;
    EXPECT_EQ(ReadRegularFile(link.c_str(), 100, &data), FileRead::Ok);
    EXPECT_EQ(data.size(), 8u);
    const std::string dangling = Path("dangling");
    ASSERT_EQ(::symlink((dir_ + "/nothing").c_str(), dangling.c_str()), 0);
    EXPECT_EQ(ReadRegularFile(dangling.c_str(), 100, &data), FileRead::CannotOpen);
}

}  // namespace
