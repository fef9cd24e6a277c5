// The deflate encoder behind MSZIP: every block must inflate with zlib, given the history as its
// dictionary, to exactly the bytes it was made from; the code builder must give complete, limited,
// optimal codes.
#include "deflate/DeflateEncoder.h"
#include "TestSupport.h"
#include "deflate/DeflateHuffman.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <queue>
#include <random>
#include <zlib.h>

namespace kf::cabtest {
namespace {

using cab::deflate::Encoder;

void* DIAMONDAPI Allocate(ULONG aSize) {
    return std::malloc(aSize);
}
void DIAMONDAPI Release(void* aBlock) {
    std::free(aBlock);
}

std::span<const uint8_t> Bytes(const std::string& aText) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(aText.data()), aText.size());
}

struct Inflated {
    int status = Z_OK;
    std::string bytes;
    size_t unused = 0;
};

Inflated Inflate(const std::string& aStream, const std::string& aHistory, size_t aCapacity) {
    z_stream stream{};
    inflateInit2(&stream, -15);
    if (!aHistory.empty())
        inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(aHistory.data()),
                             static_cast<uInt>(aHistory.size()));
    Inflated result;
    result.bytes.assign(aCapacity + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(aStream.data()));
    stream.avail_in = static_cast<uInt>(aStream.size());
    stream.next_out = reinterpret_cast<Bytef*>(result.bytes.data());
    stream.avail_out = static_cast<uInt>(result.bytes.size());
    result.status = ::inflate(&stream, Z_FINISH);
    result.bytes.resize(stream.total_out);
    result.unused = stream.avail_in;
    inflateEnd(&stream);
    return result;
}

// How many deflate blocks zlib reads: it stops after each end-of-block code.
int CountBlocks(const std::string& aStream) {
    z_stream stream{};
    inflateInit2(&stream, -15);
    std::string out(Encoder::kMaxBlockSize, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(aStream.data()));
    stream.avail_in = static_cast<uInt>(aStream.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int blocks = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        status = ::inflate(&stream, Z_BLOCK);
        if (status == Z_OK && (stream.data_type & 128) != 0 && stream.total_in > 0)
            ++blocks;
    }
    EXPECT_EQ(status, Z_STREAM_END);
    inflateEnd(&stream);
    return blocks;
}

class DeflateEncoder : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(encoder.allocate()); }

    std::string encode(const std::string& aHistory, const std::string& aBlock) {
        std::string out(Encoder::kMaxOutputSize, '\0');
        const uint32_t size =
            encoder.encode(Bytes(aHistory), Bytes(aBlock), reinterpret_cast<uint8_t*>(out.data()));
        EXPECT_GT(size, 0u);
        out.resize(size);
        return out;
    }

    // Encodes, checks the stream against zlib and returns it.
    std::string roundTrip(const std::string& aHistory, const std::string& aBlock) {
        const std::string stream = encode(aHistory, aBlock);
        const Inflated inflated = Inflate(stream, aHistory, aBlock.size());
        EXPECT_EQ(inflated.status, Z_STREAM_END);
        EXPECT_EQ(inflated.unused, 0u) << "bytes after the final block";
        EXPECT_TRUE(inflated.bytes == aBlock) << "inflated to other bytes";
        EXPECT_LE(stream.size(), aBlock.size() + 5);
        return stream;
    }

    cab::Heap heap{Allocate, Release};
    Encoder encoder{heap};
};

// Bytes like a program file: runs of zeros, repeated records with small changes, tables, noise.
std::string StructuredBytes(size_t aSize, uint32_t aSeed) {
    std::mt19937 generator(aSeed);
    std::string bytes;
    while (bytes.size() < aSize) {
        switch (generator() % 4) {
        case 0:
            bytes.append(generator() % 300, '\0');
            break;
        case 1: {
            std::string record = RandomBytes(4 + generator() % 40, generator());
            for (int i = generator() % 20; i > 0; --i) {
                record[generator() % record.size()] = static_cast<char>(generator());
                bytes += record;
            }
            break;
        }
        case 2:
            for (uint32_t value = generator() % 1000, i = 0; i < 64; ++i, value += 4)
                bytes.append(reinterpret_cast<const char*>(&value), 4);
            break;
        default:
            bytes += RandomBytes(generator() % 100, generator());
        }
    }
    bytes.resize(aSize);
    return bytes;
}

TEST_F(DeflateEncoder, EveryKindOfDataInflatesWithAndWithoutHistory) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        const std::vector<std::string> folder = {TextBytes(32768, seed), StructuredBytes(32768, seed),
                                                 RandomBytes(32768, seed), TextBytes(20000, seed + 10),
                                                 StructuredBytes(32768, seed + 20)};
        std::string history;
        for (const std::string& block : folder) {
            roundTrip(history, block);
            history = block;
        }
    }
}

