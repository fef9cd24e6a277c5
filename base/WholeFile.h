#pragma once

#include <string>

namespace kf {

// Reads a whole file as bytes. A file that cannot be opened or read raises
// 'Cannot open file "<path>". <system reason>'.
std::string ReadWholeFile(const std::string& aPath);

} // namespace kf
