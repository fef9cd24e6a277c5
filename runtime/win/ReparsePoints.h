#pragma once

#include <optional>
#include <string>

namespace kf {

// The first folder or file on aPath, from below its drive or share down to aPath itself, that is a
// reparse point (a junction, a symbolic link, a mount point); nothing when none of those that exist
// is one.
std::optional<std::string> ReparsePointOn(const std::string& aPath);

// Raises an error naming the reparse point on aPath, which work with administrator rights must not
// go through: a user may have put it there to send that work somewhere else.
void RefuseReparsePoints(const std::string& aPath);

} // namespace kf
