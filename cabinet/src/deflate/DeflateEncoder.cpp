#include "DeflateEncoder.h"

#include "DeflateBitWriter.h"
#include "DeflateCostModel.h"
#include "DeflateHuffman.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kf::cab::deflate {

namespace {

// Search effort: tree nodes visited per position, and the match length that ends a search (and
// is taken as it is: longer ones gain next to nothing).
constexpr unsigned kSearchDepth = 40;
constexpr unsigned kSkipDepth = 20;
constexpr unsigned kNiceLength = 128;

constexpr uint32_t kHashBits = 12;
constexpr uint32_t kMinRepeat = 8;
constexpr uint32_t kMinTestedSize = 1024;

uint32_t QuickHash(const uint8_t* aBytes) {
    const uint32_t word =
        aBytes[0] | (aBytes[1] << 8) | (aBytes[2] << 16) | (static_cast<uint32_t>(aBytes[3]) << 24);
    return (word * 0x9E3779B1u) >> (32 - kHashBits);
}

// Already-compressed data: a block whose bytes are spread almost evenly and that repeats
// almost nothing of itself or of the history is not worth a match search.
bool LooksIncompressible(const uint8_t* aWindow, uint32_t aStart, uint32_t anEnd) {
    const uint32_t size = anEnd - aStart;
    if (size < kMinTestedSize)
        return false;
    uint32_t histogram[256] = {};
    for (uint32_t i = aStart; i < anEnd; ++i)
        ++histogram[aWindow[i]];
    // Order-0 entropy above 7.9 bits per byte: the sum of f*log2(f) below size*(log2(size)-7.9).
    double spread = 0;
    for (uint32_t count : histogram)
        if (count > 1)
            spread += count * std::log2(static_cast<double>(count));
    if (spread > size * (std::log2(static_cast<double>(size)) - 7.9))
        return false;

    int32_t latest[1u << kHashBits];
    std::fill(std::begin(latest), std::end(latest), -1);
    for (uint32_t i = 0; i + 4 <= aStart; ++i)
        latest[QuickHash(aWindow + i)] = static_cast<int32_t>(i);
    uint32_t repeated = 0;
    for (uint32_t i = aStart; i + 4 <= anEnd;) {
        const uint32_t hash = QuickHash(aWindow + i);
        const int32_t candidate = latest[hash];
        latest[hash] = static_cast<int32_t>(i);
        if (candidate >= 0 && i - candidate <= kWindowSize) {
            const uint32_t length =
                ExtendMatch(aWindow + candidate, aWindow + i, 0, std::min(anEnd - i, kMaxMatch));
            if (length >= kMinRepeat) {
                repeated += length;
                i += length;
                continue;
            }
        }
        ++i;
    }
    return repeated * 32 < size;
}

} // namespace

Encoder::Encoder(const Heap& aHeap)
    : fWindow(aHeap), fItems(aHeap), fBestItems(aHeap), fFinder(aHeap), fParser(aHeap) {
    fFixedCode.makeFixed();
}

bool Encoder::allocate() {
    return fWindow.allocate(kWindowSize + kMaxBlockSize) && fItems.allocate(kMaxBlockSize) &&
           fBestItems.allocate(kMaxBlockSize) && fFinder.allocate() && fParser.allocate();
}

uint32_t Encoder::encode(std::span<const uint8_t> aHistory, std::span<const uint8_t> aBlock,
                         uint8_t* anOutput) {
    if (aBlock.size() > kMaxBlockSize)
        return 0;
    const std::span<const uint8_t> history = aHistory.last(std::min<size_t>(aHistory.size(), kWindowSize));
    const bool continued = continues(history);
    const uint32_t shift = continued ? fEnd - static_cast<uint32_t>(history.size()) : 0;
    std::copy(history.begin(), history.end(), fWindow.data());
    std::copy(aBlock.begin(), aBlock.end(), fWindow.data() + history.size());
    fStart = static_cast<uint32_t>(history.size());
    fEnd = fStart + static_cast<uint32_t>(aBlock.size());
    fIndexed = false;
    if (LooksIncompressible(fWindow.data(), fStart, fEnd)) {
        planLiterals();
    } else {
        index(continued, shift);
        planParse();
    }
    return write(anOutput);
}

