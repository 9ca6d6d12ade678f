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

// 37 x 5 frames take 568-byte chunks, 584 bytes with their idx1 entries; a
// plain RIFF of n frames holds 232 bytes more.
TEST(AviFile, ThePlainLayoutExactlyWhenTheMostFramesFitOneRiff) {
    ScratchDirectory dir;
    const std::string path = dir.File("layout.avi");
    const uint64_t limit = 232 + 584 * 13;
    const auto frame = FramePixels(560, 1);
    for (uint32_t most : {0u, 13u, 14u, 1000u}) {
        SCOPED_TRACE(most);
        CAviFile avi(limit);
        ASSERT_EQ(avi.Open(path.c_str(), 37, 5, 24, most), 1);
        EXPECT_EQ(avi.openDml(), most > 13);
        int added = 0;
        while (added < 20 && avi.AddFrame(frame.data())) ++added;
        // A plain file ends where its RIFF is full; OpenDML goes on.
        EXPECT_EQ(added, most > 13 ? 20 : 13);
        EXPECT_FALSE(avi.failed());
        ASSERT_EQ(avi.Close(3000), 1);
        const auto riffs = test::ReadChunks(ReadFile(path), 0, ReadFile(path).size());
        EXPECT_EQ(riffs.size() > 1, most > 13);
        for (const RiffChunk& riff : riffs) EXPECT_LE(riff.size, limit);
    }
}

uint64_t U64At(const std::vector<uint8_t>& bytes, size_t offset) {
    return U32At(bytes, offset) | uint64_t{U32At(bytes, offset + 4)} << 32;
}

TEST(AviFile, PastTheRiffLimitEveryPartIsIndexedAndCounted) {
    ScratchDirectory dir;
    const std::string path = dir.File("parts.avi");
    CAviFile avi(8192);  // a dozen 560-byte frames to a RIFF
    ASSERT_EQ(avi.Open(path.c_str(), 37, 5, 24, 1000), 1);
    ASSERT_TRUE(avi.openDml());
    std::vector<std::vector<uint8_t>> frames;
    for (int k = 0; k < 40; ++k) {
        frames.push_back(FramePixels(560, k));
        ASSERT_EQ(avi.AddFrame(frames.back().data()), 1);
    }
    ASSERT_EQ(avi.Close(2500), 1);
    const auto file = ReadFile(path);

    // "RIFF AVI " and then "RIFF AVIX" parts, within the limit, to the end.
    const auto riffs = test::ReadChunks(file, 0, file.size());
    ASSERT_GE(riffs.size(), 3u);
    size_t covered = 0;
    for (size_t i = 0; i < riffs.size(); ++i) {
        EXPECT_EQ(riffs[i].id + riffs[i].listType, i == 0 ? "RIFFAVI " : "RIFFAVIX");
        EXPECT_LE(riffs[i].size, 8192u);
        covered += 8 + riffs[i].size;
    }
    EXPECT_EQ(covered, file.size());

    // The super index leads to each part's standard index, and those to
    // every frame, in order.
    const RiffChunk* hdrl = riffs[0].Find("hdrl");
    ASSERT_NE(hdrl, nullptr);
    const RiffChunk* indx = hdrl->Find("strl")->Find("indx");
    ASSERT_NE(indx, nullptr);
    const size_t super = indx->dataOffset();
    ASSERT_EQ(U32At(file, super + 4), riffs.size());
    uint32_t k = 0;
    for (size_t part = 0; part < riffs.size(); ++part) {
        const size_t entry = super + 24 + 16 * part;
        const RiffChunk* movi = riffs[part].Find("movi");
        ASSERT_NE(movi, nullptr);
        const RiffChunk& ix = movi->children.back();
        ASSERT_EQ(ix.id, "ix00");
        EXPECT_EQ(U64At(file, entry), ix.offset);
        EXPECT_EQ(U32At(file, entry + 8), ix.size + 8);
        const uint32_t duration = U32At(file, entry + 12);
        EXPECT_EQ(U32At(file, ix.dataOffset() + 4), duration);
        EXPECT_EQ(movi->children.size(), duration + 1);
        const uint64_t base = U64At(file, ix.dataOffset() + 12);
        for (uint32_t e = 0; e < duration; ++e, ++k) {
            ASSERT_LT(k, frames.size());
            EXPECT_EQ(U32At(file, ix.dataOffset() + 28 + 8 * e), 560u);  // a key frame of F bytes
            const uint64_t data = base + U32At(file, ix.dataOffset() + 24 + 8 * e);
            ASSERT_EQ(std::memcmp(file.data() + data, frames[k].data(), 560), 0) << "frame " << k;
        }
    }
    EXPECT_EQ(k, 40u);

    // The first RIFF keeps an idx1 and its own count for readers of AVI
    // 1.0; the stream and dmlh count every frame.
    const uint32_t first = U32At(file, super + 24 + 12);
    ASSERT_NE(riffs[0].Find("idx1"), nullptr);
    EXPECT_EQ(riffs[0].Find("idx1")->size, 16 * first);
    EXPECT_EQ(U32At(file, 48), first);
    EXPECT_EQ(U32At(file, 140), 40u);
    const RiffChunk* dmlh = hdrl->Find("odml")->Find("dmlh");
    ASSERT_NE(dmlh, nullptr);
    EXPECT_EQ(U32At(file, dmlh->dataOffset()), 40u);
    EXPECT_EQ(U32At(file, 128), 400000u);  // 25 frames per second
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
