// A FIFO with no reader would hold the opening (and with it Release and
// StopPreview) until a reader came; one whose reader stopped reading would
// hold the recording thread in a write that no stop ends.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../recording_destinations.h"
#include "unique_name.h"

namespace kvx::test {
namespace {

TEST_F(RecordingDestinations, WhatIsNotAPlainFileIsRefusedWithoutWaiting) {
    const std::string fifo = UniqueName("kolvex-fifo"), folder = UniqueName("kolvex-folder");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    auto unblock = [&] { ::close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK)); };
    {
        SCOPED_TRACE("FIFO without a reader");
        ExpectRefusedAtOnce(fifo, unblock);
    }
    {
        SCOPED_TRACE("FIFO whose reader never reads");
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        ExpectRefusedAtOnce(fifo, unblock);
        ::close(reader);
    }
    {
        SCOPED_TRACE("directory");
        ExpectRefusedAtOnce(folder, unblock);
    }
    struct stat st {};
    EXPECT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ::unlink(fifo.c_str());
    ::rmdir(folder.c_str());
}

}  // namespace
}  // namespace kvx::test
