#include "project/IniWriter.h"

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
    fText += aValue;
    fText += "\r\n";
}

void TIniWriter::Write(std::string_view aKey, int aValue) {
    Write(aKey, std::to_string(aValue));
}

void TIniWriter::Write(std::string_view aKey, bool aValue) {
    Write(aKey, std::string_view(aValue ? "1" : "0"));
}

} // namespace kf
