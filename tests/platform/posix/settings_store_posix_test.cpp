// The settings file is parsed once per change, not once per read; what
// another process or a person writes is still seen by the next read. What
// the store's name leads to, and a store too large to be one.
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

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

// A directory of the test's own, removed with everything in it.
class ScratchDirectory {
public:
    ScratchDirectory() {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + kvx::test::UniqueName("kolvex-store");
        ::mkdir(path_.c_str(), 0700);
    }
    ~ScratchDirectory() {
        ::nftw(
            path_.c_str(), [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// What the store's name may be. A change goes into the plain file it finally
// names; anything else keeps what it is, and gets no lock file beside it.
TEST(SettingsFileDestinations, TheStoreNeverReplacesWhatItsNameIs) {
    enum Outcome { kWrittenThrough, kRefused };
    struct Row {
        const char* what;
        std::function<bool(const ScratchDirectory&)> make;  // makes "store"; false: not possible here
        Outcome outcome;
        std::string stays;  // the file the value must land in, for kWrittenThrough
    };
    const Row rows[] = {
        {"a symbolic link to a file",
         [](const ScratchDirectory& d) {
             std::ofstream(d / "real.reg") << "";
             return ::symlink((d / "real.reg").c_str(), (d / "store").c_str()) == 0;
         },
         kWrittenThrough, "real.reg"},
        {"a symbolic link to nothing yet",
         [](const ScratchDirectory& d) { return ::symlink((d / "later.reg").c_str(), (d / "store").c_str()) == 0; },
         kWrittenThrough, "later.reg"},
        {"a file with a second hard link",
         [](const ScratchDirectory& d) {
             std::ofstream(d / "store") << "";
             return ::link((d / "store").c_str(), (d / "twin.reg").c_str()) == 0;
         },
         kWrittenThrough, "twin.reg"},
        {"a FIFO", [](const ScratchDirectory& d) { return ::mkfifo((d / "store").c_str(), 0600) == 0; }, kRefused, ""},
        {"a directory", [](const ScratchDirectory& d) { return ::mkdir((d / "store").c_str(), 0700) == 0; }, kRefused,
         ""},
        {"a device (the null device's numbers)",
         [](const ScratchDirectory& d) { return ::mknod((d / "store").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; },
         kRefused, ""},
        {"a symbolic link to a directory",
         [](const ScratchDirectory& d) {
             return ::mkdir((d / "dir").c_str(), 0700) == 0 && ::symlink((d / "dir").c_str(), (d / "store").c_str()) == 0;
         },
         kRefused, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScratchDirectory dir;
        if (!row.make(dir)) {
            std::printf("skipped \"%s\": cannot be made here\n", row.what);
            continue;
        }
        struct stat before;
        ASSERT_EQ(::lstat((dir / "store").c_str(), &before), 0);
        kvx::platform::posix::SetSettingsFile(dir / "store");
        auto key = SettingsKey::Open("Software\\Destination", Access::Write);
        if (row.outcome == kWrittenThrough) {
            ASSERT_NE(key, nullptr);
            EXPECT_TRUE(key->WriteDword("V", 7));
            EXPECT_NE(ReadText(dir / row.stays).find("\"V\"=dword:00000007"), std::string::npos);
            uint32_t value = 0;
            EXPECT_TRUE(key->ReadDword("V", &value));
            EXPECT_EQ(value, 7u);
        } else {
            EXPECT_EQ(key, nullptr);
            EXPECT_FALSE(Exists(dir / "store.lock"));
            EXPECT_FALSE(Exists(dir / "dir.lock"));
        }
        // The name is still what it was: a link stays a link, a node a node.
        struct stat after;
        ASSERT_EQ(::lstat((dir / "store").c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
        EXPECT_EQ(after.st_ino, before.st_ino);
        kvx::platform::posix::SetSettingsFile("");
    }
}

// A store far larger than any this library writes is neither read (which
// would take the time and memory of its size) nor written over; the camera
// learns of it.
TEST(SettingsFileSize, AStoreTooLargeIsReportedAndLeftAsItIs) {
    ScratchDirectory dir;
    const std::string store = dir / "huge.reg";
    const std::string text = "Windows Registry Editor Version 5.00\n\n[Software\\Huge]\n\"V\"=dword:00000005\n";
    std::ofstream(store) << text;
    ASSERT_EQ(::truncate(store.c_str(), off_t{32} << 20), 0);  // sparse: no disk space
    struct stat before;
    ASSERT_EQ(::stat(store.c_str(), &before), 0);
    kvx::platform::posix::SetSettingsFile(store);
    EXPECT_FALSE(SettingsKey::StoreReadable());
    EXPECT_EQ(SettingsKey::Open("Software\\Huge", Access::Read), nullptr);
    EXPECT_EQ(SettingsKey::Open("Software\\Huge", Access::Write), nullptr);
    struct stat after;
    ASSERT_EQ(::stat(store.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    // Cut down to what it really holds, it is a store again.
    ASSERT_EQ(::truncate(store.c_str(), static_cast<off_t>(text.size())), 0);
    EXPECT_TRUE(SettingsKey::StoreReadable());
    EXPECT_NE(SettingsKey::Open("Software\\Huge", Access::Read), nullptr);
    kvx::platform::posix::SetSettingsFile("");
}

}  // namespace
