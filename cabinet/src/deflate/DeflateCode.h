#pragma once

#include "DeflateBitWriter.h"
#include "DeflateFormat.h"

#include <cstdint>

namespace kf::cab::deflate {

// How often each symbol occurs in one block, the end-of-block symbol included.
struct SymbolCounts {
    uint32_t literalLength[kLiteralLengthSymbols];
    uint32_t distance[kDistanceSymbols];

    // Back to an empty block: the end-of-block symbol only.
    void clear();
    void add(const Item* anItems, uint32_t aCount);
};

// The Huffman codes of one block, fixed or built for its counts, with the header that announces
// them in a dynamic block.
class BlockCode {
public:
    void makeFixed();
    // The code lengths and header, enough to price the block; the header uses every repeat code,
    // shortenHeader() then tries each choice of them. assignCodes() readies the code for writing.
    void makeDynamic(const SymbolCounts& aCounts);
    void shortenHeader();
    void assignCodes();

    // Bits of the symbols with their extra bits, the header not included.
    uint64_t symbolBits(const SymbolCounts& aCounts) const;
    // The dynamic header after the 3 block-type bits.
    uint32_t headerBits() const { return fHeaderBits; }
    void writeHeader(BitWriter& aWriter) const;
    void writeItems(BitWriter& aWriter, const Item* anItems, uint32_t aCount) const;

private:
    // One code-length code symbol (16, 17 and 18 repeat) with its extra bits.
    struct LengthRun {
        uint8_t symbol;
        uint8_t extra;
    };
    void encodeLengths(const uint8_t* aLengths, unsigned aCount, unsigned aRepeats);
    uint32_t buildHeader(unsigned aRepeats);

    uint8_t fLiteralLengthLengths[kLiteralLengthSymbols];
    uint8_t fDistanceLengths[kDistanceSymbols];
    uint16_t fLiteralLengthCodes[kLiteralLengthSymbols];
    uint16_t fDistanceCodes[kDistanceSymbols];
    unsigned fLiteralLengthCount = 0;
    unsigned fDistanceCount = 0;
    LengthRun fRuns[kLiteralLengthSymbols + kDistanceSymbols];
    unsigned fRunCount = 0;
    uint8_t fCodeLengthLengths[kCodeLengthSymbols];
    uint16_t fCodeLengthCodes[kCodeLengthSymbols];
    unsigned fCodeLengthCount = 0;
    uint32_t fHeaderBits = 0;
};

} // namespace kf::cab::deflate
