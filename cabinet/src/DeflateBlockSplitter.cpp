#include "DeflateBlockSplitter.h"

#include <algorithm>
#include <cmath>

namespace kf::cab::deflate {

namespace {

constexpr uint32_t kMaxCount = 32768;
// Halves shorter than this never pay for their header.
constexpr uint32_t kMinItems = 256;
// A guess at the header of a dynamic block: fixed fields, then a few bits per used symbol.
constexpr double kHeaderBits = 70;
constexpr double kHeaderBitsPerSymbol = 3;

void Count(const Item& anItem, uint32_t* aHistogram) {
    if (anItem.length == 0) {
        ++aHistogram[anItem.value];
        return;
    }
    ++aHistogram[kFirstLengthSymbol + kLengthSlot[anItem.length]];
    ++aHistogram[kLiteralLengthSymbols + DistanceSlot(anItem.value)];
}

} // namespace

BlockSplitter::BlockSplitter(const Heap& aHeap) : fEntropy(aHeap) {
    fFixedCode.makeFixed();
}

// n * log2(n) for every count a block can have, so that estimates need no logarithms.
bool BlockSplitter::allocate() {
    if (!fEntropy.allocate(kMaxCount + 1))
        return false;
    fEntropy[0] = 0;
    for (uint32_t n = 1; n <= kMaxCount; ++n)
        fEntropy[n] = static_cast<float>(n * std::log2(static_cast<double>(n)));
    return true;
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
    auto& parts = fParts;
    auto& whole = fWhole;
    auto& left = fLeft;
    auto& right = fRight;
    std::fill(&parts[0][0], &parts[0][0] + kParts * kSymbols, 0u);
    std::fill(std::begin(whole), std::end(whole), 0u);
    std::fill(std::begin(left), std::end(left), 0u);
    for (unsigned part = 0; part < kParts; ++part)
        for (uint32_t i = aFirst + size * part / kParts; i < aFirst + size * (part + 1) / kParts; ++i)
            Count(fItems[i], parts[part]);
    for (const auto& part : parts)
        for (unsigned symbol = 0; symbol < kSymbols; ++symbol)
            whole[symbol] += part[symbol];

    double best = estimatedBits(whole);
    unsigned bestCut = 0;
    for (unsigned cut = 1; cut < kParts; ++cut) {
        for (unsigned symbol = 0; symbol < kSymbols; ++symbol) {
            left[symbol] += parts[cut - 1][symbol];
            right[symbol] = whole[symbol] - left[symbol];
        }
        const double bits = estimatedBits(left) + estimatedBits(right);
        if (bits < best) {
            best = bits;
            bestCut = cut;
        }
    }
    if (bestCut == 0) {
        fEnds[fCount++] = aLast;
        return;
    }
    std::fill(std::begin(left), std::end(left), 0u);
    for (unsigned part = 0; part < bestCut; ++part)
        for (unsigned symbol = 0; symbol < kSymbols; ++symbol)
            left[symbol] += parts[part][symbol];
    for (unsigned symbol = 0; symbol < kSymbols; ++symbol)
        right[symbol] = whole[symbol] - left[symbol];
    if (exactBits(left) + exactBits(right) >= exactBits(whole)) {
        fEnds[fCount++] = aLast;
        return;
    }
    const uint32_t cut = aFirst + size * bestCut / kParts;
    splitRange(aFirst, cut, aDepth - 1);
    splitRange(cut, aLast, aDepth - 1);
}

// The entropy of the symbols plus a guess at the header; extra bits are left out as they do not
// depend on the cut.
double BlockSplitter::estimatedBits(const uint32_t* aHistogram) const {
    double bits = kHeaderBits;
    for (unsigned first : {0u, kLiteralLengthSymbols}) {
        const unsigned last = first == 0 ? kLiteralLengthSymbols : kSymbols;
        uint32_t total = 0;
        for (unsigned symbol = first; symbol < last; ++symbol) {
            const uint32_t count = aHistogram[symbol];
            if (count == 0)
                continue;
            total += count;
            bits += kHeaderBitsPerSymbol - fEntropy[count];
        }
        bits += fEntropy[total];
    }
    return bits;
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
