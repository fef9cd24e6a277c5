#include "DeflateCode.h"

#include "DeflateHuffman.h"

#include <algorithm>

namespace kf::cab::deflate {

namespace {

constexpr uint8_t kRepeatPrevious = 16;
constexpr uint8_t kRepeatShortZero = 17;
constexpr uint8_t kRepeatLongZero = 18;
constexpr unsigned kAllRepeats = 7;
constexpr uint8_t kRunExtraBits[kCodeLengthSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                       0, 0, 0, 0, 0, 0, 2, 3, 7};

} // namespace

void SymbolCounts::clear() {
    std::fill(std::begin(literalLength), std::end(literalLength), 0u);
    std::fill(std::begin(distance), std::end(distance), 0u);
    literalLength[kEndOfBlock] = 1;
}

void SymbolCounts::add(const Item* anItems, uint32_t aCount) {
    for (uint32_t i = 0; i < aCount; ++i) {
        const Item item = anItems[i];
        if (item.length == 0) {
            ++literalLength[item.value];
        } else {
            ++literalLength[kFirstLengthSymbol + kLengthSlot[item.length]];
            ++distance[DistanceSlot(item.value)];
        }
    }
}

void BlockCode::makeFixed() {
    for (unsigned symbol = 0; symbol < kLiteralLengthSymbols; ++symbol)
        fLiteralLengthLengths[symbol] = FixedLiteralLengthLength(symbol);
    std::fill(std::begin(fDistanceLengths), std::end(fDistanceLengths), kFixedDistanceLength);
    std::fill(std::begin(fCodeLengthLengths), std::end(fCodeLengthLengths), 0);
    fHeaderBits = 0;
    assignCodes();
}

void BlockCode::makeDynamic(const SymbolCounts& aCounts) {
    BuildCodeLengths(aCounts.literalLength, kUsedLiteralLengthSymbols, kMaxCodeLength, fLiteralLengthLengths);
    fLiteralLengthLengths[286] = fLiteralLengthLengths[287] = 0;
    BuildCodeLengths(aCounts.distance, kDistanceSymbols, kMaxCodeLength, fDistanceLengths);
    buildHeader(kAllRepeats);
}

void BlockCode::assignCodes() {
    BuildCodes(fLiteralLengthLengths, kLiteralLengthSymbols, fLiteralLengthCodes);
    BuildCodes(fDistanceLengths, kDistanceSymbols, fDistanceCodes);
    BuildCodes(fCodeLengthLengths, kCodeLengthSymbols, fCodeLengthCodes);
}

uint64_t BlockCode::symbolBits(const SymbolCounts& aCounts) const {
    uint64_t bits = 0;
    for (unsigned symbol = 0; symbol < kFirstLengthSymbol; ++symbol)
        bits += static_cast<uint64_t>(aCounts.literalLength[symbol]) * fLiteralLengthLengths[symbol];
    for (unsigned slot = 0; slot < kLengthBase.size(); ++slot)
        bits += static_cast<uint64_t>(aCounts.literalLength[kFirstLengthSymbol + slot]) *
                (fLiteralLengthLengths[kFirstLengthSymbol + slot] + kLengthExtra[slot]);
    for (unsigned slot = 0; slot < kDistanceSymbols; ++slot)
        bits +=
            static_cast<uint64_t>(aCounts.distance[slot]) * (fDistanceLengths[slot] + kDistanceExtra[slot]);
    return bits;
}

// Run-length codes each list on its own, as the oldest decoders expect no run across the two.
// aRepeats tells which of the repeat codes 16, 17 and 18 to use (bits 0, 1 and 2).
void BlockCode::encodeLengths(const uint8_t* aLengths, unsigned aCount, unsigned aRepeats) {
    const bool previous = (aRepeats & 1) != 0;
    const bool shortZeros = (aRepeats & 2) != 0;
    const bool longZeros = (aRepeats & 4) != 0;
    unsigned i = 0;
    while (i < aCount) {
        const uint8_t length = aLengths[i];
        unsigned run = 1;
        while (i + run < aCount && aLengths[i + run] == length)
            ++run;
        i += run;
        if (length == 0) {
            while (longZeros && run >= 11) {
                const unsigned part = std::min(run, 138u);
                fRuns[fRunCount++] = {kRepeatLongZero, static_cast<uint8_t>(part - 11)};
                run -= part;
            }
            while (shortZeros && run >= 3) {
                const unsigned part = std::min(run, 10u);
                fRuns[fRunCount++] = {kRepeatShortZero, static_cast<uint8_t>(part - 3)};
                run -= part;
            }
        } else {
            fRuns[fRunCount++] = {length, 0};
            --run;
            while (previous && run >= 3) {
                const unsigned part = std::min(run, 6u);
                fRuns[fRunCount++] = {kRepeatPrevious, static_cast<uint8_t>(part - 3)};
                run -= part;
            }
        }
        for (; run > 0; --run)
            fRuns[fRunCount++] = {length, 0};
    }
}

void BlockCode::shortenHeader() {
    unsigned best = 0;
    uint32_t bestBits = UINT32_MAX;
    for (unsigned repeats = 0; repeats < 8; ++repeats) {
        const uint32_t bits = buildHeader(repeats);
        if (bits < bestBits) {
            bestBits = bits;
            best = repeats;
        }
    }
    buildHeader(best);
}

uint32_t BlockCode::buildHeader(unsigned aRepeats) {
    fLiteralLengthCount = kUsedLiteralLengthSymbols;
    while (fLiteralLengthCount > kFirstLengthSymbol && fLiteralLengthLengths[fLiteralLengthCount - 1] == 0)
        --fLiteralLengthCount;
    fDistanceCount = kDistanceSymbols;
    while (fDistanceCount > 1 && fDistanceLengths[fDistanceCount - 1] == 0)
        --fDistanceCount;
    fRunCount = 0;
    encodeLengths(fLiteralLengthLengths, fLiteralLengthCount, aRepeats);
    encodeLengths(fDistanceLengths, fDistanceCount, aRepeats);

    uint32_t frequencies[kCodeLengthSymbols] = {};
    for (unsigned i = 0; i < fRunCount; ++i)
        ++frequencies[fRuns[i].symbol];
    BuildCodeLengths(frequencies, kCodeLengthSymbols, kMaxCodeLengthCodeLength, fCodeLengthLengths);
    fCodeLengthCount = kCodeLengthSymbols;
    while (fCodeLengthCount > 4 && fCodeLengthLengths[kCodeLengthOrder[fCodeLengthCount - 1]] == 0)
        --fCodeLengthCount;

    fHeaderBits = 5 + 5 + 4 + 3 * fCodeLengthCount;
    for (unsigned i = 0; i < fRunCount; ++i)
        fHeaderBits += fCodeLengthLengths[fRuns[i].symbol] + kRunExtraBits[fRuns[i].symbol];
    return fHeaderBits;
}

void BlockCode::writeHeader(BitWriter& aWriter) const {
    aWriter.put(fLiteralLengthCount - kFirstLengthSymbol, 5);
    aWriter.put(fDistanceCount - 1, 5);
    aWriter.put(fCodeLengthCount - 4, 4);
    for (unsigned i = 0; i < fCodeLengthCount; ++i)
        aWriter.put(fCodeLengthLengths[kCodeLengthOrder[i]], 3);
    for (unsigned i = 0; i < fRunCount; ++i) {
        const LengthRun run = fRuns[i];
        aWriter.put(fCodeLengthCodes[run.symbol], fCodeLengthLengths[run.symbol]);
        aWriter.put(run.extra, kRunExtraBits[run.symbol]);
    }
}

void BlockCode::writeItems(BitWriter& aWriter, const Item* anItems, uint32_t aCount) const {
    for (uint32_t i = 0; i < aCount; ++i) {
        const Item item = anItems[i];
        if (item.length == 0) {
            aWriter.put(fLiteralLengthCodes[item.value], fLiteralLengthLengths[item.value]);
            continue;
        }
        const unsigned lengthSlot = kLengthSlot[item.length];
        const unsigned lengthSymbol = kFirstLengthSymbol + lengthSlot;
        aWriter.put(fLiteralLengthCodes[lengthSymbol], fLiteralLengthLengths[lengthSymbol]);
        aWriter.put(item.length - kLengthBase[lengthSlot], kLengthExtra[lengthSlot]);
        const unsigned distanceSlot = DistanceSlot(item.value);
        aWriter.put(fDistanceCodes[distanceSlot], fDistanceLengths[distanceSlot]);
        aWriter.put(item.value - kDistanceBase[distanceSlot], kDistanceExtra[distanceSlot]);
    }
    aWriter.put(fLiteralLengthCodes[kEndOfBlock], fLiteralLengthLengths[kEndOfBlock]);
}

} // namespace kf::cab::deflate
