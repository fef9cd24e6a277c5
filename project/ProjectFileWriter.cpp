#include "project/ProjectFileWriter.h"

#include "base/AtomicFile.h"
#include "base/Exception.h"
#include "base/TextFileCodec.h"
#include "base/TextUtil.h"
#include "project/FieldSplit.h"
#include "project/IniWriter.h"

namespace kf {

namespace {

void CheckText(const std::string& aText, const std::string& aWhat) {
    if (const std::string character = ControlCharacterIn(aText); !character.empty())
        throw Exception("Cannot save the project: " + aWhat + " contains " + character +
                        ". Remove it and save again");
}

std::string RowName(const char* aList, size_t anIndex) {
    return "row " + std::to_string(anIndex + 1) + " of the " + aList + " list";
}

class TProjectTextWriter {
public:
    void Text(const char* aKey, const std::string& aValue, const char* aCaption) {
        CheckText(aValue, std::string("\"") + aCaption + "\"");
        fIni.Write(aKey, aValue);
    }

    template <typename Row>
    void Rows(const char* aSection, const char* aList, const std::vector<Row>& aRows,
              std::vector<std::pair<const char*, std::string Row::*>> aColumns) {
        if (aRows.empty())
            return;
        fIni.Section(aSection);
        for (size_t i = 0; i < aRows.size(); ++i) {
            std::vector<std::string> fields;
            for (const auto& [caption, member] : aColumns) {
                CheckText(aRows[i].*member, std::string("\"") + caption + "\" of " + RowName(aList, i));
                fields.push_back(aRows[i].*member);
            }
            fIni.Write(std::to_string(i), JoinFields(fields));
        }
    }

    void Lines(const char* aSection, const char* aList, const std::vector<std::string>& aLines) {
        if (aLines.empty())
            return;
        fIni.Section(aSection);
        for (size_t i = 0; i < aLines.size(); ++i) {
            CheckText(aLines[i], "the runtime line of " + RowName(aList, i));
            fIni.Write(std::to_string(i), aLines[i]);
        }
    }

    TIniWriter& Ini() { return fIni; }

private:
    TIniWriter fIni;
};

void WriteSettings(TProjectTextWriter& aWriter, const TProject& aProject) {
    TIniWriter& ini = aWriter.Ini();
    ini.Section("Settings");
    aWriter.Text("1", aProject.ProductName(), "Product name");
    aWriter.Text("2", aProject.ProductVersion, "Product version");
    aWriter.Text("3", aProject.CompanyName, "Company name");
    aWriter.Text("4", aProject.SetupFile, "Setup file");
    ini.Write("5", aProject.Compression);
    aWriter.Text("6", aProject.LogoBitmap, "Logo bitmap");
    aWriter.Text("7", aProject.HeaderBitmap, "Header bitmap");
    ini.Write("8", aProject.ShowLicense);
    aWriter.Text("9", aProject.LicenseFile, "License file");
    ini.Write("10", aProject.ShowAcceptCheckBox);
    ini.Write("11", aProject.ShowReadme);
    aWriter.Text("12", aProject.ReadmeFile, "Readme file");
    ini.Write("13", aProject.InstallBase);
    aWriter.Text("14", aProject.InstallFolder(), "Install folder");
    ini.Write("15", aProject.InstallPathFromRegistry);
    ini.Write("16", aProject.InstallPathRoot);
    aWriter.Text("17", aProject.InstallPathKey, "Install path registry key");
    ini.Write("18", aProject.IncludeUninstaller());
    ini.Write("19", aProject.LaunchFile);
    ini.Write("20", aProject.LaunchFileIndex);
    ini.Write("21", aProject.RestartComputer);
    ini.Write("22", aProject.TargetWindows);
    // Written only when on, so that a project saved without it reads as it did before.
    if (aProject.SolidCompression)
        ini.Write("23", true);
}

} // namespace

std::string ComposeProjectText(const TProject& aProject) {
    TProjectTextWriter writer;
    WriteSettings(writer, aProject);
    writer.Rows<TFileEntry>("Files", "file", aProject.Files,
                            {{"Source path", &TFileEntry::SourcePath},
                             {"Size", &TFileEntry::Size},
                             {"Install to", &TFileEntry::InstallTo},
                             {"If Exists", &TFileEntry::IfExists},
                             {"Uninstall", &TFileEntry::Uninstall},
                             {"Register", &TFileEntry::Register}});
    writer.Rows<TShortcutEntry>(
        "Shortcuts", "shortcut", aProject.Shortcuts.Rows(),
        {{"Shortcut", &TShortcutEntry::Shortcut}, {"Link to file", &TShortcutEntry::LinkTo}});
    writer.Rows<TRegistryEntry>("Regedit", "registry", aProject.RegistryValues.Rows(),
                                {{"Section", &TRegistryEntry::Section},
                                 {"Key", &TRegistryEntry::Key},
                                 {"Name value", &TRegistryEntry::NameValue},
                                 {"Type", &TRegistryEntry::Type},
                                 {"Value", &TRegistryEntry::Value},
                                 {"Uninstall", &TRegistryEntry::Uninstall}});
    writer.Lines("Shortcuts1", "shortcut", aProject.Shortcuts.Lines());
    writer.Lines("Regedit1", "registry", aProject.RegistryValues.Lines());
    return writer.Ini().Text();
}

void SaveProjectFile(const TProject& aProject, const std::string& aPath) {
    WriteFileAtomically(aPath, EncodeTextFile(ComposeProjectText(aProject)));
}

} // namespace kf
