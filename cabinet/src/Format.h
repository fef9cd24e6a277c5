#pragma once

#include <cstdint>

// The Microsoft Cabinet layout: little-endian, packed records.
namespace kf::cab::format {

inline constexpr uint32_t kHeaderSize = 36;         // CFHEADER without its optional fields
inline constexpr uint32_t kHeaderReserveFields = 4; // cbCFHeader, cbCFFolder, cbCFData
inline constexpr uint32_t kFolderSize = 8;          // CFFOLDER without reserve
inline constexpr uint32_t kFileSize = 16;           // CFFILE without its name
inline constexpr uint32_t kDataSize = 8;            // CFDATA header without reserve
inline constexpr uint32_t kSignature = 0x4643534D;  // "MSCF"
inline constexpr uint8_t kVersionMinor = 3;
inline constexpr uint8_t kVersionMajor = 1;

inline constexpr uint16_t kFlagPrevCabinet = 0x0001;
inline constexpr uint16_t kFlagNextCabinet = 0x0002;
inline constexpr uint16_t kFlagReservePresent = 0x0004;

inline constexpr uint16_t kContinuedFromPrev = 0xFFFD;
inline constexpr uint16_t kContinuedToNext = 0xFFFE;
inline constexpr uint16_t kContinuedPrevAndNext = 0xFFFF;

inline constexpr uint32_t kBlockSize = 32768;
inline constexpr uint32_t kMaxCabinetSize = 0x7FFFFFFF;
inline constexpr uint32_t kMaxFolderSize = 0x7FFF8000; // 65,535 blocks of 32 KiB
inline constexpr uint32_t kMaxEntries = 65535;         // files, folders, blocks
inline constexpr uint32_t kMaxHeaderReserve = 60000;
inline constexpr uint32_t kMaxFolderReserve = 255;
inline constexpr uint32_t kMaxDataReserve = 255;
inline constexpr uint32_t kMaxNameLength = 255;

inline void put16(uint8_t* aTarget, uint32_t aValue) {
    aTarget[0] = static_cast<uint8_t>(aValue);
    aTarget[1] = static_cast<uint8_t>(aValue >> 8);
}

inline void put32(uint8_t* aTarget, uint32_t aValue) {
    put16(aTarget, aValue);
    put16(aTarget + 2, aValue >> 16);
}

inline uint16_t get16(const uint8_t* aSource) {
    return static_cast<uint16_t>(aSource[0] | (aSource[1] << 8));
}

inline uint32_t get32(const uint8_t* aSource) {
    return get16(aSource) | (static_cast<uint32_t>(get16(aSource + 2)) << 16);
}

} // namespace kf::cab::format
