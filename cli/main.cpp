#include "base/Exception.h"
#include "base/TextUtil.h"
#include "cli/BuildCommand.h"
#include "cli/CliPrompter.h"
#include "cli/FieldOverrides.h"
#include "cli/SetupCommands.h"
#include "project/HostPaths.h"
#include "project/ProjectDocument.h"
#include "project/ProjectFileReader.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: kelpforge-cli build PROJECT.kfp [-o SETUP] [--sign COMMAND] [--quiet]\n"
    "                         [--set Field=Value]... [--jobs N] [--keep-duplicates]\n"
    "                         [--allow-missing]\n"
    "                                                    build the setup file of a project; COMMAND\n"
    "                                                    signs it and the uninstaller, with {in} and\n"
    "                                                    {out} or {file} for the paths (default:\n"
    "                                                    the KELPFORGE_SIGN environment variable);\n"
    "                                                    --quiet prints nothing unless it fails;\n"
    "                                                    --set overrides a field of the project for\n"
    "                                                    this build only; --jobs packs N files at\n"
    "                                                    once (default: one per core);\n"
    "                                                    --keep-duplicates gives identical files a\n"
    "                                                    cabinet each; --allow-missing builds even\n"
    "                                                    when a file's source, or the licence or\n"
    "                                                    readme to show, cannot be opened (it fails\n"
    "                                                    by default); SOURCE_DATE_EPOCH dates the\n"
    "                                                    cabinet members for reproducible setups\n"
    "       kelpforge-cli inspect [--json] SETUP         list a setup file and check it; --json\n"
    "                                                    prints one JSON document\n"
    "       kelpforge-cli extract SETUP DIR              unpack a setup file into DIR\n"
    "       kelpforge-cli new PROJECT.kfp                write a new project with every default\n"
    "       kelpforge-cli show PROJECT.kfp               open a project and list its content\n"
    "       kelpforge-cli --version | --help\n";

void PrintProject(const kf::TProject& aProject, const std::string& aTitle) {
    const auto shown = [](const std::string& aText) { return kf::WithControlsEscaped(aText); };
    std::cout << shown(aTitle) << "\n"
              << "Product: " << shown(aProject.ProductName()) << ' ' << shown(aProject.ProductVersion) << "\n"
              << "Company: " << shown(aProject.CompanyName) << "\n"
              << "Setup file: " << shown(aProject.SetupFile) << "\n"
              << "Install folder: " << shown(aProject.InstallFolder()) << "\n"
              << "Files: " << aProject.Summary().TotalFiles << " (" << aProject.Summary().TotalSize << ")\n";
    for (const kf::TFileEntry& row : aProject.Files)
        std::cout << "  " << shown(row.SourcePath) << " -> " << shown(row.InstallTo) << '\n';
    std::cout << "Shortcuts: " << aProject.Shortcuts.Rows().size() << "\n";
    for (const std::string& line : aProject.Shortcuts.Lines())
        std::cout << "  " << shown(line) << '\n';
    std::cout << "Registry values: " << aProject.RegistryValues.Rows().size() << "\n";
    for (const std::string& line : aProject.RegistryValues.Lines())
        std::cout << "  " << shown(line) << '\n';
}

int RunProjectCommand(const std::string& aCommand, const std::string& aPath) {
    kf::TCliPrompter prompter(aPath);
    kf::TProject project(kf::ProgramFolder(), kf::DefaultSetupFile());
    kf::TProjectDocument document(project, prompter);
    if (aCommand == "new") {
        document.Save();
    } else {
        kf::CheckProjectFileReadable(aPath);
        document.Open();
    }
    PrintProject(project, document.Title());
    return 0;
}

// The usage text, with the fields that --set takes.
std::string UsageText() {
    std::string text = kUsage;
    text += "Fields for --set:";
    size_t column = 16;
    for (const std::string& name : kf::OverridableFields()) {
        if (column + name.size() + 1 > 100) {
            text += "\n ";
            column = 1;
        }
        text += " " + name;
        column += name.size() + 1;
    }
    return text + "\n";
}

int Usage() {
    std::cerr << UsageText();
    return 2;
}

// The packing threads of "--jobs N".
size_t JobCount(const std::string& aText) {
    constexpr size_t kMostJobs = 64;
    size_t count = 0;
    const char* end = aText.data() + aText.size();
    const auto [stop, error] = std::from_chars(aText.data(), end, count);
    if (error != std::errc() || stop != end || count == 0 || count > kMostJobs)
        throw kf::EUsage("--jobs takes a number of packing threads from 1 to " + std::to_string(kMostJobs) +
                         ", not \"" + aText + "\"");
    return count;
}

// "build PROJECT.kfp" followed by its options in any order: "--set Field=Value" any number of
// times, each other at most once.
int RunBuild(const std::vector<std::string>& anArgs) {
    kf::TBuildOptions options;
    std::vector<std::string> seen;
    for (size_t i = 2; i < anArgs.size(); ++i) {
        const std::string& option = anArgs[i];
        if (option != "--set" && std::find(seen.begin(), seen.end(), option) != seen.end())
            return Usage();
        seen.push_back(option);
        if (option == "--quiet")
            options.Quiet = true;
        else if (option == "--keep-duplicates")
            options.KeepDuplicates = true;
        else if (option == "--allow-missing")
            options.AllowMissing = true;
        else if (i + 1 >= anArgs.size())
            return Usage();
        else if (option == "--set")
            kf::CheckFieldOverride(anArgs[i + 1]), options.Overrides.push_back(anArgs[++i]);
        else if (option == "-o")
            options.SetupPath = anArgs[++i];
        else if (option == "--sign")
            options.SignCommand = anArgs[++i];
        else if (option == "--jobs")
            options.Jobs = JobCount(anArgs[++i]);
        else
            return Usage();
    }
    return kf::RunBuildCommand(anArgs[1], options);
}

int Run(const std::vector<std::string>& anArgs) {
    if (anArgs.size() == 1 && anArgs[0] == "--version") {
        std::cout << "kelpforge-cli 2.1.7\n";
        return 0;
    }
    if (anArgs.size() == 1 && anArgs[0] == "--help") {
        std::cout << UsageText();
        return 0;
    }
    if (anArgs.size() == 2 && anArgs[0] == "inspect")
        return kf::RunInspectCommand(anArgs[1]);
    if (anArgs.size() == 3 && anArgs[0] == "inspect" && anArgs[1] == "--json")
        return kf::RunInspectCommand(anArgs[2], true);
    if (anArgs.size() == 3 && anArgs[0] == "extract")
        return kf::RunExtractCommand(anArgs[1], anArgs[2]);
    if (anArgs.size() == 2 && (anArgs[0] == "new" || anArgs[0] == "show"))
        return RunProjectCommand(anArgs[0], anArgs[1]);
    if (anArgs.size() >= 2 && anArgs[0] == "build")
        return RunBuild(anArgs);
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const kf::EUsage& error) {
        std::cerr << "kelpforge-cli: " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "kelpforge-cli: " << error.what() << '\n';
        return 1;
    }
}
