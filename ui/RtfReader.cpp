#include "ui/RtfReader.h"

#include "base/Windows1252.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kf {

namespace {

constexpr int kWindows1252 = 1252;
constexpr int kDefaultHalfPoints = 24;
// Word's largest font size, 1638 points.
constexpr int kMaxHalfPoints = 3276;

// \uN gives UTF-16 units one at a time; a half of a pair that has no other half is no character.
QString WithoutLoneSurrogates(QString aText) {
    for (qsizetype i = 0; i < aText.size(); ++i) {
        if (aText[i].isHighSurrogate() && i + 1 < aText.size() && aText[i + 1].isLowSurrogate())
            ++i;
        else if (aText[i].isSurrogate())
            aText[i] = QChar::ReplacementCharacter;
    }
    return aText;
}

// A size of nothing, or below it, is the default size; one beyond Word's largest is that.
int HalfPoints(std::optional<int> aParameter) {
    if (!aParameter || *aParameter <= 0)
        return kDefaultHalfPoints;
    return std::min(*aParameter, kMaxHalfPoints);
}

// Destinations whose text the editor does not show.
const std::set<std::string_view> kSkippedDestinations{
    "author",   "buptim",    "comment",           "creatim",    "doccomm", "fldinst",  "footer",  "footerf",
    "footerl",  "footerr",   "footnote",          "header",     "headerf", "headerl",  "headerr", "info",
    "keywords", "listtable", "listoverridetable", "nonshppict", "object",  "operator", "pict",    "printim",
    "revtbl",   "revtim",    "rsidtbl",           "stylesheet", "subject", "title",    "xe",      "tc"};

// The code page of a font's character set, 0 for the document's own.
int CodePageOfCharset(int aCharset) {
    static const std::map<int, int> codePages{
        {0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {134, 936},  {136, 950}, {161, 1253}, {162, 1254},
        {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874}, {238, 1250}};
    const auto found = codePages.find(aCharset);
    return found == codePages.end() ? 0 : found->second;
}

QByteArray CodecName(int aCodePage) {
    switch (aCodePage) {
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 950:
        return "Big5";
    case 10000:
        return "macintosh";
    default:
        return "windows-" + QByteArray::number(aCodePage);
    }
}

QString DecodeBytes(const std::string& aBytes, int aCodePage) {
    if (aCodePage != kWindows1252) {
        QStringDecoder decoder(CodecName(aCodePage).constData());
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(aBytes.data(), static_cast<qsizetype>(aBytes.size())));
    }
    return QString::fromStdString(Windows1252ToUtf8(aBytes));
}

enum class TDestination { Text, FontTable, ColorTable, Skip };

struct TCharState {
    int Font = 0;
    int HalfPoints = kDefaultHalfPoints;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Color = 0;
    int Highlight = 0;
    QTextCharFormat::VerticalAlignment Script = QTextCharFormat::AlignNormal;
};

struct TGroupState {
    TCharState Char;
    Qt::Alignment Alignment = Qt::AlignLeft;
    TDestination Destination = TDestination::Text;
    int FallbackLength = 1;
};

struct TFont {
    QString Name;
    int CodePage = 0;
};

class TRtfReader {
public:
    TRtfReader(std::string_view aRtf, QTextDocument& aDocument) : fRtf(aRtf), fCursor(&aDocument) {}

    void Read() {
        while (fPos < fRtf.size() && !fEnded) {
            const char c = fRtf[fPos++];
            if (c == '{')
                OpenGroup();
            else if (c == '}')
                CloseGroup();
            else if (c == '\\')
                ReadControl();
            else if (c != '\r' && c != '\n')
                Byte(c);
        }
        Flush();
        // The last \par ends the last paragraph; it opens no new one.
        if (!fParagraphPending)
            fCursor.setBlockFormat(BlockFormat());
    }

private:
    void OpenGroup() {
        Flush();
        fStack.push_back(fState);
    }

