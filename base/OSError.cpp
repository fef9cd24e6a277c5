#include "base/OSError.h"

#include <cstring>
#ifdef _WIN32
#include <windows.h>
#endif

namespace kf {

namespace {

std::string Message(int anError, const std::string& aText) {
    if (anError == 0)
        return "A call to an OS function failed";
    return "System Error.  Code: " + std::to_string(anError) + ".\r\n" +
           (aText.empty() ? SystemErrorText(anError) : aText);
}

} // namespace

std::string SystemErrorText(int anError) {
#ifdef _WIN32
    char buffer[512] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(anError), 0, buffer, sizeof buffer, nullptr);
    std::string text = buffer;
#else
    std::string text = std::strerror(anError);
#endif
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '.'))
        text.pop_back();
    return text;
}

EOSError::EOSError(int anError, const std::string& aText)
    : Exception(Message(anError, aText)), fErrorCode(anError) {}

} // namespace kf
