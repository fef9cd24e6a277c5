#pragma once

#include "DeflateBlockSplitter.h"
#include "DeflateCode.h"
#include "DeflateCostModel.h"
#include "DeflateFormat.h"
#include "DeflateMatchFinder.h"
#include "DeflateParser.h"
#include "DeflateTable.h"

#include <cstdint>
#include <span>

namespace kf::cab::deflate {

// Compresses one block of up to 32 KiB into a complete raw deflate stream that ends in a final
// block. Matches may reach back into the history, as a decoder that kept it can follow them. The
// output depends only on the history and the block, and on whether the history is what the
// previous call encoded: then the match finder carries on rather than starting over.
class Encoder {
public:
    static constexpr uint32_t kMaxBlockSize = 32768;
    // The most a block can take: stored, with its 5-byte header.
    static constexpr uint32_t kMaxOutputSize = kMaxBlockSize + 5;

    explicit Encoder(const Heap& aHeap);
    bool allocate();

    // Returns the bytes written to anOutput (room for kMaxOutputSize), 0 if the block is too large.
    uint32_t encode(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock, uint8_t* anOutput);

private:
    static constexpr unsigned kMaxBlocks = BlockSplitter::kMaxBlocks;

    // One deflate block of the output and the cheapest way to send it.
    struct Block {
        uint32_t itemEnd;
        uint32_t byteEnd;
        SymbolCounts counts;
        BlockCode code;
        BlockType type;
        uint64_t bits;
    };
    struct Plan {
        Block blocks[kMaxBlocks];
        unsigned count;
        uint64_t bits;
    };

    bool continues(std::span<const uint8_t> aHistory) const;
    void index(bool aContinued, uint32_t aShift);
    void planLiterals();
    void planParse();
    unsigned splitBest(uint32_t* aByteEnds);
    // Cuts the items into blocks at the first item to start at or after each byte end.
    void describe(const Item* anItems, uint32_t aCount, const uint32_t* aByteEnds, unsigned aBlocks,
                  Plan& aPlan);
    uint32_t write(uint8_t* anOutput);
    void writeBlocks(BitWriter& aWriter);
    BlockCode& shortestCode(Block& aBlock);
    void writeStored(BitWriter& aWriter, uint32_t aFirst, uint32_t anEnd, bool aFinal) const;

    Table<uint8_t> fWindow;
    Table<Item> fItems;
    Table<Item> fBestItems;
    MatchFinder fFinder;
    Parser fParser;
    BlockSplitter fSplitter;
    BlockCode fFixedCode;
    BlockCode fSmoothedCode;
    SymbolCounts fGreedyCounts;
    CostModel fCosts[kMaxBlocks];
    Plan fPlans[2];
    Plan* fBest = &fPlans[0];
    Plan* fCandidate = &fPlans[1];
    uint32_t fStart = 0;
    uint32_t fEnd = 0;
    // Whether the match finder holds every position of the window but its last few.
    bool fIndexed = false;
};

} // namespace kf::cab::deflate
