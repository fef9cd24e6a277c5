// Writes the fuzzers' seed corpora with the project's own code: the example project built into
// setups at each compression (around a small stand-in for the runtime), their cabinets, data file
// and texts, and an uninstall log, command lines and a project file of the same installation.
// Usage: fuzz_seeds EXAMPLE_PROJECT CORPUS_FOLDER
#include "builder/BuildDriver.h"
#include "builder/RtfDocument.h"
#include "cli/EmbeddedCabinet.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"
#include "runtime/core/ByteWindow.h"
#include "runtime/core/CommandLine.h"
#include "runtime/core/FileSource.h"
#include "runtime/core/SetupContents.h"
#include "runtime/core/UninstallLog.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace kf;

class TQuietPrompter : public Prompter {
public:
    TMsgResult ShowMessage(const TMessageBox& aBox) override {
        if (aBox.Icon == TMsgIcon::Error)
            std::fprintf(stderr, "%s\n", aBox.Text.c_str());
        return TMsgResult::Ok;
    }
    std::optional<std::string> ChooseProjectToOpen() override { return std::nullopt; }
    std::optional<std::string> ChooseProjectToSave(const std::string&) override { return std::nullopt; }
};

class TQuietHost : public BuildHost {
public:
    void ShowStatus(const std::string&) override {}
    void ShowProgress(int) override {}
    void ProcessEvents() override {}
};

void Write(const fs::path& aPath, std::string_view aBytes) {
    fs::create_directories(aPath.parent_path());
    std::ofstream file(aPath, std::ios::binary | std::ios::trunc);
    file << aBytes;
    if (!file)
        throw Exception("Unable to write to " + aPath.string());
}

// A 2 x 2 bitmap keeps the seeds small; the readers do not look inside it.
std::string TinyBitmap() {
    const unsigned char bytes[] = {'B', 'M', 70, 0, 0, 0,   0, 0, 0, 0, 54, 0,   0, 0, 40, 0, 0,
                                   0,   2,   0,  0, 0, 2,   0, 0, 0, 1, 0,  24,  0, 0, 0,  0, 0,
                                   16,  0,   0,  0, 0, 0,   0, 0, 0, 0, 0,  0,   0, 0, 0,  0, 0,
                                   0,   0,   0,  0, 0, 255, 0, 0, 0, 0, 0,  255, 0, 0, 0,  0, 0};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

fs::path BuildSetup(TProject& aProject, int aCompression, const fs::path& aCorpus,
                    const std::string& aProgram) {
    aProject.Compression = aCompression;
    aProject.SetupFile = (aCorpus / "setup" / ("example-" + std::to_string(aCompression) + ".exe")).string();
    fs::create_directories(aCorpus / "setup");
    TQuietHost host;
    TQuietPrompter prompter;
    TBuildDriver driver(aProject, host, prompter, aProgram);
    if (driver.Run() != TBuildOutcome::Succeeded)
        throw Exception("The example project did not build");
    return aProject.SetupFile;
}

// The cabinets and the data file of a setup, as the cabinet and data-file fuzzers start from them.
void SplitSetup(const fs::path& aSetup, const fs::path& aCorpus) {
    TFileSource setup(aSetup.string());
    const TSetupContents contents = ReadSetupContents(
        setup, [](TByteSource& aMain) { return TEmbeddedCabinet(aMain, kMainCabinetName).Read(0); });
    const std::string stem = aSetup.stem().string();
    const TSetupLayout& layout = contents.Layout;
    for (size_t i = 0; i < layout.CabinetSizes.size(); ++i)
        Write(aCorpus / "cabinet" / (stem + "-" + std::to_string(i) + ".cab"),
              setup.Read(layout.CabinetOffsets[i], layout.CabinetSizes[i]));
    Write(aCorpus / "cabinet" / (stem + "-main.cab"), setup.Read(layout.MainOffset, layout.MainSize));
    TByteWindow main(setup, layout.MainOffset, layout.MainSize);
    Write(aCorpus / "data_file" / (stem + ".dat"), TEmbeddedCabinet(main, kMainCabinetName).Read(0));
}

TUninstallLog LogOf(const TProject& aProject) {
    TUninstallLog log;
    log.ProductName = aProject.ProductName();
    log.Folders.push_back({"C:\\Program Files\\" + aProject.InstallFolder(), true});
    for (const TFileEntry& row : aProject.Files)
        log.Files.push_back({row.InstallTo, row.Uninstall != "No"});
    log.Shortcuts.push_back("C:\\Users\\Author\\Desktop\\" + aProject.ProductName() + ".lnk");
    log.Registered.push_back("C:\\Program Files\\Kelp\\tab\there.dll");
    log.Values.push_back({2, "Software\\" + aProject.ProductName(), "InstallPath", true});
    log.Keys.push_back({2, "Software\\" + aProject.ProductName()});
    log.UninstallEntries.push_back(
        {2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelp%Notes"});
    return log;
}

void WriteCommandLines(const fs::path& aFolder) {
    TCommandLine install;
    install.Silent = true;
    install.LogFile = "C:\\Users\\Author\\install log.txt";
    install.InstallFolder = "C:\\Program Files\\Kelp Notes";
    Write(aFolder / "install.txt", "\"C:\\Downloads\\Setup.exe\" " + CommandLineText(install));
    TCommandLine restart;
    restart.Elevated = true;
    restart.ElevatedFrom = 4141;
    restart.Original = TOriginalProgram{4242, "C:\\Program Files\\Kelp Notes\\Uninstall.exe", 124};
    Write(aFolder / "restart.txt", "C:\\Temp\\Un_A.exe " + CommandLineText(restart));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s EXAMPLE_PROJECT CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    if (!fs::is_regular_file(argv[1])) {
        std::fprintf(stderr, "fuzz_seeds: no project file %s\n", argv[1]);
        return 1;
    }
    try {
        const fs::path corpus = fs::absolute(argv[2]);
        const fs::path work = fs::temp_directory_path() / ("kf-seeds-" + std::to_string(::getpid()));
        const std::string program = (work / "program").string() + "/";
        Write(work / "program" / "Installer.exe", "MZ a stand-in for the installer runtime");
        Write(work / "program" / "Uninstall.exe", "MZ a stand-in for the uninstaller");
        Write(work / "logo.bmp", TinyBitmap());
        // The example's rows name their files relative to its folder.
        const fs::path projectFile = fs::absolute(argv[1]);
        fs::current_path(projectFile.parent_path());
        TQuietPrompter prompter;
        TProject project(program, "");
        ReadProjectFile(project, projectFile.string(), prompter);
        project.LogoBitmap = project.HeaderBitmap = (work / "logo.bmp").string();
        for (int compression : {0, 1, 2})
            SplitSetup(BuildSetup(project, compression, corpus, program), corpus);
        Write(corpus / "project_file" / "example.kfp", ComposeProjectText(project));
        Write(corpus / "rtf" / "license.rtf", project.LicenseText);
        Write(corpus / "rtf" / "plain.rtf", RtfDocumentFor("Plain {text} with a \\ and \xE9\r\nsecond line"));
        Write(corpus / "uninstall_log" / "example.log", WriteUninstallLog(LogOf(project)));
        WriteCommandLines(corpus / "command_line");
        fs::remove_all(work);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}
