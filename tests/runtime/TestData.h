#pragma once

#include "builder/InstallerDataFile.h"
#include "project/Project.h"

#include <string>

namespace kf::test {

// A project as a new one is, with one file row added the way the Files page adds it.
TProject ProjectWithOneFile();
// The bytes of kelpforge.dat that the build writes for aProject, with one packed size per row.
std::string DataFileFor(const TProject& aProject);

} // namespace kf::test
