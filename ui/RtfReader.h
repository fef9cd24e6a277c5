#pragma once

#include <string_view>

class QTextDocument;

namespace kf {

// Reads an RTF document into aDocument, replacing its content: paragraphs with their alignment,
// bold, italic, underline, strike-out, super- and subscript, fonts and sizes, text and highlight
// colours, tabs and line breaks; \'hh in the document's or the font's code page and \uN with its
// fallback skipped by \ucN. Destinations the editor cannot show (\*, pictures, document
// information, style sheets, headers and footers and the like) are skipped.
void ReadRtf(std::string_view aRtf, QTextDocument& aDocument);

} // namespace kf
