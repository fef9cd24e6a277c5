#include "project/IniProfile.h"
#include "project/IniWriter.h"

#include <gtest/gtest.h>

using kf::TIniProfile;

TEST(IniProfile, MatchesSectionAndKeyNamesWithoutRegardToCase) {
    const auto ini = TIniProfile::Parse("[Settings]\r\nProductName=Kelp\r\n");
    EXPECT_EQ(ini.ReadString("SETTINGS", "productname", "-"), "Kelp");
    EXPECT_EQ(ini.ReadString("settings", "PRODUCTNAME", "-"), "Kelp");
    EXPECT_EQ(ini.ReadString("Other", "ProductName", "-"), "-");
    EXPECT_EQ(ini.ReadString("Settings", "Missing", "-"), "-");
}

TEST(IniProfile, DropsBlanksAndOneMatchingPairOfQuotes) {
    const auto ini = TIniProfile::Parse("[ S ]\n"
                                        "  a  =  spaced out \t\n"
                                        "b=\"double\"\n"
                                        "c='single'\n"
                                        "d=\"mismatched'\n"
                                        "e=\"\"inner\"\"\n"
                                        "f=\"\n"
                                        "g= \" kept blanks \" \n");
    EXPECT_EQ(ini.ReadString("S", "a", ""), "spaced out");
    EXPECT_EQ(ini.ReadString("S", "b", ""), "double");
    EXPECT_EQ(ini.ReadString("S", "c", ""), "single");
    EXPECT_EQ(ini.ReadString("S", "d", ""), "\"mismatched'");
    EXPECT_EQ(ini.ReadString("S", "e", ""), "\"inner\"");
    EXPECT_EQ(ini.ReadString("S", "f", ""), "\"");
    EXPECT_EQ(ini.ReadString("S", "g", ""), " kept blanks ");
}

TEST(IniProfile, ReadsIntegersInDecimalOrHexadecimalElseTheDefault) {
    const auto ini =
        TIniProfile::Parse("[S]\r\n"
                           "dec=42\r\nneg=-1\r\nplus=+7\r\nhex=0x1F\r\nupper=0XfF\r\nallbits=0xFFFFFFFF\r\n"
                           "word=abc\r\ntrail=12abc\r\nempty=\r\nhuge=99999999999\r\nbarehex=0x\r\n"
                           "quoted=\"5\"\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "dec", 9), 42);
    EXPECT_EQ(ini.ReadInteger("S", "neg", 9), -1);
    EXPECT_EQ(ini.ReadInteger("S", "plus", 9), 7);
    EXPECT_EQ(ini.ReadInteger("S", "hex", 9), 31);
    EXPECT_EQ(ini.ReadInteger("S", "upper", 9), 255);
    EXPECT_EQ(ini.ReadInteger("S", "allbits", 9), -1);
    EXPECT_EQ(ini.ReadInteger("S", "word", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "trail", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "empty", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "huge", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "barehex", 9), 9);
    EXPECT_EQ(ini.ReadInteger("S", "quoted", 9), 5);
    EXPECT_EQ(ini.ReadInteger("S", "missing", 9), 9);
}

TEST(IniProfile, FlagIsOnForAnyNonZeroNumber) {
    const auto ini = TIniProfile::Parse("[S]\nzero=0\none=1\ntwo=2\nminus=-5\nhex=0x10\nword=yes\n");
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "one", false));
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_TRUE(ini.ReadBool("S", "minus", false));
    EXPECT_TRUE(ini.ReadBool("S", "hex", false));
    EXPECT_FALSE(ini.ReadBool("S", "word", false));
    EXPECT_TRUE(ini.ReadBool("S", "word", true));
}

TEST(IniProfile, ListsKeysInFileOrderAndKeepsOnlyTheFirstOfARepeatedSection) {
    const auto ini =
        TIniProfile::Parse("orphan=1\n[Files]\n1=b\n0=a\n10=c\nbare\n[Other]\nx=1\n[files]\n7=z\n");
    EXPECT_EQ(ini.KeyNames("files"), (std::vector<std::string>{"1", "0", "10", "bare"}));
    EXPECT_EQ(ini.ReadString("Files", "0", ""), "a");
    EXPECT_EQ(ini.ReadString("Files", "7", "-"), "-");
    EXPECT_TRUE(ini.KeyNames("Missing").empty());
}

TEST(IniProfile, ARepeatedKeyReadsAsItsFirstValueWhateverItsCase) {
    const auto ini = TIniProfile::Parse("[Files]\nKey=first\nKEY=second\nkey=third\nÄ=upper\nä=lower\n");
    EXPECT_EQ(ini.ReadString("Files", "key", ""), "first");
    // Listed once, so that a row is not read twice; the repetition is told.
    EXPECT_EQ(ini.KeyNames("Files"), (std::vector<std::string>{"Key", "Ä", "ä"}));
    EXPECT_EQ(ini.RepeatedKeys("Files"), std::vector<std::string>{"Key"});
    EXPECT_TRUE(ini.RepeatedKeys("Other").empty());
    // Only ASCII letters fold, as the profile functions compare them.
    EXPECT_EQ(ini.ReadString("Files", "ä", ""), "lower");
    EXPECT_EQ(ini.ReadString("Files", "Ä", ""), "upper");
}

TEST(IniProfile, ReadsBackLongValuesAndManyKeysWhole) {
    kf::TIniWriter writer;
    writer.Section("Files");
    const std::string longValue(10000, 'v');
    for (int i = 0; i < 5000; ++i)
        writer.Write(std::to_string(i), i == 4999 ? longValue : std::to_string(i));
    const auto ini = TIniProfile::Parse(writer.Text());
    ASSERT_EQ(ini.KeyNames("Files").size(), 5000u);
    EXPECT_EQ(ini.KeyNames("Files")[3497], "3497");
    EXPECT_EQ(ini.ReadString("Files", "4999", ""), longValue);
}

TEST(IniWriter, WritesSectionsAndKeysWithCrLf) {
    kf::TIniWriter writer;
    writer.Section("A");
    writer.Write("1", std::string_view("x"));
    writer.Write("2", -1);
    writer.Write("3", true);
    writer.Section("B");
    writer.Write("0", false);
    EXPECT_EQ(writer.Text(), "[A]\r\n1=x\r\n2=-1\r\n3=1\r\n\r\n[B]\r\n0=0\r\n");
}

TEST(IniProfile, LoadOfAMissingFileIsEmpty) {
    const auto ini = TIniProfile::Load("/nonexistent/folder/x.ini");
    EXPECT_TRUE(ini.KeyNames("Settings").empty());
    EXPECT_EQ(ini.ReadInteger("Settings", "5", 1), 1);
}
