#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace {

using kvx::platform::WideToAnsi;

TEST(TextEncoding, PlainPathsConvert) {
    char out[64];
    ASSERT_TRUE(WideToAnsi(L"C:\\images\\frame_01.bmp", out, sizeof out));
    EXPECT_STREQ(out, "C:\\images\\frame_01.bmp");
    EXPECT_EQ(kvx::platform::AnsiToWide("Kolvex410QFX-ZQP"), L"Kolvex410QFX-ZQP");
}

TEST(TextEncoding, CharactersWithoutAMappingFailInsteadOfBecomingOthers) {
    char out[64] = "stale";
    // U+65E5 and U+0100 exist in no Western code page (the latter would
    // "best fit" to 'A'), nor in the C locale.
    EXPECT_FALSE(WideToAnsi(L"frame_\x65E5.bmp", out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(WideToAnsi(L"\x0100.bmp", out, sizeof out));
}

TEST(TextEncoding, AResultThatDoesNotFitFails) {
    char out[8];
    EXPECT_TRUE(WideToAnsi(L"1234567", out, sizeof out));
    EXPECT_FALSE(WideToAnsi(L"12345678", out, sizeof out));
    EXPECT_FALSE(WideToAnsi(nullptr, out, sizeof out));
}

}  // namespace
