#include "project/Exception.h"
#include "project/HostPaths.h"
#include "project/ProjectDocument.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: kelpforge-cli new PROJECT.kfp    write a new project with every default\n"
    "       kelpforge-cli show PROJECT.kfp   open a project and list its content\n"
    "       kelpforge-cli --version | --help\n";

// Answers the core's questions without a person: messages go to stderr, dialogs take the path
// given on the command line.
class TTerminalPrompter : public kf::Prompter {
public:
    explicit TTerminalPrompter(std::string aPath) : fPath(std::move(aPath)) {}

    kf::TMsgResult ShowMessage(const kf::TMessageBox& aBox) override {
        std::string text = aBox.Text;
        for (char& c : text)
            if (c == '\r')
                c = '\n';
        std::cerr << aBox.Caption << ": " << text << '\n';
        return aBox.Buttons == kf::TMsgButtons::Ok ? kf::TMsgResult::Ok : kf::TMsgResult::No;
    }
    std::optional<std::string> ChooseProjectToOpen() override { return fPath; }
    std::optional<std::string> ChooseProjectToSave(const std::string&) override { return fPath; }

private:
    std::string fPath;
};

void PrintProject(const kf::TProject& aProject, const std::string& aTitle) {
    std::cout << aTitle << "\n"
              << "Product: " << aProject.ProductName() << ' ' << aProject.ProductVersion << "\n"
              << "Company: " << aProject.CompanyName << "\n"
              << "Setup file: " << aProject.SetupFile << "\n"
              << "Install folder: " << aProject.InstallFolder() << "\n"
              << "Files: " << aProject.Summary().TotalFiles << " (" << aProject.Summary().TotalSize << ")\n";
    for (const kf::TFileEntry& row : aProject.Files)
        std::cout << "  " << row.SourcePath << " -> " << row.InstallTo << '\n';
    std::cout << "Shortcuts: " << aProject.Shortcuts.Rows().size() << "\n";
    for (const std::string& line : aProject.Shortcuts.Lines())
        std::cout << "  " << line << '\n';
    std::cout << "Registry values: " << aProject.RegistryValues.Rows().size() << "\n";
    for (const std::string& line : aProject.RegistryValues.Lines())
        std::cout << "  " << line << '\n';
}

int Run(const std::vector<std::string>& anArgs) {
    if (anArgs.size() == 1 && anArgs[0] == "--version") {
        std::cout << "kelpforge-cli 2.1.7\n";
        return 0;
    }
    if (anArgs.size() == 1 && anArgs[0] == "--help") {
        std::cout << kUsage;
        return 0;
    }
    if (anArgs.size() != 2 || (anArgs[0] != "new" && anArgs[0] != "show")) {
        std::cerr << kUsage;
        return 2;
    }
    TTerminalPrompter prompter(anArgs[1]);
    kf::TProject project(kf::ProgramFolder(), kf::DefaultSetupFile());
    kf::TProjectDocument document(project, prompter);
    if (anArgs[0] == "new")
        document.Save();
    else
        document.Open();
    PrintProject(project, document.Title());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const kf::Exception& error) {
        std::cerr << "kelpforge-cli: " << error.what() << '\n';
        return 1;
    }
}
