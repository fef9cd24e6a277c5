// The library's building blocks, checked against independent computations.
#include "CabinetParser.h"
#include "Checksum.h"
#include "TestSupport.h"
#include "deflate/MszipCompressor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <zlib.h>

namespace kf::cabtest {
namespace {

void* DIAMONDAPI Allocate(ULONG aSize) {
    return std::malloc(aSize);
}
void DIAMONDAPI Release(void* aBlock) {
    std::free(aBlock);
}

std::string AsString(std::span<const uint8_t> aBytes) {
    return std::string(reinterpret_cast<const char*>(aBytes.data()), aBytes.size());
}

std::span<const uint8_t> AsBytes(const std::string& aText) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(aText.data()), aText.size());
}

TEST(Library, ExportsTheNineEntryPointsOnly) {
    const ToolResult symbols =
        RunTool({"nm", "-D", "--defined-only", "--format=just-symbols", KF_CABINET_LIBRARY});
    ASSERT_EQ(symbols.status, 0) << symbols.output;
    std::set<std::string> exported;
    std::istringstream lines(symbols.output);
    for (std::string line; std::getline(lines, line);)
        if (line != "_init" && line != "_fini")
            exported.insert(line);
    EXPECT_EQ(exported, (std::set<std::string>{"FCIAddFile", "FCICreate", "FCIDestroy", "FCIFlushCabinet",
                                               "FCIFlushFolder", "FDICopy", "FDICreate", "FDIDestroy",
                                               "FDIIsCabinet"}));
}

TEST(Checksum, FoldsTrailingBytesWithTheFirstMostSignificant) {
    const uint8_t six[] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(cab::Checksum(six, 6, 0), 0x04030201u ^ 0x0506u);
    const uint8_t three[] = {0xAA, 0xBB, 0xCC};
    EXPECT_EQ(cab::Checksum(three, 3, 0x01000000), 0x01000000u ^ 0xAABBCCu);
}

TEST(Checksum, AgreesWithTheReferenceForEveryLengthAndAlignment) {
    const std::string data = RandomBytes(4096 + 7, 11);
    for (size_t offset = 0; offset < 4; ++offset)
        for (size_t length : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 1000u, 4096u}) {
            const std::string piece = data.substr(offset, length);
            const auto* bytes = reinterpret_cast<const uint8_t*>(piece.data());
            EXPECT_EQ(cab::Checksum(bytes, piece.size(), 0x12345678), ReferenceChecksum(piece, 0x12345678))
                << "offset " << offset << " length " << length;
        }
}

TEST(Checksum, DataBlockChecksumCoversPayloadThenSizes) {
    ParsedBlock block;
    block.payload = RandomBytes(1234, 5);
    block.compressed = 1234;
    block.uncompressed = 32768;
    const auto* bytes = reinterpret_cast<const uint8_t*>(block.payload.data());
    EXPECT_EQ(cab::DataBlockChecksum(bytes, 1234, 32768), ReferenceBlockChecksum(block));
}

// Inflates one MSZIP block with zlib, the history as its dictionary; the block must end in a
// final deflate block that uses all of its bytes.
std::string Inflate(const std::string& aBlock, const std::string& aHistory, size_t aSize) {
    EXPECT_EQ(aBlock.substr(0, 2), "CK");
    z_stream stream{};
    inflateInit2(&stream, -15);
    if (!aHistory.empty())
        inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(aHistory.data()),
                             static_cast<uInt>(aHistory.size()));
    std::string out(aSize, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(aBlock.data() + 2));
    stream.avail_in = static_cast<uInt>(aBlock.size() - 2);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(aSize);
    EXPECT_EQ(::inflate(&stream, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(stream.avail_in, 0u);
    inflateEnd(&stream);
    return out;
}

class Mszip : public testing::Test {
protected:
    cab::Heap heap{Allocate, Release};
};

TEST_F(Mszip, BlocksInflateWithTheFolderHistory) {
    cab::MszipCompressor compressor(heap);
    ASSERT_TRUE(compressor.initialise());
    const std::string first = TextBytes(32768, 1);
    const std::string second = TextBytes(32768, 2);
    std::span<const uint8_t> result;
    ASSERT_TRUE(compressor.compress({}, AsBytes(first), result));
    const std::string firstBlock = AsString(result);
    EXPECT_EQ(Inflate(firstBlock, "", first.size()), first);
    ASSERT_TRUE(compressor.compress(AsBytes(first), AsBytes(second), result));
    EXPECT_EQ(Inflate(AsString(result), first, second.size()), second);
}

TEST_F(Mszip, HistoryLetsABlockReferToThePreviousOne) {
    cab::MszipCompressor compressor(heap);
    ASSERT_TRUE(compressor.initialise());
    const std::string block = RandomBytes(20000, 3);
    std::span<const uint8_t> result;
    ASSERT_TRUE(compressor.compress({}, AsBytes(block), result));
    const size_t alone = result.size();
    ASSERT_TRUE(compressor.compress(AsBytes(block), AsBytes(block), result));
    EXPECT_LT(result.size() * 20, alone) << "a repeat of the previous block should shrink to a few matches";
    EXPECT_EQ(Inflate(AsString(result), block, block.size()), block);
}

TEST_F(Mszip, IncompressibleDataStaysWithinTheBlockLimit) {
    cab::MszipCompressor compressor(heap);
    ASSERT_TRUE(compressor.initialise());
    const std::string block = RandomBytes(32768, 4);
    std::span<const uint8_t> result;
    ASSERT_TRUE(compressor.compress({}, AsBytes(block), result));
    EXPECT_LE(result.size(), 32768u + 12u);
    EXPECT_EQ(Inflate(AsString(result), "", block.size()), block);
}

} // namespace
} // namespace kf::cabtest
