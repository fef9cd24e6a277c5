#pragma once

#include <bit>
#include <cstdint>

// The LZX data format as cabinets carry it: 32 KiB frames over a window of 2^15 to 2^21 bytes.
namespace kf::cab::lzx {

inline constexpr uint32_t kMinLevel = 15;
inline constexpr uint32_t kMaxLevel = 21;
inline constexpr uint32_t kFrameSize = 32768;
inline constexpr uint32_t kMinMatch = 2;
inline constexpr uint32_t kMaxMatch = 257;
inline constexpr uint32_t kLiterals = 256;
inline constexpr uint32_t kPrimaryLengths = 7; // match lengths 2..8 live in the main symbol
inline constexpr uint32_t kLengthSymbols = 249;
inline constexpr uint32_t kAlignedSymbols = 8;
inline constexpr uint32_t kPretreeSymbols = 20;
inline constexpr uint32_t kRepeatedOffsets = 3;
inline constexpr uint32_t kMaxSlots = 50;
inline constexpr uint32_t kMaxMainSymbols = kLiterals + 8 * kMaxSlots;
inline constexpr uint32_t kMaxCodeLength = 16;
inline constexpr uint32_t kMaxPretreeLength = 15;
inline constexpr uint32_t kMaxAlignedLength = 7;
inline constexpr uint32_t kBlockSizeBits = 24;
inline constexpr uint32_t kE8FrameLimit = 32768; // frames after these are never translated
inline constexpr uint32_t kE8Tail = 10;          // the last bytes of a frame are never translated

enum class BlockType : uint32_t { Verbatim = 1, Aligned = 2, Uncompressed = 3 };

inline constexpr uint32_t SlotCount(uint32_t aLevel) {
    constexpr uint32_t kSlots[] = {30, 32, 34, 36, 38, 42, 50};
    return kSlots[aLevel - kMinLevel];
}

inline constexpr uint32_t MainSymbolCount(uint32_t aLevel) {
    return kLiterals + 8 * SlotCount(aLevel);
}

// Offset slots: 0..2 are the repeated offsets; from 36 on every slot spans 2^17 offsets.
inline constexpr uint32_t ExtraBits(uint32_t aSlot) {
    return aSlot < 4 ? 0 : aSlot >= 36 ? 17 : aSlot / 2 - 1;
}

inline constexpr uint32_t SlotBase(uint32_t aSlot) {
    if (aSlot < 4)
        return aSlot;
    if (aSlot >= 36)
        return (1u << 18) + ((aSlot - 36) << 17);
    return (2u | (aSlot & 1)) << (aSlot / 2 - 1);
}

// The slot of a formatted offset (the match distance plus 2).
inline uint32_t SlotOf(uint32_t aFormatted) {
    if (aFormatted < 4)
        return aFormatted;
    if (aFormatted >= (1u << 18))
        return 36 + ((aFormatted - (1u << 18)) >> 17);
    const uint32_t high = 31 - static_cast<uint32_t>(std::countl_zero(aFormatted));
    return 2 * high + ((aFormatted >> (high - 1)) & 1);
}

inline uint32_t MainSymbol(uint32_t aSlot, uint32_t aLength) {
    const uint32_t header = aLength - kMinMatch;
    return kLiterals + aSlot * 8 + (header < kPrimaryLengths ? header : kPrimaryLengths);
}

} // namespace kf::cab::lzx

namespace kf::cab::lzx {

// One step of the parsed data: a literal (length 0, the byte in `code`) or a match, whose code is
// the repeated offset's index (0..2) or the distance plus 2.
struct Item {
    uint32_t length;
    uint32_t code;
};

} // namespace kf::cab::lzx
