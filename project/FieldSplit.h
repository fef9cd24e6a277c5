#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kf {

// Takes aCount fields apart from the left, each ended by "?". Once no "?" remains every further
// field is empty, and text after the last "?" is ignored.
std::vector<std::string> SplitFields(std::string_view aValue, size_t aCount);
// The opposite: every field followed by one "?".
std::string JoinFields(const std::vector<std::string>& aFields);

} // namespace kf
