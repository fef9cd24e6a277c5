#include "builder/RtfDocument.h"

#include <gtest/gtest.h>

using namespace kf;

namespace {

// The body between the document's header and its closing brace.
std::string Body(const std::string& aRtf) {
    const size_t start = aRtf.find("\\fs18 ") + 6;
    return aRtf.substr(start, aRtf.rfind('}') - start);
}

} // namespace

TEST(RtfDocument, KeepsRtfAsItStands) {
    const std::string rtf = "{\\rtf1\\ansi {\\b bold}\\par }";
    EXPECT_EQ(RtfDocumentFor(rtf), rtf);
    EXPECT_TRUE(IsRtf(rtf));
    EXPECT_FALSE(IsRtf(" {\\rtf1}"));
}

TEST(RtfDocument, EscapesControlCharactersAndEndsEachLineWithPar) {
    EXPECT_EQ(Body(PlainTextToRtf("a\\b {c}\td")), "a\\\\b \\{c\\}\\tab d\\par\r\n");
    EXPECT_EQ(Body(PlainTextToRtf("one\r\ntwo\nthree\rfour\n")),
              "one\\par\r\ntwo\\par\r\nthree\\par\r\nfour\\par\r\n");
    EXPECT_EQ(Body(PlainTextToRtf("\n\n")), "\\par\r\n\\par\r\n");
}

TEST(RtfDocument, WritesCodePageCharactersAsHexAndOthersAsUnicode) {
    EXPECT_EQ(Body(PlainTextToRtf("\u00A9 \u20AC")), "\\'a9 \\'80\\par\r\n");
    EXPECT_EQ(Body(PlainTextToRtf("\u0416")), "\\u1046?\\par\r\n");
    EXPECT_EQ(Body(PlainTextToRtf("\uFFFD")), "\\u-3?\\par\r\n");
    EXPECT_EQ(Body(PlainTextToRtf("\U0001F600")), "\\u-10179?\\u-8704?\\par\r\n");
    EXPECT_EQ(Body(PlainTextToRtf("caf\xE9")), "caf\\'e9\\par\r\n"); // a stray Windows-1252 byte
}

TEST(RtfDocument, AnEmptyTextIsStillADocument) {
    const std::string rtf = RtfDocumentFor("");
    EXPECT_TRUE(IsRtf(rtf));
    EXPECT_EQ(Body(rtf), "");
    EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
}

TEST(RtfDocument, EscapesTextWithoutTouchingLineBreaks) {
    EXPECT_EQ(EscapeRtfText("a\\b {c}\td \u00E9\u0416"), "a\\\\b \\{c\\}\\tab d \\'e9\\u1046?");
    EXPECT_EQ(EscapeRtfText("one\ntwo"), "one\ntwo");
    EXPECT_EQ(EscapeRtfText(""), "");
}
