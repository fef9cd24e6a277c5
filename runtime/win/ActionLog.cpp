#include "runtime/win/ActionLog.h"

#include "runtime/win/WinText.h"

namespace kf {

TActionLog::~TActionLog() {
    Close();
}

void TActionLog::Open(const std::wstring& aPath, bool anAppend) {
    fHandle = ::CreateFileW(aPath.c_str(), anAppend ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, anAppend ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (fHandle == INVALID_HANDLE_VALUE)
        ThrowLastError("Cannot create the log file " + Utf8(aPath));
}

void TActionLog::Close() {
    if (fHandle != INVALID_HANDLE_VALUE)
        ::CloseHandle(fHandle);
    fHandle = INVALID_HANDLE_VALUE;
}

void TActionLog::Line(const std::string& aText) {
    if (fHandle == INVALID_HANDLE_VALUE)
        return;
    const std::string line = aText + "\r\n";
    DWORD written = 0;
    ::WriteFile(fHandle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace kf
