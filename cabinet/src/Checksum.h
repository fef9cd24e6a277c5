#pragma once

#include <cstddef>
#include <cstdint>

namespace kf::cab {

// The cabinet checksum: XOR of little-endian 32-bit words, 1 to 3 trailing bytes folded in with the
// first byte most significant.
uint32_t Checksum(const uint8_t* aData, size_t aSize, uint32_t aSeed);

// The csum field of a CFDATA record: the payload, then cbData and cbUncomp.
uint32_t DataBlockChecksum(const uint8_t* aPayload, uint16_t aCompressedSize, uint16_t anUncompressedSize);

} // namespace kf::cab
