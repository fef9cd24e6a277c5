#pragma once

#include <windows.h>

#include <string>

namespace kf {

// The /LOG file: one line for every action, written as it happens so that a failure leaves
// everything before it on record. Without a file it records nothing.
class TActionLog {
public:
    TActionLog() = default;
    ~TActionLog();
    TActionLog(const TActionLog&) = delete;
    TActionLog& operator=(const TActionLog&) = delete;

    // Starts writing to aPath, replacing what is there or, with anAppend, after it.
    void Open(const std::wstring& aPath, bool anAppend = false);
    // Stops writing, so that another process can write to the same file.
    void Close();
    void Line(const std::string& aText);
    bool IsOpen() const { return fHandle != INVALID_HANDLE_VALUE; }

private:
    HANDLE fHandle = INVALID_HANDLE_VALUE;
};

} // namespace kf
