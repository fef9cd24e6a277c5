#pragma once

#include "DeflateTable.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace kf::cab::deflate {

struct Match {
    uint16_t length;
    uint16_t distance;
};

// Finds the matches at each window position among the previous 32 KiB, through binary trees of
// the strings that share a 4-byte hash, plus the latest string with the same 3 bytes.
// Positions must be visited in order, each once (find or skip). A tree is ordered by the strings'
// first nice-length bytes, so a position joins it only once the window holds that many bytes from
// it on; nearer the end it is searched without joining, and joins when a slide brings more bytes.
class MatchFinder {
public:
    static constexpr uint32_t kCapacity = 65536;

    explicit MatchFinder(const Heap& aHeap);
    bool allocate();

    // The depths bound the tree nodes visited per position, when matches are wanted and when the
    // position is only added; a match of aNiceLength ends the search.
    void reset(const uint8_t* aWindow, uint32_t anEnd, unsigned aNiceLength, unsigned aSearchDepth,
               unsigned aSkipDepth);
    // Moves the window aShift bytes down, keeping what is known of the positions still in it, and
    // sets its new end: the caller has moved the bytes alike.
    void slide(uint32_t aShift, uint32_t anEnd);

    // The matches at aPosition, each longer than the one before, with the nearest distance found
    // for its length; returns their count (at most kMaxMatch - 2).
    uint32_t find(uint32_t aPosition, Match* aMatches) {
        return joins(aPosition) ? advance<true>(aPosition, aMatches)
                                : findAfterCatchingUp(aPosition, aMatches);
    }
    void skip(uint32_t aPosition) {
        if (joins(aPosition))
            advance<false>(aPosition, nullptr);
        else
            skipAfterCatchingUp(aPosition);
    }

private:
    // The bytes a position needs from itself on to be hashed.
    static constexpr uint32_t kMinLookahead = 4;

    // Whether the position is the next to join and the window holds enough bytes of it; if so it
    // counts as joined.
    bool joins(uint32_t aPosition) {
        if (aPosition != fJoinedEnd || fEnd - aPosition < fJoinLookahead)
            return false;
        ++fJoinedEnd;
        return true;
    }
    bool catchUp(uint32_t aPosition);
    uint32_t findAfterCatchingUp(uint32_t aPosition, Match* aMatches);
    void skipAfterCatchingUp(uint32_t aPosition);
    template <bool kCollect> uint32_t advance(uint32_t aPosition, Match* aMatches);
    uint32_t search(uint32_t aPosition, Match* aMatches);

    Table<uint16_t> fHead3;
    Table<uint16_t> fHead4;
    Table<uint16_t> fChildren;
    const uint8_t* fWindow = nullptr;
    uint32_t fEnd = 0;
    // Positions below this one are in the trees (or never will be).
    uint32_t fJoinedEnd = 0;
    uint32_t fJoinLookahead = 0;
    unsigned fSearchDepth = 0;
    unsigned fSkipDepth = 0;
    unsigned fNiceLength = 0;
};

// How many bytes from aLength on agree, up to aLimit.
inline uint32_t ExtendMatch(const uint8_t* aFirst, const uint8_t* aSecond, uint32_t aLength,
                            uint32_t aLimit) {
    if constexpr (std::endian::native == std::endian::little) {
        while (aLength + 8 <= aLimit) {
            uint64_t first;
            uint64_t second;
            std::memcpy(&first, aFirst + aLength, 8);
            std::memcpy(&second, aSecond + aLength, 8);
            if (first != second)
                return aLength + (std::countr_zero(first ^ second) >> 3);
            aLength += 8;
        }
    }
    while (aLength < aLimit && aFirst[aLength] == aSecond[aLength])
        ++aLength;
    return aLength;
}

} // namespace kf::cab::deflate
