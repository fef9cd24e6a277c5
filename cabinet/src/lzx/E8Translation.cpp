#include "E8Translation.h"

#include "Format.h"
#include "LzxFormat.h"

namespace kf::cab::lzx::e8 {

namespace {

constexpr uint8_t kCall = 0xE8;
constexpr int32_t kNearCall = 1 << 20; // calls within one module reach less than this far

} // namespace

void Translate(uint8_t* aFrame, uint32_t aSize, uint32_t aPosition) {
    if (aPosition / kFrameSize >= kE8FrameLimit || aSize <= kE8Tail)
        return;
    const int64_t size = kTranslationSize;
    for (uint32_t i = 0; i < aSize - kE8Tail;) {
        if (aFrame[i] != kCall) {
            ++i;
            continue;
        }
        const int64_t here = int64_t{aPosition} + i;
        const int64_t relative = static_cast<int32_t>(format::get32(aFrame + i + 1));
        int64_t absolute = relative;
        if (relative >= -here && relative < size - here)
            absolute = relative + here;
        else if (relative >= size - here && relative < size)
            absolute = relative - size;
        format::put32(aFrame + i + 1, static_cast<uint32_t>(absolute));
        i += 5;
    }
}

bool Worthwhile(const uint8_t* aFrame, uint32_t aSize) {
    uint32_t calls = 0, others = 0;
    for (uint32_t i = 0; i + 5 <= aSize; ++i) {
        if (aFrame[i] != kCall)
            continue;
        const auto relative = static_cast<int32_t>(format::get32(aFrame + i + 1));
        if (relative > -kNearCall && relative < kNearCall)
            ++calls;
        else
            ++others;
    }
    return calls >= others;
}

} // namespace kf::cab::lzx::e8
