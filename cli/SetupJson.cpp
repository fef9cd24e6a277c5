#include "cli/SetupJson.h"

#include "runtime/core/RuntimeMachine.h"

#include <nlohmann/json.hpp>

namespace kf {

namespace {

using TJson = nlohmann::ordered_json;

constexpr uint16_t kCompressionType = 0x000F;
constexpr uint16_t kLzx = 3;

TJson Architecture(uint16_t aMachine) {
    if (aMachine == kMachineX86)
        return "x86";
    if (aMachine == kMachineX64)
        return "x64";
    return nullptr;
}

TJson Compression(uint16_t aField) {
    switch (aField & kCompressionType) {
    case 0:
        return {{"type", "none"}};
    case 1:
        return {{"type", "mszip"}};
    case kLzx:
        return {{"type", "lzx"}, {"window", (aField >> 8) & 0x1F}};
    default:
        return {{"type", "unknown"}};
    }
}

TJson Member(const TCabinetMember& aMember) {
    return {{"name", aMember.Name},
            {"length", aMember.Length},
            {"compression", Compression(aMember.Compression)}};
}

TJson FileCabinets(const TSetupContents& aContents) {
    TJson cabinets = TJson::array();
    const TSetupLayout& layout = aContents.Layout;
    for (size_t i = 0; i < layout.CabinetSizes.size(); ++i) {
        TJson cabinet = {{"offset", layout.CabinetOffsets[i]}, {"size", layout.CabinetSizes[i]}};
        cabinet["member"] = Member(aContents.FileMembers[i]);
        cabinet["installTo"] = aContents.Data.Files[i].InstallTo;
        if (aContents.CabinetRows[i] != i)
            cabinet["cabinetOfFile"] = aContents.CabinetRows[i] + 1;
        cabinet["memberNumber"] = aContents.MemberIndexes[i] + 1;
        cabinets.push_back(cabinet);
    }
    return cabinets;
}

TJson MainCabinet(const TSetupContents& aContents) {
    TJson members = TJson::array();
    for (const TCabinetMember& member : aContents.MainMembers)
        members.push_back(Member(member));
    return {
        {"offset", aContents.Layout.MainOffset}, {"size", aContents.Layout.MainSize}, {"members", members}};
}

TJson Files(const TInstallerData& aData) {
    TJson files = TJson::array();
    for (const TFileRow& row : aData.Files)
        files.push_back({{"installTo", row.InstallTo},
                         {"packedSize", row.PackedSize},
                         {"overwrite", row.Overwrite},
                         {"uninstall", row.Uninstall},
                         {"register", row.Register}});
    return files;
}

TJson Shortcuts(const TInstallerData& aData) {
    TJson shortcuts = TJson::array();
    for (const TShortcutLine& shortcut : aData.Shortcuts)
        shortcuts.push_back({{"fileRow", shortcut.FileRow},
                             {"folder", shortcut.Folder},
                             {"subfolder", shortcut.Subfolder},
                             {"name", shortcut.Name}});
    return shortcuts;
}

TJson RegistryValues(const TInstallerData& aData) {
    TJson values = TJson::array();
    for (const TRegistryLine& value : aData.RegistryValues)
        values.push_back({{"root", value.Root},
                          {"uninstall", value.Uninstall},
                          {"key", value.Key},
                          {"name", value.Name},
                          {"type", value.Type == TValueType::Dword ? "dword" : "string"},
                          {"value", value.Value}});
    return values;
}

TJson Fields(const TInstallerData& aData) {
    TJson fields = {{"productName", aData.ProductName},
                    {"productVersion", aData.ProductVersion},
                    {"companyName", aData.CompanyName},
                    {"showLicense", aData.ShowLicense},
                    {"showAcceptCheckBox", aData.ShowAcceptCheckBox},
                    {"showReadme", aData.ShowReadme},
                    {"includeUninstaller", aData.IncludeUninstaller},
                    {"installBase", aData.InstallBase},
                    {"installFolder", aData.InstallFolder},
                    {"files", Files(aData)},
                    {"shortcuts", Shortcuts(aData)},
                    {"registryValues", RegistryValues(aData)}};
    fields["launchFile"] = aData.LaunchFile ? TJson(*aData.LaunchFile) : TJson(nullptr);
    fields["restartComputer"] = aData.RestartComputer;
    if (aData.InstallPathValue)
        fields["installPathValue"] = {{"root", aData.InstallPathValue->Root},
                                      {"key", aData.InstallPathValue->Key},
                                      {"name", aData.InstallPathValue->Name}};
    else
        fields["installPathValue"] = nullptr;
    return fields;
}

} // namespace

std::string SetupJson(const std::string& aPath, uint64_t aFileSize, const TSetupContents& aContents) {
    TJson document = {{"setupFile", aPath},
                      {"size", aFileSize},
                      {"runtimeSize", aContents.Layout.StubSize},
                      {"runtimeArchitecture", Architecture(aContents.RuntimeMachine)}};
    document["fileCabinets"] = FileCabinets(aContents);
    document["mainCabinet"] = MainCabinet(aContents);
    document["trailer"] = aContents.Trailer;
    if (aContents.Signature)
        document["signature"] = {{"offset", aContents.Signature->Offset},
                                 {"size", aContents.Signature->Size}};
    else
        document["signature"] = nullptr;
    document["dataFile"] = {{"lines", aContents.DataLines}, {"fields", Fields(aContents.Data)}};
    // Texts that are not UTF-8 (a member name from a foreign writer) are shown, not refused.
    return document.dump(2, ' ', false, TJson::error_handler_t::replace) + "\n";
}

} // namespace kf
