// MSZIP data shaped to reach the corners of the deflate encoder, extracted by every reader: runs of
// one byte (258-byte matches), random data (stored blocks), a block repeating the previous one
// (32 KiB distances), text and noise in one block (several deflate blocks, stored among them).
#include "ForeignReaders.h"
#include "Scenario.h"

#include <gtest/gtest.h>

namespace kf::cabtest {
namespace {

std::string RepeatedBlock() {
    const std::string block = RandomBytes(32768, 31);
    return block + block + block.substr(0, 1000);
}

std::string MixedBlocks() {
    std::string bytes;
    for (uint32_t seed = 0; seed < 4; ++seed)
        bytes += TextBytes(12000, seed) + RandomBytes(9000, seed) + std::string(2000, '\0');
    return bytes;
}

TEST(MszipReaders, EncoderCornersRestoreEverywhere) {
    ScratchFolder scratch;
    const std::vector<Source> sources = {{"one.bin", "x"},
                                         {"equal.bin", std::string(100000, 'z')},
                                         {"random.bin", RandomBytes(70000, 30)},
                                         {"repeat.bin", RepeatedBlock()},
                                         {"mixed.bin", MixedBlocks()},
                                         {"tail.txt", TextBytes(3, 32)}};
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.pack(Materialise(scratch / "in", sources))) << client.failedCall;
    ASSERT_EQ(client.cabinets.size(), 1u);
    ExpectEveryReaderRestores(scratch / "out", client.cabinets, ExpectedContents(sources), scratch / "x");
}

TEST(MszipReaders, EachMemberInItsOwnFolder) {
    ScratchFolder scratch;
    std::vector<Source> sources = {{"equal.bin", std::string(40000, 'z')},
                                   {"random.bin", RandomBytes(40000, 33)},
                                   {"repeat.bin", RepeatedBlock()},
                                   {"one.bin", "y"}};
    for (Source& source : sources)
        source.flushFolderAfter = true;
    FciClient client(scratch / "out");
    ASSERT_TRUE(client.pack(Materialise(scratch / "in", sources))) << client.failedCall;
    ExpectEveryReaderRestores(scratch / "out", client.cabinets, ExpectedContents(sources), scratch / "x");
}

} // namespace
} // namespace kf::cabtest
