// Where the blocks of a folder go. A block goes whole into the current cabinet when it fits;
// otherwise its first bytes end the cabinet (a fragment with an uncompressed size of 0) and the rest
// opens the next one, and the members it touches are listed in both cabinets. Readers join such
// a folder only through those members, so a continued folder ends with the member being added.
#include "FciWriter.h"

#include "Format.h"

#include <algorithm>

namespace kf::cab {

bool FciWriter::place(Block& aBlock) {
    for (;;) {
        const Folder::Introduction introduction = fFolder.introduction(aBlock.end(), aBlock.last);
        const int64_t room = fCabinet.room();
        const int64_t fixed = (fFolder.inCabinet ? 0 : fCabinet.folderRecordSize()) + introduction.bytes +
                              (aBlock.payload.empty() ? 0 : fCabinet.dataHeaderSize());
        // A member left open needs room for at least a one-byte fragment of the next block.
        const int64_t margin =
            fFolder.leavesOpen(aBlock.end(), introduction) ? fCabinet.dataHeaderSize() + 1 : 0;
        if (room >= fixed + aBlock.rest() + margin)
            return commit(aBlock, introduction);
        if (room >= fixed + 1 && aBlock.rest() >= 2) {
            if (!splitOff(aBlock, introduction))
                return false;
            continue;
        }
        if (aBlock.placed > 0 || aBlock.cut || !fCabinet.hasData())
            return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT); // the cabinet size limit is too small
        if (!fFolder.inCabinet) {
            if (!breakCabinet())
                return false;
            continue;
        }
        return cutFolder(aBlock);
    }
}

bool FciWriter::enterCabinet(const Folder::Introduction& anIntroduction) {
    if (!fFolder.inCabinet && !fCabinet.addFolder(fFolder.type()))
        return false;
    fFolder.inCabinet = true;
    for (uint32_t i = 0; i < anIntroduction.count; ++i)
        fCabinet.reserveEntry(fFolder.entry(fFolder.introduced + i));
    fFolder.introduced += anIntroduction.count;
    return true;
}

bool FciWriter::commit(Block& aBlock, const Folder::Introduction& anIntroduction) {
    if (!enterCabinet(anIntroduction))
        return false;
    if (!aBlock.payload.empty() &&
        !fCabinet.addData(aBlock.payload.data() + aBlock.placed, aBlock.rest(), aBlock.length))
        return false;
    aBlock.placed = static_cast<uint32_t>(aBlock.payload.size());
    fFolder.completeEnd = aBlock.end();
    return completeEntries();
}

// Writes the records of the listed members whose data is complete in this cabinet.
bool FciWriter::completeEntries() {
    while (fFolder.introduced > 0 && fFolder.entry(0).end() <= fFolder.completeEnd) {
        FileEntry& entry = fFolder.entry(0);
        const uint16_t index = entry.continued ? format::kContinuedFromPrev : fCabinet.lastFolderIndex();
        if (!fCabinet.writeEntry(entry, index))
            return false;
        fFolder.dropFront();
        --fFolder.introduced;
    }
    return true;
}

bool FciWriter::splitOff(Block& aBlock, const Folder::Introduction& anIntroduction) {
    if (!enterCabinet(anIntroduction))
        return false;
    const int64_t estimate =
        fCabinet.size() + fCabinet.dataHeaderSize() +
        std::min<int64_t>(fCabinet.room() - fCabinet.dataHeaderSize(), aBlock.rest() - 1);
    if (!fCabinet.requestNext(static_cast<uint32_t>(estimate)))
        return false;
    // With the next names known, the fragment takes all the room left but never the whole block.
    const int64_t room = fCabinet.room() - fCabinet.dataHeaderSize();
    const auto count = static_cast<uint32_t>(std::min<int64_t>(room, aBlock.rest() - 1));
    if (!fCabinet.addData(aBlock.payload.data() + aBlock.placed, count, 0))
        return false;
    aBlock.placed += count;
    if (!completeEntries())
        return false;
    for (uint32_t i = 0; i < fFolder.introduced; ++i) {
        FileEntry& entry = fFolder.entry(i);
        const uint16_t index = entry.continued ? format::kContinuedPrevAndNext : format::kContinuedToNext;
        if (!fCabinet.writeEntry(entry, index))
            return false;
    }
    if (!fCabinet.finish())
        return false;
    fCabinet.beginNext(true);
    for (uint32_t i = 0; i < fFolder.introduced; ++i) {
        fFolder.entry(i).continued = true;
        fCabinet.reserveEntry(fFolder.entry(i));
    }
    fFolder.inCabinet = false;
    fFolder.continued = true;
    return true;
}

// Ends the cabinet before a folder that has nothing in it yet.
bool FciWriter::breakCabinet() {
    if (!fCabinet.requestNext(fCabinet.size()) || !fCabinet.finish())
        return false;
    fCabinet.beginNext(true);
    return true;
}

// Not even a fragment of the block fits, and the folder already has data in this cabinet. The
// folder ends at a member boundary inside the block: the listed member still open is finished in a
// shorter last block, and everything after it starts a new folder.
bool FciWriter::cutFolder(const Block& aBlock) {
    uint32_t boundary = aBlock.start;
    if (fFolder.introduced > 0) {
        boundary = fFolder.entry(fFolder.introduced - 1).end();
        if (boundary > aBlock.end()) // the room kept for a fragment makes this impossible
            return fHost.failure().set(FCIERR_CAB_FORMAT_LIMIT);
    }
    const uint32_t length = boundary - aBlock.start;
    fFolder.closing = true;
    if (length > 0) {
        Block last;
        last.start = aBlock.start;
        last.length = length;
        last.last = true;
        last.cut = true;
        if (!fFolder.compressLastAgain(length, last.payload))
            return fHost.failure().set(FCIERR_MCI_FAIL);
        if (!place(last) ||
            !fHost.reportStatus(statusFile, static_cast<uint32_t>(last.payload.size()), length))
            return false;
        fFolder.compressedSize += static_cast<uint32_t>(last.payload.size());
    }
    if (!fHost.reportStatus(statusFolder, fFolder.compressedSize, fFolder.compressedSize))
        return false;
    fFolder.restartAt(length);
    return !fFolder.isFull() || emitBlock(aBlock.last);
}

bool FciWriter::closeFolder() {
    const uint32_t size = fFolder.compressedSize;
    fFolder.close();
    return fHost.reportStatus(statusFolder, size, size);
}

} // namespace kf::cab
