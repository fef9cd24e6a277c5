#pragma once

#include "Heap.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kf::cab::lzx {

struct Match {
    uint32_t length;
    uint32_t distance;
};

// How far two byte strings known to agree on aLength bytes go on agreeing, up to aLimit; compared
// eight bytes at a time, so up to seven bytes past aLimit must be readable.
inline uint32_t MatchLength(const uint8_t* aCurrent, const uint8_t* aEarlier, uint32_t aLength,
                            uint32_t aLimit) {
    while (aLength < aLimit) {
        uint64_t current, earlier;
        std::memcpy(&current, aCurrent + aLength, sizeof current);
        std::memcpy(&earlier, aEarlier + aLength, sizeof earlier);
        if (const uint64_t difference = current ^ earlier; difference != 0) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(difference)
                                                                       : std::countl_zero(difference);
            return std::min(aLimit, aLength + static_cast<uint32_t>(bit) / 8);
        }
        aLength += 8;
    }
    return aLimit;
}

// Finds earlier occurrences of the data at a position, within a window of up to 2 MiB: binary
// trees keyed by a 4-byte hash, with direct tables for 2- and 3-byte matches. The data of a folder
// comes in frame by frame; positions count from the folder's start.
class MatchFinder {
public:
    static constexpr uint32_t kMaxResults = 256; // lengths only grow: 2..257

    explicit MatchFinder(const Heap& aHeap);

    // aDepth bounds the nodes visited per search; searches stop at aNiceLength.
    bool allocate(uint32_t aWindowBits, uint32_t aDepth, uint32_t aNiceLength);
    void reset();

    void append(const uint8_t* aData, uint32_t aSize);
    const uint8_t* data(uint32_t aPosition) const { return fBuffer.data() + (aPosition - fBufferStart); }
    uint32_t end() const { return fEnd; }
    uint32_t niceLength() const { return fNice; }

    // Matches of increasing length, each at the smallest distance found for it; aAvailable is how
    // many bytes from the position a match may cover. Inserts the position.
    uint32_t find(uint32_t aPosition, uint32_t aAvailable, Match* aMatches);
    // Inserts the position without collecting matches.
    void skip(uint32_t aPosition, uint32_t aAvailable);

private:
    uint32_t search(uint32_t aPosition, uint32_t aLimit, uint32_t aBest, Match* aMatches);
    uint32_t lookUp(uint32_t aPosition, uint32_t aLimit, uint32_t aBest, Match* aMatches) const;
    uint32_t* table(HeapBuffer& aBuffer) const { return reinterpret_cast<uint32_t*>(aBuffer.data()); }

    HeapBuffer fBuffer;
    HeapBuffer fHead2;
    HeapBuffer fHead3;
    HeapBuffer fHead4;
    HeapBuffer fTree;
    uint32_t fWindowMask = 0;
    uint32_t fMaxDistance = 0;
    uint32_t fBias = 0; // stored positions are biased so that 0 means "none"
    uint32_t fHashBits = 0;
    uint32_t fDepth = 0;
    uint32_t fNice = 0;
    uint32_t fBufferStart = 0;
    uint32_t fEnd = 0;
};

} // namespace kf::cab::lzx
