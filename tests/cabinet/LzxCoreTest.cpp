// The LZX encoder's pieces, each checked against the format's rules computed independently here.
#include "TestSupport.h"
#include "lzx/E8Translation.h"
#include "lzx/LzxBitWriter.h"
#include "lzx/LzxFormat.h"
#include "lzx/LzxHuffman.h"
#include "lzx/LzxMatchFinder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace kf::cabtest {
namespace {

using namespace kf::cab;
using namespace kf::cab::lzx;

void* DIAMONDAPI Allocate(ULONG aSize) {
    return std::malloc(aSize);
}
void DIAMONDAPI Release(void* aBlock) {
    std::free(aBlock);
}

// Kraft's sum in units of 2^-16: exactly 65536 for a complete code.
uint32_t KraftSum(const uint8_t* aLengths, uint32_t aCount) {
    uint32_t sum = 0;
    for (uint32_t i = 0; i < aCount; ++i)
        if (aLengths[i] > 0)
            sum += 1u << (16 - aLengths[i]);
    return sum;
}

TEST(LzxHuffman, CodesAreCompleteAndKeepTheLengthLimit) {
    // Fibonacci weights would need codes as long as the alphabet.
    uint32_t fibonacci[40];
    fibonacci[0] = fibonacci[1] = 1;
    for (int i = 2; i < 40; ++i)
        fibonacci[i] = fibonacci[i - 1] + fibonacci[i - 2];
    for (const uint32_t limit : {7u, 15u, 16u}) {
        uint8_t lengths[40];
        huffman::BuildLengths(fibonacci, 40, limit, lengths);
        EXPECT_EQ(KraftSum(lengths, 40), 65536u) << limit;
        for (uint32_t i = 0; i < 40; ++i) {
            EXPECT_GE(lengths[i], 1) << i;
            EXPECT_LE(lengths[i], limit) << i;
        }
        EXPECT_LE(lengths[39], lengths[0]) << "the heaviest symbol has the shortest code";
    }
    // The readers refuse a code of one symbol: a second one is added.
    for (const uint32_t used : {0u, 1u, 7u}) {
        uint32_t frequencies[8] = {};
        if (used > 0) {
            frequencies[used] = 100;
        }
        uint8_t lengths[8];
        huffman::BuildLengths(frequencies, 8, 7, lengths);
        EXPECT_EQ(KraftSum(lengths, 8), 65536u) << used;
        if (used > 0) {
            EXPECT_GT(lengths[used], 0) << used;
        }
    }
}

TEST(LzxHuffman, CanonicalCodesFollowLengthThenSymbol) {
    const uint8_t lengths[6] = {3, 2, 0, 3, 2, 2};
    uint16_t codes[6];
    huffman::BuildCodes(lengths, 6, codes);
    // Length 2: symbols 1, 4, 5 get 00, 01, 10; length 3: symbols 0, 3 get 110, 111.
    EXPECT_EQ(codes[1], 0b00);
    EXPECT_EQ(codes[4], 0b01);
    EXPECT_EQ(codes[5], 0b10);
    EXPECT_EQ(codes[0], 0b110);
    EXPECT_EQ(codes[3], 0b111);
}

TEST(LzxBits, MostSignificantFirstInLittleEndianWords) {
    uint8_t out[16] = {};
    BitWriter bits;
    bits.start(out);
    bits.put(1, 1);
    bits.put(0x2345, 15); // word 1010 0011 0100 0101 = 0xA345
    bits.put(0x5, 3);     // 101, then padded with zeros: 0xA000
    bits.align();
    bits.align(true); // already on a word: a whole zero word
    const uint8_t raw[3] = {7, 8, 9};
    bits.bytes(raw, 3);
    const uint8_t expected[] = {0x45, 0xA3, 0x00, 0xA0, 0x00, 0x00, 7, 8, 9};
    ASSERT_EQ(bits.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(out, expected, sizeof expected), 0);
}

TEST(LzxSlots, EveryOffsetOfEveryWindowHasOneSlot) {
    for (uint32_t level = lzx::kMinLevel; level <= lzx::kMaxLevel; ++level)
        EXPECT_EQ(lzx::SlotBase(lzx::SlotCount(level)), 1u << level) << "level " << level;
    EXPECT_EQ(lzx::MainSymbolCount(15), 496u);
    EXPECT_EQ(lzx::MainSymbolCount(21), 656u);
    for (uint32_t formatted = 3; formatted < (1u << 21); ++formatted) {
        const uint32_t slot = lzx::SlotOf(formatted);
        ASSERT_GE(formatted, lzx::SlotBase(slot)) << formatted;
        ASSERT_LT(formatted - lzx::SlotBase(slot), 1u << lzx::ExtraBits(slot)) << formatted;
    }
}

// The reader's side of the translation, as the format describes it.
void Untranslate(uint8_t* aFrame, uint32_t aSize, int32_t aPosition) {
    if (aSize <= 10)
        return;
    for (uint32_t i = 0; i < aSize - 10;) {
        if (aFrame[i] != 0xE8) {
            ++i;
            continue;
        }
        const int32_t here = aPosition + static_cast<int32_t>(i);
        int32_t value;
        std::memcpy(&value, aFrame + i + 1, 4);
        if (value >= -here && value < static_cast<int32_t>(lzx::e8::kTranslationSize)) {
            value = value >= 0 ? value - here : value + static_cast<int32_t>(lzx::e8::kTranslationSize);
            std::memcpy(aFrame + i + 1, &value, 4);
        }
        i += 5;
    }
}

std::vector<uint8_t> CallHeavyFrame(uint32_t aSize, uint32_t aSeed) {
    std::mt19937 generator(aSeed);
    std::vector<uint8_t> frame(aSize);
    for (uint32_t i = 0; i < aSize; ++i)
        frame[i] = generator() % 3 == 0 ? 0xE8 : static_cast<uint8_t>(generator());
    // Targets near and far, forward and back, around the translation size.
    const int32_t targets[] = {-5, 100, -100000, 11999999, 12000000, -12000000, 2000000000};
    for (uint32_t i = 0; i + 5 < aSize; i += 37) {
        frame[i] = 0xE8;
        std::memcpy(&frame[i + 1], &targets[(i / 37) % std::size(targets)], 4);
    }
    return frame;
}

TEST(LzxE8, ReadersUndoTheTranslation) {
    for (const uint32_t position : {0u, 32768u, 11999990u, 1073709056u}) {
        for (const uint32_t size : {32768u, 11u, 5000u}) {
            const std::vector<uint8_t> original = CallHeavyFrame(size, position + size);
            std::vector<uint8_t> frame = original;
            lzx::e8::Translate(frame.data(), size, position);
            // A call in the last 10 bytes stays; the operand of one just before may reach into them.
            EXPECT_TRUE(std::equal(frame.end() - 6, frame.end(), original.end() - 6));
            if (size > 11) {
                EXPECT_NE(frame, original) << position << " " << size;
            }
            Untranslate(frame.data(), size, static_cast<int32_t>(position));
            EXPECT_EQ(frame, original) << position << " " << size;
        }
    }
}

TEST(LzxE8, OnlyTheFirstGibibyteAndFramesOverTenBytes) {
    const std::vector<uint8_t> original = CallHeavyFrame(32768, 1);
    std::vector<uint8_t> frame = original;
    lzx::e8::Translate(frame.data(), 32768, 32768u * 32768u);
    EXPECT_EQ(frame, original);
    frame.resize(10);
    lzx::e8::Translate(frame.data(), 10, 0);
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), original.begin()));
}

