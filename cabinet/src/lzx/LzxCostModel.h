#pragma once

#include "LzxFormat.h"

#include <cstdint>

namespace kf::cab::lzx {

// What each symbol is expected to cost, in bits, from code lengths: those of the previous block
// when parsing starts, then those the parse itself leads to.
class CostModel {
public:
    void estimate(uint32_t aSlotCount);
    void assign(const uint8_t* aMainLengths, uint32_t aSlotCount, const uint8_t* aLengthLengths);

    uint32_t literal(uint8_t aByte) const { return fLiteral[aByte]; }
    // A match of the slot (the repeated offset's index for 0..2) and length, extra bits included.
    const uint16_t* match(uint32_t aSlot) const { return fMatch + aSlot * (kMaxMatch + 1); }

private:
    void tabulate(const uint32_t* aMain, const uint32_t* aLength, uint32_t aSlotCount);

    uint32_t fLiteral[kLiterals];
    uint16_t fMatch[kMaxSlots * (kMaxMatch + 1)];
};

} // namespace kf::cab::lzx
