#include "LzxBlockWriter.h"

#include "LzxHuffman.h"

#include <cstring>

namespace kf::cab::lzx {

namespace {

constexpr uint32_t kPretreeLengthBits = 4;
constexpr uint32_t kAlignedLengthBits = 3;
constexpr uint32_t kAlignedThreshold = 3; // offsets with this many extra bits or more use the aligned tree
constexpr uint32_t kZeros4 = 17;          // 4..19 zeros
constexpr uint32_t kZeros20 = 18;         // 20..51 zeros
constexpr uint32_t kSame4 = 19;           // 4..5 equal lengths

struct PretreeStep {
    uint8_t symbol;
    uint8_t extraBits;
    uint8_t extra;
};

uint32_t SlotOfItem(const Item& anItem) {
    return anItem.code < kRepeatedOffsets ? anItem.code : SlotOf(anItem.code);
}

uint8_t Delta(uint8_t aPrevious, uint8_t aLength) {
    return static_cast<uint8_t>((aPrevious + 17 - aLength) % 17);
}

uint32_t Steps(const uint8_t* aLengths, const uint8_t* aPrevious, uint32_t aCount, PretreeStep* aSteps) {
    uint32_t steps = 0;
    for (uint32_t i = 0; i < aCount;) {
        uint32_t run = 1;
        while (i + run < aCount && aLengths[i + run] == aLengths[i])
            ++run;
        if (aLengths[i] == 0 && run >= 20) {
            run = run > 51 ? 51 : run;
            aSteps[steps++] = {kZeros20, 5, static_cast<uint8_t>(run - 20)};
        } else if (aLengths[i] == 0 && run >= 4) {
            run = run > 19 ? 19 : run;
            aSteps[steps++] = {kZeros4, 4, static_cast<uint8_t>(run - 4)};
        } else if (run >= 4) {
            run = run > 5 ? 5 : run;
            aSteps[steps++] = {kSame4, 1, static_cast<uint8_t>(run - 4)};
            aSteps[steps++] = {Delta(aPrevious[i], aLengths[i]), 0, 0};
        } else {
            run = 1;
            aSteps[steps++] = {Delta(aPrevious[i], aLengths[i]), 0, 0};
        }
        i += run;
    }
    return steps;
}

void PutSymbol(BitWriter& aBits, const uint16_t* aCodes, const uint8_t* aLengths, uint32_t aSymbol) {
    aBits.put(aCodes[aSymbol], aLengths[aSymbol]);
}

} // namespace

void BlockWriter::reset(uint32_t aMainCount) {
    fMainCount = aMainCount;
    fPrevious = {};
}

void BlockWriter::count(const Item* aItems, uint32_t aCount, Frequencies& aFrequencies) const {
    std::memset(&aFrequencies, 0, sizeof aFrequencies);
    for (uint32_t i = 0; i < aCount; ++i) {
        const Item& item = aItems[i];
        if (item.length == 0) {
            ++aFrequencies.main[item.code];
            continue;
        }
        const uint32_t slot = SlotOfItem(item);
        ++aFrequencies.main[MainSymbol(slot, item.length)];
        if (item.length - kMinMatch >= kPrimaryLengths)
            ++aFrequencies.length[item.length - kMinMatch - kPrimaryLengths];
        if (ExtraBits(slot) >= kAlignedThreshold)
            ++aFrequencies.aligned[item.code & 7];
    }
}

void BlockWriter::estimate(const Item* aItems, uint32_t aCount, CodeLengths& aLengths) const {
    Frequencies frequencies;
    count(aItems, aCount, frequencies);
    huffman::BuildLengths(frequencies.main, fMainCount, kMaxCodeLength, aLengths.main);
    huffman::BuildLengths(frequencies.length, kLengthSymbols, kMaxCodeLength, aLengths.length);
}

void BlockWriter::writeTree(BitWriter& aBits, const uint8_t* aLengths, uint8_t* aPrevious, uint32_t aCount) {
    PretreeStep steps[kMaxMainSymbols * 2];
    const uint32_t stepCount = Steps(aLengths, aPrevious, aCount, steps);
    uint32_t frequencies[kPretreeSymbols] = {};
    for (uint32_t i = 0; i < stepCount; ++i)
        ++frequencies[steps[i].symbol];
    uint8_t lengths[kPretreeSymbols];
    uint16_t codes[kPretreeSymbols];
    huffman::BuildLengths(frequencies, kPretreeSymbols, kMaxPretreeLength, lengths);
    huffman::BuildCodes(lengths, kPretreeSymbols, codes);
    for (uint8_t length : lengths)
        aBits.put(length, kPretreeLengthBits);
    for (uint32_t i = 0; i < stepCount; ++i) {
        PutSymbol(aBits, codes, lengths, steps[i].symbol);
        aBits.put(steps[i].extra, steps[i].extraBits);
    }
    std::memcpy(aPrevious, aLengths, aCount);
}

void BlockWriter::write(BitWriter& aBits, const Item* aItems, uint32_t aCount, uint32_t aSize) {
    Frequencies frequencies;
    count(aItems, aCount, frequencies);
    CodeLengths lengths{};
    huffman::BuildLengths(frequencies.main, fMainCount, kMaxCodeLength, lengths.main);
    huffman::BuildLengths(frequencies.length, kLengthSymbols, kMaxCodeLength, lengths.length);
    uint8_t aligned[kAlignedSymbols];
    huffman::BuildLengths(frequencies.aligned, kAlignedSymbols, kMaxAlignedLength, aligned);
    uint64_t alignedCost = kAlignedSymbols * kAlignedLengthBits, verbatimCost = 0;
    for (uint32_t i = 0; i < kAlignedSymbols; ++i) {
        alignedCost += uint64_t{frequencies.aligned[i]} * aligned[i];
        verbatimCost += uint64_t{frequencies.aligned[i]} * kAlignedThreshold;
    }
    const bool useAligned = alignedCost < verbatimCost;
    aBits.put(static_cast<uint32_t>(useAligned ? BlockType::Aligned : BlockType::Verbatim), 3);
    aBits.put(aSize, kBlockSizeBits);
    if (useAligned)
        for (uint8_t length : aligned)
            aBits.put(length, kAlignedLengthBits);
    writeTree(aBits, lengths.main, fPrevious.main, kLiterals);
    writeTree(aBits, lengths.main + kLiterals, fPrevious.main + kLiterals, fMainCount - kLiterals);
    writeTree(aBits, lengths.length, fPrevious.length, kLengthSymbols);
    writeItems(aBits, aItems, aCount, lengths, useAligned ? aligned : nullptr);
}

void BlockWriter::writeItems(BitWriter& aBits, const Item* aItems, uint32_t aCount,
                             const CodeLengths& aLengths, const uint8_t* anAlignedLengths) const {
    uint16_t mainCodes[kMaxMainSymbols];
    uint16_t lengthCodes[kLengthSymbols];
    uint16_t alignedCodes[kAlignedSymbols];
    huffman::BuildCodes(aLengths.main, fMainCount, mainCodes);
    huffman::BuildCodes(aLengths.length, kLengthSymbols, lengthCodes);
    if (anAlignedLengths != nullptr)
        huffman::BuildCodes(anAlignedLengths, kAlignedSymbols, alignedCodes);
    for (uint32_t i = 0; i < aCount; ++i) {
        const Item& item = aItems[i];
        if (item.length == 0) {
            PutSymbol(aBits, mainCodes, aLengths.main, item.code);
            continue;
        }
        const uint32_t slot = SlotOfItem(item);
        PutSymbol(aBits, mainCodes, aLengths.main, MainSymbol(slot, item.length));
        if (item.length - kMinMatch >= kPrimaryLengths)
            PutSymbol(aBits, lengthCodes, aLengths.length, item.length - kMinMatch - kPrimaryLengths);
        const uint32_t extraBits = ExtraBits(slot);
        if (slot < kRepeatedOffsets || extraBits == 0)
            continue;
        const uint32_t extra = item.code - SlotBase(slot);
        if (anAlignedLengths != nullptr && extraBits >= kAlignedThreshold) {
            aBits.put(extra >> 3, extraBits - kAlignedThreshold);
            PutSymbol(aBits, alignedCodes, anAlignedLengths, extra & 7);
        } else {
            aBits.put(extra, extraBits);
        }
    }
}

void BlockWriter::writeStored(BitWriter& aBits, const uint8_t* aData, uint32_t aSize, const uint32_t* aReps) {
    aBits.put(static_cast<uint32_t>(BlockType::Uncompressed), 3);
    aBits.put(aSize, kBlockSizeBits);
    aBits.align(true);
    uint8_t reps[4 * kRepeatedOffsets];
    for (uint32_t i = 0; i < kRepeatedOffsets; ++i)
        for (uint32_t b = 0; b < 4; ++b)
            reps[4 * i + b] = static_cast<uint8_t>(aReps[i] >> (8 * b));
    aBits.bytes(reps, sizeof reps);
    aBits.bytes(aData, aSize);
    if (aSize % 2 != 0) {
        const uint8_t pad = 0;
        aBits.bytes(&pad, 1);
    }
}

} // namespace kf::cab::lzx