    void CloseGroup() {
        Flush();
        if (fState.Destination == TDestination::FontTable)
            CommitFont();
        if (fStack.empty()) {
            fEnded = true;
            return;
        }
        fState = fStack.back();
        fStack.pop_back();
        fFallbackLeft = 0;
        // The document's own group has closed; anything after it is no part of the document.
        if (fStack.empty())
            fEnded = true;
    }

    void ReadControl() {
        if (fPos >= fRtf.size())
            return;
        const char c = fRtf[fPos];
        if (!IsLetter(c)) {
            ++fPos;
            Symbol(c);
            return;
        }
        const size_t start = fPos;
        while (fPos < fRtf.size() && IsLetter(fRtf[fPos]))
            ++fPos;
        const std::string_view word = fRtf.substr(start, fPos - start);
        std::optional<int> parameter;
        const size_t numberStart = fPos;
        if (fPos < fRtf.size() && fRtf[fPos] == '-')
            ++fPos;
        while (fPos < fRtf.size() && IsDigit(fRtf[fPos]))
            ++fPos;
        if (fPos > numberStart && IsDigit(fRtf[fPos - 1]))
            parameter = ParseNumber(fRtf.substr(numberStart, fPos - numberStart));
        else
            fPos = numberStart;
        if (fPos < fRtf.size() && fRtf[fPos] == ' ')
            ++fPos;
        Word(word, parameter);
    }

    void Symbol(char aSymbol) {
        if (aSymbol == '\'') {
            if (fPos + 2 <= fRtf.size()) {
                const auto value = ParseHex(fRtf.substr(fPos, 2));
                fPos += 2;
                if (value)
                    Byte(static_cast<char>(*value));
            }
            return;
        }
        if (aSymbol == '*') {
            fState.Destination = TDestination::Skip;
            return;
        }
        if (aSymbol == '\r' || aSymbol == '\n') {
            Word("par", std::nullopt);
            return;
        }
        if (aSymbol == '\\' || aSymbol == '{' || aSymbol == '}') {
            Byte(aSymbol);
            return;
        }
        if (aSymbol == '~')
            Character(QChar(0x00A0));
        else if (aSymbol == '_')
            Character(QChar(0x2011));
        else if (aSymbol == '-')
            Character(QChar(0x00AD));
    }

    void Word(std::string_view aWord, std::optional<int> aParameter) {
        if (aWord == "bin") {
            Flush();
            fPos = std::min(fRtf.size(), fPos + static_cast<size_t>(std::max(0, aParameter.value_or(0))));
            return;
        }
        if (DestinationWord(aWord))
            return;
        if (fState.Destination == TDestination::Skip)
            return;
        if (fState.Destination == TDestination::FontTable) {
            FontTableWord(aWord, aParameter);
            return;
        }
        if (fState.Destination == TDestination::ColorTable) {
            ColorTableWord(aWord, aParameter);
            return;
        }
        if (TextWord(aWord, aParameter))
            return;
        Flush();
        if (!FormatWord(aWord, aParameter))
            DocumentWord(aWord, aParameter);
    }

    bool DestinationWord(std::string_view aWord) {
        if (aWord == "fonttbl") {
            fState.Destination = TDestination::FontTable;
        } else if (aWord == "colortbl") {
            fState.Destination = TDestination::ColorTable;
        } else if (kSkippedDestinations.contains(aWord)) {
            fState.Destination = TDestination::Skip;
        } else {
            return false;
        }
        return true;
    }

    void FontTableWord(std::string_view aWord, std::optional<int> aParameter) {
        if (aWord == "f") {
            CommitFont();
            fFontNumber = aParameter.value_or(0);
        } else if (aWord == "fcharset") {
            fFont.CodePage = CodePageOfCharset(aParameter.value_or(0));
        }
    }

    void ColorTableWord(std::string_view aWord, std::optional<int> aParameter) {
        const int value = std::clamp(aParameter.value_or(0), 0, 255);
        if (aWord == "red")
            fColor.setRed(value);
        else if (aWord == "green")
            fColor.setGreen(value);
        else if (aWord == "blue")
            fColor.setBlue(value);
        else
            return;
        fColorGiven = true;
    }

