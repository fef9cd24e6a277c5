#pragma once

#include "DeflateCode.h"
#include "DeflateFormat.h"

#include <cstdint>

namespace kf::cab::deflate {

// What each literal, match length and match distance is expected to cost, in 1/16 bits.
class CostModel {
public:
    static constexpr uint32_t kScale = 16;
    // More than any parse of a block can cost, with room to add any single cost without overflow
    // in 31 bits: the price of lengths below the shortest match.
    static constexpr uint32_t kNever = 1u << 30;

    // Each symbol costs what its share of a previous parse's symbols is worth in bits; symbols that
    // parse never used are priced as a long code.
    void setFromCounts(const SymbolCounts& aCounts);

    uint32_t literal(uint8_t aByte) const { return fLiteral[aByte]; }
    uint32_t length(uint32_t aLength) const { return fLength[aLength]; }
    // Indexed by length; the lengths below kMinMatch cost kNever.
    const uint32_t* lengths() const { return fLength; }
    uint32_t distance(uint32_t aDistance) const { return fDistanceSlot[DistanceSlot(aDistance)]; }

private:
    uint32_t fLiteral[256];
    uint32_t fLength[kMaxMatch + 1];
    uint32_t fDistanceSlot[kDistanceSymbols];
};

} // namespace kf::cab::deflate
