#include "cli/SetupCommands.h"

#include "base/Exception.h"
#include "base/OSError.h"
#include "base/TextUtil.h"
#include "builder/BuildFolder.h"
#include "cli/EmbeddedCabinet.h"
#include "cli/SetupJson.h"
#include "cli/StopSignals.h"
#include "runtime/core/ByteWindow.h"
#include "runtime/core/FileSource.h"
#include "runtime/core/PathTokens.h"
#include "runtime/core/RuntimeMachine.h"
#include "runtime/core/SetupContents.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace kf {

namespace {

// Reads and checks the whole setup, as the installer does, before anything is printed or written.
TSetupContents ReadSetup(const std::string& aPath, TByteSource& aSetup) {
    try {
        return ReadSetupContents(
            aSetup, [](TByteSource& aMain) { return TEmbeddedCabinet(aMain, kMainCabinetName).Read(0); });
    } catch (const Exception& error) {
        throw Exception(aPath + ": " + error.what());
    }
}

// The install-to path as a host path below the target folder, the token kept as a folder name.
std::filesystem::path TargetPath(const std::filesystem::path& aFolder, const std::string& anInstallTo,
                                 size_t aRow) {
    if (const auto reason = UnsafeTargetPath(anInstallTo))
        throw Exception("Refusing to extract file " + std::to_string(aRow + 1) + " into " + aFolder.string() +
                        ": its install-to path \"" + anInstallTo + "\" " + *reason);
    std::string relative = anInstallTo;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return aFolder / relative;
}

void PrintCabinets(const TSetupContents& aContents) {
    const TSetupLayout& layout = aContents.Layout;
    const auto& rows = aContents.CabinetRows;
    size_t own = 0;
    for (size_t i = 0; i < rows.size(); ++i)
        own += rows[i] == i ? 1 : 0;
    std::cout << "File cabinets: " << own << '\n';
    for (size_t i = 0; i < rows.size(); ++i) {
        std::cout << "  " << std::setw(4) << i + 1 << "  offset " << layout.CabinetOffsets[i] << "  size "
                  << layout.CabinetSizes[i] << "  " << WithControlsEscaped(aContents.FileMembers[i].Name)
                  << " -> " << WithControlsEscaped(aContents.Data.Files[i].InstallTo);
        if (aContents.MemberIndexes[i] != 0)
            std::cout << "  (file " << aContents.MemberIndexes[i] + 1 << " of the cabinet of file "
                      << rows[i] + 1 << ')';
        else if (rows[i] != i)
            std::cout << "  (the cabinet of file " << rows[i] + 1 << ')';
        std::cout << '\n';
    }
    std::cout << "Main cabinet: offset " << layout.MainOffset << "  size " << layout.MainSize << '\n';
    for (const TCabinetMember& member : aContents.MainMembers)
        std::cout << "  " << WithControlsEscaped(member.Name) << " (" << member.Length << " bytes)\n";
}

void ExtractMainMembers(TByteSource& aSetup, const TSetupContents& aContents,
                        const std::filesystem::path& aFolder) {
    for (const TCabinetMember& member : aContents.MainMembers)
        if (UnsafeRelativePath(member.Name) || member.Name.find_first_of("\\/") != std::string::npos)
            throw Exception("Refusing to extract the main cabinet's member \"" + member.Name + "\"");
    TByteWindow window(aSetup, aContents.Layout.MainOffset, aContents.Layout.MainSize);
    TEmbeddedCabinet main(window, kMainCabinetName);
    std::filesystem::create_directories(aFolder);
    for (size_t i = 0; i < aContents.MainMembers.size(); ++i)
        main.ExtractTo(i, (aFolder / aContents.MainMembers[i].Name).string());
}

// The file cabinet that extraction is reading: members of one cabinet, solid or shared, are taken
// in one pass while the rows ask for them in the order the cabinet holds them.
class TOpenCabinet {
public:
    TEmbeddedCabinet& For(TByteSource& aSetup, const TSetupContents& aContents, size_t aRow) {
        const size_t owner = aContents.CabinetRows[aRow];
        const size_t member = aContents.MemberIndexes[aRow];
        if (!fCabinet || owner != fRow || member < fMember) {
            fCabinet.reset();
            fWindow = std::make_unique<TByteWindow>(aSetup, aContents.Layout.CabinetOffsets[aRow],
                                                    aContents.Layout.CabinetSizes[aRow]);
            fCabinet = std::make_unique<TEmbeddedCabinet>(*fWindow, FileCabinetName(owner));
            fRow = owner;
        }
        fMember = member;
        return *fCabinet;
    }

private:
    std::unique_ptr<TByteWindow> fWindow;
    std::unique_ptr<TEmbeddedCabinet> fCabinet;
    size_t fRow = 0;
    size_t fMember = 0;
};

// Extracts every file; returns where each row's file went, relative to aFolder. Two rows whose
// paths differ only in case are one file on Windows: the later replaces the earlier under the
// earlier's name, as when installed.
std::vector<std::filesystem::path> ExtractAll(TByteSource& aSetup, const TSetupContents& aContents,
                                              const std::filesystem::path& aFolder,
                                              const TStopSignals& aStop) {
    ExtractMainMembers(aSetup, aContents, aFolder);
    std::vector<std::filesystem::path> written;
    std::unordered_map<std::string, std::filesystem::path> firstSpelling;
    TOpenCabinet cabinet;
    for (size_t i = 0; i < aContents.Data.Files.size(); ++i) {
        if (aStop.Raised())
            throw Exception("Stopped by a signal; nothing was extracted");
        const std::filesystem::path own = TargetPath({}, aContents.Data.Files[i].InstallTo, i);
        const std::filesystem::path relative =
            firstSpelling.try_emplace(FoldCase(own.string()), own).first->second;
        const std::filesystem::path target = aFolder / relative;
        TEmbeddedCabinet& source = cabinet.For(aSetup, aContents, i);
        std::filesystem::create_directories(target.parent_path());
        // A later row to the same place replaces the earlier one, as it does when installed.
        std::filesystem::remove(target);
        source.ExtractTo(aContents.MemberIndexes[i], target.string());
        written.push_back(relative);
    }
    return written;
}

// The parent of aFolder, where its staging folder goes, on the same file system for one rename.
std::filesystem::path ParentOf(const std::filesystem::path& aFolder) {
    std::filesystem::path absolute = std::filesystem::absolute(aFolder).lexically_normal();
    if (!absolute.has_filename())
        absolute = absolute.parent_path();
    const std::filesystem::path parent = absolute.parent_path();
    std::filesystem::create_directories(parent);
    return parent;
}

// The staging folder was made for this user alone; the folder it becomes has the mode of any new one.
void GiveUsualMode(const std::filesystem::path& aFolder) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(aFolder.c_str(), 0777 & ~mask);
}

} // namespace

