#include "builder/BuildProgress.h"

#include <algorithm>

namespace kf {

int RoundedPercent(uint64_t aNumerator, uint64_t aDenominator) {
    uint64_t quotient = aNumerator / aDenominator;
    const uint64_t twiceRemainder = 2 * (aNumerator % aDenominator);
    if (twiceRemainder > aDenominator || (twiceRemainder == aDenominator && quotient % 2 == 1))
        ++quotient;
    return static_cast<int>(quotient);
}

void TBuildProgress::Advance(int aPercent) {
    if (aPercent <= fShown)
        return;
    fShown = aPercent;
    fHost.ShowProgress(aPercent);
}

void TBuildProgress::AdvanceAcross(int aBase, size_t aFirst, size_t anEnd, size_t aCount, uint64_t aDone,
                                   uint64_t aTotal) {
    const uint64_t total = std::max<uint64_t>(aTotal, 1);
    const uint64_t done = aTotal == 0 ? 0 : std::min(aDone, aTotal);
    Advance(aBase + RoundedPercent(50 * (aFirst * total + done * (anEnd - aFirst)), aCount * total));
}

void TBuildProgress::AdvanceToRow(int aBase, size_t aRows, size_t aCount) {
    Advance(aBase + RoundedPercent(50 * aRows, aCount));
}

void TBuildProgress::Reset() {
    fShown = 0;
    fHost.ShowProgress(0);
}

} // namespace kf
