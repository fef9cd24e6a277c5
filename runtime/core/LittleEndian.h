#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kf {

// An unsigned little-endian field of aWidth bytes (1 to 4) at aPos; the caller checks the bounds.
inline uint32_t LittleEndian(std::string_view aBytes, size_t aPos, size_t aWidth) {
    uint32_t value = 0;
    for (size_t i = 0; i < aWidth; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(aBytes[aPos + i])) << (8 * i);
    return value;
}

} // namespace kf
