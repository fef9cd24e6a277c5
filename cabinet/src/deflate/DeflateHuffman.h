#pragma once

#include <cstdint>

namespace kf::cab::deflate {

// Code lengths of a complete prefix code for the frequencies, none longer than aLimit. The code
// has at least two symbols even when fewer are used, since some decoders refuse a lone code.
// Frequencies are those of one block: below 2^23.
void BuildCodeLengths(const uint32_t* aFrequencies, unsigned aCount, unsigned aLimit, uint8_t* aLengths);

// Evens out counts that differ little over a stretch, so that the code lengths built from them
// come in runs that a block header sends as repeat codes. Stretches that already are runs are kept,
// and a used symbol keeps a count of at least one.
void SmoothForRunLengths(uint32_t* aCounts, unsigned aCount);

// The canonical codes for the lengths, bit-reversed for a least-significant-bit-first writer.
void BuildCodes(const uint8_t* aLengths, unsigned aCount, uint16_t* aCodes);

} // namespace kf::cab::deflate
