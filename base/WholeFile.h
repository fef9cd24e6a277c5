#pragma once

#include <cstdint>
#include <string>

namespace kf {

// What a whole-file read takes into memory at most: far above any licence, readme or project.
constexpr uint64_t kWholeFileLimit = 256ull << 20;

// Reads a whole regular file as bytes. A file that cannot be opened or read, is no regular file or
// is larger than aLimit raises 'Cannot open file "<path>". <reason>'.
std::string ReadWholeFile(const std::string& aPath, uint64_t aLimit = kWholeFileLimit);

} // namespace kf
