#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kf::cabtest {

// A cabinet file taken apart by a reader written for the tests from the published layout.
struct ParsedBlock {
    uint32_t checksum = 0;
    uint16_t compressed = 0;
    uint16_t uncompressed = 0;
    std::string reserve;
    std::string payload;
};

struct ParsedFolder {
    uint32_t dataOffset = 0;
    uint16_t blockCount = 0;
    uint16_t type = 0;
    std::string reserve;
    std::vector<ParsedBlock> blocks;
};

struct ParsedFile {
    uint32_t size = 0;
    uint32_t offset = 0;
    uint16_t folder = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attribs = 0;
    std::string name;
};

struct ParsedCabinet {
    uint32_t size = 0;
    uint32_t fileSize = 0; // actual size of the file
    uint8_t versionMinor = 0;
    uint8_t versionMajor = 0;
    uint16_t flags = 0;
    uint16_t setID = 0;
    uint16_t index = 0;
    uint16_t headerReserveSize = 0;
    uint8_t folderReserveSize = 0;
    uint8_t dataReserveSize = 0;
    std::string headerReserve;
    std::string prevCabinet, prevDisk, nextCabinet, nextDisk;
    std::vector<ParsedFolder> folders;
    std::vector<ParsedFile> files;
};

// Throws std::runtime_error naming the first thing that does not add up.
ParsedCabinet ParseCabinet(const std::string& aBytes);

// The checksum as the layout description states it, one byte at a time.
uint32_t ReferenceChecksum(const std::string& aBytes, uint32_t aSeed);
uint32_t ReferenceBlockChecksum(const ParsedBlock& aBlock);

// The uncompressed data of a folder: stored blocks joined, or MSZIP blocks inflated by zlib with
// the previous 32 KiB as dictionary. Blocks split across cabinets are joined first.
std::string DecodeFolder(uint16_t aType, const std::vector<ParsedBlock>& aBlocks);

} // namespace kf::cabtest