int RunInspectCommand(const std::string& aSetupPath, bool aJson) {
    TFileSource file(aSetupPath);
    const TSetupContents contents = ReadSetup(aSetupPath, file);
    if (aJson) {
        std::cout << SetupJson(aSetupPath, file.Size(), contents);
        return 0;
    }
    std::cout << "Setup file: " << WithControlsEscaped(aSetupPath) << " (" << file.Size() << " bytes)\n"
              << "Installer runtime: " << contents.Layout.StubSize << " bytes, for "
              << MachineName(contents.RuntimeMachine) << " Windows\n";
    PrintCabinets(contents);
    std::cout << "Size trailer: " << contents.Trailer << '\n';
    if (contents.Signature)
        std::cout << "Signature: " << contents.Signature->Size << " bytes at offset "
                  << contents.Signature->Offset << '\n';
    else
        std::cout << "Signature: none\n";
    std::cout << kDataFileName << ":\n";
    for (size_t i = 0; i < contents.DataLines.size(); ++i)
        std::cout << std::setw(4) << i + 1 << "  " << WithControlsEscaped(contents.DataLines[i]) << '\n';
    std::cout << "The sizes add up and every cabinet's checksums hold.\n";
    return 0;
}

int RunExtractCommand(const std::string& aSetupPath, const std::string& aFolder) {
    TFileSource file(aSetupPath);
    const TSetupContents contents = ReadSetup(aSetupPath, file);
    const std::filesystem::path folder(aFolder);
    std::error_code error;
    if (std::filesystem::exists(folder) &&
        (!std::filesystem::is_directory(folder) || !std::filesystem::is_empty(folder, error)))
        throw Exception("Refusing to extract into " + aFolder + ": it is there and not an empty folder");
    for (size_t i = 0; i < contents.Data.Files.size(); ++i)
        TargetPath(folder, contents.Data.Files[i].InstallTo, i);
    // Everything goes to a folder beside the target first, which becomes the target when all is out.
    // A run that is killed leaves it behind, locked no more, for the next run to remove.
    const TStopSignals stop;
    const TBuildFolder staging(ParentOf(folder), ".kelpforge-extract-");
    const std::vector<std::filesystem::path> written = ExtractAll(file, contents, staging.Root(), stop);
    GiveUsualMode(staging.Root());
    std::filesystem::remove(folder, error);
    std::filesystem::rename(staging.Root(), folder);
    for (const std::filesystem::path& relative : written)
        std::cout << WithControlsEscaped((folder / relative).string()) << '\n';
    return 0;
}

} // namespace kf
