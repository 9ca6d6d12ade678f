// Saving onto what is not a plain file known by one name: symbolic links
// stay links, pipes and hard links are written in place, permissions stay,
// and the process's umask is never touched.
// Everything lives in a scratch directory; no system file is touched.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "output/still_image.h"
#include "output_test_support.h"

// umask as on a loaded machine, where the thread that called it may lose
// its core before it returns: a save that set the umask to read it leaves
// the changed value in place long enough for another thread's file to be
// created under it, instead of for the microsecond that is hard to hit.
extern "C" mode_t umask(mode_t mask) {
    const auto previous = static_cast<mode_t>(::syscall(SYS_umask, mask));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return previous;
}

namespace kvx {
namespace {

using test::ReadFile;
using test::ScratchDirectory;

FrameBitmap& Picture() {
    static FrameBitmap bitmap;
    if (bitmap.empty()) {
        bitmap.Create(21, 13, 24);
        for (int i = 0; i < bitmap.stride() * bitmap.height(); ++i) bitmap.bits()[i] = static_cast<uint8_t>(i * 7);
    }
    return bitmap;
}

std::vector<uint8_t> Expected(const ScratchDirectory& dir, int format) {
    const std::string fresh = dir.File("expected.img");
    EXPECT_EQ(SaveFrameFile(fresh.c_str(), &Picture(), format, 12), 1);
    auto bytes = ReadFile(fresh);
    std::remove(fresh.c_str());
    return bytes;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

TEST(SpecialFiles, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
    ScratchDirectory dir;
    ASSERT_EQ(::mkdir(dir.File("photos").c_str(), 0755), 0);
    const std::string target = dir.File("photos/frame.bmp");
    test::WriteFile(target, "the picture saved before");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string link = dir.File("latest.bmp");
    ASSERT_EQ(::symlink("photos/frame.bmp", link.c_str()), 0);

    for (int format : {kStillBmp, kStillPng, kStillTiff}) {
        SCOPED_TRACE(format);
        ASSERT_EQ(SaveFrameFile(link.c_str(), &Picture(), format, 12), 1);
        struct stat st {};
        ASSERT_EQ(::lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
        EXPECT_EQ(ReadFile(target), Expected(dir, format));
        EXPECT_EQ(ModeOf(target) & 07777, 0640u);
    }
    // The temporary file went beside the target and is gone.
    std::vector<std::string> names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"latest.bmp", "photos"}));
}

// A link to a file not yet made: saving makes the file, where the link says.
TEST(SpecialFiles, ADanglingSymbolicLinkStaysALinkAndItsTargetIsCreated) {
    ScratchDirectory dir;
    ASSERT_EQ(::mkdir(dir.File("photos").c_str(), 0755), 0);
    const std::string link = dir.File("next.png");
    ASSERT_EQ(::symlink("photos/frame.png", link.c_str()), 0);
    ASSERT_EQ(SaveFrameFile(link.c_str(), &Picture(), kStillPng, 12), 1);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
    EXPECT_EQ(ReadFile(dir.File("photos/frame.png")), Expected(dir, kStillPng));
    std::vector<std::string> names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"next.png", "photos"}));
}

TEST(SpecialFiles, AFifoIsWrittenInPlaceAndStaysAFifo) {
    ScratchDirectory dir;
    const std::string fifo = dir.File("stream");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (int format : {kStillBmp, kStillRaw, kStillJpegGood, kStillPng}) {
        SCOPED_TRACE(format);
        std::vector<uint8_t> received;
        std::thread reader([&] { received = ReadFile(fifo); });
        EXPECT_EQ(SaveFrameFile(fifo.c_str(), &Picture(), format, 12), 1);
        reader.join();
        EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
        EXPECT_EQ(received, Expected(dir, format));
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"stream"});
}

TEST(SpecialFiles, AFileWithAnotherHardLinkIsWrittenInPlaceForBothNames) {
    ScratchDirectory dir;
    const std::string first = dir.File("a.png"), second = dir.File("b.png");
    test::WriteFile(first, std::string(50000, 'x'));
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ASSERT_EQ(SaveFrameFile(first.c_str(), &Picture(), kStillPng, 12), 1);
    const auto expected = Expected(dir, kStillPng);
    EXPECT_EQ(ReadFile(first), expected) << "written in place, the old tail must be gone";
    EXPECT_EQ(ReadFile(second), expected);
    struct stat st {};
    ASSERT_EQ(::stat(first.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
}

TEST(SpecialFiles, APlainFileKeepsItsPermissions) {
    ScratchDirectory dir;
    const std::string path = dir.File("frame.jpg");
    test::WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    ASSERT_EQ(SaveFrameFile(path.c_str(), &Picture(), kStillJpegBest, 12), 1);
    EXPECT_EQ(ModeOf(path) & 07777, 0604u);
    EXPECT_EQ(ReadFile(path), Expected(dir, kStillJpegBest));
}

TEST(SpecialFiles, AWritableFileInAReadOnlyDirectoryIsStillSaved) {
    if (::geteuid() == 0) GTEST_SKIP() << "directory permissions do not bind the superuser";
    ScratchDirectory dir;
    ASSERT_EQ(::mkdir(dir.File("locked").c_str(), 0755), 0);
    const std::string path = dir.File("locked/frame.bmp");
    test::WriteFile(path, "old");
    ASSERT_EQ(::chmod(dir.File("locked").c_str(), 0555), 0);
    EXPECT_EQ(SaveFrameFile(path.c_str(), &Picture(), kStillBmp, 12), 1);
    EXPECT_EQ(SaveFrameFile(dir.File("locked/new.bmp").c_str(), &Picture(), kStillBmp, 12), 0);
    ::chmod(dir.File("locked").c_str(), 0755);
    EXPECT_EQ(ReadFile(path), Expected(dir, kStillBmp));
}

// The process's umask is the application's: a save must never change it,
// not even for an instant, or a file another thread creates meanwhile gets
// the access the application withheld.
TEST(SpecialFiles, SavingLeavesTheUmaskOfFilesOtherThreadsCreateAlone) {
    ScratchDirectory dir;
    const mode_t before = ::umask(022);
    std::atomic<bool> saving{true};
    std::atomic<int> created{0}, widened{0};
    std::thread application([&] {
        const std::string path = dir.File("log.txt");
        while (saving.load()) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) continue;
            struct stat st {};
            if (::fstat(fd, &st) == 0 && (st.st_mode & 022) != 0) ++widened;
            ::close(fd);
            ::unlink(path.c_str());
            ++created;
        }
    });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    int saves = 0;
    for (; std::chrono::steady_clock::now() < end; ++saves) {
        const std::string path = dir.File("frame-" + std::to_string(saves % 2) + ".raw");
        ASSERT_EQ(SaveFrameFile(path.c_str(), &Picture(), kStillRaw, 12), 1);
        EXPECT_EQ(ModeOf(path) & 07777, 0644u);
        std::remove(path.c_str());
    }
    saving = false;
    application.join();
    ::umask(before);
    RecordProperty("saves", saves);
    RecordProperty("files_created", created.load());
    EXPECT_EQ(widened.load(), 0) << "of " << created.load() << " files created during " << saves << " saves";
}

}  // namespace
}  // namespace kvx
