#include "../project/TestSupport.h"
#include "builder/RtfDocument.h"
#include "ui/RtfReader.h"
#include "ui/RtfWriter.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <string>

namespace kf::test {
namespace {

std::string DataFile(const std::string& aName) {
    return ReadFile(std::string(KF_UI_TEST_DATA) + "/" + aName);
}

// One paragraph as text: its alignment, then each run as "[format]text", the format naming the
// family and size (defaults resolved), b, i, u, s, ^ or _ and the colours.
std::string DescribeBlock(const QTextDocument& aDocument, const QTextBlock& aBlock) {
    const Qt::Alignment alignment = aBlock.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    QString text = alignment & Qt::AlignHCenter   ? QStringLiteral("center:")
                   : alignment & Qt::AlignJustify ? QStringLiteral("justify:")
                   : alignment & Qt::AlignRight   ? QStringLiteral("right:")
                                                  : QStringLiteral("left:");
    for (auto run = aBlock.begin(); !run.atEnd(); ++run) {
        const QTextCharFormat format = run.fragment().charFormat();
        const QStringList families = format.fontFamilies().toStringList();
        const double size =
            format.fontPointSize() > 0 ? format.fontPointSize() : aDocument.defaultFont().pointSizeF();
        QStringList parts{families.isEmpty() ? aDocument.defaultFont().family() : families.front(),
                          QString::number(size)};
        if (format.fontWeight() >= QFont::Bold)
            parts << QStringLiteral("b");
        if (format.fontItalic())
            parts << QStringLiteral("i");
        if (format.fontUnderline())
            parts << QStringLiteral("u");
        if (format.fontStrikeOut())
            parts << QStringLiteral("s");
        if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            parts << QStringLiteral("^");
        if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
            parts << QStringLiteral("_");
        if (format.foreground().style() != Qt::NoBrush)
            parts << QStringLiteral("fg") + format.foreground().color().name();
        if (format.background().style() != Qt::NoBrush)
            parts << QStringLiteral("bg") + format.background().color().name();
        text += QLatin1Char('[') + parts.join(QLatin1Char(' ')) + QLatin1Char(']') +
                run.fragment().text().replace(QChar(0x2028), QStringLiteral("<br>"));
    }
    return text.toStdString();
}

std::vector<std::string> Describe(const QTextDocument& aDocument) {
    std::vector<std::string> blocks;
    for (QTextBlock block = aDocument.begin(); block.isValid(); block = block.next())
        blocks.push_back(DescribeBlock(aDocument, block));
    return blocks;
}

std::vector<std::string> Read(const std::string& aRtf) {
    QTextDocument document;
    ReadRtf(aRtf, document);
    return Describe(document);
}

// A document written, read back and written again must come back the same both times.
void ExpectRoundTrip(const QTextDocument& aDocument) {
    const std::string rtf = WriteRtf(aDocument);
    EXPECT_TRUE(IsRtf(rtf));
    QTextDocument readBack;
    ReadRtf(rtf, readBack);
    EXPECT_EQ(Describe(readBack), Describe(aDocument)) << rtf;
    EXPECT_EQ(WriteRtf(readBack), rtf);
}

QTextCharFormat Format(const QString& aFamily, double aSize) {
    QTextCharFormat format;
    format.setFontFamilies({aFamily});
    format.setFontPointSize(aSize);
    return format;
}

class RtfRoundTrip : public testing::Test {
protected:
    RtfRoundTrip() : fCursor(&fDocument) {
        QFont font(QStringLiteral("Sans Serif"));
        font.setPointSize(9);
        fDocument.setDefaultFont(font);
    }

    void Paragraph(Qt::Alignment anAlignment) {
        QTextBlockFormat format;
        format.setAlignment(anAlignment);
        if (fDocument.isEmpty() && fFirst) {
            fCursor.setBlockFormat(format);
            fFirst = false;
        } else {
            fCursor.insertBlock(format);
        }
    }

