// Limits of the file system: writes that fail part-way, as on a full disk
// (a file size limit makes the system refuse every byte past it), and the
// longest name a directory takes.
#include <gtest/gtest.h>

#include <atomic>

#include "file_size_limit.h"
#include "output/avi_file.h"
#include "output/avi_recorder.h"
#include "output/still_image.h"
#include "platform/clock.h"
#include "output_test_support.h"
#include "riff_reader.h"

namespace kvx {
namespace {

using test::FileSizeLimit;
using test::ReadFile;
using test::ScratchDirectory;

TEST(WriteFailure, EveryFormatFailsAndKeepsTheOldFile) {
    ScratchDirectory dir;
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(256, 256, 24), 1);
    // Noise, so that no format compresses it below the limit.
    uint32_t seed = 12345;
    for (int i = 0; i < bitmap.stride() * bitmap.height(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        bitmap.bits()[i] = static_cast<uint8_t>(seed >> 24);
    }
    const std::string path = dir.File("kept.img");
    test::WriteFile(path, "the picture saved before");
    {
        FileSizeLimit limit(4096);
        for (int format = kStillBmp; format <= kStillTiff; ++format) {
            EXPECT_EQ(SaveFrameFile(path.c_str(), &bitmap, format, 12), 0) << format;
        }
    }
    const auto kept = ReadFile(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "the picture saved before");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"kept.img"});
}

TEST(FileLimits, TheLongestFileNameStillSaves) {
    // The temporary name beside it must not be longer than the name itself.
    ScratchDirectory dir;
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(4, 4, 8), 1);
    const std::string path = dir.File(std::string(250, 'n') + ".bmp");
    EXPECT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillBmp, 12), 1);
    EXPECT_EQ(dir.Names().size(), 1u);
}

TEST(WriteFailure, RecordingStopsAtTheLastWholeFrame) {
    ScratchDirectory dir;
    const std::string path = dir.File("full.avi");
    CAviFile avi;
    std::vector<uint8_t> frame;
    int written = 0;
    {
        FileSizeLimit limit(4096);
        ASSERT_EQ(avi.Open(path.c_str(), 16, 16, 24), 1);  // 768-byte frames
        frame.assign(avi.frameBytes(), 0x5A);
        while (written < 100 && avi.AddFrame(frame.data()) == 1) ++written;
        EXPECT_EQ(written, 4);  // 232 + 4 x 776 = 3336; a fifth would pass 4096
        EXPECT_TRUE(avi.failed());
        EXPECT_EQ(avi.AddFrame(frame.data()), 0);
        EXPECT_EQ(avi.Close(3000), 0);
    }
    // The index took the place of the broken fifth frame.
    const auto file = ReadFile(path);
    const test::RiffChunk riff = test::ReadRiff(file);
    EXPECT_EQ(riff.size, 224u + 4 * 776 + 8 + 4 * 16);
    ASSERT_NE(riff.Find("movi"), nullptr);
    EXPECT_EQ(riff.Find("movi")->children.size(), 4u);
    ASSERT_NE(riff.Find("idx1"), nullptr);
    EXPECT_EQ(riff.Find("idx1")->size, 4u * 16);
    EXPECT_EQ(test::U32At(file, 48), 4u);
}

// Stands where the camera stands: one frame, marked new on every pass, and
// a count of what the recorder reported.
class SteadySource : public RecordingFrameSource {
public:
    SteadySource() { frame_.Create(16, 16, 24); }
    bool TakeNewFrame() override { return true; }
    void WithCurrentFrame(const std::function<void(const FrameBitmap&)>& use) override { use(frame_); }
    void EndedEarly() override { ++endedEarly; }
    std::atomic<int> endedEarly{0};

private:
    FrameBitmap frame_;
};

TEST(WriteFailure, ARecordingCutShortSaysSoAndLeavesAnIndexedFile) {
    ScratchDirectory dir;
    const std::string path = dir.File("cut.avi");
    SteadySource source;
    CAviFile avi;
    AviRecorder recorder(avi);
    {
        FileSizeLimit limit(4096);
        ASSERT_EQ(recorder.Start(source, path.c_str(), 600000, 12), AviRecorder::StartResult::Started);
        for (int waited = 0; recorder.running() && waited < 5000; ++waited) platform::SleepMs(1);
        EXPECT_FALSE(recorder.running()) << "the recording went on after a failed write";
        recorder.Stop();
    }
    EXPECT_EQ(source.endedEarly.load(), 1);
    EXPECT_TRUE(recorder.endedEarly());
    EXPECT_EQ(recorder.framesWritten(), 4u);
    const test::RiffChunk riff = test::ReadRiff(ReadFile(path));
    ASSERT_NE(riff.Find("idx1"), nullptr);
    EXPECT_EQ(riff.Find("idx1")->size, 4u * 16);

    // Stopped by the application: not early in this sense, nothing said.
    SteadySource stopped;
    ASSERT_EQ(recorder.Start(stopped, dir.File("stopped.avi").c_str(), 600000, 12), AviRecorder::StartResult::Started);
    platform::SleepMs(30);
    recorder.Stop();
    EXPECT_EQ(stopped.endedEarly.load(), 0);
    EXPECT_FALSE(recorder.endedEarly());
}

}  // namespace
}  // namespace kvx
