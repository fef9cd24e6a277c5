#include "runtime/win/MemberOutputs.h"

#include "base/Exception.h"
#include "runtime/win/WinText.h"

#include <windows.h>

namespace kf {

namespace {

class TMemoryOutput : public TMemberOutput {
public:
    explicit TMemoryOutput(std::string& aBytes) : fBytes(aBytes) {}
    void Write(const void* aData, size_t aLength) override {
        fBytes.append(static_cast<const char*>(aData), aLength);
    }
    void Finish(uint16_t, uint16_t) override {}

private:
    std::string& fBytes;
};

class TFileOutput : public TMemberOutput {
public:
    explicit TFileOutput(const std::wstring& aPath)
        : fPath(aPath), fHandle(::CreateFileW(aPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (fHandle == INVALID_HANDLE_VALUE)
            ThrowLastError("Cannot create " + Utf8(aPath));
    }
    ~TFileOutput() override {
        if (fHandle != INVALID_HANDLE_VALUE)
            ::CloseHandle(fHandle);
    }
    void Write(const void* aData, size_t aLength) override {
        DWORD written = 0;
        if (!::WriteFile(fHandle, aData, static_cast<DWORD>(aLength), &written, nullptr) ||
            written != aLength)
            ThrowLastError("Cannot write " + Utf8(fPath));
    }
    void Finish(uint16_t aDate, uint16_t aTime) override {
        FILETIME local, universal;
        if (::DosDateTimeToFileTime(aDate, aTime, &local) && ::LocalFileTimeToFileTime(&local, &universal))
            ::SetFileTime(fHandle, nullptr, nullptr, &universal);
        const BOOL closed = ::CloseHandle(fHandle);
        fHandle = INVALID_HANDLE_VALUE;
        if (!closed)
            ThrowLastError("Cannot write " + Utf8(fPath));
    }

private:
    std::wstring fPath;
    HANDLE fHandle;
};

} // namespace

std::unique_ptr<TMemberOutput> TMemorySink::Open(const std::string& aName, uint32_t aLength) {
    const auto member = fMembers.find(aName);
    if (member == fMembers.end())
        return nullptr;
    member->second.clear();
    member->second.reserve(aLength);
    return std::make_unique<TMemoryOutput>(member->second);
}

std::unique_ptr<TMemberOutput> TTargetFileSink::Open(const std::string& aName, uint32_t) {
    if (fOpened)
        throw Exception("The cabinet for " + Utf8(fTarget) + " holds more than one file (" + aName + ").");
    fOpened = true;
    return std::make_unique<TFileOutput>(fTarget);
}

} // namespace kf
