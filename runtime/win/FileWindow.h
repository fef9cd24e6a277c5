#pragma once

#include "runtime/core/ByteSource.h"

#include <windows.h>

#include <string>

namespace kf {

// A file opened for reading, shared with other readers; closed when this ends.
class TReadFile {
public:
    explicit TReadFile(const std::wstring& aPath);
    ~TReadFile();
    TReadFile(const TReadFile&) = delete;
    TReadFile& operator=(const TReadFile&) = delete;

    uint64_t Size() const { return fSize; }
    // Exactly aLength bytes from anOffset.
    std::string Read(uint64_t anOffset, size_t aLength) const;
    // Reads into aBuffer, returning how many bytes there were (fewer only at the end).
    size_t ReadInto(uint64_t anOffset, void* aBuffer, size_t aLength) const;

private:
    HANDLE fHandle;
    uint64_t fSize = 0;
};

// A run of bytes inside a file, such as one cabinet inside the setup file.
class TFileWindow : public TByteSource {
public:
    TFileWindow(const TReadFile& aFile, uint64_t anOffset, uint64_t aLength)
        : fFile(aFile), fOffset(anOffset), fLength(aLength) {}
    uint64_t Size() const override { return fLength; }
    std::string Read(uint64_t anOffset, size_t aLength) override;
    size_t ReadInto(uint64_t anOffset, void* aBuffer, size_t aLength) const;

private:
    const TReadFile& fFile;
    uint64_t fOffset;
    uint64_t fLength;
};

} // namespace kf