// Blocks in folder order let the encoder carry its match finder on from one block to the next; it
// must find what an encoder starting over finds, back to the oldest byte of the history.
TEST_F(DeflateEncoder, CarryingOnFindsWhatStartingOverFinds) {
    const std::string first = StructuredBytes(20000, 31);
    const std::string second = StructuredBytes(32768, 32);
    const std::vector<std::string> folder = {first, second, second, TextBytes(32768, 33),
                                             TextBytes(32768, 33).substr(7) + first.substr(0, 7)};
    std::string history;
    size_t carried = 0;
    size_t fresh = 0;
    for (const std::string& block : folder) {
        const std::string stream = roundTrip(history, block);
        Encoder starting{heap};
        ASSERT_TRUE(starting.allocate());
        std::string out(Encoder::kMaxOutputSize, '\0');
        const uint32_t size =
            starting.encode(Bytes(history), Bytes(block), reinterpret_cast<uint8_t*>(out.data()));
        EXPECT_LE(stream.size(), size + size / 100 + 16) << "carrying on lost matches";
        carried += stream.size();
        fresh += size;
        history = block;
    }
    EXPECT_LE(carried, fresh + fresh / 200);
    // The third block repeats the second: every match is 32768 bytes back.
    EXPECT_LT(roundTrip(folder[1], folder[2]).size(), 600u);
}

// Records of two letters copied from a few originals with changes only after their first 100
// bytes: many strings share long beginnings, also across block ends, where the match finder has
// seen too few bytes of a string to place it for good.
std::string SharedBeginnings(size_t aSize, uint32_t aSeed) {
    std::mt19937 generator(aSeed);
    std::vector<std::string> originals;
    for (int i = 0; i < 3; ++i) {
        std::string record;
        for (int k = 0; k < 400; ++k)
            record += static_cast<char>('a' + generator() % 2);
        originals.push_back(record);
    }
    std::string bytes;
    while (bytes.size() < aSize) {
        std::string record = originals[generator() % originals.size()];
        record.resize(120 + generator() % 280);
        for (int i = generator() % 4; i > 0; --i)
            record[100 + generator() % (record.size() - 100)] = static_cast<char>('a' + generator() % 2);
        bytes += record;
    }
    bytes.resize(aSize);
    return bytes;
}

TEST_F(DeflateEncoder, StringsThatStraddleBlockEndsMatchOnlyWhatTheyHold) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        const std::string folder = SharedBeginnings(4 * 32768, seed);
        std::string history;
        for (size_t start = 0; start < folder.size(); start += 32768) {
            const std::string block = folder.substr(start, 32768);
            roundTrip(history, block);
            history = block;
        }
    }
}

TEST_F(DeflateEncoder, EmptyAndTinyBlocks) {
    EXPECT_EQ(roundTrip("", ""), std::string("\x03\x00", 2)) << "one empty fixed final block";
    const std::string history = TextBytes(32768, 3);
    for (size_t size : {1u, 2u, 3u, 4u, 5u, 17u, 258u, 259u}) {
        roundTrip("", TextBytes(size, 4));
        roundTrip(history, TextBytes(size, 4));
        roundTrip(history, history.substr(1000, size));
    }
}

TEST_F(DeflateEncoder, EqualBytesUseTheLongestMatches) {
    for (size_t size : {3u, 258u, 259u, 32768u}) {
        const std::string block(size, 'z');
        const std::string stream = roundTrip("", block);
        // A literal, then one 258-byte match per 258 bytes at about 3 bits each.
        EXPECT_LE(stream.size(), 16 + size / 258 / 2) << size;
    }
    roundTrip(std::string(32768, 'z'), std::string(32768, 'z'));
}

TEST_F(DeflateEncoder, RandomDataIsStored) {
    for (size_t size : {300u, 5000u, 32768u}) {
        const std::string block = RandomBytes(size, 9);
        const std::string stream = roundTrip(TextBytes(32768, 1), block);
        ASSERT_EQ(stream.size(), size + 5) << "one final stored block";
        EXPECT_EQ(stream[0], '\x01');
        EXPECT_EQ(static_cast<uint8_t>(stream[1]) | static_cast<uint8_t>(stream[2]) << 8, size);
    }
}

TEST_F(DeflateEncoder, MatchesReachTheWholeHistory) {
    const std::string history = RandomBytes(32768, 5);
    // The oldest history byte is 32768 back from the block's first byte.
    const std::string oldest = roundTrip(history, history);
    EXPECT_LT(oldest.size(), 300u) << "the block should be matches into the history";
    // Without the history the same block cannot shrink.
    EXPECT_EQ(roundTrip("", history).size(), history.size() + 5);
    // Near history, new bytes, then history again at exactly the longest distance.
    const std::string tail = history.substr(32768 - 1000) + RandomBytes(100, 6) + history.substr(1100, 5000);
    EXPECT_LT(roundTrip(history, tail).size(), 400u);
    // A longer history only counts by its last 32 KiB.
    const std::string longHistory = RandomBytes(20000, 7) + history;
    EXPECT_EQ(encode(longHistory, tail), encode(history, tail));
}

TEST_F(DeflateEncoder, TheSameBlockAndHistoryGiveTheSameStream) {
    const std::string history = StructuredBytes(32768, 11);
    const std::string block = TextBytes(32768, 12);
    const std::string first = encode(history, block);
    encode(block, StructuredBytes(30000, 13));
    EXPECT_EQ(encode(history, block), first);
}

