#include "project/OSError.h"

#include <cstring>

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
    std::string text = std::strerror(anError);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '.'))
        text.pop_back();
    return text;
}

EOSError::EOSError(int anError, const std::string& aText)
    : Exception(Message(anError, aText)), fErrorCode(anError) {}

} // namespace kf
