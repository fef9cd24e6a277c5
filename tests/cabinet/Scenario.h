#pragma once

#include "CabinetParser.h"
#include "FciClient.h"
#include "TestSupport.h"

#include <string>
#include <vector>

namespace kf::cabtest {

// A member to pack, with its content.
struct Source {
    std::string name;
    std::string bytes;
    TCOMP type = tcompTYPE_MSZIP;
    bool execute = false;
    bool flushFolderAfter = false;
};

// Writes the sources as files under the folder and returns them as members to add.
std::vector<Member> Materialise(const std::filesystem::path& aFolder, const std::vector<Source>& aSources);
Contents ExpectedContents(const std::vector<Source>& aSources);

// Empty, one byte, one block, one block and a byte, incompressible and text data, a sub-folder name.
std::vector<Source> BoundarySources(TCOMP aType);
// About 150 KB in a few members, for sets under a small cabinet size.
std::vector<Source> SpanningSources(TCOMP aType);

// A cabinet left with too little room for even a fragment of the next block, after a block that
// ends on a member boundary (the folder must end there) or inside a member (the folder ends with
// that member, in a shorter block split into the next cabinet).
struct TightSet {
    std::vector<Source> sources;
    PackOptions options;
};
TightSet FullAtMemberBoundary(TCOMP aType);
TightSet FullInsideMember(TCOMP aType);

// Every cabinet of a set, parsed; fails the test on a cabinet that does not parse.
std::vector<ParsedCabinet> ParseSet(const std::filesystem::path& aFolder,
                                    const std::vector<std::string>& aNames);

// The members of a parsed set with their data, decoding folders joined across cabinets and checking
// every block's checksum.
Contents DecodeSet(const std::vector<ParsedCabinet>& aSet);

} // namespace kf::cabtest