    QTextDocument fDocument;
    QTextCursor fCursor;
    bool fFirst = true;
};

TEST_F(RtfRoundTrip, ParagraphsKeepTheirAlignmentAndEmptyOnes) {
    Paragraph(Qt::AlignLeft);
    fCursor.insertText(QStringLiteral("left"));
    Paragraph(Qt::AlignHCenter);
    fCursor.insertText(QStringLiteral("centred"));
    Paragraph(Qt::AlignRight);
    fCursor.insertText(QStringLiteral("right"));
    Paragraph(Qt::AlignJustify);
    fCursor.insertText(QStringLiteral("justified"));
    Paragraph(Qt::AlignLeft);
    Paragraph(Qt::AlignHCenter);
    ASSERT_EQ(fDocument.blockCount(), 6);
    ExpectRoundTrip(fDocument);
    EXPECT_EQ(Describe(fDocument)[3], "justify:[Sans Serif 9]justified");
}

TEST_F(RtfRoundTrip, CharacterFormatsFontsSizesAndColours) {
    Paragraph(Qt::AlignLeft);
    QTextCharFormat format = Format(QStringLiteral("Arial"), 14);
    format.setFontWeight(QFont::Bold);
    fCursor.insertText(QStringLiteral("bold "), format);
    format = Format(QStringLiteral("Times New Roman"), 10.5);
    format.setFontItalic(true);
    fCursor.insertText(QStringLiteral("italic "), format);
    format.setFontItalic(false);
    format.setFontUnderline(true);
    fCursor.insertText(QStringLiteral("underlined "), format);
    format.setFontUnderline(false);
    format.setFontStrikeOut(true);
    fCursor.insertText(QStringLiteral("struck "), format);
    format = Format(QStringLiteral("Arial"), 8);
    format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    fCursor.insertText(QStringLiteral("up"), format);
    format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    fCursor.insertText(QStringLiteral("down"), format);
    format = Format(QStringLiteral("Arial"), 12);
    format.setForeground(QColor(200, 0, 0));
    format.setBackground(QColor(255, 255, 0));
    fCursor.insertText(QStringLiteral(" red on yellow"), format);
    format.setForeground(QColor(0, 0, 200));
    format.clearBackground();
    fCursor.insertText(QStringLiteral(" blue"), format);
    fCursor.insertText(QStringLiteral(" default"));
    ExpectRoundTrip(fDocument);

    const std::string rtf = WriteRtf(fDocument);
    EXPECT_NE(
        rtf.find("{\\colortbl ;\\red200\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green0\\blue200;}"),
        std::string::npos);
    EXPECT_NE(rtf.find("\\fs21"), std::string::npos); // half points
}

TEST_F(RtfRoundTrip, SpecialCharactersTabsAndLineBreaks) {
    Paragraph(Qt::AlignLeft);
    fCursor.insertText(QString::fromUtf8("a\\b {c} tab\there"));
    fCursor.insertText(QString(QChar(0x2028)));
    fCursor.insertText(
        QString::fromUtf8("caf\u00E9 \u20AC \u00A0 \u0416\u0438\u0432 \u4E2D \U0001F600 1\\'41"));
    Paragraph(Qt::AlignLeft);
    fCursor.insertText(QStringLiteral("  leading blanks and a digit after a word: \\fs 12"));
    ExpectRoundTrip(fDocument);
    const std::string rtf = WriteRtf(fDocument);
    EXPECT_NE(rtf.find("a\\\\b \\{c\\} tab\\tab here\\line caf\\'e9 \\'80"), std::string::npos);
    EXPECT_NE(rtf.find("\\u1046?"), std::string::npos);
    EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos);
}

TEST_F(RtfRoundTrip, AnEmptyDocumentAndOneEndingInAnEmptyParagraph) {
    ExpectRoundTrip(fDocument);
    Paragraph(Qt::AlignLeft);
    fCursor.insertText(QStringLiteral("text"));
    Paragraph(Qt::AlignLeft);
    ExpectRoundTrip(fDocument);
    EXPECT_EQ(Read(WriteRtf(fDocument)).size(), 2u);
}

TEST(RtfReader, GroupsScopeFormattingAndPlainAndPardReset) {
    EXPECT_EQ(
        Read("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\fs20 a{\\b b{\\i c}d}\\ul e\\ul0 f\\strike\\b g\\plain h}"),
        (std::vector<std::string>{"left:[Arial 10]a[Arial 10 b]b[Arial 10 b i]c[Arial 10 b]d[Arial 10 u]e"
                                  "[Arial 10]f[Arial 10 b s]g[Arial 12]h"}));
    const auto blocks = Read("{\\rtf1\\qc one\\par two\\pard\\par three\\qr\\par}");
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_TRUE(blocks[0].starts_with("center:"));
    EXPECT_TRUE(blocks[1].starts_with("left:"));
    EXPECT_TRUE(blocks[2].starts_with("right:"));
    EXPECT_TRUE(blocks[2].ends_with("]three"));
}

TEST(RtfReader, CodePagesAndUnicodeWithItsFallback) {
    QTextDocument document;
    ReadRtf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}", document);
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("\u041F\u0440\u0438\u0432\u0435\u0442"));
    ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}\\'ea\\f1\\'ea}", document);
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("\u00EA\u0119"));
    // A Western font keeps its own code page in a Cyrillic document.
    ReadRtf("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1 Arial;}}\\'e9\\f1\\'e9}",
            document);
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("\u00E9\u0439"));
    ReadRtf("{\\rtf1 a\\u1046?b\\uc2\\u-10179??\\u-8704\\'3f\\'3fc{\\uc0\\u8364}d\\u8364?}", document);
    EXPECT_EQ(document.toPlainText(), QString::fromUtf8("a\u0416b\U0001F600c\u20ACd\u20AC"));
    ReadRtf("{\\rtf1 x\\tab y\\line z\\~\\emdash\\{\\}\\\\}", document);
    EXPECT_EQ(document.toRawText(), QString::fromUtf8("x\ty\u2028z\u00A0\u2014{}\\"));
}