// A history that ends the window searched last needs only the moving of what was learnt of it.
bool Encoder::continues(std::span<const uint8_t> aHistory) const {
    return fIndexed && !aHistory.empty() && aHistory.size() <= fEnd &&
           std::equal(aHistory.begin(), aHistory.end(), fWindow.data() + fEnd - aHistory.size());
}

// Gets the match finder ready for the block: every history position in it.
void Encoder::index(bool aContinued, uint32_t aShift) {
    if (aContinued) {
        fFinder.slide(aShift, fEnd);
    } else {
        fFinder.reset(fWindow.data(), fEnd, kNiceLength, kSearchDepth, kSkipDepth);
        for (uint32_t i = 0; i < fStart; ++i)
            fFinder.skip(i);
    }
    fIndexed = true;
}

void Encoder::planLiterals() {
    const uint32_t size = fEnd - fStart;
    for (uint32_t i = 0; i < size; ++i)
        fBestItems[i] = {0, fWindow[fStart + i]};
    describe(fBestItems.data(), size, &size, 1, *fBest);
}

// The first parse takes the longest match everywhere, only to learn costs from; the second is the
// cheapest path under them, each match tried at its own length; the last is the cheapest path under
// the costs of the second, block by block once that parse has been cut, trying every match length.
// It is kept when it comes out smaller, with the cuts it was priced with.
void Encoder::planParse() {
    fParser.gatherMatches(fFinder, fWindow.data(), fStart, fEnd, kNiceLength);

    const uint32_t size = fEnd - fStart;
    uint32_t byteEnds[kMaxBlocks] = {size};
    fGreedyCounts.clear();
    fGreedyCounts.add(fItems.data(), fParser.parseGreedy(fItems.data()));
    fCosts[0].setFromCounts(fGreedyCounts);
    uint32_t count = fParser.parseCheapest(fCosts, byteEnds, false, fBestItems.data());
    describe(fBestItems.data(), count, byteEnds, 1, *fBest);

    const unsigned blocks = splitBest(byteEnds);
    for (unsigned block = 0; block < blocks; ++block)
        fCosts[block].setFromCounts(fBest->blocks[block].counts);
    count = fParser.parseCheapest(fCosts, byteEnds, true, fItems.data());
    describe(fItems.data(), count, byteEnds, blocks, *fCandidate);
    if (fCandidate->bits < fBest->bits) {
        std::swap(fBest, fCandidate);
        fItems.swap(fBestItems);
    }
}

// Cuts the best parse into blocks where that pays, and describes it again so.
unsigned Encoder::splitBest(uint32_t* aByteEnds) {
    const uint32_t count = fBest->blocks[fBest->count - 1].itemEnd;
    uint32_t itemEnds[kMaxBlocks];
    const unsigned blocks = fSplitter.split(fBestItems.data(), count, itemEnds);
    uint32_t position = 0;
    for (unsigned block = 0, i = 0; block < blocks; ++block) {
        for (; i < itemEnds[block]; ++i)
            position += std::max<uint32_t>(fBestItems[i].length, 1);
        aByteEnds[block] = position;
    }
    describe(fBestItems.data(), count, aByteEnds, blocks, *fBest);
    return blocks;
}

