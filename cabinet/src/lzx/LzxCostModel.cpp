#include "LzxCostModel.h"

namespace kf::cab::lzx {

namespace {

// A symbol the code does not have would need one: price it near the longest codes.
constexpr uint32_t kAbsentCost = 14;
constexpr uint32_t kLiteralEstimate = 8;
constexpr uint32_t kMatchEstimate = 10;
constexpr uint32_t kLengthEstimate = 7;

} // namespace

void CostModel::estimate(uint32_t aSlotCount) {
    uint32_t main[kMaxMainSymbols];
    uint32_t length[kLengthSymbols];
    for (uint32_t i = 0; i < kMaxMainSymbols; ++i)
        main[i] = i < kLiterals ? kLiteralEstimate : kMatchEstimate;
    for (uint32_t& cost : length)
        cost = kLengthEstimate;
    tabulate(main, length, aSlotCount);
}

void CostModel::assign(const uint8_t* aMainLengths, uint32_t aSlotCount, const uint8_t* aLengthLengths) {
    uint32_t main[kMaxMainSymbols];
    uint32_t length[kLengthSymbols];
    for (uint32_t i = 0; i < kLiterals + 8 * aSlotCount; ++i)
        main[i] = aMainLengths[i] == 0 ? kAbsentCost : aMainLengths[i];
    for (uint32_t i = 0; i < kLengthSymbols; ++i)
        length[i] = aLengthLengths[i] == 0 ? kAbsentCost : aLengthLengths[i];
    tabulate(main, length, aSlotCount);
}

void CostModel::tabulate(const uint32_t* aMain, const uint32_t* aLength, uint32_t aSlotCount) {
    for (uint32_t i = 0; i < kLiterals; ++i)
        fLiteral[i] = aMain[i];
    for (uint32_t slot = 0; slot < aSlotCount; ++slot) {
        uint16_t* costs = fMatch + slot * (kMaxMatch + 1);
        for (uint32_t length = kMinMatch; length <= kMaxMatch; ++length) {
            const uint32_t header = length - kMinMatch;
            const uint32_t footer = header >= kPrimaryLengths ? aLength[header - kPrimaryLengths] : 0;
            costs[length] = static_cast<uint16_t>(aMain[MainSymbol(slot, length)] + footer + ExtraBits(slot));
        }
    }
}

} // namespace kf::cab::lzx
