#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kf {

inline constexpr const char* kSourceDateEnvironment = "SOURCE_DATE_EPOCH";

// The dates a build gives the cabinet members, in seconds since 1970, so that the same project and
// sources give the same setup on any machine and at any time.
struct TMemberDates {
    // kelpforge.dat, license.rtf and readme.rtf, which the build writes itself.
    int64_t Generated = 0;
    // No member is dated later than this; a file changed later is dated this.
    std::optional<int64_t> Latest;
};

// With SOURCE_DATE_EPOCH (anEpoch, when not null), every generated member is dated by it and no
// member later than it; without, generated members take the project file's last change (the
// start of MS-DOS time, 1980, for a project never saved) and files their own. Raises an error
// naming the variable when it is set but not a whole number of seconds.
TMemberDates MemberDatesFor(const std::string& aProjectFile, const char* anEpoch);

} // namespace kf
