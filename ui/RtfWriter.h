#pragma once

#include <string>

class QTextDocument;

namespace kf {

// The document as RTF, in the form the reader takes back: one \par a paragraph with its
// alignment, and for each run its font, size, bold, italic, underline, strike-out, script and
// colours. Characters above 127 are \'hh in Windows-1252 or \uN; line breaks inside a paragraph
// are \line.
std::string WriteRtf(const QTextDocument& aDocument);

} // namespace kf
