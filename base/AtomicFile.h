#pragma once

#include <string>
#include <string_view>

namespace kf {

// Replaces the file at aPath with aBytes so that it is either wholly the new content or, on any
// failure, byte for byte what stood there before. Raises "Unable to write to " + aPath on failure.
void WriteFileAtomically(const std::string& aPath, std::string_view aBytes);

} // namespace kf
