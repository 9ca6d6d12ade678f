// Names that are not files on Windows: a named pipe opens at once but its
// reads wait for the other end.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/file_read.h"
#include "unique_name.h"

namespace {

using kvx::platform::FileRead;
using kvx::platform::ReadRegularFile;

TEST(ReadFileWin32, ANamedPipeIsRefusedWithoutReadingFromIt) {
    const std::string name = "\\\\.\\pipe\\" + kvx::test::UniqueName("kolvex-pipe");
    HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                     nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> data;
    const FileRead result = ReadRegularFile(name.c_str(), 1 << 20, &data);
    EXPECT_TRUE(result == FileRead::NotAFile || result == FileRead::CannotOpen);
    EXPECT_TRUE(data.empty());
    CloseHandle(server);
}

}  // namespace
