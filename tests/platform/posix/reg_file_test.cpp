#include "platform/posix/reg_file.h"

#include <gtest/gtest.h>

namespace {

using kvx::platform::posix::RegDocument;
using kvx::platform::posix::RegValue;

RegValue Dword(const std::string& name, uint32_t v) {
    RegValue r;
    r.name = name;
    r.dword = v;
    return r;
}

TEST(RegFile, RoundTripsKeysNumbersAndQuotedText) {
    RegDocument doc;
    ASSERT_TRUE(doc.CreateKey("Software\\Benmor\\Camera_00"));
    RegValue text;
    text.name = "Note \"x\"";
    text.type = RegValue::Type::String;
    text.text = "back\\slash and \"quotes\"";
    ASSERT_TRUE(doc.Set("Software\\Benmor\\Camera_00", Dword("Color", 2)));
    ASSERT_TRUE(doc.Set("Software\\Benmor\\Camera_00", text));

    RegDocument back = RegDocument::Parse(doc.Serialize());
    EXPECT_TRUE(back.HasKey("software\\benmor"));
    const RegValue* color = back.Find("Software\\Benmor\\Camera_00", "COLOR");
    ASSERT_NE(color, nullptr);
    EXPECT_EQ(color->type, RegValue::Type::Dword);
    EXPECT_EQ(color->dword, 2u);
    const RegValue* note = back.Find("Software\\Benmor\\Camera_00", "note \"x\"");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text, text.text);
    EXPECT_EQ(back.Serialize(), doc.Serialize());
}

TEST(RegFile, DamagedLinesCostOnlyThemselves) {
    RegDocument doc = RegDocument::Parse(
        "[A\\B]\n"
        "\"Good\"=dword:0000000a\n"
        "\"Bad\"=dword:zz\n"
        "\"Long\"=dword:123456789\n"
        "garbage line\n"
        "\"Unclosed=dword:1\n"
        "[Broken\n"
        "\"Orphan\"=dword:1\n"
        "[C]\r\n"
        "\"Crlf\"=dword:00000001\r\n");
    ASSERT_NE(doc.Find("A\\B", "Good"), nullptr);
    EXPECT_EQ(doc.Find("A\\B", "Good")->dword, 10u);
    EXPECT_EQ(doc.Find("A\\B", "Bad"), nullptr);
    EXPECT_EQ(doc.Find("A\\B", "Long"), nullptr);
    EXPECT_EQ(doc.Find("A\\B", "Orphan"), nullptr);
    ASSERT_NE(doc.Find("C", "Crlf"), nullptr);
}

TEST(RegFile, DeleteTreeTakesKeysBelowButNotSiblingsWithTheSamePrefix) {
    RegDocument doc;
    doc.CreateKey("R\\A\\deep\\deeper");
    doc.CreateKey("R\\A b");
    doc.CreateKey("R\\AB");
    EXPECT_TRUE(doc.DeleteTree("r\\a"));
    EXPECT_FALSE(doc.HasKey("R\\A"));
    EXPECT_FALSE(doc.HasKey("R\\A\\deep\\deeper"));
    EXPECT_TRUE(doc.HasKey("R\\A b"));
    EXPECT_TRUE(doc.HasKey("R\\AB"));
    EXPECT_FALSE(doc.DeleteTree("R\\A"));
}

TEST(RegFile, PathsAreNormalisedAndValuesNeedAKey) {
    EXPECT_EQ(RegDocument::NormalizePath("\\A\\\\B\\"), "A\\B");
    RegDocument doc;
    EXPECT_FALSE(doc.CreateKey("\\"));
    EXPECT_FALSE(doc.Set("Nowhere", Dword("x", 1)));
}

TEST(RegFile, NumbersAreExactlyOneToEightHexDigits) {
    RegDocument doc = RegDocument::Parse(
        "[K]\n"
        "\"Max\"=dword:FFFFFFFF\n"
        "\"Short\"=dword:a\n"
        "\"Minus\"=dword:-1\n"
        "\"Plus\"=dword:+1\n"
        "\"Space\"=dword: 1\n"
        "\"Hex\"=dword:0x1\n"
        "\"Empty\"=dword:\n"
        "\"Tail\"=dword:1 \n");
    ASSERT_NE(doc.Find("K", "Max"), nullptr);
    EXPECT_EQ(doc.Find("K", "Max")->dword, 0xFFFFFFFFu);
    ASSERT_NE(doc.Find("K", "Short"), nullptr);
    EXPECT_EQ(doc.Find("K", "Short")->dword, 10u);
    for (const char* bad : {"Minus", "Plus", "Space", "Hex", "Empty", "Tail"}) EXPECT_EQ(doc.Find("K", bad), nullptr) << bad;
}

// A value set twice, in the file or later, keeps its first spelling and
// place and takes the last number.
TEST(RegFile, AValueSetAgainKeepsItsNameAndPlace) {
    RegDocument doc = RegDocument::Parse(
        "[K]\n"
        "\"First\"=dword:00000001\n"
        "\"Second\"=dword:00000002\n"
        "\"FIRST\"=dword:00000003\n");
    EXPECT_EQ(doc.Find("k", "first")->dword, 3u);
    ASSERT_TRUE(doc.Set("K", Dword("second", 4)));
    EXPECT_EQ(doc.Serialize(), "[K]\n\"First\"=dword:00000003\n\"Second\"=dword:00000004\n\n");
}

// Many values in one key: each line costs the same however many came
// before it (a quadratic parse took minutes for a store of 100 MB).
TEST(RegFile, AKeyWithManyValuesParsesAndFindsEveryOne) {
    std::string text = "[Big]\n";
    constexpr int kValues = 20000;
    for (int i = 0; i < kValues; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    RegDocument doc = RegDocument::Parse(text);
    for (int i = 0; i < kValues; i += 997) EXPECT_NE(doc.Find("Big", "V" + std::to_string(i)), nullptr) << i;
    EXPECT_EQ(RegDocument::Parse(doc.Serialize()).Serialize(), doc.Serialize());
}

}  // namespace
