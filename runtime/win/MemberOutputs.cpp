#include "runtime/win/MemberOutputs.h"

#include "base/Exception.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <algorithm>
#include <vector>

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

// One member written to each of its targets.
class TFilesOutput : public TMemberOutput {
public:
    TFilesOutput(const std::vector<std::wstring>& aPaths,
                 std::function<void(size_t, const std::wstring&)> aWritten)
        : fWritten(std::move(aWritten)) {
        for (const std::wstring& path : aPaths) {
            const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE)
                ThrowLastError("Cannot create " + Utf8(path));
            fFiles.push_back({path, handle});
        }
    }
    ~TFilesOutput() override {
        for (const TFile& file : fFiles)
            if (file.Handle != INVALID_HANDLE_VALUE)
                ::CloseHandle(file.Handle);
    }
    void Write(const void* aData, size_t aLength) override {
        for (const TFile& file : fFiles) {
            DWORD written = 0;
            if (!::WriteFile(file.Handle, aData, static_cast<DWORD>(aLength), &written, nullptr) ||
                written != aLength)
                ThrowLastError("Cannot write " + Utf8(file.Path));
        }
        fWritten(aLength, fFiles.front().Path);
    }
    void Finish(uint16_t aDate, uint16_t aTime) override {
        FILETIME local, universal;
        const bool dated =
            ::DosDateTimeToFileTime(aDate, aTime, &local) && ::LocalFileTimeToFileTime(&local, &universal);
        for (TFile& file : fFiles) {
            if (dated)
                ::SetFileTime(file.Handle, nullptr, nullptr, &universal);
            const BOOL closed = ::CloseHandle(file.Handle);
            file.Handle = INVALID_HANDLE_VALUE;
            if (!closed)
                ThrowLastError("Cannot write " + Utf8(file.Path));
        }
    }

private:
    struct TFile {
        std::wstring Path;
        HANDLE Handle;
    };
    std::vector<TFile> fFiles;
    std::function<void(size_t, const std::wstring&)> fWritten;
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

void TTargetFilesSink::Add(size_t aMember, std::wstring aTarget) {
    fLast = fTargets.empty() ? aMember : std::max(fLast, aMember);
    fTargets.emplace(aMember, std::move(aTarget));
}

std::unique_ptr<TMemberOutput> TTargetFilesSink::Open(const std::string&, uint32_t) {
    const auto [first, end] = fTargets.equal_range(fNext++);
    if (first == end)
        return nullptr;
    std::vector<std::wstring> paths;
    for (auto target = first; target != end; ++target)
        paths.push_back(target->second);
    return std::make_unique<TFilesOutput>(paths, [this](size_t aLength, const std::wstring& aTarget) {
        fWritten += aLength;
        if (fProgress)
            fProgress(fWritten, aTarget);
    });
}

} // namespace kf
