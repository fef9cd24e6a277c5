#pragma once

#include "runtime/core/ByteSource.h"
#include "runtime/core/CabinetCheck.h"
#include "runtime/core/InstallerData.h"
#include "runtime/core/SetupLayout.h"
#include "runtime/core/SetupSignature.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kf {

inline constexpr const char* kDataFileName = "kelpforge.dat";
// How error messages name the main cabinet.
inline constexpr const char* kMainCabinetName = "the installer data";

// The members of the main cabinet, in the order the build writes them.
inline constexpr const char* kMainMemberNames[] = {"kelpforge.dat", "license.rtf", "readme.rtf", "logo.bmp",
                                                   "header.bmp"};
// The compression fields of the cabinets a build writes.
inline constexpr uint16_t kStoredCompression = 0x0000;
inline constexpr uint16_t kMsZipCompression = 0x0001;
inline constexpr uint16_t kLzx21Compression = 0x1503;

// Every member of the main cabinet is read into memory whole, so none may be larger than this.
inline constexpr uint64_t kMainMemberLimit = 16u << 20;
// The error text for a main cabinet member larger than kMainMemberLimit; empty when it fits.
std::optional<std::string> MainMemberSizeProblem(uint64_t aLength);

// What a setup file holds behind its runtime, read and checked from end to end.
struct TSetupContents {
    std::string Trailer;
    TSetupLayout Layout;
    uint16_t RuntimeMachine = 0; // of the runtime in front of the package, see WindowsMachineOf
    std::optional<TSetupSignature> Signature;
    std::vector<TCabinetMember> MainMembers;
    TInstallerDataLines DataLines;
    TInstallerData Data;
    // For each file row: the member of the cabinet it installs, that member's place in its cabinet,
    // and the row that cabinet belongs to (the row itself unless the row is packed with earlier
    // rows, solid, or its identical file is stored once, with an earlier row). Layout gives each
    // row the place of that cabinet.
    std::vector<TCabinetMember> FileMembers;
    std::vector<size_t> MemberIndexes;
    std::vector<size_t> CabinetRows;
};

// Decodes the first member of the main cabinet; decoding is left to the platform's cabinet reader.
using TDataFileDecoder = std::function<std::string(TByteSource& aMainCabinet)>;

// Reads the trailer (in a signed setup, in front of the signature), the main cabinet, its kelpforge.dat and
// the file cabinets of its packed-size list. Raises an error that says what is wrong unless the sizes add up,
// every cabinet's data blocks carry their checksums, the data file is sound, each row without a
// cabinet of its own finds the earlier one it installs from (the one line 10 names, or else the one
// the name rule finds) and every member of every file cabinet is installed by some row.
TSetupContents ReadSetupContents(TByteSource& aFile, const TDataFileDecoder& aDecodeDataFile);

// How error messages name the cabinet of a file row (0-based).
std::string FileCabinetName(size_t aRow);

} // namespace kf
