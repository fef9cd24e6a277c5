#pragma once

#include "runtime/core/ByteSource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kf {

struct TCabinetMember {
    std::string Name; // UTF-8
    uint32_t Length = 0;
    uint16_t Compression = 0; // the compression field of its folder
};

// The checksum of one data block as the cabinet format defines it, over the block's data and
// its two size fields.
uint32_t DataBlockChecksum(std::string_view aData, uint16_t aPackedSize, uint16_t anUnpackedSize);

// Walks a single cabinet without decoding it. It must have the shape of every cabinet a build
// writes: exactly the source's size, one folder of a known compression, nothing reserved, no
// cabinet set, the members filling the folder's data one after another, and the data blocks,
// each with its checksum, from right behind the member list to the end. Raises an error naming
// aWhat otherwise; returns the members.
std::vector<TCabinetMember> CheckCabinet(TByteSource& aSource, const std::string& aWhat);

} // namespace kf