TEST_F(DeflateEncoder, ChangingStatisticsSplitTheBlock) {
    const std::string block = TextBytes(16384, 14) + StructuredBytes(16384, 15);
    const std::string stream = roundTrip("", block);
    EXPECT_GE(CountBlocks(stream), 2);
    EXPECT_EQ(CountBlocks(roundTrip("", TextBytes(600, 16))), 1) << "too short to pay for a second header";
}

TEST_F(DeflateEncoder, BlocksOverTheLimitAreRefused) {
    std::string out(Encoder::kMaxOutputSize, '\0');
    const std::string block(32769, 'a');
    EXPECT_EQ(encoder.encode({}, Bytes(block), reinterpret_cast<uint8_t*>(out.data())), 0u);
}

// Huffman code cost by the textbook algorithm: every merge adds its weight.
uint64_t OptimalCost(const std::vector<uint32_t>& aFrequencies) {
    std::priority_queue<uint64_t, std::vector<uint64_t>, std::greater<>> queue;
    for (uint32_t frequency : aFrequencies)
        if (frequency != 0)
            queue.push(frequency);
    uint64_t cost = 0;
    while (queue.size() > 1) {
        const uint64_t a = queue.top();
        queue.pop();
        const uint64_t b = queue.top();
        queue.pop();
        cost += a + b;
        queue.push(a + b);
    }
    return cost;
}

struct CodeFacts {
    uint64_t cost = 0;
    unsigned longest = 0;
    unsigned coded = 0;
    double kraft = 0;
};

CodeFacts Lengths(const std::vector<uint32_t>& aFrequencies, unsigned aLimit) {
    std::vector<uint8_t> lengths(aFrequencies.size());
    cab::deflate::BuildCodeLengths(aFrequencies.data(), static_cast<unsigned>(aFrequencies.size()), aLimit,
                                   lengths.data());
    CodeFacts facts;
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        if (lengths[symbol] == 0) {
            EXPECT_EQ(aFrequencies[symbol], 0u) << "a used symbol has no code";
            continue;
        }
        facts.cost += static_cast<uint64_t>(aFrequencies[symbol]) * lengths[symbol];
        facts.longest = std::max<unsigned>(facts.longest, lengths[symbol]);
        facts.kraft += 1.0 / (1u << lengths[symbol]);
        ++facts.coded;
    }
    return facts;
}

TEST(DeflateHuffman, CodesAreCompleteAndOptimalBelowTheLimit) {
    std::mt19937 generator(17);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint32_t> frequencies(2 + generator() % 287);
        for (uint32_t& frequency : frequencies)
            frequency = generator() % 3 == 0 ? 0 : generator() % (1u << (generator() % 16));
        const CodeFacts facts = Lengths(frequencies, 15);
        EXPECT_EQ(facts.kraft, 1.0);
        EXPECT_GE(facts.coded, 2u);
        if (facts.longest < 15) {
            EXPECT_EQ(facts.cost, OptimalCost(frequencies)) << "round " << round;
        }
    }
}

TEST(DeflateHuffman, SkewedFrequenciesStayWithinTheLimit) {
    // Fibonacci weights would make a 24-level tree without the limit.
    std::vector<uint32_t> frequencies(25);
    uint32_t a = 1;
    uint32_t b = 1;
    for (uint32_t& frequency : frequencies) {
        frequency = a;
        b = std::exchange(a, a + b);
    }
    for (unsigned limit : {7u, 15u}) {
        const std::vector<uint32_t> used(frequencies.begin(), frequencies.begin() + (limit == 7 ? 19 : 25));
        const CodeFacts facts = Lengths(used, limit);
        EXPECT_EQ(facts.longest, limit);
        EXPECT_EQ(facts.kraft, 1.0);
        EXPECT_GE(facts.cost, OptimalCost(used));
    }
}

TEST(DeflateHuffman, OneOrNoSymbolStillMakesAWholeCode) {
    for (const std::vector<uint32_t>& frequencies :
         {std::vector<uint32_t>(30, 0), std::vector<uint32_t>{0, 0, 7, 0}, std::vector<uint32_t>{9, 0}}) {
        const CodeFacts facts = Lengths(frequencies, 15);
        EXPECT_EQ(facts.coded, 2u);
        EXPECT_EQ(facts.kraft, 1.0);
    }
}

TEST(DeflateHuffman, CanonicalCodesAreBitReversedInLengthOrder) {
    // RFC 1951's example: lengths 3,3,3,3,3,2,4,4 give 010,011,100,101,110,00,1110,1111.
    const uint8_t lengths[] = {3, 3, 3, 3, 3, 2, 4, 4};
    uint16_t codes[8];
    cab::deflate::BuildCodes(lengths, 8, codes);
    const uint16_t expected[] = {0b010, 0b110, 0b001, 0b101, 0b011, 0b00, 0b0111, 0b1111};
    for (int symbol = 0; symbol < 8; ++symbol)
        EXPECT_EQ(codes[symbol], expected[symbol]) << symbol;
}

} // namespace
} // namespace kf::cabtest
