#include "base/TextFileCodec.h"
#include "base/Windows1252.h"

#include <gtest/gtest.h>

TEST(Windows1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const std::string utf8 = kf::Windows1252ToUtf8(all);
    const auto back = kf::Utf8ToWindows1252(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Windows1252, MapsTheSpecialRangeToItsCharacters) {
    EXPECT_EQ(kf::Windows1252ToUtf8("\x80\x99\xA9\xFF"), "\u20AC\u2122\u00A9\u00FF");
    EXPECT_EQ(kf::Utf8ToWindows1252("\u20AC \u0160 \u00E9"), "\x80 \x8A \xE9");
}

TEST(Windows1252, RefusesCharactersOutsideTheCodePageAndBrokenUtf8) {
    EXPECT_FALSE(kf::Utf8ToWindows1252("\u0416").has_value());       // Cyrillic
    EXPECT_FALSE(kf::Utf8ToWindows1252("\U0001F600").has_value());   // beyond the BMP
    EXPECT_FALSE(kf::Utf8ToWindows1252("\xC3").has_value());         // truncated sequence
    EXPECT_FALSE(kf::Utf8ToWindows1252("\xC0\xA9").has_value());     // overlong
    EXPECT_FALSE(kf::Utf8ToWindows1252("\xED\xA0\x80").has_value()); // surrogate
    EXPECT_FALSE(kf::Utf8ToWindows1252("a\xFF").has_value());
}

TEST(TextFileCodec, WritesWindows1252WhenItCanAndUtf8WithBomOtherwise) {
    EXPECT_EQ(kf::EncodeTextFile("\u00A9 2006"), "\xA9 2006");
    const std::string russian = "\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430 \u00A9";
    const std::string encoded = kf::EncodeTextFile(russian);
    EXPECT_EQ(encoded, "\xEF\xBB\xBF" + russian);
    EXPECT_EQ(kf::DecodeTextFile(encoded), russian);
    EXPECT_EQ(kf::DecodeTextFile("\xA9 2006"), "\u00A9 2006");
}
