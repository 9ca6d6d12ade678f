// A recording the disk cuts short: the application, which got 1 from
// Kolvex_Record, hears of it, and the file is whole.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "../acquisition_fixture.h"
#include "file_size_limit.h"
#include "unique_name.h"

namespace {

using kvx::test::AcquisitionTest;
using kvx::test::Collect;
using kvx::test::Count;
using kvx::test::FileSizeLimit;
using kvx::test::IsError;
using kvx::test::Notification;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

class RecordingCutShort : public AcquisitionTest {};

TEST_F(RecordingCutShort, AFailedWriteIsReportedWithTwelveAndTheFileKeepsItsIndex) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    const std::string path = kvx::test::UniqueName("kolvex-cut") + ".avi";
    std::vector<Notification> errors;
    {
        // Room for the headers and a few 9,216-byte frames.
        FileSizeLimit limit(40000);
        ASSERT_EQ(Kolvex_Record(handle_, path.c_str(), 600000, 0), 1);
        errors = Collect(window_, [](const std::vector<Notification>& all) {
            return Count(all, [](const Notification& n) { return IsError(n, KOLVEX_ERR_PATH); }) >= 1;
        });
        for (int i = 0; i < 1000 && Object()->recording(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(Count(errors, [](const Notification& n) { return IsError(n, KOLVEX_ERR_PATH); }), 1);
    EXPECT_FALSE(Object()->recording());
    EXPECT_EQ(TakeErrors(), std::vector<int>{KOLVEX_ERR_PATH});
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);

    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    ASSERT_GT(file.size(), 232u);
    const uint32_t frames = U32(file, 48);
    EXPECT_GE(frames, 1u);
    // RIFF size covers headers, frames and an index of one entry per frame.
    const uint32_t chunk = 8 + 64 * 3 * 48;
    EXPECT_EQ(U32(file, 4), 224 + frames * chunk + 8 + frames * 16);
    const size_t index = 232 + size_t{frames} * chunk;
    ASSERT_LE(index + 8, file.size());
    EXPECT_EQ(std::string(file.begin() + static_cast<long>(index), file.begin() + static_cast<long>(index) + 4), "idx1");
}

}  // namespace
