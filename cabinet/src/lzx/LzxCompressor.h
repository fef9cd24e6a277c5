#pragma once

#include "Compressor.h"
#include "LzxBitWriter.h"
#include "LzxBlockWriter.h"
#include "LzxMatchFinder.h"
#include "LzxParser.h"

namespace kf::cab {

// LZX with a window of 2^aLevel bytes. The window, the repeated offsets and the code lengths carry
// from frame to frame across the folder. Each frame gets its own blocks, so that the last frame can
// be redone on its own when a folder has to end early.
class LzxCompressor final : public BlockCompressor {
public:
    LzxCompressor(const Heap& aHeap, uint32_t aLevel);

    bool initialise();
    bool compress(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                  std::span<const uint8_t>& aResult) override;
    bool compressLastAgain(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                           std::span<const uint8_t>& aResult) override;
    void restart() override;

private:
    // The state as the current frame began, for doing it again.
    struct FrameStart {
        uint32_t position = 0;
        uint32_t reps[lzx::kRepeatedOffsets] = {1, 1, 1};
        bool first = true;
        lzx::CodeLengths lengths{};
    };

    void takeFrame(std::span<const uint8_t> aBlock);
    uint32_t parse();
    uint32_t writeSplit(uint32_t aCount, uint32_t aSize);
    void writeBlocks(uint32_t aCount, uint32_t aSize, uint32_t aParts);
    void writeHeader();
    uint32_t storedSize(uint32_t aSize) const;
    void writeStored(uint32_t aSize);

    uint32_t fLevel;
    lzx::MatchFinder fFinder;
    lzx::Parser fParser;
    lzx::BlockWriter fWriter;
    lzx::CostModel fCosts;
    lzx::BitWriter fBits;
    HeapBuffer fFrame;
    HeapBuffer fItemStore;
    HeapBuffer fTrial;
    HeapBuffer fOutput;
    lzx::Item* fItems = nullptr;
    FrameStart fStart;
    uint32_t fPosition = 0;
    uint32_t fReps[lzx::kRepeatedOffsets] = {1, 1, 1};
    bool fTranslate = false;
};

} // namespace kf::cab
