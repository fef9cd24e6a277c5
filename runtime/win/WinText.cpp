#include "runtime/win/WinText.h"

#include "base/OSError.h"

#include <windows.h>

namespace kf {

std::wstring Wide(std::string_view aText) {
    if (aText.empty())
        return {};
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, aText.data(), static_cast<int>(aText.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, aText.data(), static_cast<int>(aText.size()), text.data(), size);
    return text;
}

std::string Utf8(std::wstring_view aText) {
    if (aText.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, aText.data(), static_cast<int>(aText.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, aText.data(), static_cast<int>(aText.size()), text.data(), size,
                          nullptr, nullptr);
    return text;
}

void ThrowLastError(const std::string& aWhat) {
    const DWORD error = ::GetLastError();
    throw Exception(aWhat + ": " + SystemErrorText(static_cast<int>(error)) + ".");
}

} // namespace kf
