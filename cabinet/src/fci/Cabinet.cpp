#include "Cabinet.h"

#include "Checksum.h"
#include "Format.h"

#include <algorithm>
#include <cstring>

namespace kf::cab {

namespace {

constexpr uint32_t kOutputBufferSize = 256 * 1024;
// Room kept for the next cabinet's name and disk while they are still unknown.
constexpr uint32_t kNextNamesAllowance = CB_MAX_CABINET_NAME + CB_MAX_DISK_NAME;

// Length of a name field with its terminating zero, or 0 if the field holds no terminated name.
uint32_t StoredLength(const char* aName, size_t aField) {
    const void* end = std::memchr(aName, '\0', aField);
    return end == nullptr ? 0 : static_cast<uint32_t>(static_cast<const char*>(end) - aName) + 1;
}

uint32_t LimitOrDefault(ULONG aValue, uint32_t aLimit) {
    return aValue == 0 || aValue > aLimit ? aLimit : aValue;
}

} // namespace

Cabinet::Cabinet(FciHost& aHost, CCAB& aClientParameters)
    : fHost(aHost), fClient(aClientParameters), fFolders(aHost.heap()), fFileRecords(aHost.heap()),
      fData(aHost), fOutput(aHost, FCIERR_CAB_FILE) {}

bool Cabinet::create() {
    if (fClient.cbReserveCFHeader > format::kMaxHeaderReserve ||
        fClient.cbReserveCFFolder > format::kMaxFolderReserve ||
        fClient.cbReserveCFData > format::kMaxDataReserve)
        return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
    fHeaderReserve = fClient.cbReserveCFHeader;
    fFolderReserve = fClient.cbReserveCFFolder;
    fDataReserve = fClient.cbReserveCFData;
    takeParameters();
    return fOutput.allocate(kOutputBufferSize) && fData.allocate();
}

bool Cabinet::destroy() {
    return fData.destroy();
}

void Cabinet::takeParameters() {
    fCurrent = fClient;
    fCurrent.cb = LimitOrDefault(fClient.cb, format::kMaxCabinetSize);
    fCurrent.cbFolderThresh = LimitOrDefault(fClient.cbFolderThresh, format::kMaxCabinetSize);
    // The reserve sizes are fixed for the whole set: readers reject a set whose sizes differ.
    fCurrent.cbReserveCFHeader = fHeaderReserve;
    fCurrent.cbReserveCFFolder = fFolderReserve;
    fCurrent.cbReserveCFData = fDataReserve;
}

uint32_t Cabinet::folderRecordSize() const {
    return format::kFolderSize + fFolderReserve;
}

uint32_t Cabinet::dataHeaderSize() const {
    return format::kDataSize + fDataReserve;
}

uint32_t Cabinet::folderThreshold() const {
    return fCurrent.cbFolderThresh;
}

uint32_t Cabinet::headerSize() const {
    uint32_t size = format::kHeaderSize;
    if (fHeaderReserve != 0 || fFolderReserve != 0 || fDataReserve != 0)
        size += format::kHeaderReserveFields + fHeaderReserve;
    if (fHasPrev)
        size += StoredLength(fPrevCabinet, sizeof fPrevCabinet) + StoredLength(fPrevDisk, sizeof fPrevDisk);
    if (fHasNext)
        size += StoredLength(fNextCabinet, sizeof fNextCabinet) + StoredLength(fNextDisk, sizeof fNextDisk);
    return size;
}

uint32_t Cabinet::size() const {
    return headerSize() + fFolders.size() * folderRecordSize() + fFileBytes + fData.size();
}

int64_t Cabinet::room() const {
    const int64_t allowance = fHasNext ? 0 : kNextNamesAllowance;
    return static_cast<int64_t>(fCurrent.cb) - size() - allowance;
}

bool Cabinet::addFolder(TCOMP aType) {
    if (fFolders.size() >= format::kMaxEntries)
        return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
    return fFolders.push({fData.size(), 0, aType}) || fHost.failure().set(FCIERR_ALLOC_FAIL);
}

bool Cabinet::addData(const uint8_t* aPayload, uint32_t aSize, uint32_t anUncompressedSize) {
    FolderRecord& folder = fFolders.back();
    if (folder.blocks >= format::kMaxEntries)
        return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
    ++folder.blocks;
    const auto compressed = static_cast<uint16_t>(aSize);
    const auto uncompressed = static_cast<uint16_t>(anUncompressedSize);
    uint8_t header[format::kDataSize];
    format::put32(header, DataBlockChecksum(aPayload, compressed, uncompressed));
    format::put16(header + 4, compressed);
    format::put16(header + 6, uncompressed);
    static constexpr uint8_t kZeros[format::kMaxDataReserve] = {};
    return fData.append(header, sizeof header) && fData.append(kZeros, fDataReserve) &&
           fData.append(aPayload, aSize);
}

void Cabinet::reserveEntry(const FileEntry& anEntry) {
    ++fFileCount;
    fFileBytes += anEntry.recordSize();
}

bool Cabinet::writeEntry(FileEntry& anEntry, uint16_t aFolderIndex) {
    uint8_t record[format::kFileSize];
    format::put32(record, anEntry.size);
    format::put32(record + 4, anEntry.start);
    format::put16(record + 8, aFolderIndex);
    format::put16(record + 10, anEntry.date);
    format::put16(record + 12, anEntry.time);
    format::put16(record + 14, anEntry.attribs);
    const auto* name = reinterpret_cast<const uint8_t*>(anEntry.name);
    if (!fFileRecords.append(record, sizeof record) || !fFileRecords.append(name, anEntry.nameLength + 1u))
        return fHost.failure().set(FCIERR_ALLOC_FAIL);
    return fHost.reportFilePlaced(&fCurrent, anEntry.name, anEntry.size, anEntry.continued);
}

bool Cabinet::requestNext(uint32_t anEstimate) {
    fEstimate = anEstimate;
    ++fClient.iCab;
    if (!fHost.askNextCabinet(&fClient, fEstimate))
        return false;
    if (StoredLength(fClient.szCab, sizeof fClient.szCab) < 2 ||
        StoredLength(fClient.szDisk, sizeof fClient.szDisk) == 0)
        return fHost.failure().set(FCIERR_CAB_FILE);
    std::memcpy(fNextCabinet, fClient.szCab, sizeof fNextCabinet);
    std::memcpy(fNextDisk, fClient.szDisk, sizeof fNextDisk);
    fHasNext = true;
    return true;
}

bool Cabinet::finish() {
    const uint32_t pathLength = StoredLength(fCurrent.szCabPath, sizeof fCurrent.szCabPath);
    const uint32_t nameLength = StoredLength(fCurrent.szCab, sizeof fCurrent.szCab);
    if (pathLength == 0 || nameLength < 2 || StoredLength(fCurrent.szDisk, sizeof fCurrent.szDisk) == 0)
        return fHost.failure().set(FCIERR_CAB_FILE);
    char path[CB_MAX_CAB_PATH + CB_MAX_CABINET_NAME];
    std::memcpy(path, fCurrent.szCabPath, pathLength - 1);
    std::memcpy(path + pathLength - 1, fCurrent.szCab, nameLength);
    const uint32_t estimate = fHasNext ? fEstimate : size();
    return writeFile(path) && fHost.reportStatus(statusCabinet, estimate, size());
}

bool Cabinet::writeFile(char* aPath) {
    const INT_PTR handle = fHost.open(aPath, _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY, FCIERR_CAB_FILE);
    if (handle == -1)
        return false;
    fOutput.attach(handle);
    const bool written = writeHeader(fOutput) && writeFolders(fOutput) &&
                         fOutput.write(fFileRecords.data(), fFileRecords.size()) && fData.copyTo(fOutput) &&
                         fOutput.flush();
    fOutput.discard();
    fOutput.attach(-1);
    if (!written) {
        fHost.closeQuietly(handle);
        fHost.removeQuietly(aPath);
        return false;
    }
    if (!fHost.close(handle, FCIERR_CAB_FILE)) {
        fHost.removeQuietly(aPath);
        return false;
    }
    return true;
}

bool Cabinet::writeHeader(BufferedWriter& anOut) {
    uint8_t header[format::kHeaderSize + format::kHeaderReserveFields] = {};
    const uint32_t coffFiles = headerSize() + fFolders.size() * folderRecordSize();
    const bool reserve = fHeaderReserve != 0 || fFolderReserve != 0 || fDataReserve != 0;
    const uint32_t flags = (fHasPrev ? format::kFlagPrevCabinet : 0) |
                           (fHasNext ? format::kFlagNextCabinet : 0) |
                           (reserve ? format::kFlagReservePresent : 0);
    format::put32(header, format::kSignature);
    format::put32(header + 8, size());
    format::put32(header + 16, coffFiles);
    header[24] = format::kVersionMinor;
    header[25] = format::kVersionMajor;
    format::put16(header + 26, fFolders.size());
    format::put16(header + 28, fFileCount);
    format::put16(header + 30, flags);
    format::put16(header + 32, fCurrent.setID);
    format::put16(header + 34, static_cast<uint32_t>(fCurrent.iCab));
    format::put16(header + 36, fHeaderReserve);
    header[38] = static_cast<uint8_t>(fFolderReserve);
    header[39] = static_cast<uint8_t>(fDataReserve);
    if (!anOut.write(header, reserve ? sizeof header : format::kHeaderSize) ||
        !anOut.writeZeros(reserve ? fHeaderReserve : 0))
        return false;
    if (fHasPrev && !(anOut.write(fPrevCabinet, StoredLength(fPrevCabinet, sizeof fPrevCabinet)) &&
                      anOut.write(fPrevDisk, StoredLength(fPrevDisk, sizeof fPrevDisk))))
        return false;
    return !fHasNext || (anOut.write(fNextCabinet, StoredLength(fNextCabinet, sizeof fNextCabinet)) &&
                         anOut.write(fNextDisk, StoredLength(fNextDisk, sizeof fNextDisk)));
}

bool Cabinet::writeFolders(BufferedWriter& anOut) {
    const uint32_t dataStart = headerSize() + fFolders.size() * folderRecordSize() + fFileBytes;
    for (uint32_t i = 0; i < fFolders.size(); ++i) {
        uint8_t record[format::kFolderSize];
        format::put32(record, dataStart + fFolders[i].dataOffset);
        format::put16(record + 4, fFolders[i].blocks);
        format::put16(record + 6, fFolders[i].type);
        if (!anOut.write(record, sizeof record) || !anOut.writeZeros(fFolderReserve))
            return false;
    }
    return true;
}

void Cabinet::beginNext(bool aLinked) {
    fHasPrev = aLinked;
    if (aLinked) {
        std::memcpy(fPrevCabinet, fCurrent.szCab, sizeof fPrevCabinet);
        std::memcpy(fPrevDisk, fCurrent.szDisk, sizeof fPrevDisk);
    }
    fHasNext = false;
    takeParameters();
    fFolders.clear();
    fFileCount = 0;
    fFileBytes = 0;
    fFileRecords.clear();
    fData.clear();
}

} // namespace kf::cab