    // Words that stand for characters; true when aWord is one of them.
    bool TextWord(std::string_view aWord, std::optional<int> aParameter) {
        static const std::map<std::string_view, char16_t> characters{
            {"tab", u'\t'},        {"line", 0x2028},    {"emdash", 0x2014},  {"endash", 0x2013},
            {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},  {"ldblquote", 0x201C},
            {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005},
            {"cell", u'\t'}};
        if (aWord == "u") {
            // A negative parameter is the upper half of the 16-bit range.
            Character(QChar(static_cast<char16_t>(aParameter.value_or(0) & 0xFFFF)));
            fFallbackLeft = fState.FallbackLength;
            return true;
        }
        const auto found = characters.find(aWord);
        if (found == characters.end())
            return false;
        Character(QChar(found->second));
        return true;
    }

    // Paragraph and character formatting; true when aWord is one of them.
    bool FormatWord(std::string_view aWord, std::optional<int> aParameter) {
        TCharState& format = fState.Char;
        const bool on = aParameter.value_or(1) != 0;
        if (aWord == "par" || aWord == "sect" || aWord == "page" || aWord == "row")
            EndParagraph();
        else if (aWord == "pard")
            fState.Alignment = Qt::AlignLeft;
        else if (aWord == "ql")
            fState.Alignment = Qt::AlignLeft;
        else if (aWord == "qc")
            fState.Alignment = Qt::AlignHCenter;
        else if (aWord == "qr")
            fState.Alignment = Qt::AlignRight;
        else if (aWord == "qj")
            fState.Alignment = Qt::AlignJustify;
        else if (aWord == "plain")
            format = TCharState{fDefaultFont};
        else if (aWord == "b")
            format.Bold = on;
        else if (aWord == "i")
            format.Italic = on;
        else if (aWord == "ulnone")
            format.Underline = false;
        else if (aWord == "ul" || aWord == "uld" || aWord == "uldb" || aWord == "ulw" || aWord == "uldash" ||
                 aWord == "ulth" || aWord == "ulwave")
            format.Underline = on;
        else if (aWord == "strike" || aWord == "striked")
            format.StrikeOut = on;
        else if (aWord == "f")
            format.Font = aParameter.value_or(fDefaultFont);
        else if (aWord == "fs")
            format.HalfPoints = HalfPoints(aParameter);
        else if (aWord == "cf")
            format.Color = aParameter.value_or(0);
        else if (aWord == "highlight" || aWord == "cb")
            format.Highlight = aParameter.value_or(0);
        else if (aWord == "super")
            format.Script = QTextCharFormat::AlignSuperScript;
        else if (aWord == "sub")
            format.Script = QTextCharFormat::AlignSubScript;
        else if (aWord == "nosupersub")
            format.Script = QTextCharFormat::AlignNormal;
        else
            return false;
        return true;
    }

    void DocumentWord(std::string_view aWord, std::optional<int> aParameter) {
        if (aWord == "ansicpg" && aParameter)
            fCodePage = *aParameter;
        else if (aWord == "deff" && aParameter)
            fState.Char.Font = fDefaultFont = *aParameter;
        else if (aWord == "uc" && aParameter)
            fState.FallbackLength = std::max(0, *aParameter);
    }

    void Byte(char aByte) {
        if (fState.Destination == TDestination::Skip)
            return;
        if (fFallbackLeft > 0) {
            --fFallbackLeft;
            return;
        }
        if (fState.Destination == TDestination::FontTable) {
            if (aByte == ';')
                CommitFont();
            else
                fFontBytes += aByte;
        } else if (fState.Destination == TDestination::ColorTable) {
            if (aByte == ';')
                CommitColor();
        } else {
            fBytes += aByte;
        }
    }

    void Character(QChar aCharacter) {
        if (fState.Destination != TDestination::Text)
            return;
        FlushBytes();
        fText += aCharacter;
    }

    void FlushBytes() {
        if (fBytes.empty())
            return;
        fText += DecodeBytes(fBytes, CodePage());
        fBytes.clear();
    }

    // Writes the text gathered so far in the format it was gathered in.
    void Flush() {
        FlushBytes();
        if (fText.isEmpty())
            return;
        StartPendingParagraph();
        fCursor.insertText(WithoutLoneSurrogates(fText), CharFormat());
        fText.clear();
    }

