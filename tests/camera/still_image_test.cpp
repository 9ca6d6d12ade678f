// Saving the current image through the C interface.
#include <cstdio>
#include <cstring>
#include <fstream>

#include "acquisition_fixture.h"
#include "unique_name.h"

namespace {

using kvx::test::AcquisitionTest;

class StillImage : public AcquisitionTest {
protected:
    ~StillImage() override {
        for (const std::string& path : paths_) std::remove(path.c_str());
    }
    std::string NewPath(const char* extension) {
        paths_.push_back(kvx::test::UniqueName("kolvex-still") + extension);
        return paths_.back();
    }
    static long FileSize(const std::string& path) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        return in ? static_cast<long>(in.tellg()) : -1;
    }
    std::vector<std::string> paths_;
};

TEST_F(StillImage, NothingToSaveBeforeAFrameWasConverted) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    const std::string path = NewPath(".bmp");
    EXPECT_EQ(Kolvex_SaveImage(handle_, path.c_str(), KOLVEX_FILE_BMP), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_NO_DEVICE);
    std::wstring wide(path.begin(), path.end());
    EXPECT_EQ(Kolvex_SaveImageW(handle_, wide.c_str(), KOLVEX_FILE_BMP), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_NO_DEVICE);
    EXPECT_EQ(FileSize(path), -1);
}

TEST_F(StillImage, TheSnapshotsImageIsSavedInEveryFormat) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_SnapShot(handle_, nullptr, 0, 0), 1);
    // 24-bit 64 x 48: rows of 192 bytes after a 54-byte header.
    const std::string bmp = NewPath(".bmp");
    EXPECT_EQ(Kolvex_SaveImage(handle_, bmp.c_str(), KOLVEX_FILE_BMP), 1);
    EXPECT_EQ(FileSize(bmp), 54 + 192 * 48);
    const std::string raw = NewPath(".raw");
    EXPECT_EQ(Kolvex_SaveImage(handle_, raw.c_str(), KOLVEX_FILE_RAW), 1);
    EXPECT_EQ(FileSize(raw), 192 * 48);
    for (int format : {KOLVEX_FILE_JPEG_100, KOLVEX_FILE_JPEG_70, KOLVEX_FILE_JPEG_20, KOLVEX_FILE_PNG,
                       KOLVEX_FILE_TIFF}) {
        const std::string path = NewPath(".img");
        EXPECT_EQ(Kolvex_SaveImage(handle_, path.c_str(), format), 1) << format;
        EXPECT_GT(FileSize(path), 0) << format;
    }
    const std::string unknown = NewPath(".x");
    EXPECT_EQ(Kolvex_SaveImage(handle_, unknown.c_str(), 7), 0);
    EXPECT_EQ(FileSize(unknown), -1);
    EXPECT_EQ(Kolvex_GetLastError(handle_), 0);
}

