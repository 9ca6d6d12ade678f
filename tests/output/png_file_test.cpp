// PNG files read back with libpng's own reader: colour type, depth, sample
// order and values, 16-bit samples scaled and stored big-endian.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>

#include "output/still_image.h"
#include "output_test_support.h"

namespace kvx {
namespace {

using test::FillPattern;
using test::PatternSample;
using test::ScratchDirectory;

struct DecodedPng {
    uint32_t width = 0, height = 0;
    int colorType = -1, bitDepth = 0, interlace = -1;
    std::vector<std::vector<uint8_t>> rows;  // as stored: 16-bit samples big-endian
    uint16_t Sample(int x, int y, int channel) const {
        const int channels = colorType == PNG_COLOR_TYPE_GRAY ? 1 : colorType == PNG_COLOR_TYPE_RGB ? 3 : 4;
        const uint8_t* p = rows[y].data() + (static_cast<size_t>(x) * channels + channel) * (bitDepth / 8);
        return bitDepth == 16 ? static_cast<uint16_t>(p[0] << 8 | p[1]) : p[0];
    }
};

DecodedPng ReadPng(const std::string& path) {
    DecodedPng out;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return out;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        out.width = png_get_image_width(png, info);
        out.height = png_get_image_height(png, info);
        out.colorType = png_get_color_type(png, info);
        out.bitDepth = png_get_bit_depth(png, info);
        out.interlace = png_get_interlace_type(png, info);
        png_bytepp rows = png_get_rows(png, info);
        const size_t rowBytes = png_get_rowbytes(png, info);
        for (uint32_t y = 0; y < out.height; ++y) out.rows.emplace_back(rows[y], rows[y] + rowBytes);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return out;
}

struct PngCase {
    int bits;
    int colorType;
    int bitDepth;
};

TEST(PngFile, EveryDepthHasItsLayoutAndSamples) {
    ScratchDirectory dir;
    const PngCase cases[] = {{8, PNG_COLOR_TYPE_GRAY, 8},  {16, PNG_COLOR_TYPE_GRAY, 16},
                             {24, PNG_COLOR_TYPE_RGB, 8},   {32, PNG_COLOR_TYPE_RGB_ALPHA, 8},
                             {48, PNG_COLOR_TYPE_RGB, 16},  {64, PNG_COLOR_TYPE_RGB_ALPHA, 16}};
    for (const PngCase& c : cases) {
        SCOPED_TRACE(c.bits);
        FrameBitmap bitmap;
        ASSERT_EQ(bitmap.Create(37, 9, c.bits), 1);  // odd width: rows padded
        FillPattern(bitmap);
        const std::string path = dir.File("frame.png");
        ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillPng, 12), 1);
        const DecodedPng png = ReadPng(path);
        ASSERT_EQ(png.width, 37u);
        ASSERT_EQ(png.height, 9u);
        EXPECT_EQ(png.colorType, c.colorType);
        EXPECT_EQ(png.bitDepth, c.bitDepth);
        EXPECT_EQ(png.interlace, PNG_INTERLACE_NONE);
        const bool gray = c.colorType == PNG_COLOR_TYPE_GRAY;
        const int shift = c.bitDepth == 16 ? 4 : 0;
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 37; ++x) {
                if (gray) {
                    ASSERT_EQ(png.Sample(x, y, 0), PatternSample(x, y, 0, c.bits) << shift) << x << "," << y;
                    continue;
                }
                // Stored blue first, written red first.
                for (int channel = 0; channel < 3; ++channel) {
                    ASSERT_EQ(png.Sample(x, y, channel), PatternSample(x, y, 2 - channel, c.bits) << shift)
                        << x << "," << y << " channel " << channel;
                }
                if (c.bits == 32) {
                    ASSERT_EQ(png.Sample(x, y, 3), 255 - PatternSample(x, y, 3, 32));
                }
                if (c.bits == 64) {
                    ASSERT_EQ(png.Sample(x, y, 3), 65535);
                }
            }
        }
    }
}

TEST(PngFile, TwelveBitSampleFillsSixteenBitsAndTenBitDataScalesFurther) {
    ScratchDirectory dir;
    FrameBitmap gray, color;
    ASSERT_EQ(gray.Create(2, 1, 16), 1);
    ASSERT_EQ(color.Create(1, 1, 32), 1);
    test::SetWord(gray, 0, 0, 0, 0x0ABC);
    test::SetWord(gray, 1, 0, 0, 0x03FF);
    color.bits()[3] = 0;  // fourth byte 0: opaque

    const std::string path = dir.File("deep.png");
    ASSERT_EQ(SaveFrameFile(path.c_str(), &gray, kStillPng, 12), 1);
    DecodedPng png = ReadPng(path);
    EXPECT_EQ(png.rows[0][0], 0xAB);  // 0xABC0, big-endian
    EXPECT_EQ(png.rows[0][1], 0xC0);
    ASSERT_EQ(SaveFrameFile(path.c_str(), &gray, kStillPng, 10), 1);
    EXPECT_EQ(ReadPng(path).Sample(1, 0, 0), 0xFFC0);

    ASSERT_EQ(SaveFrameFile(path.c_str(), &color, kStillPng, 12), 1);
    EXPECT_EQ(ReadPng(path).Sample(0, 0, 3), 255);
}

TEST(PngFile, WriterRefusesWhatItCannotDescribe) {
    ScratchDirectory dir;
    const uint8_t pixels[16] = {};
    const std::string path = dir.File("bad.png");
    EXPECT_EQ(WritePng(path.c_str(), pixels, 1, 1, 12), 0);
    EXPECT_EQ(WritePng(path.c_str(), pixels, 0, 1, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), nullptr, 1, 1, 8), 0);
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace kvx
