#pragma once

#include <string>
#include <string_view>

namespace kf {

inline constexpr const char* kUninstallList = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The value of a per-machine uninstall entry that holds the SHA-256 digest of the uninstall log the
// installer wrote. The entry is in HKEY_LOCAL_MACHINE, which only administrators may change, while
// the log lies in the install folder, which users may be able to change.
inline constexpr const char* kLogDigestValue = "UninstallLogSha256";

enum class TLogSeal {
    None,    // no per-machine uninstall entry for the folder holds a digest: a per-user install, or
             // one by an earlier setup that wrote none
    Matches, // the log is one that an installation with administrator rights wrote
    Broken,  // the log was changed after it was written
};

// The log's bytes checked against the digests that the per-machine uninstall entries for aFolder
// (their InstallLocation) hold: the entry found, not the log, decides whether a digest is needed.
TLogSeal CheckLogSeal(const std::string& aFolder, std::string_view aLog);

// Raises an error naming the log when its seal is broken; whether it is sealed.
bool RefuseChangedLog(const std::string& aPath, std::string_view aLog);

} // namespace kf