// Get image and Save image read the output bitmap of the colour mode set
// now, not of the mode the last start prepared.
TEST_F(StillImage, AColourReaderAfterAnEightBitSnapshotGetsTheColourBitmapOrAResourceError) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_SnapShot(handle_, nullptr, 0, 0), 1);
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 24), 1);
    std::vector<uint8_t> colour(192 * 48, 0xEE);
    EXPECT_EQ(Kolvex_GetImage(handle_, colour.data(), static_cast<int>(colour.size()), 0), 1);
    EXPECT_EQ(std::memcmp(colour.data(), Output(2).bits(), colour.size()), 0) << "only the 8-bit bytes were written";
    const std::string bmp = NewPath(".bmp");
    EXPECT_EQ(Kolvex_SaveImage(handle_, bmp.c_str(), KOLVEX_FILE_BMP), 1);
    EXPECT_EQ(FileSize(bmp), 54 + 192 * 48);
    EXPECT_TRUE(TakeErrors().empty());

    // No 32-bit run was ever set up: that bitmap has no pixels.
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 32), 1);
    std::vector<uint8_t> deep(256 * 48, 0xEE);
    EXPECT_EQ(Kolvex_GetImage(handle_, deep.data(), static_cast<int>(deep.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{KOLVEX_ERR_RESOURCE});
    EXPECT_EQ(deep, std::vector<uint8_t>(deep.size(), 0xEE));
    const std::string none = NewPath(".bmp");
    EXPECT_EQ(Kolvex_SaveImage(handle_, none.c_str(), KOLVEX_FILE_BMP), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{KOLVEX_ERR_NO_DEVICE});
    EXPECT_EQ(FileSize(none), -1);
}

TEST_F(StillImage, AnEightBitReaderAfterAColourSnapshotGetsTheRawFrame) {
    ASSERT_NE(OpenWith(64, 48, 2), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_SnapShot(handle_, nullptr, 0, 0), 1);
    ASSERT_EQ(Kolvex_SetColorMode(handle_, 8), 1);
    std::vector<uint8_t> raw(64 * 48, 0xEE);
    EXPECT_EQ(Kolvex_GetImage(handle_, raw.data(), static_cast<int>(raw.size()), 0), 1);
    EXPECT_EQ(std::memcmp(raw.data(), Output(0).bits(), raw.size()), 0);
    const std::string bmp = NewPath(".bmp");
    EXPECT_EQ(Kolvex_SaveImage(handle_, bmp.c_str(), KOLVEX_FILE_BMP), 1);
    EXPECT_EQ(FileSize(bmp), 1078 + 64 * 48);
    EXPECT_TRUE(TakeErrors().empty());
}

TEST_F(StillImage, AfterCloseOnlyTheWideFormSavesWhatTheBitmapHolds) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    ASSERT_EQ(Kolvex_SnapShot(handle_, nullptr, 0, 0), 1);
    ASSERT_EQ(Kolvex_Close(handle_), 1);
    const std::string path = NewPath(".raw");
    EXPECT_EQ(Kolvex_SaveImage(handle_, path.c_str(), KOLVEX_FILE_RAW), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_NO_DEVICE);
    std::wstring wide(path.begin(), path.end());
    EXPECT_EQ(Kolvex_SaveImageW(handle_, wide.c_str(), KOLVEX_FILE_RAW), 1);
    EXPECT_EQ(FileSize(path), 64 * 48);
    // A path the code page cannot hold is refused with 1.
    EXPECT_EQ(Kolvex_SaveImageW(handle_, L"still_\x65E5.raw", KOLVEX_FILE_RAW), 0);
    EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_NO_DEVICE);
}

// With the settings a camera starts with (Bayer mode 2, no mirrors), the
// virtual camera's colour patches come out in their own colours: the
// mosaic's phase and the demosaic's agree.
TEST_F(StillImage, DefaultSettingsShowTheScenesColours) {
    ASSERT_NE(OpenWith(1024, 256, 2), 0);
    NoPreviewWindow();
    const int stride = 1024 * 3;
    std::vector<uint8_t> frame(static_cast<size_t>(stride) * 256);
    ASSERT_EQ(Kolvex_SnapShot(handle_, frame.data(), static_cast<int>(frame.size()), 0), 1);
    struct Patch {
        int x;
        bool r, g, b;
    };
    for (Patch p : {Patch{384, true, false, false}, Patch{640, false, true, false}, Patch{896, true, true, false},
                    Patch{128, false, false, false}}) {
        const uint8_t* pixel = frame.data() + 128 * stride + p.x * 3;  // B, G, R
        EXPECT_EQ(pixel[2] > 160, p.r) << "red at x " << p.x << ": " << int(pixel[2]);
        EXPECT_EQ(pixel[1] > 160, p.g) << "green at x " << p.x << ": " << int(pixel[1]);
        EXPECT_EQ(pixel[0] > 160, p.b) << "blue at x " << p.x << ": " << int(pixel[0]);
    }
}

}  // namespace
