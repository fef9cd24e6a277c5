#pragma once

#include <string>

namespace kf {

// The installer reads every main cabinet member into memory and refuses one beyond its limit:
// raises an error naming aWhat and aPath for such a file, or for a folder, FIFO or device. Returns
// false for a file it cannot measure, which the cabinet writer then reports.
bool CheckMainMember(const std::string& aPath, const std::string& aWhat);

// A logo or header the installer could not show is refused by the build, naming the file and
// what is wrong with it.
void CheckMainPicture(const std::string& aPath, const std::string& aWhat);

} // namespace kf