void Encoder::describe(const Item* anItems, uint32_t aCount, const uint32_t* aByteEnds, unsigned aBlocks,
                       Plan& aPlan) {
    aPlan.count = aBlocks;
    aPlan.bits = 0;
    uint32_t position = 0;
    uint32_t i = 0;
    for (unsigned index = 0; index < aBlocks; ++index) {
        Block& block = aPlan.blocks[index];
        const uint32_t first = i;
        const uint32_t start = position;
        for (; i < aCount && position < aByteEnds[index]; ++i)
            position += std::max<uint32_t>(anItems[i].length, 1);
        block.itemEnd = i;
        block.byteEnd = position;
        block.counts.clear();
        block.counts.add(anItems + first, i - first);
        block.code.makeDynamic(block.counts);
        const uint64_t dynamicBits = 3 + block.code.headerBits() + block.code.symbolBits(block.counts);
        const uint64_t fixedBits = 3 + fFixedCode.symbolBits(block.counts);
        // The padding before a stored block's length is not known yet: count a whole byte.
        const uint64_t storedBits = 3 + 7 + 32 + 8 * static_cast<uint64_t>(position - start);
        block.type = kDynamicBlock;
        block.bits = dynamicBits;
        if (fixedBits <= block.bits) {
            block.type = kFixedBlock;
            block.bits = fixedBits;
        }
        if (storedBits < block.bits) {
            block.type = kStoredBlock;
            block.bits = storedBits;
        }
        aPlan.bits += block.bits;
    }
}

uint32_t Encoder::write(uint8_t* anOutput) {
    const uint32_t size = fEnd - fStart;
    BitWriter writer(anOutput, kMaxOutputSize);
    if (fBest->bits > 8 * (5 + static_cast<uint64_t>(size))) {
        writeStored(writer, 0, size, true);
    } else {
        writeBlocks(writer);
    }
    const uint32_t written = writer.finish();
    return writer.overflowed() ? 0 : written;
}

void Encoder::writeBlocks(BitWriter& aWriter) {
    uint32_t firstItem = 0;
    uint32_t firstByte = 0;
    for (unsigned index = 0; index < fBest->count; ++index) {
        Block& block = fBest->blocks[index];
        const bool final = index + 1 == fBest->count;
        const Item* items = fBestItems.data() + firstItem;
        const uint32_t count = block.itemEnd - firstItem;
        if (block.type == kStoredBlock) {
            writeStored(aWriter, firstByte, block.byteEnd, final);
        } else if (block.type == kFixedBlock) {
            aWriter.put(final | (kFixedBlock << 1), 3);
            fFixedCode.writeItems(aWriter, items, count);
        } else {
            aWriter.put(final | (kDynamicBlock << 1), 3);
            BlockCode& code = shortestCode(block);
            code.assignCodes();
            code.writeHeader(aWriter);
            code.writeItems(aWriter, items, count);
        }
        firstItem = block.itemEnd;
        firstByte = block.byteEnd;
    }
}

// The block's code, or one built from counts evened out for a shorter header when that is cheaper
// in all.
BlockCode& Encoder::shortestCode(Block& aBlock) {
    aBlock.code.shortenHeader();
    SymbolCounts smoothed = aBlock.counts;
    SmoothForRunLengths(smoothed.literalLength, kUsedLiteralLengthSymbols);
    SmoothForRunLengths(smoothed.distance, kDistanceSymbols);
    fSmoothedCode.makeDynamic(smoothed);
    fSmoothedCode.shortenHeader();
    const uint64_t plain = aBlock.code.headerBits() + aBlock.code.symbolBits(aBlock.counts);
    const uint64_t even = fSmoothedCode.headerBits() + fSmoothedCode.symbolBits(aBlock.counts);
    return even < plain ? fSmoothedCode : aBlock.code;
}

void Encoder::writeStored(BitWriter& aWriter, uint32_t aFirst, uint32_t anEnd, bool aFinal) const {
    const uint32_t length = anEnd - aFirst;
    aWriter.put(aFinal | (kStoredBlock << 1), 3);
    aWriter.alignToByte();
    aWriter.put(length | (~length << 16), 32);
    aWriter.putBytes(fWindow.data() + fStart + aFirst, length);
}

} // namespace kf::cab::deflate
