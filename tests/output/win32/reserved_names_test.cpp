// Windows names that are devices in every directory are written in place,
// never renamed over.
#include <gtest/gtest.h>

#include "output/still_image.h"
#include "output_test_support.h"

namespace kvx {
namespace {

TEST(ReservedNames, SavingToNulSucceedsAndLeavesNothingBehind) {
    test::ScratchDirectory dir;
    FrameBitmap bitmap;
    ASSERT_EQ(bitmap.Create(8, 8, 24), 1);
    for (int format : {kStillBmp, kStillRaw, kStillJpegGood, kStillPng}) {
        EXPECT_EQ(SaveFrameFile("NUL", &bitmap, format, 12), 1) << format;
        const std::string inDirectory = dir.File("NUL");
        EXPECT_EQ(SaveFrameFile(inDirectory.c_str(), &bitmap, format, 12), 1) << format;
    }
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace kvx
