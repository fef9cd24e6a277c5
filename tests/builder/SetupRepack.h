#pragma once

#include "CabinetReader.h"

#include <string>

namespace kf::test {

// aSetup with its main cabinet replaced by one that gcab, a writer we did not write, packs from
// aMembers in their order (MSZIP, as a build packs it), and the trailer set to its size. The
// members are written into aFolder first.
std::string WithMainCabinet(const std::string& aSetup, const TMembers& aMembers, const std::string& aFolder);

} // namespace kf::test
