#include "runtime/win/FileWindow.h"

#include "base/Exception.h"
#include "runtime/win/WinText.h"

#include <algorithm>

namespace kf {

TReadFile::TReadFile(const std::wstring& aPath)
    : fHandle(::CreateFileW(aPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (fHandle == INVALID_HANDLE_VALUE)
        ThrowLastError("Cannot open " + Utf8(aPath));
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(fHandle, &size)) {
        ::CloseHandle(fHandle);
        ThrowLastError("Cannot read the size of " + Utf8(aPath));
    }
    fSize = static_cast<uint64_t>(size.QuadPart);
}

TReadFile::~TReadFile() {
    ::CloseHandle(fHandle);
}

size_t TReadFile::ReadInto(uint64_t anOffset, void* aBuffer, size_t aLength) const {
    size_t done = 0;
    while (done < aLength) {
        OVERLAPPED at{};
        const uint64_t position = anOffset + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(aLength - done, 1u << 20));
        DWORD read = 0;
        if (!::ReadFile(fHandle, static_cast<char*>(aBuffer) + done, chunk, &read, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            ThrowLastError("Cannot read the setup file");
        }
        if (read == 0)
            break;
        done += read;
    }
    return done;
}

std::string TReadFile::Read(uint64_t anOffset, size_t aLength) const {
    std::string bytes(aLength, '\0');
    if (ReadInto(anOffset, bytes.data(), aLength) != aLength)
        throw Exception("The setup file ends too early.");
    return bytes;
}

std::string TFileWindow::Read(uint64_t anOffset, size_t aLength) {
    if (anOffset > fLength || aLength > fLength - anOffset)
        throw Exception("Read past the end of a cabinet.");
    return fFile.Read(fOffset + anOffset, aLength);
}

size_t TFileWindow::ReadInto(uint64_t anOffset, void* aBuffer, size_t aLength) const {
    if (anOffset >= fLength)
        return 0;
    return fFile.ReadInto(fOffset + anOffset, aBuffer, std::min<uint64_t>(aLength, fLength - anOffset));
}

} // namespace kf