TEST(RtfReader, SkipsDestinationsItCannotShow) {
    QTextDocument document;
    ReadRtf("{\\rtf1{\\info{\\title T}{\\author A}}{\\*\\generator G;}{\\*\\unknownthing X{\\b Y}}"
            "{\\stylesheet{\\s0 Normal;}}{\\pict\\pngblip 89504e47}a{\\header H\\par}b"
            "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}\\bin3 {}}c\\par}",
            document);
    EXPECT_EQ(document.toPlainText(), "ablinkc");
    EXPECT_EQ(document.blockCount(), 1);
}

TEST(RtfReader, ColourTableStartsWithTheAutomaticColour) {
    const auto blocks = Read("{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;}{\\colortbl;\\red0\\green128\\blue0;}"
                             "\\cf1 green\\cf0 auto\\highlight1 marked\\cf9 none}");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0],
              "left:[Helvetica 12 fg#008000]green[Helvetica 12]auto[Helvetica 12 bg#008000]markednone");
}

TEST(RtfReader, DocumentsWrittenByOtherProgramsKeepTheirFormatting) {
    const auto wordpad = Read(DataFile("wordpad.rtf"));
    EXPECT_EQ(wordpad,
              (std::vector<std::string>{
                  "center:[Calibri 16 b]END USER LICENCE",
                  "left:[Calibri 11]Read [Calibri 11 i]carefully[Calibri 11] before [Calibri 11 u]installing"
                  "[Calibri 11].",
                  "left:[Arial 10 fg#ff0000]Warning:[Arial 10] no warranty\tat all.",
                  "right:[Arial 10 fg#0000ff]" +
                      QString::fromUtf8("Caf\u00E9 \u2013 \u201Cquoted\u201D").toStdString(),
              }));

    const auto textedit = Read(DataFile("textedit.rtf"));
    EXPECT_EQ(textedit,
              (std::vector<std::string>{
                  "center:[Helvetica-Bold 14 b]Readme",
                  "left:[Helvetica 12]First line",
                  "left:[Helvetica 12]Second line with [Helvetica 12 fg#008000]green[Helvetica 12] and "
                  "[Courier 12]mono[Helvetica 12] text.",
                  "left:[Helvetica 12]" + QString::fromUtf8("Price: 5 \u20AC each.").toStdString(),
              }));

    const auto word = Read(DataFile("word.rtf"));
    EXPECT_EQ(word,
              (std::vector<std::string>{
                  "justify:[Times New Roman 14 b]" +
                      QString::fromUtf8("\u041B\u0438\u0446\u0435\u043D\u0437\u0438\u044F").toStdString(),
                  "justify:[Times New Roman 12]" +
                      QString::fromUtf8("\u0422\u0435\u043A\u0441\u0442 ").toStdString() + "[Arial 12 i]" +
                      QString::fromUtf8("English \u201Cword\u201D").toStdString() + "[Times New Roman 12]" +
                      QString::fromUtf8(" \u0416").toStdString() + "[Courier New CE 12]" +
                      QString::fromUtf8(" \u0105").toStdString() + "[Times New Roman 12 u fg#c00000]site",
              }));
}

TEST(RtfReader, DocumentsOfOtherProgramsSurviveARewrite) {
    for (const char* name : {"wordpad.rtf", "textedit.rtf", "word.rtf"}) {
        QTextDocument document;
        ReadRtf(DataFile(name), document);
        QTextDocument rewritten;
        ReadRtf(WriteRtf(document), rewritten);
        EXPECT_EQ(Describe(rewritten), Describe(document)) << name;
    }
}

} // namespace
} // namespace kf::test
