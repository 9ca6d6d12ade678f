// The recording thread against a frame source made of real frame bitmaps:
// which frames it takes, how each depth becomes 24-bit rows, how a
// recording ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "output/avi_recorder.h"
#include "output_test_support.h"
#include "platform/clock.h"
#include "riff_reader.h"

namespace kvx {
namespace {

using test::ReadFile;
using test::RiffChunk;
using test::ScratchDirectory;
using test::U32At;

// Stands where the camera's acquisition stands: a frame bitmap under a frame
// lock, and a mark set after each new frame.
class BitmapSource : public RecordingFrameSource {
public:
    bool TakeNewFrame() override { return newFrame_.exchange(false); }
    void WithCurrentFrame(const std::function<void(const FrameBitmap&)>& use) override {
        std::lock_guard<std::mutex> hold(frameLock_);
        use(frame_);
    }
    // Changes the frame under the lock and marks it new, as the
    // acquisition does after a conversion.
    template <typename Change>
    void Deliver(Change change) {
        {
            std::lock_guard<std::mutex> hold(frameLock_);
            change(frame_);
        }
        newFrame_ = true;
    }

private:
    std::mutex frameLock_;
    FrameBitmap frame_;
    std::atomic<bool> newFrame_{false};
};

// The rows of one recorded frame.
struct RecordedFrames {
    std::vector<uint8_t> file;
    RiffChunk riff;
    const RiffChunk* movi = nullptr;
    uint32_t frames() const { return movi ? static_cast<uint32_t>(movi->children.size()) : 0; }
    const uint8_t* Pixel(int frame, int x, int row, int width) const {
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
        return file.data() + movi->children[frame].dataOffset() + row * stride + x * 3;
    }
};

RecordedFrames Parse(const std::string& path) {
    RecordedFrames r;
    r.file = ReadFile(path);
    r.riff = test::ReadRiff(r.file);
    r.movi = r.riff.Find("movi");
    return r;
}

// Records one frame of `frame` (a negative duration ends with the first).
RecordedFrames RecordOne(const std::string& path, int bits, int sampleBits,
                         const std::function<void(FrameBitmap&)>& fill) {
    BitmapSource source;
    source.Deliver([&](FrameBitmap& f) {
        f.Create(13, 6, bits);
        fill(f);
    });
    CAviFile avi;
    AviRecorder recorder(avi);
    EXPECT_EQ(recorder.Start(source, path.c_str(), -1, sampleBits), AviRecorder::StartResult::Started);
    while (recorder.running()) platform::SleepMs(5);
    recorder.Stop();
    EXPECT_FALSE(recorder.failed());
    EXPECT_EQ(recorder.framesWritten(), 1u);
    return Parse(path);
}

TEST(AviRecorder, EveryDepthBecomesBottomUpTwentyFourBitRows) {
    ScratchDirectory dir;
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        const std::string path = dir.File("depth.avi");
        FrameBitmap source;
        const RecordedFrames rec = RecordOne(path, bits, 12, [&](FrameBitmap& f) {
            test::FillPattern(f);
            source.CreateLike(&f);
            std::memcpy(source.bits(), f.bits(), static_cast<size_t>(f.stride()) * f.height());
        });
        ASSERT_EQ(rec.frames(), 1u);
        EXPECT_EQ(U32At(rec.file, 188), 6u);
        for (int row = 0; row < 6; ++row) {
            const int y = 5 - row;  // the file's first row is the picture's last
            for (int x = 0; x < 13; ++x) {
                const uint8_t* out = rec.Pixel(0, x, row, 13);
                for (int c = 0; c < 3; ++c) {
                    int expected;
                    switch (bits) {
                        case 8: expected = test::Byte(source, x, y, 0); break;
                        case 16: expected = (test::Word(source, x, y, 0) >> 4) & 0xFF; break;
                        case 24:
                        case 32: expected = test::Byte(source, x, y, c); break;
                        default: expected = (test::Word(source, x, y, c) >> 4) & 0xFF; break;
                    }
                    ASSERT_EQ(out[c], expected) << x << "," << y << " channel " << c;
                }
            }
        }
    }
}

TEST(AviRecorder, TenBitWordsKeepTheirTopEightBits) {
    ScratchDirectory dir;
    const std::string path = dir.File("ten.avi");
    const RecordedFrames gray = RecordOne(path, 16, 10, [](FrameBitmap& f) {
        test::SetWord(f, 0, 5, 0, 0x03FF);  // memory row 5: the file's first row
        test::SetWord(f, 1, 5, 0, 0x0200);
    });
    ASSERT_EQ(gray.frames(), 1u);
    EXPECT_EQ(gray.Pixel(0, 0, 0, 13)[0], 0xFF);
    EXPECT_EQ(gray.Pixel(0, 0, 0, 13)[2], 0xFF);
    EXPECT_EQ(gray.Pixel(0, 1, 0, 13)[1], 0x80);
    const RecordedFrames color = RecordOne(path, 64, 10, [](FrameBitmap& f) {
        test::SetWord(f, 0, 5, 0, 0x03FF);
        test::SetWord(f, 0, 5, 2, 0x0200);
    });
    EXPECT_EQ(color.Pixel(0, 0, 0, 13)[0], 0xFF);
    EXPECT_EQ(color.Pixel(0, 0, 0, 13)[2], 0x80);
}

// Delivers numbered frames until the recording ends or `stopAfter` frames
// are in the file; returns how many were delivered.
int DeliverUntilDone(BitmapSource& source, AviRecorder& recorder, uint32_t stopAfter) {
    int delivered = 0;
    while (recorder.running() && recorder.framesWritten() < stopAfter) {
        source.Deliver([&](FrameBitmap& f) { std::memset(f.bits(), std::min(delivered, 255), f.stride() * f.height()); });
        ++delivered;
        platform::SleepMs(3);
    }
    return delivered;
}

TEST(AviRecorder, ZeroDurationEndsWithALaterFrameAndFinishesTheFile) {
    ScratchDirectory dir;
    const std::string path = dir.File("zero.avi");
    BitmapSource source;
    source.Deliver([](FrameBitmap& f) { f.Create(8, 4, 24); });
    CAviFile avi;
    AviRecorder recorder(avi);
    ASSERT_EQ(recorder.Start(source, path.c_str(), 0, 12), AviRecorder::StartResult::Started);
    DeliverUntilDone(source, recorder, 0xFFFFFFFF);
    recorder.Stop();
    const RecordedFrames rec = Parse(path);
    EXPECT_GE(rec.frames(), 2u);
    EXPECT_EQ(recorder.framesWritten(), rec.frames());
    EXPECT_EQ(rec.riff.size, rec.file.size() - 8);
    EXPECT_EQ(U32At(rec.file, 48), rec.frames());
    const RiffChunk* idx1 = rec.riff.Find("idx1");
    ASSERT_NE(idx1, nullptr);
    EXPECT_EQ(idx1->size, 16 * rec.frames());
    // Frames go in as they came, the newest at each pass.
    for (uint32_t k = 1; k < rec.frames(); ++k) {
        EXPECT_GE(*rec.Pixel(k, 0, 0, 8), *rec.Pixel(k - 1, 0, 0, 8)) << k;
    }
    EXPECT_NE(U32At(rec.file, 128), 0u);
}

TEST(AviRecorder, StoppingEarlyFinishesTheFileWithTheFramesSoFar) {
    ScratchDirectory dir;
    const std::string path = dir.File("early.avi");
    BitmapSource source;
    source.Deliver([](FrameBitmap& f) { f.Create(8, 4, 8); });
    CAviFile avi;
    AviRecorder recorder(avi);
    ASSERT_EQ(recorder.Start(source, path.c_str(), 600000, 12), AviRecorder::StartResult::Started);
    // One recording per writer at a time.
    EXPECT_EQ(recorder.Start(source, dir.File("second.avi").c_str(), 10, 12),
              AviRecorder::StartResult::AlreadyRunning);
    DeliverUntilDone(source, recorder, 3);
    recorder.Stop();
    EXPECT_FALSE(recorder.running());
    const RecordedFrames rec = Parse(path);
    EXPECT_GE(rec.frames(), 3u);
    EXPECT_EQ(rec.riff.size, rec.file.size() - 8);
    ASSERT_NE(rec.riff.Find("idx1"), nullptr);
    EXPECT_EQ(U32At(rec.file, 140), rec.frames());
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"early.avi"});
}

TEST(AviRecorder, NothingToRecordOrNowhereToWriteIsRefused) {
    ScratchDirectory dir;
    BitmapSource empty;
    CAviFile avi;
    AviRecorder recorder(avi);
    EXPECT_EQ(recorder.Start(empty, dir.File("empty.avi").c_str(), 100, 12), AviRecorder::StartResult::OpenFailed);
    BitmapSource source;
    source.Deliver([](FrameBitmap& f) { f.Create(8, 4, 24); });
    EXPECT_EQ(recorder.Start(source, (dir.File("missing") + "/x.avi").c_str(), 100, 12),
              AviRecorder::StartResult::OpenFailed);
    EXPECT_FALSE(recorder.running());
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace kvx
