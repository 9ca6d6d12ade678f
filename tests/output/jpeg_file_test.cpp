// JPEG files read back with libjpeg's decompressor: progressive, the
// picture's size and components, top row first, colours within what
// quality 100 keeps, deep samples reduced to their top eight bits.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "output/still_image.h"
#include "output_test_support.h"

namespace kvx {
namespace {

using test::ScratchDirectory;

struct DecodedJpeg {
    int width = 0, height = 0, components = 0;
    bool progressive = false;
    J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
    std::vector<uint8_t> pixels;  // rows top first, R, G, B or gray
    int At(int x, int y, int c) const { return pixels[(static_cast<size_t>(y) * width + x) * components + c]; }
};

DecodedJpeg ReadJpeg(const std::string& path) {
    DecodedJpeg out;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return out;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    out.progressive = cinfo.progressive_mode != 0;
    out.colorSpace = cinfo.jpeg_color_space;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.components = cinfo.output_components;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height * out.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.pixels.data() + static_cast<size_t>(cinfo.output_scanline) * out.width * out.components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return out;
}

// Top half one colour, bottom half another (B, G, R as stored).
void FillHalves(FrameBitmap& b, const uint16_t top[3], const uint16_t bottom[3]) {
    const bool words = b.bitsPerPixel() >= 48;
    for (int y = 0; y < b.height(); ++y) {
        const uint16_t* color = y < b.height() / 2 ? top : bottom;
        for (int x = 0; x < b.width(); ++x) {
            for (int c = 0; c < 3; ++c) {
                if (words) {
                    test::SetWord(b, x, y, c, color[c]);
                } else {
                    b.bits()[static_cast<size_t>(y) * b.stride() + x * b.bytesPerPixel() + c] =
                        static_cast<uint8_t>(color[c]);
                }
            }
        }
    }
}

TEST(JpegFile, ColorPicturesAreProgressiveRgbTopRowFirst) {
    ScratchDirectory dir;
    const uint16_t top8[3] = {30, 100, 200}, bottom8[3] = {220, 60, 20};
    const uint16_t top12[3] = {30 << 4, 100 << 4, 200 << 4}, bottom12[3] = {220 << 4, 60 << 4, 20 << 4};
    for (int bits : {24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        FrameBitmap bitmap;
        ASSERT_EQ(bitmap.Create(64, 48, bits), 1);
        FillHalves(bitmap, bits >= 48 ? top12 : top8, bits >= 48 ? bottom12 : bottom8);
        const std::string path = dir.File("color.jpg");
        ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillJpegBest, 12), 1);
        const DecodedJpeg jpeg = ReadJpeg(path);
        EXPECT_TRUE(jpeg.progressive);
        EXPECT_EQ(jpeg.colorSpace, JCS_YCbCr);
        ASSERT_EQ(jpeg.width, 64);
        ASSERT_EQ(jpeg.height, 48);
        ASSERT_EQ(jpeg.components, 3);
        for (int c = 0; c < 3; ++c) {  // decoded R, G, B from stored B, G, R
            EXPECT_NEAR(jpeg.At(20, 8, c), top8[2 - c], 3) << c;
            EXPECT_NEAR(jpeg.At(40, 40, c), bottom8[2 - c], 3) << c;
        }
    }
}

TEST(JpegFile, GrayPicturesAreOneComponentAndDeepSamplesKeepTheirTopBits) {
    ScratchDirectory dir;
    FrameBitmap gray8, gray16;
    ASSERT_EQ(gray8.Create(33, 20, 8), 1);
    ASSERT_EQ(gray16.Create(33, 20, 16), 1);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 33; ++x) {
            gray8.bits()[y * gray8.stride() + x] = y < 10 ? 40 : 180;
            test::SetWord(gray16, x, y, 0, y < 10 ? 0x0ABC : 0x0123);
        }
    }
    const std::string path = dir.File("gray.jpg");
    ASSERT_EQ(SaveFrameFile(path.c_str(), &gray8, kStillJpegBest, 12), 1);
    DecodedJpeg jpeg = ReadJpeg(path);
    EXPECT_TRUE(jpeg.progressive);
    EXPECT_EQ(jpeg.colorSpace, JCS_GRAYSCALE);
    ASSERT_EQ(jpeg.components, 1);
    ASSERT_EQ(jpeg.width, 33);
    EXPECT_NEAR(jpeg.At(16, 2, 0), 40, 1);
    EXPECT_NEAR(jpeg.At(16, 17, 0), 180, 1);

    ASSERT_EQ(SaveFrameFile(path.c_str(), &gray16, kStillJpegBest, 12), 1);
    jpeg = ReadJpeg(path);
    ASSERT_EQ(jpeg.components, 1);
    EXPECT_NEAR(jpeg.At(16, 2, 0), 0xAB, 1);
    EXPECT_NEAR(jpeg.At(16, 17, 0), 0x12, 1);
    ASSERT_EQ(SaveFrameFile(path.c_str(), &gray16, kStillJpegBest, 10), 1);
    EXPECT_NEAR(ReadJpeg(path).At(16, 2, 0), (0x0ABC >> 2) & 0xFF, 1);
}

TEST(JpegFile, LowerQualityCodesGiveSmallerFiles) {
    ScratchDirectory dir;
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(128, 96, 24), 1);
    test::FillPattern(bitmap);
    size_t sizes[3];
    for (int i = 0; i < 3; ++i) {
        const std::string path = dir.File("q" + std::to_string(i) + ".jpg");
        ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillJpegBest + i, 12), 1);
        sizes[i] = test::ReadFile(path).size();
    }
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GT(sizes[1], sizes[2]);
}

// The rule, fed to libjpeg as plainly as it reads: the picture reduced to
// 8-bit gray or R, G, B rows, top row first, one row at a time.
std::vector<uint8_t> ReferenceJpeg(const FrameBitmap& b, int quality, int sampleBits, const std::string& path) {
    const bool gray = b.bitsPerPixel() <= 16, words = b.bitsPerPixel() == 16 || b.bitsPerPixel() >= 48;
    const int components = gray ? 1 : 3, shift = sampleBits == 10 ? 2 : 4;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(b.width());
    cinfo.image_height = static_cast<JDIMENSION>(b.height());
    cinfo.input_components = components;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(b.width()) * components);
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            for (int c = 0; c < components; ++c) {
                const int stored = gray ? 0 : 2 - c;
                row[x * components + c] = static_cast<uint8_t>(words ? test::Word(b, x, y, stored) >> shift
                                                                     : test::Byte(b, x, y, stored));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    return test::ReadFile(path);
}

TEST(JpegFile, EveryDepthGivesTheBytesLibjpegMakesOfTheRule) {
    ScratchDirectory dir;
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        for (auto [width, height] : {std::pair{37, 23}, {64, 17}}) {
            FrameBitmap bitmap;
            ASSERT_EQ(bitmap.Create(width, height, bits), 1);
            test::FillPattern(bitmap);
            for (int format : {kStillJpegBest, kStillJpegGood, kStillJpegSmall}) {
                for (int sampleBits : {12, 10}) {
                    const std::string path = dir.File("frame.jpg");
                    ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, format, sampleBits), 1);
                    const int quality = format == kStillJpegBest ? 100 : format == kStillJpegGood ? 70 : 20;
                    ASSERT_EQ(test::ReadFile(path), ReferenceJpeg(bitmap, quality, sampleBits, dir.File("rule.jpg")))
                        << bits << " bits " << width << "x" << height << " quality " << quality << " sample bits "
                        << sampleBits;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kvx
