// TIFF files read back with libtiff: tags, one strip without row filler,
// samples red first, 16-bit samples scaled, fourth samples 0 and 65535.
#include <gtest/gtest.h>

#include <tiffio.h>

#include "output/still_image.h"
#include "output_test_support.h"

namespace kvx {
namespace {

using test::FillPattern;
using test::PatternSample;
using test::ScratchDirectory;

struct TiffCase {
    int bits;
    uint16_t bitsPerSample;
    uint16_t photometric;
    uint16_t samplesPerPixel;
    uint16_t fourth;  // expected fourth sample, when there is one
};

TEST(TiffFile, EveryDepthHasItsTagsAndSamples) {
    ScratchDirectory dir;
    const TiffCase cases[] = {{8, 8, PHOTOMETRIC_MINISBLACK, 1, 0}, {16, 16, PHOTOMETRIC_MINISBLACK, 1, 0},
                              {24, 8, PHOTOMETRIC_RGB, 3, 0},         {32, 8, PHOTOMETRIC_RGB, 4, 0},
                              {48, 16, PHOTOMETRIC_RGB, 3, 0},        {64, 16, PHOTOMETRIC_RGB, 4, 65535}};
    for (const TiffCase& c : cases) {
        SCOPED_TRACE(c.bits);
        FrameBitmap bitmap;
        ASSERT_EQ(bitmap.Create(37, 9, c.bits), 1);
        FillPattern(bitmap);
        const std::string path = dir.File("frame.tif");
        ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillTiff, 12), 1);

        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tiff, nullptr);
        uint32_t width = 0, height = 0;
        uint16_t bitsPerSample = 0, photometric = 0, samples = 0, compression = 0, planar = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(tiff, TIFFTAG_PLANARCONFIG, &planar);
        EXPECT_EQ(width, 37u);
        EXPECT_EQ(height, 9u);
        EXPECT_EQ(bitsPerSample, c.bitsPerSample);
        EXPECT_EQ(photometric, c.photometric);
        EXPECT_EQ(samples, c.samplesPerPixel);
        EXPECT_EQ(compression, COMPRESSION_NONE);
        EXPECT_EQ(planar, PLANARCONFIG_CONTIG);
        uint16_t extraCount = 0;
        uint16_t* extraKinds = nullptr;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
        ASSERT_EQ(extraCount, c.samplesPerPixel == 4 ? 1 : 0);
        if (extraCount == 1) {
            EXPECT_EQ(extraKinds[0], EXTRASAMPLE_UNSPECIFIED);
        }
        ASSERT_EQ(TIFFNumberOfStrips(tiff), 1u);
        const size_t rowBytes = 37u * (c.bits / 8);
        ASSERT_EQ(TIFFRawStripSize(tiff, 0), static_cast<tmsize_t>(rowBytes * 9));
        std::vector<uint8_t> strip(rowBytes * 9);
        ASSERT_EQ(TIFFReadRawStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())),
                  static_cast<tmsize_t>(strip.size()));
        TIFFClose(tiff);

        const bool words = c.bitsPerSample == 16;
        auto sample = [&](int x, int y, int s) -> uint32_t {
            const uint8_t* p = strip.data() + y * rowBytes + (x * c.samplesPerPixel + s) * (words ? 2 : 1);
            return words ? static_cast<uint32_t>(p[0] | p[1] << 8) : p[0];  // this machine's order
        };
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 37; ++x) {
                for (int s = 0; s < c.samplesPerPixel; ++s) {
                    uint32_t expected;
                    if (s == 3) {
                        expected = c.fourth;
                    } else {
                        const int stored = c.samplesPerPixel == 1 ? 0 : 2 - s;  // red first
                        expected = static_cast<uint32_t>(PatternSample(x, y, stored, c.bits)) << (words ? 4 : 0);
                    }
                    ASSERT_EQ(sample(x, y, s), expected) << x << "," << y << " sample " << s;
                }
            }
        }
    }
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

// The whole file, tags and their order, the strip's place and the directory
// after it, as this writer has always laid it out: a reader may rely on any
// of it. Rows with and without filler, and pictures larger than the rows
// the writer hands to libtiff at once.
TEST(TiffFile, FilesKeepTheirLayoutByteForByte) {
    ScratchDirectory dir;
    const struct {
        int width, height, bits, sampleBits;
        uint64_t hash;
    } cases[] = {{37, 9, 8, 12, 12682000737569796751ull},     {37, 9, 16, 12, 9077022483846513232ull},
                 {37, 9, 16, 10, 14166896327569865582ull},    {37, 9, 24, 12, 2250890957665360915ull},
                 {37, 9, 32, 12, 13959977273792337167ull},    {37, 9, 48, 12, 11906123747860752119ull},
                 {37, 9, 48, 10, 15651560126973441671ull},    {37, 9, 64, 12, 9865539037153463273ull},
                 {37, 9, 64, 10, 6409337305326067361ull},     {40, 9, 8, 12, 13189787101218864217ull},
                 {2048, 600, 8, 12, 13233748748377251106ull}, {2047, 600, 8, 12, 10899958494883319512ull},
                 {2048, 200, 24, 12, 13011270812549069823ull}};
    for (const auto& c : cases) {
        FrameBitmap bitmap;
        ASSERT_EQ(bitmap.Create(c.width, c.height, c.bits), 1);
        FillPattern(bitmap);
        const std::string path = dir.File("frame.tif");
        ASSERT_EQ(SaveFrameFile(path.c_str(), &bitmap, kStillTiff, c.sampleBits), 1);
        EXPECT_EQ(Fnv1a(test::ReadFile(path)), c.hash)
            << c.width << " x " << c.height << ", " << c.bits << " bits, " << c.sampleBits << " significant";
    }
}

TEST(TiffFile, TwelveAndTenBitSamplesAreShiftedUp) {
    ScratchDirectory dir;
    FrameBitmap gray;
    ASSERT_EQ(gray.Create(1, 1, 16), 1);
    test::SetWord(gray, 0, 0, 0, 0x0ABC);
    const std::string path = dir.File("gray.tif");
    for (int sampleBits : {12, 10}) {
        ASSERT_EQ(SaveFrameFile(path.c_str(), &gray, kStillTiff, sampleBits), 1);
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tiff, nullptr);
        uint16_t value = 0;
        ASSERT_EQ(TIFFReadEncodedStrip(tiff, 0, &value, 2), 2);
        TIFFClose(tiff);
        EXPECT_EQ(value, sampleBits == 12 ? 0xABC0 : static_cast<uint16_t>(0x0ABC << 6));
    }
}

}  // namespace
}  // namespace kvx
