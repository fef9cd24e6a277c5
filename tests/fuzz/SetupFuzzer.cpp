// The setup reader that the installer, inspect and extract share, with libmspack behind it as in
// inspect and extract: whatever it accepts decodes to the lengths its cabinets state.
#include "FuzzContract.h"

#include "base/Exception.h"
#include "cli/EmbeddedCabinet.h"
#include "runtime/core/ByteWindow.h"
#include "runtime/core/SetupContents.h"

#include <utility>
#include <vector>

using namespace kf;
using kf::fuzz::Require;

namespace {

// Decoding may still fail on data whose checksums hold; it must not give other lengths.
void DecodeAll(TByteSource& aSetup, uint64_t anOffset, uint64_t aSize,
               const std::vector<std::pair<size_t, TCabinetMember>>& aMembers) {
    TByteWindow window(aSetup, anOffset, aSize);
    try {
        TEmbeddedCabinet cabinet(window, "a cabinet");
        for (const auto& [index, member] : aMembers)
            Require(cabinet.Read(index).size() == member.Length, "a member decodes to the length it states");
    } catch (const Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
    TMemorySource setup(fuzz::BytesOf(aData, aSize));
    TSetupContents contents;
    try {
        contents = ReadSetupContents(
            setup, [](TByteSource& aMain) { return TEmbeddedCabinet(aMain, kMainCabinetName).Read(0); });
    } catch (const Exception&) {
        return 0;
    }
    const TSetupLayout& layout = contents.Layout;
    Require(layout.CabinetSizes.size() == contents.Data.Files.size(), "a cabinet for each file row");
    Require(contents.FileMembers.size() == contents.Data.Files.size(), "a member for each file row");
    Require(layout.MainOffset + layout.MainSize + kTrailerSize <= aSize,
            "the main cabinet lies inside the file");
    Require(contents.CabinetRows.size() == contents.Data.Files.size() &&
                contents.MemberIndexes.size() == contents.Data.Files.size(),
            "a cabinet row and a member for each file row");
    for (size_t i = 0; i < layout.CabinetSizes.size(); ++i) {
        const size_t owner = contents.CabinetRows[i];
        Require(owner <= i && contents.CabinetRows[owner] == owner,
                "a shared cabinet is an earlier row's own");
        Require(layout.CabinetOffsets[i] == layout.CabinetOffsets[owner] &&
                    layout.CabinetSizes[i] == layout.CabinetSizes[owner] && layout.CabinetSizes[i] != 0,
                "a row is placed at the cabinet it installs");
        Require(layout.CabinetOffsets[i] >= layout.StubSize, "file cabinets follow the runtime");
        Require(layout.CabinetOffsets[i] + layout.CabinetSizes[i] <= layout.MainOffset,
                "file cabinets stand in front of the main cabinet");
        Require(contents.MemberIndexes[i] < 0xFFFF, "a row installs a member its cabinet can hold");
        DecodeAll(setup, layout.CabinetOffsets[i], layout.CabinetSizes[i],
                  {{contents.MemberIndexes[i], contents.FileMembers[i]}});
    }
    std::vector<std::pair<size_t, TCabinetMember>> mainMembers;
    for (size_t i = 0; i < contents.MainMembers.size(); ++i)
        mainMembers.emplace_back(i, contents.MainMembers[i]);
    DecodeAll(setup, layout.MainOffset, layout.MainSize, mainMembers);
    return 0;
}
