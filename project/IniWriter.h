#pragma once

#include <string>
#include <string_view>

namespace kf {

// Builds INI text with CR LF line ends, sections and keys in the order they are added.
class TIniWriter {
public:
    void Section(std::string_view aName);
    void Write(std::string_view aKey, std::string_view aValue);
    void Write(std::string_view aKey, int aValue);
    void Write(std::string_view aKey, bool aValue);

    const std::string& Text() const { return fText; }

private:
    std::string fText;
};

} // namespace kf
