// Recording onto what is not a plain file: a device or a pipe cannot take an
// AVI's patched sizes and index, and a pipe's reader could hold the
// recording thread in a write. Such names are refused at once with 12.
#include <windows.h>

#include "../acquisition_fixture.h"
#include "unique_name.h"

namespace {

using kvx::AcquisitionState;
using kvx::test::AcquisitionTest;

class RecordingDestinations : public AcquisitionTest {};

TEST_F(RecordingDestinations, WhatIsNotAPlainFileIsRefusedWithoutWaiting) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    const std::string pipe = "\\\\.\\pipe\\" + kvx::test::UniqueName("kolvex-recording");
    // A server waiting for a client that would never read.
    HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                     nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::string folder = kvx::test::UniqueName("kolvex-folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    for (const std::string& path : {std::string("NUL"), pipe, folder}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Kolvex_Record(handle_, path.c_str(), 60000, 0), 0);
        EXPECT_EQ(TakeErrors(), std::vector<int>{KOLVEX_ERR_PATH});
        EXPECT_EQ(Object()->acquisitionState(), AcquisitionState::Idle);
    }
    CloseHandle(server);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
