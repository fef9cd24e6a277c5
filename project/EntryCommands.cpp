#include "project/EntryCommands.h"

#include "project/RuntimeLines.h"

namespace kf {

namespace {

TAddResult Refused(std::string aMessage, std::string aControl) {
    return TAddResult{TAddOutcome::Refused, std::move(aMessage), std::move(aControl)};
}

} // namespace

TAddResult AddShortcut(TProject& aProject) {
    const TEntryFields& entry = aProject.Entry;
    const auto& choices = aProject.Summary().FileChoices;
    if (entry.SelectedFile < 0 || static_cast<size_t>(entry.SelectedFile) >= choices.size())
        return {};
    if (entry.ShortcutName.empty())
        return {};
    if (auto error = CheckShortcutSubfolder(entry.ShortcutSubfolder))
        return Refused(*error, "Edit10");
    const int fileNumber = entry.SelectedFile + 1;
    if (auto error = CheckShortcutFileNumber(fileNumber))
        return Refused(*error, "ComboBox3");
    aProject.Shortcuts.Append(
        TShortcutEntry{ShortcutText(entry.ShortcutFolder, entry.ShortcutSubfolder, entry.ShortcutName),
                       choices[static_cast<size_t>(entry.SelectedFile)]},
        ShortcutLine(fileNumber, entry.ShortcutFolder, entry.ShortcutSubfolder, entry.ShortcutName));
    return {TAddOutcome::Added, {}, {}};
}

TAddResult AddRegistryValue(TProject& aProject) {
    const TEntryFields& entry = aProject.Entry;
    const bool dword = entry.RegistryType == 1;
    if (entry.RegistryKey.empty())
        return Refused(kWrongKey, "Edit12");
    if (dword && !IsDecimalNumber(entry.RegistryValue))
        return Refused(kWrongValue, "ComboBox7");
    const bool uninstall = entry.RegistryUninstall == 0;
    aProject.RegistryValues.Append(
        TRegistryEntry{kRootKeyLabels.at(static_cast<size_t>(entry.RegistryRoot)), entry.RegistryKey,
                       entry.RegistryValueName, dword ? kDword : kString, entry.RegistryValue,
                       uninstall ? kYes : kNo},
        RegistryLine(entry.RegistryRoot, uninstall, entry.RegistryKey, entry.RegistryValueName,
                     entry.RegistryType, entry.RegistryValue));
    return {TAddOutcome::Added, {}, {}};
}

void SelectShortcutFile(TProject& aProject, int aChoice) {
    const auto& choices = aProject.Summary().FileChoices;
    aProject.Entry.SelectedFile = aChoice;
    if (aChoice < 0 || static_cast<size_t>(aChoice) >= choices.size())
        return;
    const std::string& target = choices[static_cast<size_t>(aChoice)];
    const std::string name = target.substr(target.find_last_of("\\:") + 1);
    const size_t dot = name.find('.');
    aProject.Entry.ShortcutName = dot == std::string::npos ? "" : name.substr(0, dot);
}

void SelectShortcutFolder(TProject& aProject, int aFolder) {
    aProject.Entry.ShortcutFolder = aFolder;
    if (aFolder != 0)
        aProject.Entry.ShortcutSubfolder.clear();
}

void ClearShortcuts(TProject& aProject) {
    aProject.Shortcuts.Clear();
    aProject.Entry.ShortcutName.clear();
    aProject.Entry.ShortcutSubfolder = aProject.InstallFolder();
}

} // namespace kf
