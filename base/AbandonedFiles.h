#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace kf {

// Temporary files and folders that a process makes for its own use, and that a later run removes
// when that process has gone, however it went (kill -9 included): the owner holds an exclusive
// lock on the open file or folder for as long as it needs it, so a lock that anyone else can take
// means that its owner has ended. The system drops a dead process's locks.

// Takes the owner's lock on aDescriptor, just opened on the newly created aPath; false when aPath
// was removed as abandoned before the lock was taken, and the caller must create it anew.
bool TakeOwnership(int aDescriptor, const std::string& aPath);

// Removes the entries of aFolder that anIsOurs accepts by name, that belong to this user and whose
// lock nobody holds: regular files, or with aFolders folders with all they hold. Errors are ignored;
// what cannot be removed now is tried again by the next run.
void RemoveAbandoned(const std::filesystem::path& aFolder,
                     const std::function<bool(std::string_view)>& anIsOurs, bool aFolders);

// Whether aName is aPrefix followed by exactly aCount characters that mkstemp or mkdtemp use.
bool IsTemporaryName(std::string_view aName, std::string_view aPrefix, size_t aCount = 6);

} // namespace kf
