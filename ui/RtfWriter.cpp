#include "ui/RtfWriter.h"

#include "builder/RtfDocument.h"

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kf {

namespace {

constexpr char16_t kLineSeparator = 0x2028;

// The font and colour tables, filled as the document's runs name them.
class TRtfTables {
public:
    explicit TRtfTables(const QTextDocument& aDocument) : fDefaultFont(aDocument.defaultFont()) {
        for (QTextBlock block = aDocument.begin(); block.isValid(); block = block.next()) {
            if (block.begin().atEnd())
                Add(block.charFormat());
            for (auto run = block.begin(); !run.atEnd(); ++run)
                Add(run.fragment().charFormat());
        }
    }

    // A font table entry ends at ";" and holds no control characters, so a name keeps neither;
    // fonts are told apart by the names the table can hold.
    static QString FontTableName(QString aFamily) {
        aFamily.removeIf([](QChar aChar) { return aChar.unicode() < 0x20 || aChar == QLatin1Char(';'); });
        return aFamily.trimmed();
    }

    QString Family(const QTextCharFormat& aFormat) const {
        const QStringList families = aFormat.fontFamilies().toStringList();
        const QString family = families.isEmpty() ? QString() : FontTableName(families.front());
        return family.isEmpty() ? FontTableName(fDefaultFont.family()) : family;
    }

    double PointSize(const QTextCharFormat& aFormat) const {
        if (aFormat.fontPointSize() > 0)
            return aFormat.fontPointSize();
        return fDefaultFont.pointSizeF() > 0 ? fDefaultFont.pointSizeF() : 12.0;
    }

    int FontIndex(const QTextCharFormat& aFormat) const { return Index(fFonts, Family(aFormat)); }
    // 0, the automatic colour, when the brush sets none.
    int ColorIndex(const QBrush& aBrush) const {
        return aBrush.style() == Qt::NoBrush ? 0 : Index(fColors, aBrush.color().rgb()) + 1;
    }

    std::string Header() const {
        std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
        for (size_t i = 0; i < fFonts.size(); ++i)
            rtf += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 " +
                   EscapeRtfText(fFonts[i].toStdString()) + ";}";
        rtf += "}\r\n";
        if (!fColors.empty()) {
            rtf += "{\\colortbl ;";
            for (QRgb color : fColors)
                rtf += "\\red" + std::to_string(qRed(color)) + "\\green" + std::to_string(qGreen(color)) +
                       "\\blue" + std::to_string(qBlue(color)) + ";";
            rtf += "}\r\n";
        }
        return rtf + "\\viewkind4\\uc1\r\n";
    }

private:
    void Add(const QTextCharFormat& aFormat) {
        AddOnce(fFonts, Family(aFormat));
        for (const QBrush& brush : {aFormat.foreground(), aFormat.background()})
            if (brush.style() != Qt::NoBrush)
                AddOnce(fColors, brush.color().rgb());
    }

    template <typename T> static void AddOnce(std::vector<T>& aTable, const T& aValue) {
        if (std::find(aTable.begin(), aTable.end(), aValue) == aTable.end())
            aTable.push_back(aValue);
    }

    template <typename T> static int Index(const std::vector<T>& aTable, const T& aValue) {
        return static_cast<int>(std::find(aTable.begin(), aTable.end(), aValue) - aTable.begin());
    }

    QFont fDefaultFont;
    std::vector<QString> fFonts;
    std::vector<QRgb> fColors;
};

std::string Alignment(const QTextBlockFormat& aFormat) {
    const Qt::Alignment alignment = aFormat.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        return "\\qc";
    if (alignment & Qt::AlignJustify)
        return "\\qj";
    if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        return "\\qr";
    return "";
}

std::string RunFormat(const TRtfTables& aTables, const QTextCharFormat& aFormat) {
    std::string rtf = "\\plain\\f" + std::to_string(aTables.FontIndex(aFormat)) + "\\fs" +
                      std::to_string(static_cast<int>(std::lround(aTables.PointSize(aFormat) * 2)));
    if (aFormat.fontWeight() >= QFont::Bold)
        rtf += "\\b";
    if (aFormat.fontItalic())
        rtf += "\\i";
    if (aFormat.fontUnderline())
        rtf += "\\ul";
    if (aFormat.fontStrikeOut())
        rtf += "\\strike";
    if (aFormat.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        rtf += "\\super";
    else if (aFormat.verticalAlignment() == QTextCharFormat::AlignSubScript)
        rtf += "\\sub";
    if (const int color = aTables.ColorIndex(aFormat.foreground()))
        rtf += "\\cf" + std::to_string(color);
    if (const int color = aTables.ColorIndex(aFormat.background()))
        rtf += "\\highlight" + std::to_string(color);
    return rtf + " ";
}

std::string RunText(const QString& aText) {
    std::string rtf;
    const QStringList lines = aText.split(QChar(kLineSeparator));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            rtf += "\\line ";
        rtf += EscapeRtfText(lines[i].toStdString());
    }
    return rtf;
}

} // namespace

std::string WriteRtf(const QTextDocument& aDocument) {
    const TRtfTables tables(aDocument);
    std::string rtf = tables.Header();
    for (QTextBlock block = aDocument.begin(); block.isValid(); block = block.next()) {
        rtf += "\\pard" + Alignment(block.blockFormat());
        if (block.begin().atEnd())
            rtf += RunFormat(tables, block.charFormat());
        // Runs that differ only in what RTF does not say are one run.
        std::string format;
        for (auto run = block.begin(); !run.atEnd(); ++run) {
            const std::string next = RunFormat(tables, run.fragment().charFormat());
            rtf += (next == format ? "" : next) + RunText(run.fragment().text());
            format = next;
        }
        rtf += "\\par\r\n";
    }
    return rtf + "}\r\n";
}

} // namespace kf
