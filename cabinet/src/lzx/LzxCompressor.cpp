#include "LzxCompressor.h"

#include "E8Translation.h"

#include <cstring>

namespace kf::cab {

namespace {

using namespace lzx;

// Search effort: twice the depth, or a nice length of 48, finds about 1.5% more for twice the time.
constexpr uint32_t kSearchDepth = 12;
constexpr uint32_t kNiceLength = 32;
// The most any parse can cost: 49 bits (the longest main, length and offset codes) for each two
// bytes, four blocks' trees and the headers.
constexpr uint32_t kOutputSize = kFrameSize * 4;
constexpr uint32_t kSplits[] = {1, 2, 4};
constexpr uint32_t kMinSplitSize = 8192;

} // namespace

LzxCompressor::LzxCompressor(const Heap& aHeap, uint32_t aLevel)
    : fLevel(aLevel), fFinder(aHeap), fParser(aHeap), fFrame(aHeap), fItemStore(aHeap), fTrial(aHeap),
      fOutput(aHeap) {}

bool LzxCompressor::initialise() {
    if (!fFinder.allocate(fLevel, kSearchDepth, kNiceLength) || !fParser.allocate() ||
        !fFrame.allocate(kFrameSize) || !fItemStore.allocate(kFrameSize * sizeof(Item)) ||
        !fTrial.allocate(kOutputSize) || !fOutput.allocate(kOutputSize))
        return false;
    fItems = reinterpret_cast<Item*>(fItemStore.data());
    restart();
    return true;
}

void LzxCompressor::restart() {
    fFinder.reset();
    fWriter.reset(MainSymbolCount(fLevel));
    fStart = {};
    fPosition = 0;
    fReps[0] = fReps[1] = fReps[2] = 1;
    fTranslate = false;
}

void LzxCompressor::takeFrame(std::span<const uint8_t> aBlock) {
    const auto size = static_cast<uint32_t>(aBlock.size());
    std::memcpy(fFrame.data(), aBlock.data(), size);
    if (fTranslate)
        e8::Translate(fFrame.data(), size, fStart.position);
}

void LzxCompressor::writeHeader() {
    if (!fStart.first)
        return;
    fBits.put(fTranslate ? 1 : 0, 1);
    if (fTranslate) {
        fBits.put(e8::kTranslationSize >> 16, 16);
        fBits.put(e8::kTranslationSize & 0xFFFF, 16);
    }
}

// The size of the frame as a stored block: the header and block header up to the next word
// (a whole word when they end on one), the repeated offsets, the data and a pad to an even size.
uint32_t LzxCompressor::storedSize(uint32_t aSize) const {
    const uint32_t headerBits = (fStart.first ? 1 + (fTranslate ? 32 : 0) : 0) + 3 + kBlockSizeBits;
    return (headerBits / 16 + 1) * 2 + 4 * kRepeatedOffsets + aSize + aSize % 2;
}

void LzxCompressor::writeStored(uint32_t aSize) {
    fBits.start(fOutput.data());
    writeHeader();
    BlockWriter::writeStored(fBits, fFrame.data(), aSize, fStart.reps);
}

// Two passes: the first prices symbols with the previous block's codes, the second with the codes
// the first pass leads to.
uint32_t LzxCompressor::parse() {
    CostModel& costs = fCosts;
    if (fStart.first)
        costs.estimate(SlotCount(fLevel));
    else
        costs.assign(fWriter.lengths().main, SlotCount(fLevel), fWriter.lengths().length);
    std::memcpy(fReps, fStart.reps, sizeof fReps);
    uint32_t count = fParser.choose(costs, fReps, fItems);
    CodeLengths lengths;
    fWriter.estimate(fItems, count, lengths);
    costs.assign(lengths.main, SlotCount(fLevel), lengths.length);
    std::memcpy(fReps, fStart.reps, sizeof fReps);
    count = fParser.choose(costs, fReps, fItems);
    return count;
}

bool LzxCompressor::compress(std::span<const uint8_t>, std::span<const uint8_t> aBlock,
                             std::span<const uint8_t>& aResult) {
    const auto size = static_cast<uint32_t>(aBlock.size());
    fStart.position = fPosition;
    fStart.first = fPosition == 0;
    std::memcpy(fStart.reps, fReps, sizeof fReps);
    fStart.lengths = fWriter.lengths();
    if (fStart.first)
        fTranslate = e8::Worthwhile(aBlock.data(), size);
    takeFrame(aBlock);
    fFinder.append(fFrame.data(), size);
    fParser.collect(fFinder, fPosition, size);
    uint32_t written = writeSplit(parse(), size);
    if (written >= storedSize(size)) {
        fWriter.restore(fStart.lengths);
        std::memcpy(fReps, fStart.reps, sizeof fReps);
        writeStored(size);
        written = fBits.size();
    }
    fPosition += size;
    aResult = std::span<const uint8_t>(fOutput.data(), written);
    return true;
}

// Where the statistics change within a frame, blocks with codes of their own pay for their trees:
// the frame goes as one, two or four blocks, whichever comes out shortest.
uint32_t LzxCompressor::writeSplit(uint32_t aCount, uint32_t aSize) {
    uint32_t best = 0;
    CodeLengths bestLengths;
    for (const uint32_t parts : kSplits) {
        if (parts > 1 && aSize < kMinSplitSize)
            break;
        fWriter.restore(fStart.lengths);
        fBits.start(fTrial.data());
        writeHeader();
        writeBlocks(aCount, aSize, parts);
        fBits.align();
        if (best == 0 || fBits.size() < best) {
            best = fBits.size();
            fTrial.swap(fOutput);
            bestLengths = fWriter.lengths();
        }
    }
    fWriter.restore(bestLengths);
    return best;
}

// The frame's items as aParts blocks of about equal size.
void LzxCompressor::writeBlocks(uint32_t aCount, uint32_t aSize, uint32_t aParts) {
    uint32_t item = 0, covered = 0;
    for (uint32_t part = 1; part <= aParts; ++part) {
        const auto end = static_cast<uint32_t>(uint64_t{aSize} * part / aParts);
        const uint32_t first = item, start = covered;
        while (item < aCount && covered < end) {
            covered += fItems[item].length == 0 ? 1 : fItems[item].length;
            ++item;
        }
        if (covered > start)
            fWriter.write(fBits, fItems + first, item - first, covered - start);
    }
}

// The folder ends inside the frame just done: its first bytes go again, stored.
bool LzxCompressor::compressLastAgain(std::span<const uint8_t>, std::span<const uint8_t> aBlock,
                                      std::span<const uint8_t>& aResult) {
    takeFrame(aBlock);
    writeStored(static_cast<uint32_t>(aBlock.size()));
    fBits.align();
    aResult = std::span<const uint8_t>(fOutput.data(), fBits.size());
    return true;
}

} // namespace kf::cab
