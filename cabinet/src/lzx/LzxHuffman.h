#pragma once

#include <cstdint>

namespace kf::cab::lzx {

// Length-limited Huffman codes as LZX sends them: canonical, codes assigned by length and then by
// symbol. Every code built here is complete, with at least two symbols, since the readers refuse
// an incomplete table.
namespace huffman {

inline constexpr uint32_t kMaxSymbols = 656;

void BuildLengths(const uint32_t* aFrequencies, uint32_t aCount, uint32_t aMaxLength, uint8_t* aLengths);
void BuildCodes(const uint8_t* aLengths, uint32_t aCount, uint16_t* aCodes);

} // namespace huffman
} // namespace kf::cab::lzx
