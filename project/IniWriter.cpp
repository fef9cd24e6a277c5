#include "project/IniWriter.h"

#include "base/TextUtil.h"

namespace kf {

void TIniWriter::Section(std::string_view aName) {
    if (!fText.empty())
        fText += "\r\n";
    fText += '[';
    fText += aName;
    fText += "]\r\n";
}

void TIniWriter::Write(std::string_view aKey, std::string_view aValue) {
    fText += aKey;
    fText += '=';
    // The reader trims a value and takes off one pair of quotes around it; a value that either
    // would change is written inside a pair of its own.
    const bool blankEnds = Trim(aValue).size() != aValue.size();
    const bool quotedEnds = aValue.size() >= 2 && (aValue.front() == '"' || aValue.front() == '\'') &&
                            aValue.back() == aValue.front();
    if (blankEnds || quotedEnds) {
        fText += '"';
        fText += aValue;
        fText += '"';
    } else {
        fText += aValue;
    }
    fText += "\r\n";
}

void TIniWriter::Write(std::string_view aKey, int aValue) {
    Write(aKey, std::to_string(aValue));
}

void TIniWriter::Write(std::string_view aKey, bool aValue) {
    Write(aKey, std::string_view(aValue ? "1" : "0"));
}

} // namespace kf
