// BMP and raw files byte by byte, and what every format does with paths:
// refusals, missing directories, replacing an existing file, failed saves.
#include <gtest/gtest.h>

#include "output/still_image.h"
#include "output_test_support.h"

namespace kvx {
namespace {

using test::FillPattern;
using test::ReadFile;
using test::ScratchDirectory;
using test::U16At;
using test::U32At;

constexpr int kAllFormats[] = {kStillBmp, kStillRaw, kStillJpegBest, kStillJpegGood, kStillJpegSmall, kStillPng,
                               kStillTiff};

TEST(BmpFile, EightBitFileHasGrayPaletteAndBottomUpRows) {
    ScratchDirectory dir;
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(641, 480, 8), 1);
    FillPattern(bitmap);
    const std::string path = dir.File("gray.bmp");
    ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillBmp, 12), 1);

    const auto file = ReadFile(path);
    ASSERT_EQ(file.size(), 310198u);  // 1078 + 644 x 480
    EXPECT_EQ(U16At(file, 0), 0x4D42);
    EXPECT_EQ(U32At(file, 2), 310198u);
    EXPECT_EQ(U32At(file, 6), 0u);
    EXPECT_EQ(U32At(file, 10), 1078u);
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(static_cast<int32_t>(U32At(file, 18)), 641);
    EXPECT_EQ(static_cast<int32_t>(U32At(file, 22)), 480);  // positive: bottom-up
    EXPECT_EQ(U16At(file, 26), 1);
    EXPECT_EQ(U16At(file, 28), 8);
    EXPECT_EQ(U32At(file, 30), 0u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(U32At(file, 54 + 4 * i), static_cast<uint32_t>(i * 0x010101)) << i;
    // First stored row is the picture's last, filler included.
    for (int i = 0; i < 480; ++i) {
        const uint8_t* stored = file.data() + 1078 + static_cast<size_t>(i) * 644;
        ASSERT_EQ(std::memcmp(stored, bitmap.bits() + static_cast<size_t>(479 - i) * 644, 644), 0) << "row " << i;
    }
}

TEST(BmpFile, DeepBitmapsKeepHeaderAndSamples) {
    ScratchDirectory dir;
    for (int bits : {24, 16, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        FrameBitmap bitmap;
        ASSERT_EQ(bitmap.Create(640, 480, bits), 1);
        FillPattern(bitmap);
        const std::string path = dir.File("deep.bmp");
        ASSERT_EQ(WriteBmp(path.c_str(), &bitmap), 1);
        const auto file = ReadFile(path);
        const size_t image = static_cast<size_t>(bitmap.stride()) * 480;
        ASSERT_EQ(file.size(), 54 + image);
        if (bits == 24) {
            EXPECT_EQ(file.size(), 921654u);
        }
        EXPECT_EQ(U32At(file, 2), 54 + image);
        EXPECT_EQ(U32At(file, 10), 54u);
        EXPECT_EQ(U16At(file, 28), bits);
        EXPECT_EQ(std::memcmp(file.data() + 54, bitmap.bits() + 479 * static_cast<size_t>(bitmap.stride()),
                              static_cast<size_t>(bitmap.stride())),
                  0);
        EXPECT_EQ(std::memcmp(file.data() + 54 + 479 * static_cast<size_t>(bitmap.stride()), bitmap.bits(),
                              static_cast<size_t>(bitmap.stride())),
                  0);
    }
}

TEST(RawFile, IsThePixelMemoryWithFiller) {
    ScratchDirectory dir;
    for (int bits : {8, 24, 48}) {
        FrameBitmap bitmap;
        ASSERT_EQ(bitmap.Create(37, 11, bits), 1);
        FillPattern(bitmap);
        const std::string path = dir.File("frame.raw");
        ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillRaw, 12), 1);
        const auto file = ReadFile(path);
        ASSERT_EQ(file.size(), static_cast<size_t>(bitmap.stride()) * 11) << bits;
        EXPECT_EQ(std::memcmp(file.data(), bitmap.bits(), file.size()), 0) << bits;
    }
}

TEST(SaveFrameFile, RefusesUnknownFormatsAndMissingBitmapsWithoutWriting) {
    ScratchDirectory dir;
    FrameBitmap bitmap, empty;
    ASSERT_EQ(bitmap.Create(8, 8, 24), 1);
    const std::string path = dir.File("nothing");
    EXPECT_EQ(SaveFrameFile(path.c_str(), &bitmap, 7, 12), 0);
    EXPECT_EQ(SaveFrameFile(path.c_str(), &bitmap, -1, 12), 0);
    EXPECT_EQ(SaveFrameFile(path.c_str(), nullptr, kStillBmp, 12), 0);
    EXPECT_EQ(SaveFrameFile(path.c_str(), &empty, kStillPng, 12), 0);
    EXPECT_EQ(SaveFrameFile(nullptr, &bitmap, kStillBmp, 12), 0);
    EXPECT_TRUE(dir.Names().empty());
}

TEST(SaveFrameFile, PathInMissingDirectoryFailsInEveryFormat) {
    ScratchDirectory dir;
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(16, 16, 24), 1);
    const std::string path = dir.File("missing") + "/frame.img";
    for (int format : kAllFormats) EXPECT_EQ(SaveFrameFile(path.c_str(), &bitmap, format, 12), 0) << format;
    EXPECT_TRUE(dir.Names().empty());
}

TEST(SaveFrameFile, ReplacesAnExistingFileInEveryFormatAndLeavesNothingElse) {
    ScratchDirectory dir;
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        FrameBitmap bitmap;
        ASSERT_EQ(bitmap.Create(33, 17, bits), 1);
        FillPattern(bitmap);
        for (int format : kAllFormats) {
            SCOPED_TRACE(testing::Message() << bits << " bits, format " << format);
            const std::string path = dir.File("frame.img");
            // Longer than any of these files, so a file merely written over
            // in place would keep a tail of it.
            test::WriteFile(path, std::string(100000, 'x'));
            ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, format, 12), 1);
            const std::string fresh = dir.File("fresh.img");
            ASSERT_EQ(SaveFrameFile(fresh.c_str(), &bitmap, format, 12), 1);
            EXPECT_EQ(ReadFile(path), ReadFile(fresh));
            std::filesystem::remove(fresh);
            EXPECT_EQ(dir.Names(), std::vector<std::string>{"frame.img"});
        }
    }
}

TEST(SaveFrameFile, FailedSaveKeepsTheFileItWouldHaveReplaced) {
    ScratchDirectory dir;
    const std::string path = dir.File("kept.jpg");
    test::WriteFile(path, "the picture saved before");
    // Wider than JPEG can describe: the encoder gives up.
    FrameBitmap wide;
    ASSERT_EQ(wide.Create(70000, 1, 8), 1);
    EXPECT_EQ(SaveFrameFile(path.c_str(), &wide, kStillJpegBest, 12), 0);
    // Wider than libpng's default limit.
    FrameBitmap wider;
    ASSERT_EQ(wider.Create(1000001, 1, 8), 1);
    EXPECT_EQ(SaveFrameFile(path.c_str(), &wider, kStillPng, 12), 0);
    const auto kept = ReadFile(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "the picture saved before");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"kept.jpg"});
}

}  // namespace
}  // namespace kvx
