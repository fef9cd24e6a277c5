#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kf::fuzz {

// A reader that accepts an input must keep its promises about it; a broken one is a finding, and
// aborting makes the fuzzer keep the input that led here.
inline void Require(bool aHolds, const char* aPromise) {
    if (aHolds)
        return;
    std::fprintf(stderr, "broken promise: %s\n", aPromise);
    std::abort();
}

inline std::string_view BytesOf(const uint8_t* aData, size_t aSize) {
    return {reinterpret_cast<const char*>(aData), aSize};
}

} // namespace kf::fuzz
