#pragma once

#include "base/Exception.h"

#include <string>

namespace kf {

// The system's text for an error value, without trailing blanks, line breaks and full stops.
std::string SystemErrorText(int anError);

// A failed operating-system call: "System Error.  Code: N.\r\n" and the system's text.
class EOSError : public Exception {
public:
    // aText replaces the system's text for anError when the caller knows better.
    explicit EOSError(int anError, const std::string& aText = {});
    int ErrorCode() const { return fErrorCode; }

private:
    int fErrorCode;
};

} // namespace kf
