#pragma once

#include <array>
#include <cstdint>

// Constants and symbol tables of the deflate format (raw streams, as MSZIP carries them).
namespace kf::cab::deflate {

constexpr uint32_t kWindowSize = 32768;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 258;
constexpr uint32_t kMaxStoredLength = 65535;

constexpr unsigned kLiteralLengthSymbols = 288;
constexpr unsigned kUsedLiteralLengthSymbols = 286;
constexpr unsigned kDistanceSymbols = 30;
constexpr unsigned kCodeLengthSymbols = 19;
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kFirstLengthSymbol = 257;
constexpr unsigned kMaxCodeLength = 15;
constexpr unsigned kMaxCodeLengthCodeLength = 7;

enum BlockType : uint32_t { kStoredBlock = 0, kFixedBlock = 1, kDynamicBlock = 2 };

// One parsed symbol: a literal (length 0, the byte in value) or a match (the distance in value).
struct Item {
    uint16_t length;
    uint16_t value;
};

inline constexpr std::array<uint16_t, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::array<uint16_t, 30> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr std::array<uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
inline constexpr std::array<uint8_t, kCodeLengthSymbols> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

inline constexpr std::array<uint8_t, kMaxMatch + 1> kLengthSlot = [] {
    std::array<uint8_t, kMaxMatch + 1> slots{};
    unsigned slot = 0;
    for (unsigned length = kMinMatch; length <= kMaxMatch; ++length) {
        while (slot + 1 < kLengthBase.size() && kLengthBase[slot + 1] <= length)
            ++slot;
        slots[length] = static_cast<uint8_t>(slot);
    }
    return slots;
}();

constexpr unsigned SlotOfDistance(uint32_t aDistance) {
    unsigned slot = 0;
    while (slot + 1 < kDistanceBase.size() && kDistanceBase[slot + 1] <= aDistance)
        ++slot;
    return slot;
}

// Distances up to 256 by themselves, longer ones by their 128-byte step (every slot there has at
// least 7 extra bits).
inline constexpr std::array<uint8_t, 512> kDistanceSlotTable = [] {
    std::array<uint8_t, 512> slots{};
    for (uint32_t distance = 1; distance <= 256; ++distance)
        slots[distance - 1] = static_cast<uint8_t>(SlotOfDistance(distance));
    for (uint32_t step = 2; step < 256; ++step)
        slots[256 + step] = static_cast<uint8_t>(SlotOfDistance(step * 128 + 1));
    return slots;
}();

inline unsigned DistanceSlot(uint32_t aDistance) {
    return aDistance <= 256 ? kDistanceSlotTable[aDistance - 1]
                            : kDistanceSlotTable[256 + ((aDistance - 1) >> 7)];
}

inline constexpr uint8_t FixedLiteralLengthLength(unsigned aSymbol) {
    return aSymbol < 144 ? 8 : aSymbol < 256 ? 9 : aSymbol < 280 ? 7 : 8;
}
constexpr uint8_t kFixedDistanceLength = 5;

} // namespace kf::cab::deflate
