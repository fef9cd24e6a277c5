#include "Checksum.h"

#include "Format.h"

#include <bit>
#include <cstring>

namespace kf::cab {

namespace {

uint32_t FoldWords(const uint8_t* aData, size_t aWords) {
    if constexpr (std::endian::native == std::endian::little) {
        // Two words at a time; the halves are folded at the end.
        uint64_t sum = 0;
        size_t i = 0;
        for (; i + 2 <= aWords; i += 2) {
            uint64_t pair;
            std::memcpy(&pair, aData + i * 4, sizeof pair);
            sum ^= pair;
        }
        uint32_t result = static_cast<uint32_t>(sum) ^ static_cast<uint32_t>(sum >> 32);
        return i < aWords ? result ^ format::get32(aData + i * 4) : result;
    } else {
        uint32_t result = 0;
        for (size_t i = 0; i < aWords; ++i)
            result ^= format::get32(aData + i * 4);
        return result;
    }
}

} // namespace

uint32_t Checksum(const uint8_t* aData, size_t aSize, uint32_t aSeed) {
    const size_t words = aSize / 4;
    uint32_t tail = 0;
    for (size_t i = words * 4; i < aSize; ++i)
        tail = (tail << 8) | aData[i];
    return aSeed ^ FoldWords(aData, words) ^ tail;
}

uint32_t DataBlockChecksum(const uint8_t* aPayload, uint16_t aCompressedSize, uint16_t anUncompressedSize) {
    uint8_t sizes[4];
    format::put16(sizes, aCompressedSize);
    format::put16(sizes + 2, anUncompressedSize);
    return Checksum(sizes, sizeof sizes, Checksum(aPayload, aCompressedSize, 0));
}

} // namespace kf::cab
