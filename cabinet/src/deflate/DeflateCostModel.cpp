#include "DeflateCostModel.h"

#include <algorithm>
#include <cmath>

namespace kf::cab::deflate {

namespace {

// A symbol the previous parse did not use would need a code of about this many bits.
constexpr uint32_t kUnusedSymbolBits = 13;

} // namespace

void CostModel::setFromCounts(const SymbolCounts& aCounts) {
    uint32_t literalLengths = 0;
    for (uint32_t count : aCounts.literalLength)
        literalLengths += count;
    uint32_t distances = 0;
    for (uint32_t count : aCounts.distance)
        distances += count;
    auto cost = [](uint32_t aCount, uint32_t aTotal) {
        if (aCount == 0)
            return kUnusedSymbolBits * kScale;
        return static_cast<uint32_t>(std::lround(std::log2(static_cast<double>(aTotal) / aCount) * kScale));
    };
    for (unsigned byte = 0; byte < 256; ++byte)
        fLiteral[byte] = cost(aCounts.literalLength[byte], literalLengths);
    std::fill(fLength, fLength + kMinMatch, kNever);
    for (uint32_t length = kMinMatch; length <= kMaxMatch; ++length) {
        const unsigned slot = kLengthSlot[length];
        fLength[length] = cost(aCounts.literalLength[kFirstLengthSymbol + slot], literalLengths) +
                          kLengthExtra[slot] * kScale;
    }
    for (unsigned slot = 0; slot < kDistanceSymbols; ++slot)
        fDistanceSlot[slot] = cost(aCounts.distance[slot], distances) + kDistanceExtra[slot] * kScale;
}

} // namespace kf::cab::deflate
