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

// Adds the symbols of the items to aCounts (literal/length symbols, then distance symbols).
void CountSymbols(const Item* anItems, uint32_t aCount, uint32_t* aCounts) {
    for (uint32_t i = 0; i < aCount; ++i) {
        const Item item = anItems[i];
        if (item.length == 0) {
            ++aCounts[item.value];
        } else {
            ++aCounts[LengthSymbol(item)];
            ++aCounts[DistanceSymbol(item)];
        }
    }
}

} // namespace

// What add() would have summed for each symbol, from its count alone: one header share for a used
// symbol, less n*log2(n).
void BlockSplitter::Estimate::set(const uint32_t* aCounts) {
    const float* entropy = Tables().entropy;
    std::copy(aCounts, aCounts + kSymbols, counts);
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
    uint32_t whole[kSymbols] = {};
    CountSymbols(fItems + aFirst, size, whole);
    const unsigned cut = bestCut(aFirst, aLast, whole);
    if (cut == 0) {
        fEnds[fCount++] = aLast;
        return;
    }
    const uint32_t middle = aFirst + size * cut / kParts;
    uint32_t left[kSymbols] = {};
    CountSymbols(fItems + aFirst, middle - aFirst, left);
    uint32_t right[kSymbols];
    for (unsigned symbol = 0; symbol < kSymbols; ++symbol)
        right[symbol] = whole[symbol] - left[symbol];
    if (exactBits(left) + exactBits(right) >= exactBits(whole)) {
        fEnds[fCount++] = aLast;
        return;
    }
    splitRange(aFirst, middle, aDepth - 1);
    splitRange(middle, aLast, aDepth - 1);
}

// Moves a cut through the range part by part, items passing from the right half to the left one;
// returns the part the estimated cheapest cut follows, 0 when not cutting is cheaper still.
unsigned BlockSplitter::bestCut(uint32_t aFirst, uint32_t aLast, const uint32_t* aWhole) {
    static constexpr uint32_t kNone[kSymbols] = {};
    const uint32_t size = aLast - aFirst;
    fLeft.set(kNone);
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

uint64_t BlockSplitter::exactBits(const uint32_t* aHistogram) {
    SymbolCounts counts;
    std::copy(aHistogram, aHistogram + kLiteralLengthSymbols, counts.literalLength);
    std::copy(aHistogram + kLiteralLengthSymbols, aHistogram + kSymbols, counts.distance);
    ++counts.literalLength[kEndOfBlock];
    fCode.makeDynamic(counts);
    return std::min(fCode.headerBits() + fCode.symbolBits(counts), fFixedCode.symbolBits(counts));
}

} // namespace kf::cab::deflate
