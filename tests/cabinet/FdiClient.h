#pragma once

#include "TestSupport.h"
#include "fdi.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kf::cabtest {

struct FdiMember {
    std::string name;
    USHORT date = 0;
    USHORT time = 0;
    USHORT attribs = 0;
    bool execute = false;
};

struct FdiRun {
    bool ok = false;
    ERF erf{};
    Contents files;
    std::vector<FdiMember> members;        // as reported on closing
    std::vector<std::string> partial;      // partial-file notifications: "member<-cabinet"
    std::vector<std::string> nextRequests; // next-cabinet notifications: "cabinet/disk"
    std::vector<std::string> cabinetInfo;  // cabinet-info notifications: "next/disk set index"
    size_t leakedBlocks = 0;
    size_t leakedHandles = 0;
};

// How the client answers a copy-file notification: a handle, 0 to skip, -1 to abort.
using CopyDecision = std::function<int(const std::string& aMember)>;

// Extracts a cabinet set through this library's FDI the way installers do: FDICopy on the first
// cabinet, then on each next cabinet it names, collecting the members in memory.
FdiRun ExtractWithFdi(const std::filesystem::path& aFolder, const std::string& aFirst,
                      const CopyDecision& aDecision = {});

// FDIIsCabinet on a file.
bool IsCabinet(const std::filesystem::path& aPath, FDICABINETINFO& anInfo, ERF& anErf);

} // namespace kf::cabtest
