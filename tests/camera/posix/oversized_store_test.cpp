// A settings store far too large to be one: the camera starts from its
// defaults, says why, and leaves the file as it found it.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "../camera_fixture.h"
#include "platform/posix/settings_file.h"

namespace {

class OversizedStore : public kvx::test::CameraTest {};

TEST_F(OversizedStore, InitialiseReportsItAndReleaseSavesNothingOverIt) {
    const std::string store = kvx::platform::posix::SettingsFile();
    std::ofstream(store) << "Windows Registry Editor Version 5.00\n";
    ASSERT_EQ(::truncate(store.c_str(), off_t{32} << 20), 0);
    ASSERT_NE(Open(), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_RESOURCE);
    Kolvex_Release(handle_);
    handle_ = 0;
    struct stat after;
    ASSERT_EQ(::stat(store.c_str(), &after), 0);
    EXPECT_EQ(after.st_size, off_t{32} << 20);
}

}  // namespace