    // A paragraph is opened only when something follows the \par that ended the one before.
    void StartPendingParagraph() {
        if (!fParagraphPending)
            return;
        fCursor.insertBlock(QTextBlockFormat(), fPendingCharFormat);
        fParagraphPending = false;
    }

    void EndParagraph() {
        StartPendingParagraph();
        fCursor.setBlockFormat(BlockFormat());
        // An empty paragraph keeps the format it was ended in, which sets its height.
        if (fCursor.block().length() == 1)
            fCursor.setBlockCharFormat(CharFormat());
        fPendingCharFormat = CharFormat();
        fParagraphPending = true;
    }

    void CommitFont() {
        QString name = DecodeBytes(fFontBytes, kWindows1252).trimmed();
        fFontBytes.clear();
        if (fFontNumber < 0 || name.isEmpty())
            return;
        fFont.Name = name;
        fFonts[fFontNumber] = fFont;
        fFont = TFont();
        fFontNumber = -1;
    }

    void CommitColor() {
        fColors.push_back(fColorGiven ? std::optional<QColor>(fColor) : std::nullopt);
        fColor = QColor(0, 0, 0);
        fColorGiven = false;
    }

    int CodePage() const {
        const auto font = fFonts.find(fState.Char.Font);
        if (font != fFonts.end() && font->second.CodePage != 0)
            return font->second.CodePage;
        return fCodePage;
    }

    std::optional<QColor> TableColor(int anIndex) const {
        if (anIndex <= 0 || static_cast<size_t>(anIndex) >= fColors.size())
            return std::nullopt;
        return fColors[static_cast<size_t>(anIndex)];
    }

    QTextCharFormat CharFormat() const {
        const TCharState& state = fState.Char;
        QTextCharFormat format;
        const auto font = fFonts.find(state.Font);
        if (font != fFonts.end())
            format.setFontFamilies({font->second.Name});
        format.setFontPointSize(state.HalfPoints / 2.0);
        format.setFontWeight(state.Bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(state.Italic);
        format.setFontUnderline(state.Underline);
        format.setFontStrikeOut(state.StrikeOut);
        format.setVerticalAlignment(state.Script);
        if (const auto color = TableColor(state.Color))
            format.setForeground(*color);
        if (const auto color = TableColor(state.Highlight))
            format.setBackground(*color);
        return format;
    }

    QTextBlockFormat BlockFormat() const {
        QTextBlockFormat format;
        format.setAlignment(fState.Alignment);
        return format;
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    static int ParseNumber(std::string_view aText) {
        const bool negative = aText.front() == '-';
        long value = 0;
        for (char c : aText.substr(negative ? 1 : 0))
            value = std::min(value * 10 + (c - '0'), 1L << 31);
        return static_cast<int>(negative ? -value : std::min(value, (1L << 31) - 1));
    }

    static std::optional<int> ParseHex(std::string_view aDigits) {
        int value = 0;
        for (char c : aDigits) {
            int digit;
            if (IsDigit(c))
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return std::nullopt;
            value = value * 16 + digit;
        }
        return value;
    }

    std::string_view fRtf;
    size_t fPos = 0;
    bool fEnded = false;
    QTextCursor fCursor;
    std::vector<TGroupState> fStack;
    TGroupState fState;
    int fCodePage = kWindows1252;
    int fDefaultFont = 0;
    int fFallbackLeft = 0;
    bool fParagraphPending = false;
    QTextCharFormat fPendingCharFormat;
    std::string fBytes;
    QString fText;
    std::map<int, TFont> fFonts;
    int fFontNumber = -1;
    TFont fFont;
    std::string fFontBytes;
    std::vector<std::optional<QColor>> fColors;
    QColor fColor{0, 0, 0};
    bool fColorGiven = false;
};

} // namespace

void ReadRtf(std::string_view aRtf, QTextDocument& aDocument) {
    aDocument.clear();
    TRtfReader(aRtf, aDocument).Read();
}

} // namespace kf
