#include "runtime/core/SetupContents.h"

#include "base/Exception.h"
#include "runtime/core/ByteWindow.h"
#include "runtime/core/RuntimeMachine.h"
#include "runtime/core/SharedCabinets.h"

#include <algorithm>
#include <iterator>

namespace kf {

namespace {

[[noreturn]] void Fail(const std::string& aReason) {
    throw Exception("The setup file is damaged: " + aReason + ".");
}

// The build writes the main cabinet's members in this order, with MSZIP.
void CheckMainMembers(const std::vector<TCabinetMember>& aMembers) {
    std::vector<std::string> names;
    for (const TCabinetMember& member : aMembers) {
        names.push_back(member.Name);
        if (member.Compression != kMsZipCompression)
            Fail(std::string(kMainCabinetName) + " holds " + member.Name +
                 " in a compression the build does not use");
    }
    const std::vector<std::string> expected(std::begin(kMainMemberNames), std::end(kMainMemberNames));
    if (names == expected)
        return;
    std::string list = expected.front();
    for (size_t i = 1; i < expected.size(); ++i)
        list += (i + 1 < expected.size() ? ", " : " and ") + expected[i];
    Fail(std::string(kMainCabinetName) + " does not hold " + list + ", in this order");
}

// Every file cabinet of a setup has the one compression of its project: stored, MSZIP or LZX with
// the largest window.
void CheckFileCompression(const TSetupContents& aContents) {
    const auto& members = aContents.FileMembers;
    for (size_t row = 0; row < members.size(); ++row) {
        const uint16_t compression = members[row].Compression;
        if (compression != kStoredCompression && compression != kMsZipCompression &&
            compression != kLzx21Compression)
            Fail(FileCabinetName(row) + " is in a compression the build does not use");
        if (compression != members[0].Compression)
            Fail(FileCabinetName(row) + " is not in the compression of the other files");
    }
}

void ReadMainCabinet(TByteSource& aSetup, const TDataFileDecoder& aDecodeDataFile,
                     TSetupContents& aContents) {
    TByteWindow main(aSetup, aContents.Layout.MainOffset, aContents.Layout.MainSize);
    aContents.MainMembers = CheckCabinet(main, kMainCabinetName);
    for (const TCabinetMember& member : aContents.MainMembers)
        if (const auto problem = MainMemberSizeProblem(member.Length))
            Fail(std::string(kMainCabinetName) + " holds " + member.Name + ", which " + *problem);
    CheckMainMembers(aContents.MainMembers);
    aContents.DataLines = SplitInstallerData(aDecodeDataFile(main));
    aContents.Data = ParseInstallerData(aContents.DataLines);
}

// The earlier row whose cabinet a row without one of its own installs: the one line 10 names, or
// else the one the name rule finds.
size_t SharedRow(const TSetupContents& aContents, const std::vector<uint64_t>& aSizes,
                 const std::vector<std::string>& aNames, size_t aRow) {
    const TFileRow& file = aContents.Data.Files[aRow];
    if (file.CabinetOf) {
        if (aSizes[*file.CabinetOf] == kSharedCabinetSize)
            Fail("file " + std::to_string(aRow + 1) + " installs the cabinet of file " +
                 std::to_string(*file.CabinetOf + 1) + ", which has none of its own");
        return *file.CabinetOf;
    }
    const auto shared = SharedCabinetRow(aSizes, aNames, aRow, file.InstallTo);
    if (!shared)
        Fail("file " + std::to_string(aRow + 1) + " has no cabinet, and no earlier file's cabinet holds " +
             std::string(InstallToFileName(file.InstallTo)));
    return *shared;
}

void ShareEarlierCabinet(TSetupContents& aContents, const std::vector<uint64_t>& aSizes,
                         const std::vector<std::string>& aNames, size_t aRow) {
    const size_t shared = SharedRow(aContents, aSizes, aNames, aRow);
    aContents.Layout.CabinetOffsets[aRow] = aContents.Layout.CabinetOffsets[shared];
    aContents.Layout.CabinetSizes[aRow] = aContents.Layout.CabinetSizes[shared];
    aContents.FileMembers.push_back(aContents.FileMembers[shared]);
    aContents.CabinetRows.push_back(shared);
}

void CheckFileCabinets(TByteSource& aSetup, TSetupContents& aContents) {
    TSetupLayout& layout = aContents.Layout;
    const std::vector<uint64_t> sizes = layout.CabinetSizes;
    std::vector<std::string> names;
    for (size_t row = 0; row < sizes.size(); ++row) {
        if (sizes[row] == kSharedCabinetSize) {
            ShareEarlierCabinet(aContents, sizes, names, row);
        } else {
            TByteWindow cabinet(aSetup, layout.CabinetOffsets[row], sizes[row]);
            const auto members = CheckCabinet(cabinet, FileCabinetName(row));
            if (members.size() != 1)
                Fail(FileCabinetName(row) + " does not hold exactly one file");
            aContents.FileMembers.push_back(members[0]);
            aContents.CabinetRows.push_back(row);
        }
        names.push_back(aContents.FileMembers.back().Name);
    }
}

} // namespace

TSetupContents ReadSetupContents(TByteSource& aFile, const TDataFileDecoder& aDecodeDataFile) {
    TSetupContents contents;
    const TPackageExtent extent = FindPackageExtent(aFile);
    contents.Signature = extent.Signature;
    TByteWindow setup(aFile, 0, extent.End);
    const uint64_t trailerSize = std::min(setup.Size(), kTrailerSize);
    contents.Trailer = setup.Read(setup.Size() - trailerSize, static_cast<size_t>(trailerSize));
    contents.Layout = ReadTrailer(contents.Trailer, setup.Size());
    ReadMainCabinet(setup, aDecodeDataFile, contents);
    PlaceFileCabinets(contents.Layout, PackedSizes(contents.Data));
    CheckFileCabinets(setup, contents);
    CheckFileCompression(contents);
    contents.RuntimeMachine = WindowsMachineOf(setup, contents.Layout.StubSize);
    return contents;
}

std::optional<std::string> MainMemberSizeProblem(uint64_t aLength) {
    if (aLength <= kMainMemberLimit)
        return std::nullopt;
    return "is " + std::to_string(aLength) + " bytes long, more than the " +
           std::to_string(kMainMemberLimit >> 20) + " MiB a setup may carry";
}

std::string FileCabinetName(size_t aRow) {
    return "the cabinet of file " + std::to_string(aRow + 1);
}

} // namespace kf
