#include "FileTable.h"

#include "Format.h"

namespace kf::cab {

namespace {

// Reads a client file front to back through a small buffer.
class Reader {
public:
    Reader(const FdiCallbacks& aCallbacks, INT_PTR aHandle) : fCallbacks(aCallbacks), fHandle(aHandle) {}

    bool next(uint8_t& aByte) {
        if (fPosition == fLength) {
            fLength = fCallbacks.read(fHandle, fBuffer, sizeof fBuffer);
            fPosition = 0;
            if (fLength == 0 || fLength > sizeof fBuffer)
                return false;
        }
        aByte = fBuffer[fPosition++];
        return true;
    }
    bool read(uint8_t* aTarget, uint32_t aCount) {
        for (uint32_t i = 0; i < aCount; ++i)
            if (!next(aTarget[i]))
                return false;
        return true;
    }
    bool skipString() {
        uint8_t byte = 0;
        for (uint32_t i = 0; i < CB_MAX_FILENAME; ++i)
            if (!next(byte) || byte == 0)
                return byte == 0 && i > 0;
        return false;
    }

private:
    const FdiCallbacks& fCallbacks;
    INT_PTR fHandle;
    uint8_t fBuffer[4096];
    UINT fPosition = 0;
    UINT fLength = 0;
};

} // namespace

bool FileTable::read(const FdiCallbacks& aCallbacks, char* aPath) {
    const INT_PTR handle = aCallbacks.open(aPath, _O_RDONLY | _O_BINARY, 0);
    if (handle == -1)
        return false;
    const bool read = readRecords(aCallbacks, handle);
    aCallbacks.close(handle);
    return read;
}

bool FileTable::readRecords(const FdiCallbacks& aCallbacks, INT_PTR aHandle) {
    uint8_t header[format::kHeaderSize];
    Reader headerReader(aCallbacks, aHandle);
    if (!headerReader.read(header, sizeof header) || format::get32(header) != format::kSignature)
        return false;
    const uint32_t coffFiles = format::get32(header + 16);
    const uint32_t files = format::get16(header + 28);
    if (coffFiles > static_cast<uint32_t>(INT32_MAX) ||
        aCallbacks.seek(aHandle, static_cast<LONG>(coffFiles), 0) == -1)
        return false;
    Reader reader(aCallbacks, aHandle);
    for (uint32_t i = 0; i < files; ++i) {
        uint8_t record[format::kFileSize];
        if (!reader.read(record, sizeof record) || !reader.skipString() ||
            !fIndexes.push(format::get16(record + 8)))
            return false;
    }
    return true;
}

bool FileTable::continuedFromPrev(uint32_t aFile) const {
    const uint16_t index = fIndexes[aFile];
    return index == format::kContinuedFromPrev || index == format::kContinuedPrevAndNext;
}

bool FileTable::continuedToNext(uint32_t aFile) const {
    const uint16_t index = fIndexes[aFile];
    return index == format::kContinuedToNext || index == format::kContinuedPrevAndNext;
}

bool FileTable::firstFolderContinues(uint32_t aFolderCount) const {
    for (uint32_t i = 0; i < fIndexes.size(); ++i)
        if (fIndexes[i] == format::kContinuedPrevAndNext || (aFolderCount == 1 && continuedToNext(i)))
            return true;
    return false;
}

} // namespace kf::cab
