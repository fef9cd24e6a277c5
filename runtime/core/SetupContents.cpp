#include "runtime/core/SetupContents.h"

#include "project/Exception.h"
#include "runtime/core/ByteWindow.h"

#include <algorithm>

namespace kf {

namespace {

[[noreturn]] void Fail(const std::string& aReason) {
    throw Exception("The setup file is damaged: " + aReason + ".");
}

void ReadMainCabinet(TByteSource& aSetup, const TDataFileDecoder& aDecodeDataFile,
                     TSetupContents& aContents) {
    TByteWindow main(aSetup, aContents.Layout.MainOffset, aContents.Layout.MainSize);
    aContents.MainMembers = CheckCabinet(main, kMainCabinetName);
    for (const TCabinetMember& member : aContents.MainMembers)
        if (const auto problem = MainMemberSizeProblem(member.Length))
            Fail(std::string(kMainCabinetName) + " holds " + member.Name + ", which " + *problem);
    if (aContents.MainMembers.empty() || aContents.MainMembers[0].Name != kDataFileName)
        Fail(std::string(kMainCabinetName) + " does not start with " + kDataFileName);
    aContents.DataLines = SplitInstallerData(aDecodeDataFile(main));
    aContents.Data = ParseInstallerData(aContents.DataLines);
}

void CheckFileCabinets(TByteSource& aSetup, TSetupContents& aContents) {
    const TSetupLayout& layout = aContents.Layout;
    for (size_t row = 0; row < layout.CabinetSizes.size(); ++row) {
        TByteWindow cabinet(aSetup, layout.CabinetOffsets[row], layout.CabinetSizes[row]);
        const auto members = CheckCabinet(cabinet, FileCabinetName(row));
        if (members.size() != 1)
            Fail(FileCabinetName(row) + " does not hold exactly one file");
        aContents.FileMembers.push_back(members[0]);
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
