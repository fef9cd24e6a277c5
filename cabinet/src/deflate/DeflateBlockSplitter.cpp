#include "DeflateBlockSplitter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kf::cab::deflate {

namespace {

constexpr uint32_t kMaxCount = 32768;
// Halves shorter than this never pay for their header.
constexpr uint32_t kMinItems = 256;
// A guess at the header of a dynamic block: fixed fields, then a few bits per used symbol.
constexpr double kHeaderBits = 70;
constexpr double kHeaderBitsPerSymbol = 3;

// n * log2(n) for every count a block can have, and what one more use of a symbol adds to an
// estimate (its header share included), so that estimates need no logarithms; made once.
struct EntropyTables {
    float entropy[kMaxCount + 1];
    float step[kMaxCount];
};

const EntropyTables& Tables() {
    static const EntropyTables tables = [] {
        EntropyTables values{};
        for (uint32_t n = 1; n <= kMaxCount; ++n)
            values.entropy[n] = static_cast<float>(n * std::log2(static_cast<double>(n)));
        for (uint32_t n = 0; n < kMaxCount; ++n)
            values.step[n] = static_cast<float>((n == 0 ? kHeaderBitsPerSymbol : 0) -
                                                (values.entropy[n + 1] - values.entropy[n]));
        return values;
    }();
    return tables;
}

unsigned LengthSymbol(const Item& anItem) {
    return kFirstLengthSymbol + kLengthSlot[anItem.length];
}

unsigned DistanceSymbol(const Item& anItem) {
    return kLiteralLengthSymbols + DistanceSlot(anItem.value);
}

// The counts of the whole less those of its first part: the counts of the rest.
SymbolCounts Rest(const SymbolCounts& aWhole, const SymbolCounts& aFirstPart) {
    SymbolCounts rest;
    for (unsigned symbol = 0; symbol < kLiteralLengthSymbols; ++symbol)
        rest.literalLength[symbol] = aWhole.literalLength[symbol] - aFirstPart.literalLength[symbol];
    for (unsigned slot = 0; slot < kDistanceSymbols; ++slot)
        rest.distance[slot] = aWhole.distance[slot] - aFirstPart.distance[slot];
    rest.literalLength[kEndOfBlock] = 1;
    return rest;
}

} // namespace

void BlockSplitter::Estimate::clear() {
    std::fill(std::begin(counts), std::end(counts), 0u);
    totals[0] = totals[1] = 0;
    symbolBits = 0;
}

// What add() would have summed for the items the counts describe (the end-of-block symbol is left
// out, as add() never sees it): one header share for a used symbol, less n*log2(n).
void BlockSplitter::Estimate::set(const SymbolCounts& aCounts) {
    const float* entropy = Tables().entropy;
    std::copy(std::begin(aCounts.literalLength), std::end(aCounts.literalLength), counts);
    std::copy(std::begin(aCounts.distance), std::end(aCounts.distance), counts + kLiteralLengthSymbols);
    counts[kEndOfBlock] = 0;
    totals[0] = totals[1] = 0;
    symbolBits = 0;
    for (unsigned symbol = 0; symbol < kSymbols; ++symbol) {
        totals[symbol < kLiteralLengthSymbols ? 0 : 1] += counts[symbol];
        if (counts[symbol] != 0)
            symbolBits += kHeaderBitsPerSymbol - entropy[counts[symbol]];
    }
}

inline void BlockSplitter::Estimate::add(const Item& anItem) {
    const float* step = Tables().step;
    if (anItem.length == 0) {
        symbolBits += step[counts[anItem.value]++];
        ++totals[0];
        return;
    }
    symbolBits += step[counts[LengthSymbol(anItem)]++];
    symbolBits += step[counts[DistanceSymbol(anItem)]++];
    ++totals[0];
    ++totals[1];
}

inline void BlockSplitter::Estimate::remove(const Item& anItem) {
    const float* step = Tables().step;
    if (anItem.length == 0) {
        symbolBits -= step[--counts[anItem.value]];
        --totals[0];
        return;
    }
    symbolBits -= step[--counts[LengthSymbol(anItem)]];
    symbolBits -= step[--counts[DistanceSymbol(anItem)]];
    --totals[0];
    --totals[1];
}

// The entropy of the symbols plus a guess at the header; extra bits are left out as they do not
// depend on the cut.
double BlockSplitter::Estimate::bits() const {
    const float* entropy = Tables().entropy;
    return kHeaderBits + symbolBits + entropy[totals[0]] + entropy[totals[1]];
}

BlockSplitter::BlockSplitter() {
    fFixedCode.makeFixed();
    Tables();
}

unsigned BlockSplitter::split(const Item* anItems, uint32_t aCount, uint32_t* anEnds) {
    fItems = anItems;
    fEnds = anEnds;
    fCount = 0;
    splitRange(0, aCount, kMaxDepth);
    return fCount;
}

void BlockSplitter::splitRange(uint32_t aFirst, uint32_t aLast, unsigned aDepth) {
    const uint32_t size = aLast - aFirst;
    if (aDepth == 0 || size < 2 * kMinItems) {
        fEnds[fCount++] = aLast;
        return;
    }
    SymbolCounts whole;
    whole.clear();
    whole.add(fItems + aFirst, size);
    const unsigned cut = bestCut(aFirst, aLast, whole);
    if (cut == 0) {
        fEnds[fCount++] = aLast;
        return;
    }
    const uint32_t middle = aFirst + size * cut / kParts;
    SymbolCounts left;
    left.clear();
    left.add(fItems + aFirst, middle - aFirst);
    if (exactBits(left) + exactBits(Rest(whole, left)) >= exactBits(whole)) {
        fEnds[fCount++] = aLast;
        return;
    }
    splitRange(aFirst, middle, aDepth - 1);
    splitRange(middle, aLast, aDepth - 1);
}

// Moves a cut through the range part by part, items passing from the right half to the left one;
// returns the part the estimated cheapest cut follows, 0 when not cutting is cheaper still.
unsigned BlockSplitter::bestCut(uint32_t aFirst, uint32_t aLast, const SymbolCounts& aWhole) {
    const uint32_t size = aLast - aFirst;
    fLeft.clear();
    fRight.set(aWhole);
    double best = fRight.bits();
    unsigned chosen = 0;
    for (unsigned cut = 1; cut < kParts; ++cut) {
        for (uint32_t i = aFirst + size * (cut - 1) / kParts; i < aFirst + size * cut / kParts; ++i) {
            fLeft.add(fItems[i]);
            fRight.remove(fItems[i]);
        }
        const double bits = fLeft.bits() + fRight.bits();
        if (bits < best) {
            best = bits;
            chosen = cut;
        }
    }
    return chosen;
}

uint64_t BlockSplitter::exactBits(const SymbolCounts& aCounts) {
    fCode.makeDynamic(aCounts);
    return std::min(fCode.headerBits() + fCode.symbolBits(aCounts), fFixedCode.symbolBits(aCounts));
}

} // namespace kf::cab::deflate
