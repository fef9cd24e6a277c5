#include "CabinetParser.h"

#include <stdexcept>
#include <zlib.h>

namespace kf::cabtest {

namespace {

class Cursor {
public:
    Cursor(const std::string& aBytes, size_t aPosition) : fBytes(aBytes), fPosition(aPosition) {}

    uint32_t number(int aSize) {
        need(static_cast<size_t>(aSize));
        uint32_t value = 0;
        for (int i = aSize - 1; i >= 0; --i)
            value = (value << 8) | static_cast<uint8_t>(fBytes[fPosition + static_cast<size_t>(i)]);
        fPosition += static_cast<size_t>(aSize);
        return value;
    }
    std::string bytes(size_t aCount) {
        need(aCount);
        fPosition += aCount;
        return fBytes.substr(fPosition - aCount, aCount);
    }
    std::string text() {
        const size_t end = fBytes.find('\0', fPosition);
        if (end == std::string::npos || end - fPosition > 255)
            throw std::runtime_error("unterminated name at " + std::to_string(fPosition));
        std::string value = fBytes.substr(fPosition, end - fPosition);
        fPosition = end + 1;
        return value;
    }
    size_t position() const { return fPosition; }

private:
    void need(size_t aCount) const {
        if (fPosition + aCount > fBytes.size())
            throw std::runtime_error("record runs past the end at " + std::to_string(fPosition));
    }

    const std::string& fBytes;
    size_t fPosition;
};

} // namespace

ParsedCabinet ParseCabinet(const std::string& aBytes) {
    ParsedCabinet cabinet;
    cabinet.fileSize = static_cast<uint32_t>(aBytes.size());
    Cursor header(aBytes, 0);
    if (header.bytes(4) != "MSCF")
        throw std::runtime_error("no MSCF signature");
    header.number(4);
    cabinet.size = header.number(4);
    header.number(4);
    const uint32_t coffFiles = header.number(4);
    header.number(4);
    cabinet.versionMinor = static_cast<uint8_t>(header.number(1));
    cabinet.versionMajor = static_cast<uint8_t>(header.number(1));
    const uint32_t folderCount = header.number(2);
    const uint32_t fileCount = header.number(2);
    cabinet.flags = static_cast<uint16_t>(header.number(2));
    cabinet.setID = static_cast<uint16_t>(header.number(2));
    cabinet.index = static_cast<uint16_t>(header.number(2));
    if (cabinet.flags & 4) {
        cabinet.headerReserveSize = static_cast<uint16_t>(header.number(2));
        cabinet.folderReserveSize = static_cast<uint8_t>(header.number(1));
        cabinet.dataReserveSize = static_cast<uint8_t>(header.number(1));
        cabinet.headerReserve = header.bytes(cabinet.headerReserveSize);
    }
    if (cabinet.flags & 1) {
        cabinet.prevCabinet = header.text();
        cabinet.prevDisk = header.text();
    }
    if (cabinet.flags & 2) {
        cabinet.nextCabinet = header.text();
        cabinet.nextDisk = header.text();
    }
    for (uint32_t i = 0; i < folderCount; ++i) {
        ParsedFolder folder;
        folder.dataOffset = header.number(4);
        folder.blockCount = static_cast<uint16_t>(header.number(2));
        folder.type = static_cast<uint16_t>(header.number(2));
        folder.reserve = header.bytes(cabinet.folderReserveSize);
        cabinet.folders.push_back(folder);
    }
    if (header.position() != coffFiles)
        throw std::runtime_error("coffFiles points elsewhere than after the folders");
    for (uint32_t i = 0; i < fileCount; ++i) {
        ParsedFile file;
        file.size = header.number(4);
        file.offset = header.number(4);
        file.folder = static_cast<uint16_t>(header.number(2));
        file.date = static_cast<uint16_t>(header.number(2));
        file.time = static_cast<uint16_t>(header.number(2));
        file.attribs = static_cast<uint16_t>(header.number(2));
        file.name = header.text();
        cabinet.files.push_back(file);
    }
    size_t expectedData = header.position();
    for (ParsedFolder& folder : cabinet.folders) {
        if (folder.dataOffset != expectedData)
            throw std::runtime_error("folder data does not follow the previous folder's data");
        Cursor data(aBytes, folder.dataOffset);
        for (uint32_t i = 0; i < folder.blockCount; ++i) {
            ParsedBlock block;
            block.checksum = data.number(4);
            block.compressed = static_cast<uint16_t>(data.number(2));
            block.uncompressed = static_cast<uint16_t>(data.number(2));
            block.reserve = data.bytes(cabinet.dataReserveSize);
            block.payload = data.bytes(block.compressed);
            folder.blocks.push_back(block);
        }
        expectedData = data.position();
    }
    if (expectedData != aBytes.size() || cabinet.size != aBytes.size())
        throw std::runtime_error("the cabinet's size field or its last block does not end the file");
    return cabinet;
}

uint32_t ReferenceChecksum(const std::string& aBytes, uint32_t aSeed) {
    uint32_t sum = aSeed;
    const size_t whole = aBytes.size() / 4 * 4;
    for (size_t i = 0; i < whole; i += 4) {
        uint32_t word = 0;
        for (int k = 3; k >= 0; --k)
            word = (word << 8) | static_cast<uint8_t>(aBytes[i + static_cast<size_t>(k)]);
        sum ^= word;
    }
    uint32_t tail = 0;
    for (size_t i = whole; i < aBytes.size(); ++i)
        tail = (tail << 8) | static_cast<uint8_t>(aBytes[i]);
    return sum ^ tail;
}

uint32_t ReferenceBlockChecksum(const ParsedBlock& aBlock) {
    std::string sizes(4, '\0');
    sizes[0] = static_cast<char>(aBlock.compressed & 0xFF);
    sizes[1] = static_cast<char>(aBlock.compressed >> 8);
    sizes[2] = static_cast<char>(aBlock.uncompressed & 0xFF);
    sizes[3] = static_cast<char>(aBlock.uncompressed >> 8);
    return ReferenceChecksum(sizes, ReferenceChecksum(aBlock.payload, 0));
}

std::string DecodeFolder(uint16_t aType, const std::vector<ParsedBlock>& aBlocks) {
    std::string data;
    std::string pending;
    for (const ParsedBlock& block : aBlocks) {
        pending += block.payload;
        if (block.uncompressed == 0)
            continue; // first part of a block that goes on in the next cabinet
        if (aType == 0) {
            data += pending;
        } else {
            if (pending.compare(0, 2, "CK") != 0)
                throw std::runtime_error("MSZIP block without its CK signature");
            z_stream stream{};
            inflateInit2(&stream, -15);
            const size_t history = std::min<size_t>(data.size(), 32768);
            if (history > 0)
                inflateSetDictionary(&stream,
                                     reinterpret_cast<const Bytef*>(data.data() + data.size() - history),
                                     static_cast<uInt>(history));
            std::string out(block.uncompressed, '\0');
            stream.next_in = reinterpret_cast<Bytef*>(pending.data() + 2);
            stream.avail_in = static_cast<uInt>(pending.size() - 2);
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = static_cast<uInt>(out.size());
            const int result = inflate(&stream, Z_FINISH);
            const bool complete = result == Z_STREAM_END && stream.avail_out == 0 && stream.avail_in == 0;
            inflateEnd(&stream);
            if (!complete)
                throw std::runtime_error(
                    "MSZIP block does not inflate to its size in one final deflate block");
            data += out;
        }
        pending.clear();
    }
    return data;
}

} // namespace kf::cabtest
