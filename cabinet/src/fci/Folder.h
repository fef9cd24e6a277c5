#pragma once

#include "Compressor.h"
#include "EntryQueue.h"
#include "Heap.h"

#include <cstdint>
#include <span>

namespace kf::cab {

// The folder being filled: the block that is being collected, the block before it (the history
// the compressor may refer back to), and the members whose CFFILE records are not written yet.
// The first `introduced` members are listed in the current cabinet and wait for their data to be
// complete there; the members after them wait for the block that holds their first byte.
class Folder {
public:
    struct Introduction {
        uint32_t count = 0;
        uint32_t bytes = 0;
    };

    explicit Folder(const Heap& aHeap);
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() { close(); }

    bool allocate();
    bool isOpen() const { return fCompressor != nullptr; }
    CompressorStatus open(TCOMP aType);
    void close();
    TCOMP type() const { return fType; }
    uint32_t size() const { return fBlockStart + fFill; }

    // The block buffer.
    uint8_t* space() const { return fBuffer.data() + fFill; }
    uint32_t spaceLeft() const { return fBuffer.size() - fFill; }
    void filled(uint32_t aCount) { fFill += aCount; }
    bool isFull() const { return fFill == fBuffer.size(); }
    uint32_t fill() const { return fFill; }
    uint32_t blockStart() const { return fBlockStart; }
    bool compress(uint32_t aLength, std::span<const uint8_t>& aResult);
    // The block just compressed again, cut to aLength bytes, to end the folder.
    bool compressLastAgain(uint32_t aLength, std::span<const uint8_t>& aResult);
    void advance();
    void restartAt(uint32_t aLength);

    // The members.
    bool add(const FileEntry& anEntry) { return fEntries.push(anEntry); }
    FileEntry& entry(uint32_t anIndex) { return fEntries[anIndex]; }
    void dropFront() { fEntries.popFront(); }
    uint32_t pendingCount() const { return fEntries.size() - introduced; }
    Introduction introduction(uint32_t anEnd, bool aLast);
    bool leavesOpen(uint32_t anEnd, const Introduction& anIntroduction);

    uint32_t introduced = 0;
    uint32_t completeEnd = 0; // data up to here is complete in the current cabinet
    uint32_t compressedSize = 0;
    bool inCabinet = false; // the current cabinet has a CFFOLDER for it
    bool continued = false; // split across cabinets: it ends with the member being added
    bool closing = false;   // the remaining members move to the next folder
    uint32_t serial = 0;    // changes whenever a new folder takes over

private:
    Heap fHeap;
    BlockCompressor* fCompressor = nullptr;
    TCOMP fType = tcompTYPE_NONE;
    HeapBuffer fBuffer;
    HeapBuffer fHistory;
    uint32_t fFill = 0;
    uint32_t fHistorySize = 0;
    uint32_t fBlockStart = 0;
    EntryQueue fEntries;
};

} // namespace kf::cab
