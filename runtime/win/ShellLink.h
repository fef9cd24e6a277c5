#pragma once

#include <string>

namespace kf {

// Writes a shell link at aLink that starts aTarget in aWorkingFolder; COM must be initialised.
void CreateShellLink(const std::string& aLink, const std::string& aTarget, const std::string& aWorkingFolder);

} // namespace kf
