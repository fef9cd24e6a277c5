#pragma once

#include "base/Exception.h"
#include "project/Project.h"

#include <string>
#include <string_view>
#include <vector>

namespace kf {

// A command line the builder cannot follow; it exits with code 2.
class EUsage : public Exception {
public:
    using Exception::Exception;
};

// The project fields that "build --set Field=Value" may override, by their model names, in the
// order of the General, Files and Finish pages.
std::vector<std::string> OverridableFields();
// Raises EUsage unless anAssignment is "Field=Value" for one of those fields.
void CheckFieldOverride(std::string_view anAssignment);
// Sets the field for this build only, as its page would; raises EUsage for a value the field cannot
// hold (a flag other than 0 or 1, a position outside its list, a launch file the project lacks).
void ApplyFieldOverride(TProject& aProject, std::string_view anAssignment);

} // namespace kf
