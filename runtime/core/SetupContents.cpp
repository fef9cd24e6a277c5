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

std::string FileCount(size_t aCount) {
    return aCount == 1 ? "1 file" : std::to_string(aCount) + " files";
}

// What each file cabinet holds, and which of its members some row installs.
struct TFileCabinets {
    std::vector<std::vector<TCabinetMember>> Members; // by the row the cabinet belongs to
    std::vector<std::vector<bool>> Installed;
};

void InstallMember(TSetupContents& aContents, TFileCabinets& aCabinets, size_t aRow, size_t aCabinetRow) {
    const size_t member = aContents.Data.Files[aRow].Member;
    const auto& members = aCabinets.Members[aCabinetRow];
    if (member >= members.size())
        Fail("file " + std::to_string(aRow + 1) + " installs file " + std::to_string(member + 1) + " of " +
             FileCabinetName(aCabinetRow) + ", which holds " + FileCount(members.size()));
    aCabinets.Installed[aCabinetRow][member] = true;
    aContents.Layout.CabinetOffsets[aRow] = aContents.Layout.CabinetOffsets[aCabinetRow];
    aContents.Layout.CabinetSizes[aRow] = aContents.Layout.CabinetSizes[aCabinetRow];
    aContents.FileMembers.push_back(members[member]);
    aContents.MemberIndexes.push_back(member);
    aContents.CabinetRows.push_back(aCabinetRow);
}

void CheckFileCabinets(TByteSource& aSetup, TSetupContents& aContents) {
    const TSetupLayout& layout = aContents.Layout;
    const std::vector<uint64_t> sizes = layout.CabinetSizes;
    TFileCabinets cabinets{std::vector<std::vector<TCabinetMember>>(sizes.size()),
                           std::vector<std::vector<bool>>(sizes.size())};
    std::vector<std::string> names;
    for (size_t row = 0; row < sizes.size(); ++row) {
        if (sizes[row] == kSharedCabinetSize) {
            InstallMember(aContents, cabinets, row, SharedRow(aContents, sizes, names, row));
        } else {
            if (aContents.Data.Files[row].Member != 0)
                Fail("file " + std::to_string(row + 1) + " has a cabinet of its own and names another");
            TByteWindow cabinet(aSetup, layout.CabinetOffsets[row], sizes[row]);
            cabinets.Members[row] = CheckCabinet(cabinet, FileCabinetName(row));
            cabinets.Installed[row].assign(cabinets.Members[row].size(), false);
            InstallMember(aContents, cabinets, row, row);
        }
        names.push_back(aContents.FileMembers.back().Name);
    }
    for (size_t row = 0; row < sizes.size(); ++row)
        for (size_t member = 0; member < cabinets.Installed[row].size(); ++member)
            if (!cabinets.Installed[row][member])
                Fail(FileCabinetName(row) + " holds " + FileCount(cabinets.Installed[row].size()) +
                     ", and no file row installs its file " + std::to_string(member + 1));
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
