#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kf {

// Opens a source file for reading and returns its size; empty when it cannot be read or is not a
// regular file.
std::optional<int64_t> MeasureSourceFile(const std::string& aPath);
// The message for a source file that cannot be opened.
std::string AccessDeniedText(const std::string& aPath);

} // namespace kf
