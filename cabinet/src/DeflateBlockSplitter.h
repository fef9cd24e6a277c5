#pragma once

#include "DeflateCode.h"
#include "DeflateFormat.h"
#include "DeflateTable.h"

#include <cstdint>

namespace kf::cab::deflate {

// Finds where a parse is better sent as several blocks, each with codes of its own: a range is cut
// in two where the symbol statistics of the halves differ enough to pay for another header.
class BlockSplitter {
public:
    static constexpr unsigned kMaxDepth = 4;
    static constexpr unsigned kMaxBlocks = 1u << kMaxDepth;

    explicit BlockSplitter(const Heap& aHeap);
    bool allocate();

    // Fills anEnds with the item index where each block ends (the last is aCount); returns the count.
    unsigned split(const Item* anItems, uint32_t aCount, uint32_t* anEnds);

private:
    static constexpr unsigned kSymbols = kLiteralLengthSymbols + kDistanceSymbols;
    static constexpr unsigned kParts = 64;

    void splitRange(uint32_t aFirst, uint32_t aLast, unsigned aDepth);
    double estimatedBits(const uint32_t* aHistogram) const;
    uint64_t exactBits(const uint32_t* aHistogram);

    Table<float> fEntropy;
    BlockCode fCode;
    BlockCode fFixedCode;
    uint32_t fParts[kParts][kSymbols];
    uint32_t fWhole[kSymbols];
    uint32_t fLeft[kSymbols];
    uint32_t fRight[kSymbols];
    const Item* fItems = nullptr;
    uint32_t* fEnds = nullptr;
    unsigned fCount = 0;
};

} // namespace kf::cab::deflate
