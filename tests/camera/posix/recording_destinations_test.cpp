// Recording onto what is not a plain file: a FIFO with no reader would hold
// the opening (and with it Release and StopPreview) until a reader came, and
// one whose reader stopped reading would hold the recording thread in a
// write that no stop ends. Such names are refused at once with 12.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <future>

#include "../acquisition_fixture.h"
#include "unique_name.h"

namespace {

using kvx::AcquisitionState;
using kvx::test::AcquisitionTest;

class RecordingDestinations : public AcquisitionTest {};

TEST_F(RecordingDestinations, WhatIsNotAPlainFileIsRefusedWithoutWaiting) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    const std::string fifo = kvx::test::UniqueName("kolvex-fifo"), folder = kvx::test::UniqueName("kolvex-folder");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    struct Case {
        const char* what;
        std::string path;
        bool reader;  // a reader holds the FIFO open and never reads
    };
    for (const Case& c : {Case{"FIFO without a reader", fifo, false}, Case{"FIFO whose reader never reads", fifo, true},
                          Case{"directory", folder, false}}) {
        SCOPED_TRACE(c.what);
        const int reader = c.reader ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        auto started = std::async(std::launch::async, [&] { return Kolvex_Record(handle_, c.path.c_str(), 60000, 0); });
        if (started.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Lets a blocked opening go on, so that the test can end.
            ::close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
            ADD_FAILURE() << "Kolvex_Record waited";
        }
        EXPECT_EQ(started.get(), 0);
        EXPECT_EQ(TakeErrors(), std::vector<int>{KOLVEX_ERR_PATH});
        EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
        if (reader >= 0) ::close(reader);
    }
    struct stat st {};
    EXPECT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ::unlink(fifo.c_str());
    ::rmdir(folder.c_str());
}

}  // namespace
