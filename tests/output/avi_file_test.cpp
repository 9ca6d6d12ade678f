// AVI files parsed back with the test's own RIFF reader: the layout, the
// frame chunks and their bytes, the index, the patched sizes and timing,
// and what an unfinished file offers a reader.
#include <gtest/gtest.h>

#include "output/avi_file.h"
#include "output/avi_recorder.h"
#include "output_test_support.h"
#include "riff_reader.h"

namespace kvx {
namespace {

using test::ReadFile;
using test::RiffChunk;
using test::ScratchDirectory;
using test::U32At;

std::vector<uint8_t> FramePixels(uint32_t bytes, int seed) {
    std::vector<uint8_t> pixels(bytes);
    for (uint32_t i = 0; i < bytes; ++i) pixels[i] = static_cast<uint8_t>(i * 31 + seed * 101);
    return pixels;
}

// Everything a finished file of `frames` frames of F bytes must hold.
void ExpectFinishedFile(const std::vector<uint8_t>& file, int32_t width, int32_t height, uint32_t frameBytes,
                        const std::vector<std::vector<uint8_t>>& frames) {
    const uint32_t n = static_cast<uint32_t>(frames.size());
    ASSERT_EQ(file.size(), 232 + n * (frameBytes + 8) + 8 + 16 * n);
    const RiffChunk riff = test::ReadRiff(file);
    ASSERT_EQ(riff.id, "RIFF");
    EXPECT_EQ(riff.size, file.size() - 8);
    EXPECT_EQ(riff.listType, "AVI ");
    ASSERT_EQ(riff.children.size(), 3u);

    const RiffChunk& hdrl = riff.children[0];
    EXPECT_EQ(hdrl.listType, "hdrl");
    EXPECT_EQ(hdrl.size, 200u);
    const RiffChunk* avih = hdrl.Find("avih");
    ASSERT_NE(avih, nullptr);
    EXPECT_EQ(avih->offset, 24u);
    EXPECT_EQ(avih->size, 56u);
    EXPECT_EQ(U32At(file, 44), 0x10010u);
    EXPECT_EQ(U32At(file, 48), n);
    EXPECT_EQ(U32At(file, 56), 1u);
    EXPECT_EQ(U32At(file, 60), frameBytes + 8);
    EXPECT_EQ(static_cast<int32_t>(U32At(file, 64)), width);
    EXPECT_EQ(static_cast<int32_t>(U32At(file, 68)), height);
    const RiffChunk* strl = hdrl.Find("strl");
    ASSERT_NE(strl, nullptr);
    EXPECT_EQ(strl->size, 124u);
    ASSERT_EQ(strl->children.size(), 2u);
    EXPECT_EQ(strl->children[0].id, "strh");
    EXPECT_EQ(strl->children[0].size, 64u);
    EXPECT_EQ(std::string(file.begin() + 108, file.begin() + 116), "vidsDIB ");
    EXPECT_EQ(U32At(file, 132), 10000000u);
    EXPECT_EQ(U32At(file, 140), n);
    EXPECT_EQ(U32At(file, 144), frameBytes + 8);
    EXPECT_EQ(strl->children[1].id, "strf");
    EXPECT_EQ(strl->children[1].offset, 172u);
    EXPECT_EQ(U32At(file, 180), 40u);
    EXPECT_EQ(static_cast<int32_t>(U32At(file, 184)), width);
    EXPECT_EQ(static_cast<int32_t>(U32At(file, 188)), height);
    EXPECT_EQ(U32At(file, 192), 1u | 24u << 16);  // planes, bit count
    EXPECT_EQ(U32At(file, 196), 0u);

    const RiffChunk& movi = riff.children[1];
    EXPECT_EQ(movi.listType, "movi");
    EXPECT_EQ(movi.offset, 220u);
    EXPECT_EQ(movi.size, 4 + n * (frameBytes + 8));
    ASSERT_EQ(movi.children.size(), n);
    for (uint32_t k = 0; k < n; ++k) {
        const RiffChunk& chunk = movi.children[k];
        EXPECT_EQ(chunk.id, "00db");
        EXPECT_EQ(chunk.size, frameBytes);
        ASSERT_EQ(std::memcmp(file.data() + chunk.dataOffset(), frames[k].data(), frameBytes), 0) << "frame " << k;
    }

    const RiffChunk& idx1 = riff.children[2];
    EXPECT_EQ(idx1.id, "idx1");
    ASSERT_EQ(idx1.size, 16 * n);
    for (uint32_t k = 0; k < n; ++k) {
        const size_t e = idx1.dataOffset() + 16 * k;
        EXPECT_EQ(std::string(file.begin() + e, file.begin() + e + 4), "00db");
        EXPECT_EQ(U32At(file, e + 4), 0x10u);
        EXPECT_EQ(U32At(file, e + 8), 4 + k * (frameBytes + 8));
        EXPECT_EQ(U32At(file, e + 12), frameBytes);
        // The offset counts from the "movi" letters.
        EXPECT_EQ(movi.children[k].offset, 228 + U32At(file, e + 8));
    }
}

TEST(AviFile, FramesIndexAndSizesOfAFinishedFile) {
    ScratchDirectory dir;
    const std::string path = dir.File("clip.avi");
    CAviFile avi;
    ASSERT_EQ(avi.Open(path.c_str(), 37, 5, 16), 1);  // odd width: rows padded to 112 bytes
    ASSERT_EQ(avi.frameBytes(), 112u * 5);
    std::vector<std::vector<uint8_t>> frames;
    for (int k = 0; k < 3; ++k) {
        frames.push_back(FramePixels(avi.frameBytes(), k));
        ASSERT_EQ(avi.AddFrame(frames.back().data()), 1);
    }
    ASSERT_EQ(avi.Close(AviRecorder::MeasuredRate(300, 10000)), 1);
    const auto file = ReadFile(path);
    ExpectFinishedFile(file, 37, 5, 560, frames);
    // 300 frames over 10 s: 30.00 frames per second.
    EXPECT_EQ(U32At(file, 32), 33333u);
    EXPECT_EQ(U32At(file, 128), 333333u);
}

TEST(AviFile, FullSensorFramesAndTheirOffsets) {
    ScratchDirectory dir;
    const std::string path = dir.File("full.avi");
    CAviFile avi;
    ASSERT_EQ(avi.Open(path.c_str(), 2048, 1536, 24), 1);
    EXPECT_EQ(avi.frameBytes(), 9437184u);
    std::vector<std::vector<uint8_t>> frames;
    for (int k = 0; k < 2; ++k) {
        frames.push_back(FramePixels(avi.frameBytes(), k));
        ASSERT_EQ(avi.AddFrame(frames.back().data()), 1);
    }
    ASSERT_EQ(avi.Close(2500), 1);
    const auto file = ReadFile(path);
    ExpectFinishedFile(file, 2048, 1536, 9437184, frames);
    EXPECT_EQ(U32At(file, 32), 40000u);  // 25 frames per second
    EXPECT_EQ(U32At(file, 128), 400000u);
}

TEST(AviFile, HeadersBeforeTheFirstFrameTruncatingAnOldFile) {
    ScratchDirectory dir;
    const std::string path = dir.File("old.avi");
    test::WriteFile(path, std::string(5000, 'x'));
    CAviFile avi;
    ASSERT_EQ(avi.Open(path.c_str(), 64, 48, 8), 1);
    const auto file = ReadFile(path);
    ASSERT_EQ(file.size(), 232u);
    EXPECT_EQ(U32At(file, 4), 0u);    // RIFF size: not yet known
    EXPECT_EQ(U32At(file, 224), 0u);  // movi size
    EXPECT_EQ(U32At(file, 32), 33333u);
    EXPECT_EQ(U32At(file, 128), 333333u);
    EXPECT_EQ(U32At(file, 36), (64u * 48 * 3 + 8) * 30);  // from the chunk size at the nominal rate
    EXPECT_EQ(std::string(file.begin() + 228, file.end()), "movi");
}

TEST(AviFile, UnfinishedFileIsReadableUpToItsLastCheckpoint) {
    ScratchDirectory dir;
    const std::string path = dir.File("crash.avi");
    CAviFile avi;
    ASSERT_EQ(avi.Open(path.c_str(), 16, 4, 24), 1);
    const uint32_t f = avi.frameBytes();
    const auto frame = FramePixels(f, 7);
    ASSERT_EQ(avi.AddFrame(frame.data()), 1);
    ASSERT_EQ(avi.AddFrame(frame.data()), 1);
    ASSERT_EQ(avi.Checkpoint(), 1);
    ASSERT_EQ(avi.AddFrame(frame.data()), 1);

    // What a crash now would leave: two frames in the lists, the third
    // beyond the RIFF size, no index.
    auto file = ReadFile(path);
    ASSERT_EQ(file.size(), 232 + 3 * (f + 8));
    RiffChunk riff = test::ReadRiff(file);
    EXPECT_EQ(riff.size, 224 + 2 * (f + 8));
    ASSERT_EQ(riff.children.size(), 2u);
    EXPECT_EQ(riff.children[1].children.size(), 2u);
    EXPECT_EQ(U32At(file, 48), 2u);

    // Giving up on the file (acquisition stopped, camera released) still
    // covers every frame written.
    avi.Reset();
    file = ReadFile(path);
    riff = test::ReadRiff(file);
    EXPECT_EQ(riff.size, file.size() - 8);
    ASSERT_EQ(riff.children.size(), 2u);
    EXPECT_EQ(riff.children[1].children.size(), 3u);
    EXPECT_EQ(U32At(file, 140), 3u);
}

TEST(AviFile, RefusesSizesAndPathsItCannotWrite) {
    ScratchDirectory dir;
    CAviFile avi;
    const std::string path = dir.File("no.avi");
    EXPECT_EQ(avi.Open(path.c_str(), 0, 10, 24), 0);
    EXPECT_EQ(avi.Open(path.c_str(), 40000, 40000, 24), 0);  // a frame past 4 GiB
    EXPECT_EQ(avi.Open(nullptr, 10, 10, 24), 0);
    EXPECT_EQ(avi.Open((dir.File("missing") + "/x.avi").c_str(), 10, 10, 24), 0);
    EXPECT_TRUE(dir.Names().empty());
    const uint8_t pixels[400] = {};
    EXPECT_EQ(avi.AddFrame(pixels), 0);
    EXPECT_EQ(avi.Close(3000), 0);
    EXPECT_EQ(avi.frameCount(), 0u);
}

TEST(AviFile, TimingNeverDividesByZero) {
    EXPECT_EQ(AviRecorder::MeasuredRate(300, 10000), 3000u);
    EXPECT_EQ(AviRecorder::MeasuredRate(2, 0), 3000u);  // nothing to measure: nominal
    EXPECT_EQ(AviRecorder::MeasuredRate(0, 500), 3000u);
    EXPECT_EQ(AviRecorder::MeasuredRate(1, 200000), 1u);  // slower than 0.01 per second
    EXPECT_EQ(AviRecorder::MeasuredRate(100000, 3333333), 3000u);  // past 32 bits in between

    ScratchDirectory dir;
    const std::string path = dir.File("slow.avi");
    CAviFile avi;
    ASSERT_EQ(avi.Open(path.c_str(), 4, 4, 24), 1);
    ASSERT_EQ(avi.Close(0), 1);
    const auto file = ReadFile(path);
    EXPECT_EQ(U32At(file, 32), 100000000u);
    EXPECT_EQ(U32At(file, 128), 1000000000u);
    EXPECT_EQ(U32At(file, 4), file.size() - 8);
}

}  // namespace
}  // namespace kvx
