// The settings file is parsed once per change, not once per read; what
// another process or a person writes is still seen by the next read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "child_process.h"
#include "platform/posix/settings_file.h"
#include "platform/settings_store.h"
#include "settings_sandbox.h"
#include "unique_name.h"

namespace {

using kvx::platform::SettingsKey;
using Access = SettingsKey::Access;

class SettingsFileStore : public ::testing::Test {
protected:
    void SetUp() override { root_ = "Software\\KolvexTests\\" + kvx::test::UniqueName("cache"); }
    void TearDown() override { SettingsKey::DeleteTree(root_); }
    uint32_t Read(const std::string& path, const std::string& name) {
        auto key = SettingsKey::Open(path, Access::Read);
        uint32_t value = 0xBAD;
        if (key) key->ReadDword(name, &value);
        return value;
    }
    std::string root_;
};

TEST_F(SettingsFileStore, AWriteByAnotherProcessIsSeenByTheNextRead) {
    auto key = SettingsKey::Open(root_, Access::Write);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->WriteDword("x0", 77));
    ASSERT_TRUE(key->WriteDword("x1", 78));
    EXPECT_EQ(Read(root_, "x0"), 77u);
    // The child writes x0 = 0 and x1 = 1, one change after the other.
    ASSERT_EQ(kvx::test::RunChild({"settings-write", root_, "x", "2"}), 0);
    EXPECT_EQ(Read(root_, "x0"), 0u);
    EXPECT_EQ(Read(root_, "x1"), 1u);
    // And a key it creates exists for this process at once.
    ASSERT_EQ(kvx::test::RunChild({"settings-write", root_ + "\\New", "y", "1"}), 0);
    EXPECT_NE(SettingsKey::Open(root_ + "\\New", Access::Read), nullptr);
    // This process's next write keeps what the child wrote.
    ASSERT_TRUE(key->WriteDword("z", 5));
    EXPECT_EQ(Read(root_ + "\\New", "y0"), 0u);
    EXPECT_EQ(Read(root_, "x1"), 1u);
}

TEST_F(SettingsFileStore, AFileEditedInPlaceIsReadAgain) {
    auto key = SettingsKey::Open(root_, Access::Write);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->WriteDword("Kept", 1));
    EXPECT_EQ(Read(root_, "Hand"), 0xBADu);
    {
        std::ofstream out(kvx::platform::posix::SettingsFile(), std::ios::app);
        out << "[" << root_ << "]\n\"Hand\"=dword:0000002a\n";
    }
    EXPECT_EQ(Read(root_, "Hand"), 42u);
    EXPECT_EQ(Read(root_, "Kept"), 1u);
}

TEST_F(SettingsFileStore, SeveralValuesOfAKeyLandInOneChange) {
    // A file of its own: the inode comparison below holds only if no other
    // test process replaces the file meanwhile, since the inode that change
    // frees can be handed to this one's new file.
    kvx::test::SettingsSandbox sandbox;
    auto key = SettingsKey::Open(root_, Access::Write);
    ASSERT_NE(key, nullptr);
    struct stat before;
    ASSERT_EQ(::stat(kvx::platform::posix::SettingsFile().c_str(), &before), 0);
    ASSERT_TRUE(key->WriteDwords({{"A", 1}, {"B", 2}, {"a", 3}}));
    struct stat after;
    ASSERT_EQ(::stat(kvx::platform::posix::SettingsFile().c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(Read(root_, "A"), 3u);
    EXPECT_EQ(Read(root_, "B"), 2u);
    // A key deleted meanwhile takes none of them.
    ASSERT_TRUE(SettingsKey::DeleteTree(root_));
    EXPECT_FALSE(key->WriteDwords({{"C", 1}}));
    EXPECT_EQ(SettingsKey::Open(root_, Access::Read), nullptr);
}

// A store whose name has become a FIFO reads as empty instead of waiting for
// a writer forever; the next change puts a proper file in its place.
TEST(SettingsFileStoreFifo, AFifoInTheStoresPlaceNeitherHangsNorBreaksWriting) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + kvx::test::UniqueName("kolvex-store");
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    const std::string file = dir + "/settings.reg";
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    kvx::platform::posix::SetSettingsFile(file);
    EXPECT_EQ(SettingsKey::Open("Software\\Fifo", Access::Read), nullptr);
    auto key = SettingsKey::Open("Software\\Fifo", Access::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->WriteDword("V", 3));
    uint32_t value = 0;
    EXPECT_TRUE(key->ReadDword("V", &value));
    EXPECT_EQ(value, 3u);
    kvx::platform::posix::SetSettingsFile("");
    std::remove(file.c_str());
    std::remove((file + ".lock").c_str());
    ::rmdir(dir.c_str());
}

}  // namespace
