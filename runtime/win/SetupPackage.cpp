#include "runtime/win/SetupPackage.h"

#include "project/Exception.h"
#include "runtime/core/CabinetCheck.h"
#include "runtime/win/MemberOutputs.h"

namespace kf {

namespace {

constexpr const char* kDataFile = "kelpforge.dat";
constexpr const char* kMainMembers[] = {kDataFile, "license.rtf", "readme.rtf", "logo.bmp", "header.bmp"};

} // namespace

TSetupPackage::TSetupPackage(const std::wstring& aSetupFile, TSystemCabinet& aCabinet) : fFile(aSetupFile) {
    fLayout = ReadTrailer(fFile.Read(fFile.Size() - std::min(fFile.Size(), kTrailerSize),
                                     static_cast<size_t>(std::min(fFile.Size(), kTrailerSize))),
                          fFile.Size());
    ReadMainCabinet(aCabinet);
    std::vector<uint64_t> sizes;
    for (const TFileRow& row : fData.Files)
        sizes.push_back(row.PackedSize);
    PlaceFileCabinets(fLayout, sizes);
    CheckFileCabinets();
}

TFileWindow TSetupPackage::FileCabinet(size_t aRow) const {
    return TFileWindow(fFile, fLayout.CabinetOffsets.at(aRow), fLayout.CabinetSizes.at(aRow));
}

void TSetupPackage::ReadMainCabinet(TSystemCabinet& aCabinet) {
    TFileWindow main(fFile, fLayout.MainOffset, fLayout.MainSize);
    const auto members = CheckCabinet(main, "the installer data");
    if (members.empty() || members[0].Name != kDataFile)
        throw Exception("The setup file is damaged: the installer data does not start with kelpforge.dat.");
    for (const char* name : kMainMembers)
        fMainMembers[name];
    TMemorySink sink(fMainMembers);
    aCabinet.Extract(main, sink, "the installer data");
    fData = ParseInstallerData(fMainMembers[kDataFile]);
}

void TSetupPackage::CheckFileCabinets() const {
    for (size_t row = 0; row < fData.Files.size(); ++row) {
        TFileWindow cabinet = FileCabinet(row);
        const std::string what = "the cabinet of file " + std::to_string(row + 1);
        if (CheckCabinet(cabinet, what).size() != 1)
            throw Exception("The setup file is damaged: " + what + " does not hold exactly one file.");
    }
}

} // namespace kf
