#pragma once

#include <string>

namespace kf {

// Whether aPath lies in Program Files or the Windows folder, which only administrators may change.
bool IsInSystemProtectedFolder(const std::string& aPath);

// Creates a folder that only administrators and the system may change, and every user may read:
// its access list does not take the parent's, so a folder below C:\ is not left writable by all
// users. What is created in it takes that access list. Raises an error when it cannot be created.
void CreateProtectedFolder(const std::string& aFolder);

// Creates a folder that only administrators and the system may open at all, with an access list
// of its own as above. False, and nothing created, when something of that name is there already;
// raises an error when it cannot be created for another reason.
bool CreateAdministratorsFolder(const std::string& aFolder);

// Whether the user, without the administrator rights an elevated process has, may add files and
// folders to the folder, or to the nearest one above it that exists; false when that cannot be
// found out.
bool UserCanWrite(const std::string& aFolder);

} // namespace kf