TEST(LzxE8, TranslationIsUsedForCodeButNotForData) {
    const std::string code =
        ReadFile("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/ntdll.dll").substr(0, 32768);
    ASSERT_EQ(code.size(), 32768u) << "ntdll.dll is missing: run scripts/setup.sh";
    EXPECT_TRUE(lzx::e8::Worthwhile(reinterpret_cast<const uint8_t*>(code.data()), 32768));
    const std::string random = RandomBytes(32768, 3);
    EXPECT_FALSE(lzx::e8::Worthwhile(reinterpret_cast<const uint8_t*>(random.data()), 32768));
}

// Every match the finder reports must be real, inside the window and inside the frame, with
// lengths growing; frames end where the data for the next one has not come yet.
void ExpectRealMatches(const std::string& aData, uint32_t aLevel) {
    MatchFinder finder(Heap(Allocate, Release));
    ASSERT_TRUE(finder.allocate(aLevel, 12, 32));
    finder.reset();
    const auto* data = reinterpret_cast<const uint8_t*>(aData.data());
    const auto total = static_cast<uint32_t>(aData.size());
    Match matches[MatchFinder::kMaxResults];
    uint32_t found = 0;
    for (uint32_t start = 0; start < total; start += 32768) {
        const uint32_t size = std::min<uint32_t>(32768, total - start);
        finder.append(data + start, size);
        for (uint32_t i = 0; i < size; ++i) {
            const uint32_t position = start + i;
            const uint32_t available = std::min(257u, size - i);
            const uint32_t count = finder.find(position, available, matches);
            for (uint32_t m = 0; m < count; ++m) {
                const Match match = matches[m];
                ASSERT_LE(match.length, available) << position;
                ASSERT_GE(match.length, 2u) << position;
                ASSERT_LE(match.distance, position) << position;
                ASSERT_LE(match.distance, (1u << aLevel) - 3) << position;
                ASSERT_EQ(std::memcmp(data + position, data + position - match.distance, match.length), 0)
                    << "position " << position << " distance " << match.distance << " length "
                    << match.length;
                if (m > 0) {
                    ASSERT_GT(match.length, matches[m - 1].length) << position;
                }
            }
            found += count;
        }
    }
    EXPECT_GT(found, total) << "the data is full of matches";
}

TEST(LzxMatchFinder, MatchesAreRealAndStayInTheirFrame) {
    ExpectRealMatches(TextBytes(12 * 32768 + 1234, 12), 21);
    ExpectRealMatches(TextBytes(6 * 32768 + 99, 13), 16);
}

} // namespace
} // namespace kf::cabtest
