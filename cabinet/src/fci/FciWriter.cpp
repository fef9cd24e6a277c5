#include "FciWriter.h"

#include "Format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kf::cab {

FciWriter::FciWriter(const FciCallbacks& aCallbacks, CCAB& aParameters)
    : fHost(aCallbacks), fCabinet(fHost, aParameters), fFolder(fHost.heap()) {}

bool FciWriter::create() {
    if (!fFolder.allocate())
        return fHost.failure().set(FCIERR_ALLOC_FAIL);
    return fCabinet.create();
}

bool FciWriter::destroy() {
    fFolder.close();
    return fCabinet.destroy();
}

bool FciWriter::broken() {
    fBroken = true;
    return false;
}

bool FciWriter::addFile(char* aSource, char* aName, bool anExecute, PFNFCIGETOPENINFO anOpenInfo,
                        TCOMP aType) {
    if (!admits(aName, aType))
        return false;
    USHORT date = 0, time = 0, attributes = 0;
    const INT_PTR handle = fHost.openSource(anOpenInfo, aSource, date, time, attributes);
    if (handle == -1)
        return false;
    uint32_t size = 0;
    if (!sourceSize(handle, size)) {
        fHost.closeQuietly(handle);
        return false;
    }
    // From here on a failure leaves the folder half-filled.
    attributes = static_cast<USHORT>(anExecute ? attributes | _A_EXEC : attributes);
    if (!prepareFolder(aType, size) || !queueEntry(aName, size, date, time, attributes) ||
        !readSource(handle, size)) {
        fHost.closeQuietly(handle);
        return broken();
    }
    if (!fHost.close(handle, FCIERR_READ_SRC))
        return broken();
    return !(fFolder.continued || fFolder.size() >= fCabinet.folderThreshold()) || flushFolder();
}

// The checks that need no change of state: a refused file leaves the context usable.
bool FciWriter::admits(const char* aName, TCOMP aType) {
    const size_t nameLength = strnlen(aName, CB_MAX_FILENAME);
    if (nameLength == 0 || nameLength > format::kMaxNameLength)
        return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
    if (!IsSupportedCompression(aType))
        return fHost.failure().set(FCIERR_BAD_COMPR_TYPE);
    if (fCabinet.fileCount() + fFolder.pendingCount() >= format::kMaxEntries)
        return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
    return true;
}

bool FciWriter::sourceSize(INT_PTR aHandle, uint32_t& aSize) {
    int32_t end = 0, start = 0;
    if (!fHost.seek(aHandle, 0, SEEK_END, end, FCIERR_READ_SRC)) {
        // A file beyond 2 GiB cannot be measured through a 32-bit seek: tell it from a failing read.
        const Failure seekFailure = fHost.failure();
        uint8_t byte = 0;
        uint32_t count = 0;
        fHost.failure() = {};
        if (fHost.seek(aHandle, format::kMaxFolderSize, SEEK_SET, start, FCIERR_READ_SRC) &&
            fHost.readSome(aHandle, &byte, 1, count, FCIERR_READ_SRC) && count == 1) {
            fHost.failure() = {};
            return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
        }
        fHost.failure() = seekFailure;
        return false;
    }
    if (static_cast<uint32_t>(end) > format::kMaxFolderSize)
        return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
    aSize = static_cast<uint32_t>(end);
    return fHost.seek(aHandle, 0, SEEK_SET, start, FCIERR_READ_SRC);
}

bool FciWriter::prepareFolder(TCOMP aType, uint32_t aSize) {
    if (fNeedsNewCabinet) {
        if (!fCabinet.requestNext(fCabinet.size()))
            return false;
        fCabinet.beginNext(false);
        fNeedsNewCabinet = false;
    }
    const uint64_t total = uint64_t{fFolder.size()} + aSize;
    if (fFolder.isOpen() &&
        (fFolder.type() != aType || total > format::kMaxFolderSize || total > fCabinet.folderThreshold()))
        if (!flushFolder())
            return false;
    if (fFolder.isOpen())
        return true;
    switch (fFolder.open(aType)) {
    case CompressorStatus::Ready:
        return true;
    case CompressorStatus::UnknownType:
        return fHost.failure().set(FCIERR_BAD_COMPR_TYPE);
    case CompressorStatus::OutOfMemory:
        break;
    }
    return fHost.failure().set(FCIERR_ALLOC_FAIL);
}

bool FciWriter::queueEntry(char* aName, uint32_t aSize, USHORT aDate, USHORT aTime, USHORT anAttributes) {
    FileEntry entry;
    entry.size = aSize;
    entry.start = fFolder.size();
    entry.date = aDate;
    entry.time = aTime;
    entry.attribs = anAttributes;
    entry.nameLength = static_cast<uint16_t>(strnlen(aName, CB_MAX_FILENAME));
    std::memcpy(entry.name, aName, entry.nameLength);
    return fFolder.add(entry) || fHost.failure().set(FCIERR_ALLOC_FAIL);
}

bool FciWriter::readSource(INT_PTR aHandle, uint32_t aSize) {
    while (aSize > 0) {
        uint32_t count = 0;
        if (!fHost.readSome(aHandle, fFolder.space(), std::min(aSize, fFolder.spaceLeft()), count,
                            FCIERR_READ_SRC))
            return false;
        if (count == 0) // the file became shorter since it was measured
            return fHost.failure().set(FCIERR_READ_SRC);
        fFolder.filled(count);
        aSize -= count;
        if (fFolder.isFull() && !emitBlock(false))
            return false;
    }
    return true;
}

bool FciWriter::flushFolder() {
    while (fFolder.isOpen())
        if (!emitBlock(true))
            return broken();
    return true;
}

bool FciWriter::flushCabinet(bool aGetNext) {
    if (!flushFolder())
        return false;
    if (fCabinet.isEmpty())
        return true;
    if (aGetNext && !fCabinet.requestNext(fCabinet.size()))
        return broken();
    if (!fCabinet.finish())
        return broken();
    fCabinet.beginNext(aGetNext);
    fNeedsNewCabinet = !aGetNext;
    return true;
}

bool FciWriter::emitBlock(bool aLast) {
    Block block;
    block.start = fFolder.blockStart();
    block.length = fFolder.fill();
    block.last = aLast;
    if (block.length > 0 && !fFolder.compress(block.length, block.payload))
        return fHost.failure().set(FCIERR_MCI_FAIL);
    if (fCabinet.failOnIncompressible() && fFolder.type() != tcompTYPE_NONE &&
        block.payload.size() >= block.length)
        return fHost.failure().set(FCIERR_MCI_FAIL);
    const uint32_t serial = fFolder.serial;
    if (!place(block))
        return false;
    if (fFolder.serial != serial)
        return true; // the rest of the data went on in a new folder
    if (block.length > 0 &&
        !fHost.reportStatus(statusFile, static_cast<uint32_t>(block.payload.size()), block.length))
        return false;
    fFolder.compressedSize += static_cast<uint32_t>(block.payload.size());
    if (aLast)
        return closeFolder();
    fFolder.advance();
    return true;
}

} // namespace kf::cab
