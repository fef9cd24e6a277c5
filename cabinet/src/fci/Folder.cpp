#include "Folder.h"

#include "Format.h"

#include <cstring>

namespace kf::cab {

Folder::Folder(const Heap& aHeap) : fHeap(aHeap), fBuffer(aHeap), fHistory(aHeap), fEntries(aHeap) {}

bool Folder::allocate() {
    return fBuffer.allocate(format::kBlockSize) && fHistory.allocate(format::kBlockSize);
}

CompressorStatus Folder::open(TCOMP aType) {
    CompressorStatus status = CompressorStatus::Ready;
    fCompressor = CreateCompressor(aType, fHeap, status);
    fType = aType;
    ++serial;
    return status;
}

void Folder::close() {
    fHeap.destroy(fCompressor);
    fCompressor = nullptr;
    while (fEntries.size() > 0)
        fEntries.popFront();
    fFill = fHistorySize = fBlockStart = 0;
    introduced = completeEnd = compressedSize = 0;
    inCabinet = continued = closing = false;
}

bool Folder::compress(uint32_t aLength, std::span<const uint8_t>& aResult) {
    return fCompressor->compress(std::span<const uint8_t>(fHistory.data(), fHistorySize),
                                 std::span<const uint8_t>(fBuffer.data(), aLength), aResult);
}

bool Folder::compressLastAgain(uint32_t aLength, std::span<const uint8_t>& aResult) {
    return fCompressor->compressLastAgain(std::span<const uint8_t>(fHistory.data(), fHistorySize),
                                          std::span<const uint8_t>(fBuffer.data(), aLength), aResult);
}

void Folder::advance() {
    fBuffer.swap(fHistory);
    fHistorySize = fFill;
    fBlockStart += fFill;
    fFill = 0;
}

void Folder::restartAt(uint32_t aLength) {
    const uint32_t origin = fBlockStart + aLength;
    std::memmove(fBuffer.data(), fBuffer.data() + aLength, fFill - aLength);
    fFill -= aLength;
    for (uint32_t i = 0; i < fEntries.size(); ++i)
        fEntries[i].start -= origin;
    fBlockStart = fHistorySize = 0;
    fCompressor->restart();
    introduced = completeEnd = compressedSize = 0;
    inCabinet = continued = closing = false;
    ++serial;
}

Folder::Introduction Folder::introduction(uint32_t anEnd, bool aLast) {
    Introduction result;
    if (closing)
        return result;
    for (uint32_t i = introduced; i < fEntries.size(); ++i) {
        const FileEntry& candidate = fEntries[i];
        if (!aLast && candidate.start >= anEnd)
            break;
        ++result.count;
        result.bytes += candidate.recordSize();
    }
    return result;
}

bool Folder::leavesOpen(uint32_t anEnd, const Introduction& anIntroduction) {
    const uint32_t listed = introduced + anIntroduction.count;
    return listed > 0 && fEntries[listed - 1].end() > anEnd;
}

} // namespace kf::cab
