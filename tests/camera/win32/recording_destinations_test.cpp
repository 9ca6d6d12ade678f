// A device or a pipe cannot take an AVI's patched sizes and index, and a
// pipe's reader could hold the recording thread in a write.
#include <windows.h>

#include "../recording_destinations.h"
#include "unique_name.h"

namespace kvx::test {
namespace {

TEST_F(RecordingDestinations, WhatIsNotAPlainFileIsRefusedWithoutWaiting) {
    const std::string pipe = "\\\\.\\pipe\\" + UniqueName("kolvex-recording");
    // A server waiting for a client that would never read.
    HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                     nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::string folder = UniqueName("kolvex-folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    for (const std::string& path : {std::string("NUL"), pipe, folder}) {
        SCOPED_TRACE(path);
        ExpectRefusedAtOnce(path, [&] { DisconnectNamedPipe(server); });
    }
    CloseHandle(server);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace kvx::test
