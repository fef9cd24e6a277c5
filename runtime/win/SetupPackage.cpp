#include "runtime/win/SetupPackage.h"

#include "runtime/win/MemberOutputs.h"

namespace kf {

namespace {

constexpr const char* kMainMembers[] = {kDataFileName, "license.rtf", "readme.rtf", "logo.bmp", "header.bmp"};

} // namespace

TSetupPackage::TSetupPackage(const std::wstring& aSetupFile, TSystemCabinet& aCabinet) : fFile(aSetupFile) {
    TFileWindow setup(fFile, 0, fFile.Size());
    fContents = ReadSetupContents(
        setup, [&](TByteSource& aMainCabinet) { return DecodeMainCabinet(aMainCabinet, aCabinet); });
}

TFileWindow TSetupPackage::FileCabinet(size_t aRow) const {
    return TFileWindow(fFile, fContents.Layout.CabinetOffsets.at(aRow),
                       fContents.Layout.CabinetSizes.at(aRow));
}

// Takes every member of the main cabinet; the data file goes on to be checked.
std::string TSetupPackage::DecodeMainCabinet(TByteSource& aMainCabinet, TSystemCabinet& aCabinet) {
    for (const char* name : kMainMembers)
        fMainMembers[name];
    TMemorySink sink(fMainMembers);
    aCabinet.Extract(aMainCabinet, sink, kMainCabinetName);
    return fMainMembers[kDataFileName];
}

} // namespace kf
