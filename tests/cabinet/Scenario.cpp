#include "Scenario.h"

#include <gtest/gtest.h>

namespace kf::cabtest {

namespace {

constexpr uint16_t kContinuedFromPrev = 0xFFFD;

std::string FileName(const std::string& aStoredName) {
    std::string name = HostName(aStoredName);
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}

} // namespace

std::vector<Member> Materialise(const std::filesystem::path& aFolder, const std::vector<Source>& aSources) {
    std::vector<Member> members;
    for (const Source& source : aSources) {
        const std::filesystem::path path = aFolder / FileName(source.name);
        WriteFile(path, source.bytes);
        members.push_back({path, source.name, source.type, source.execute, source.flushFolderAfter});
    }
    return members;
}

Contents ExpectedContents(const std::vector<Source>& aSources) {
    Contents contents;
    for (const Source& source : aSources)
        contents[HostName(source.name)] = source.bytes;
    return contents;
}

std::vector<Source> BoundarySources(TCOMP aType) {
    return {{"empty.txt", "", aType},
            {"one.bin", "x", aType},
            {"block.bin", TextBytes(32768, 1), aType},
            {"block-and-one.bin", TextBytes(32769, 2), aType},
            {"random.bin", RandomBytes(70000, 3), aType},
            {"docs\\readme.txt", TextBytes(50000, 4), aType, true}};
}

std::vector<Source> SpanningSources(TCOMP aType) {
    return {{"first.bin", RandomBytes(60000, 21), aType},
            {"second.txt", TextBytes(90000, 22), aType},
            {"third.bin", RandomBytes(45000, 23), aType},
            {"empty", "", aType},
            {"last.txt", TextBytes(3000, 24), aType}};
}

namespace {

// The size limit that leaves `aRoom` bytes after one full block of random data in a first cabinet
// that lists one member with a one-letter name: header 36, folder 8, member 16 + 2, block 8 +
// payload, and the 512 bytes kept for the next cabinet's names. MSZIP stores random data in one
// stored deflate block: 5 bytes of header and the "CK" signature. LZX stores it in an uncompressed
// block: the folder header bit and the block header padded to 32 bits, and the repeated offsets.
TightSet Tight(TCOMP aType, uint32_t aFirstSize, uint32_t aSecondSize, uint32_t aRoom) {
    const uint32_t payload = aType == tcompTYPE_NONE    ? 32768
                             : aType == tcompTYPE_MSZIP ? 32768 + 5 + 2
                                                        : 32768 + 4 + 12;
    TightSet set;
    set.sources = {{"a", RandomBytes(aFirstSize, 51), aType}, {"b", RandomBytes(aSecondSize, 52), aType}};
    set.options.cabinetSize = 36 + 8 + 18 + 8 + payload + 512 + aRoom;
    return set;
}

} // namespace

TightSet FullAtMemberBoundary(TCOMP aType) {
    return Tight(aType, 32768, 40000, 20);
}

TightSet FullInsideMember(TCOMP aType) {
    return Tight(aType, 40000, 40000, 20);
}

std::vector<ParsedCabinet> ParseSet(const std::filesystem::path& aFolder,
                                    const std::vector<std::string>& aNames) {
    std::vector<ParsedCabinet> set;
    for (const std::string& name : aNames) {
        try {
            set.push_back(ParseCabinet(ReadFile(aFolder / name)));
        } catch (const std::exception& error) {
            ADD_FAILURE() << name << ": " << error.what();
        }
    }
    return set;
}

Contents DecodeSet(const std::vector<ParsedCabinet>& aSet) {
    Contents contents;
    // A folder that goes on in the next cabinet: its blocks so far, and its members complete so far.
    std::vector<ParsedBlock> carriedBlocks;
    std::vector<ParsedFile> carriedFiles;
    for (size_t c = 0; c < aSet.size(); ++c) {
        const ParsedCabinet& cabinet = aSet[c];
        for (size_t f = 0; f < cabinet.folders.size(); ++f) {
            const ParsedFolder& folder = cabinet.folders[f];
            for (const ParsedBlock& block : folder.blocks)
                EXPECT_EQ(block.checksum, ReferenceBlockChecksum(block))
                    << "cabinet " << c << " folder " << f;
            std::vector<ParsedBlock> blocks = f == 0 ? carriedBlocks : std::vector<ParsedBlock>{};
            std::vector<ParsedFile> files = f == 0 ? carriedFiles : std::vector<ParsedFile>{};
            blocks.insert(blocks.end(), folder.blocks.begin(), folder.blocks.end());
            // Members continued into the next cabinet are taken from there, where their data ends.
            for (const ParsedFile& file : cabinet.files)
                if (file.folder == f || (f == 0 && file.folder == kContinuedFromPrev))
                    files.push_back(file);
            const bool continues = f + 1 == cabinet.folders.size() && (cabinet.flags & 2) != 0 &&
                                   !folder.blocks.empty() && folder.blocks.back().uncompressed == 0;
            carriedBlocks = continues ? blocks : std::vector<ParsedBlock>{};
            carriedFiles = continues ? files : std::vector<ParsedFile>{};
            if (continues)
                continue;
            const std::string data = DecodeFolder(folder.type, blocks);
            for (const ParsedFile& file : files) {
                EXPECT_LE(uint64_t{file.offset} + file.size, data.size()) << file.name;
                contents[HostName(file.name)] = data.substr(file.offset, file.size);
            }
        }
    }
    return contents;
}

} // namespace kf::cabtest
