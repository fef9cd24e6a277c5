#include "base/TextFileCodec.h"

#include "base/Windows1252.h"

namespace kf {

namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
}

std::string EncodeTextFile(std::string_view aText) {
    if (auto bytes = Utf8ToWindows1252(aText))
        return std::move(*bytes);
    std::string out(kUtf8Bom);
    out += aText;
    return out;
}

std::string DecodeTextFile(std::string_view aBytes) {
    if (aBytes.starts_with(kUtf8Bom))
        return std::string(aBytes.substr(kUtf8Bom.size()));
    return Windows1252ToUtf8(aBytes);
}

} // namespace kf
