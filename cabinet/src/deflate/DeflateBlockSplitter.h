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

    BlockSplitter();

    // Fills anEnds with the item index where each block ends (the last is aCount); returns the count.
    unsigned split(const Item* anItems, uint32_t aCount, uint32_t* anEnds);

private:
    static constexpr unsigned kSymbols = kLiteralLengthSymbols + kDistanceSymbols;
    static constexpr unsigned kParts = 64;

    // Symbol counts of a range and the estimate of its bits, kept up to date as items come and go.
    struct Estimate {
        uint32_t counts[kSymbols];
        uint32_t totals[2];
        double symbolBits;

        void clear();
        // The estimate of a range with these symbol counts.
        void set(const SymbolCounts& aCounts);
        void add(const Item& anItem);
        void remove(const Item& anItem);
        double bits() const;
    };

    void splitRange(uint32_t aFirst, uint32_t aLast, unsigned aDepth);
    // aWhole holds the symbol counts of the range.
    unsigned bestCut(uint32_t aFirst, uint32_t aLast, const SymbolCounts& aWhole);
    uint64_t exactBits(const SymbolCounts& aCounts);

    BlockCode fCode;
    BlockCode fFixedCode;
    Estimate fLeft;
    Estimate fRight;
    const Item* fItems = nullptr;
    uint32_t* fEnds = nullptr;
    unsigned fCount = 0;
};

} // namespace kf::cab::deflate
