#include "builder/BuildInputs.h"

#include "base/Exception.h"
#include "builder/RuntimePrograms.h"

#include <sys/stat.h>
#include <utility>
#include <vector>

namespace kf {

namespace {

bool SameFile(const struct stat& aFile, const std::string& aPath) {
    struct stat other {};
    return !aPath.empty() && ::stat(aPath.c_str(), &other) == 0 && other.st_dev == aFile.st_dev &&
           other.st_ino == aFile.st_ino;
}

// What each input is, for the message, and its path.
std::vector<std::pair<std::string, std::string>>
InputsOf(const TProject& aProject, const std::string& aProjectFile, const std::string& aProgramFolder) {
    std::vector<std::pair<std::string, std::string>> inputs{{"the project file", aProjectFile},
                                                            {"the logo bitmap", aProject.LogoBitmap},
                                                            {"the header bitmap", aProject.HeaderBitmap}};
    if (aProject.ShowLicense)
        inputs.emplace_back("the licence file", aProject.LicenseFile);
    if (aProject.ShowReadme)
        inputs.emplace_back("the readme file", aProject.ReadmeFile);
    const TRuntimePrograms programs = RuntimeProgramsFor(aProject.TargetWindows);
    inputs.emplace_back("the installer runtime", aProgramFolder + programs.Installer);
    inputs.emplace_back("the uninstaller", aProgramFolder + programs.Uninstaller);
    for (size_t i = 0; i < aProject.Files.size(); ++i)
        inputs.emplace_back("the source of row " + std::to_string(i + 1) + " of the file list",
                            aProject.Files[i].SourcePath);
    return inputs;
}

} // namespace

void CheckSetupIsNoInput(const TProject& aProject, const std::string& aProjectFile,
                         const std::string& aProgramFolder) {
    struct stat setup {};
    if (::stat(aProject.SetupFile.c_str(), &setup) != 0)
        return;
    for (const auto& [what, path] : InputsOf(aProject, aProjectFile, aProgramFolder))
        if (SameFile(setup, path))
            throw Exception("The setup file " + aProject.SetupFile + " is " + what + " (" + path +
                            "): the setup would replace it. Choose another setup file.");
}

} // namespace kf
