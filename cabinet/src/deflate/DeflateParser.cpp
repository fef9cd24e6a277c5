#include "DeflateParser.h"

#include <algorithm>
#include <cstring>

namespace kf::cab::deflate {

namespace {

constexpr uint32_t kBlockCapacity = 32768;
// Room for the matches of the whole block; past it a position keeps only its longest match.
constexpr uint32_t kMatchCapacity = kBlockCapacity * 12;
constexpr uint32_t kUnreached = CostModel::kNever;

// Offers each match at its own length only.
void OfferOwnLength(const CostModel& aModel, uint32_t aCost, const Match* aMatches, uint32_t aCount,
                    uint32_t* aTargets, uint32_t* aSteps) {
    for (uint32_t m = 0; m < aCount; ++m) {
        const Match match = aMatches[m];
        const uint32_t total = aCost + aModel.distance(match.distance) + aModel.length(match.length);
        if (total < aTargets[match.length]) {
            aTargets[match.length] = total;
            aSteps[match.length] = (static_cast<uint32_t>(match.distance) << 16) | match.length;
        }
    }
}

// Four 32-bit lanes (GCC and Clang vector extension: SSE2 on x86, NEON on ARM).
using Lanes = int32_t __attribute__((vector_size(16)));
constexpr uint32_t kGroup = sizeof(Lanes) / sizeof(int32_t);

Lanes Load(const uint32_t* aValues) {
    Lanes lanes;
    std::memcpy(&lanes, aValues, sizeof lanes);
    return lanes;
}

void Store(uint32_t* aValues, Lanes aLanes) {
    std::memcpy(aValues, &aLanes, sizeof aLanes);
}

// Offers every length a match covers beyond the one before it, in groups of kGroup lengths that
// end at its own length; the shorter lengths of a group may repeat what a nearer match offered.
// Lengths below the shortest match cost kNever, so a group may start there.
void OfferEveryLength(const CostModel& aModel, uint32_t aCost, const Match* aMatches, uint32_t aCount,
                      uint32_t* aTargets, uint32_t* aSteps) {
    const uint32_t* lengthCosts = aModel.lengths();
    const Lanes offsets = {0, 1, 2, 3};
    uint32_t shorter = kMinMatch - 1;
    for (uint32_t m = 0; m < aCount; ++m) {
        const Match match = aMatches[m];
        const int32_t base = static_cast<int32_t>(aCost + aModel.distance(match.distance));
        const int32_t step = static_cast<int32_t>(static_cast<uint32_t>(match.distance) << 16);
        for (uint32_t last = match.length;; last -= kGroup) {
            const uint32_t first = last + 1 - kGroup;
            const Lanes total = base + Load(lengthCosts + first);
            const Lanes targets = Load(aTargets + first);
            const Lanes cheaper = total < targets;
            Store(aTargets + first, (total & cheaper) | (targets & ~cheaper));
            const Lanes steps = step | (static_cast<int32_t>(first) + offsets);
            Store(aSteps + first, (steps & cheaper) | (Load(aSteps + first) & ~cheaper));
            if (last <= shorter + kGroup)
                break;
        }
        shorter = match.length;
    }
}

} // namespace

Parser::Parser(const Heap& aHeap) : fMatches(aHeap), fFirstMatch(aHeap), fCosts(aHeap), fSteps(aHeap) {}

bool Parser::allocate() {
    return fMatches.allocate(kMatchCapacity) && fFirstMatch.allocate(kBlockCapacity + 1) &&
           fCosts.allocate(kBlockCapacity + 1) && fSteps.allocate(kBlockCapacity + 1);
}

void Parser::gatherMatches(MatchFinder& aFinder, const uint8_t* aWindow, uint32_t aStart, uint32_t anEnd,
                           unsigned aNiceLength) {
    fBlock = aWindow + aStart;
    fSize = anEnd - aStart;
    Match spare[kMaxMatch];
    uint32_t used = 0;
    for (uint32_t i = 0; i < fSize;) {
        fFirstMatch[i] = used;
        const bool room = used + kMaxMatch <= kMatchCapacity;
        Match* matches = room ? &fMatches[used] : spare;
        const uint32_t count = aFinder.find(aStart + i, matches);
        ++i;
        if (count == 0)
            continue;
        const Match longest = matches[count - 1];
        if (room)
            used += count;
        else if (used < kMatchCapacity)
            fMatches[used++] = longest;
        if (longest.length < aNiceLength)
            continue;
        for (uint32_t covered = 1; covered < longest.length; ++covered, ++i) {
            fFirstMatch[i] = used;
            aFinder.skip(aStart + i);
        }
    }
    fFirstMatch[fSize] = used;
}

uint32_t Parser::parseGreedy(Item* anItems) const {
    uint32_t count = 0;
    for (uint32_t i = 0; i < fSize;) {
        const uint32_t first = fFirstMatch[i];
        const uint32_t last = fFirstMatch[i + 1];
        if (first == last) {
            anItems[count++] = {0, fBlock[i]};
            ++i;
            continue;
        }
        const Match longest = fMatches[last - 1];
        anItems[count++] = {longest.length, longest.distance};
        i += longest.length;
    }
    return count;
}

uint32_t Parser::parseCheapest(const CostModel* aCosts, const uint32_t* aBlockEnds, bool anEveryLength,
                               Item* anItems) {
    uint32_t* costs = fCosts.data();
    uint32_t* steps = fSteps.data();
    costs[0] = 0;
    std::fill(costs + 1, costs + fSize + 1, kUnreached);
    const CostModel* model = aCosts;
    for (uint32_t i = 0; i < fSize; ++i) {
        while (i >= *aBlockEnds) {
            ++aBlockEnds;
            ++model;
        }
        const uint32_t cost = costs[i];
        const uint32_t literal = cost + model->literal(fBlock[i]);
        if (literal < costs[i + 1]) {
            costs[i + 1] = literal;
            steps[i + 1] = 1;
        }
        const Match* matches = fMatches.data() + fFirstMatch[i];
        const uint32_t matchCount = fFirstMatch[i + 1] - fFirstMatch[i];
        if (anEveryLength)
            OfferEveryLength(*model, cost, matches, matchCount, costs + i, steps + i);
        else
            OfferOwnLength(*model, cost, matches, matchCount, costs + i, steps + i);
    }
    // Walk back from the end, then put the items in order.
    uint32_t count = 0;
    for (uint32_t i = fSize; i > 0;) {
        const uint32_t length = steps[i] & 0xFFFF;
        const uint32_t distance = steps[i] >> 16;
        i -= length;
        anItems[count++] = distance == 0
                               ? Item{0, fBlock[i]}
                               : Item{static_cast<uint16_t>(length), static_cast<uint16_t>(distance)};
    }
    std::reverse(anItems, anItems + count);
    return count;
}

} // namespace kf::cab::deflate
