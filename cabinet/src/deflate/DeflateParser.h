#pragma once

#include "DeflateCostModel.h"
#include "DeflateFormat.h"
#include "DeflateMatchFinder.h"
#include "DeflateTable.h"

#include <cstdint>

namespace kf::cab::deflate {

// Chooses the literals and matches of one block: the matches of every position are gathered once,
// then each parse is the cheapest path through them under a cost model.
class Parser {
public:
    explicit Parser(const Heap& aHeap);
    bool allocate();

    // The block is aWindow[aStart, anEnd); what comes before it is history. A match of aNiceLength
    // is taken as it is: the positions it covers get no matches of their own.
    void gatherMatches(MatchFinder& aFinder, const uint8_t* aWindow, uint32_t aStart, uint32_t anEnd,
                       unsigned aNiceLength);

    // The longest match at each position, or a literal: a first parse to learn costs from.
    uint32_t parseGreedy(Item* anItems) const;
    // The cheapest parse; a match or literal starting before aBlockEnds[k] (block offsets) is priced
    // by aCosts[k]. Without aEveryLength each match is tried at its own length only, which is much
    // quicker and nearly as good. Returns the item count.
    uint32_t parseCheapest(const CostModel* aCosts, const uint32_t* aBlockEnds, bool anEveryLength,
                           Item* anItems);

private:
    const uint8_t* fBlock = nullptr;
    uint32_t fSize = 0;
    Table<Match> fMatches;
    Table<uint32_t> fFirstMatch;
    // The cheapest cost to reach each block offset, and the step taken there last: its length in
    // the low 16 bits, its distance (0 for a literal) in the high 16.
    Table<uint32_t> fCosts;
    Table<uint32_t> fSteps;
};

} // namespace kf::cab::deflate
