#pragma once

#include "runtime/core/SetupContents.h"
#include "runtime/win/FileWindow.h"
#include "runtime/win/SystemCabinet.h"

#include <map>
#include <string>

namespace kf {

// The package behind the runtime in the setup file, checked from end to end before anything is
// installed: the trailer, the main cabinet and its data file, and every file cabinet.
class TSetupPackage {
public:
    TSetupPackage(const std::wstring& aSetupFile, TSystemCabinet& aCabinet);

    const TInstallerData& Data() const { return fContents.Data; }
    // A member of the main cabinet: kelpforge.dat, license.rtf, readme.rtf, logo.bmp, header.bmp.
    const std::string& MainMember(const std::string& aName) const { return fMainMembers.at(aName); }
    // What the reader found: for each file row, its cabinet's row and the member it installs.
    const TSetupContents& Contents() const { return fContents; }
    TFileWindow FileCabinet(size_t aRow) const;

private:
    std::string DecodeMainCabinet(TByteSource& aMainCabinet, TSystemCabinet& aCabinet);

    TReadFile fFile;
    std::map<std::string, std::string> fMainMembers;
    TSetupContents fContents;
};

} // namespace kf
