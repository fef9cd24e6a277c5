#include "cli/BuildCommand.h"

#include "builder/BuildDriver.h"
#include "builder/SignCommand.h"
#include "cli/CliPrompter.h"
#include "cli/FieldOverrides.h"
#include "cli/TerminalBuildHost.h"
#include "project/HostPaths.h"
#include "project/ProjectDocument.h"
#include "project/ProjectFileReader.h"

#include <cstdlib>
#include <iostream>

namespace kf {

namespace {

// A setup without some of its files would pass CI unnoticed: the build stops, naming each row.
bool RefuseDroppedRows(const std::vector<TDroppedRow>& aDropped) {
    if (aDropped.empty())
        return false;
    std::cerr << "kelpforge-cli: the setup would lack " << aDropped.size()
              << (aDropped.size() == 1 ? " file" : " files")
              << " whose source cannot be opened; nothing was built (--allow-missing builds without them):\n";
    for (const TDroppedRow& row : aDropped)
        std::cerr << "  row " << row.Row << ": " << row.SourcePath << '\n';
    return true;
}

} // namespace

int RunBuildCommand(const std::string& aProjectPath, const TBuildOptions& anOptions) {
    CheckProjectFileReadable(aProjectPath);
    TCliPrompter prompter(aProjectPath);
    prompter.SetQuiet(anOptions.Quiet);
    TProject project(ProgramFolder(), DefaultSetupFile());
    TProjectDocument document(project, prompter);
    document.Open();
    if (!document.RepeatedKeys().empty()) {
        std::cerr << "kelpforge-cli: nothing was built: a key that stands twice leaves out what its later "
                     "lines say; keep one line for each key\n";
        return 1;
    }
    if (!anOptions.AllowMissing && RefuseDroppedRows(document.DroppedRows()))
        return 1;
    for (const std::string& assignment : anOptions.Overrides)
        ApplyFieldOverride(project, assignment);
    if (anOptions.SetupPath)
        project.SetupFile = *anOptions.SetupPath;

    TTerminalBuildHost host(anOptions.Quiet);
    TBuildDriver driver(project, host, prompter, ProgramFolder());
    host.Attach(driver);
    driver.SetProjectFile(aProjectPath);
    driver.SetWorkerCount(anOptions.Jobs);
    driver.SetStoreDuplicatesOnce(!anOptions.KeepDuplicates);
    driver.SetAllowUnreadableTexts(anOptions.AllowMissing);
    if (anOptions.SignCommand)
        driver.SetSignCommand(*anOptions.SignCommand);
    else if (const char* command = std::getenv(kSignEnvironment))
        driver.SetSignCommand(command);
    const TBuildOutcome outcome = driver.Run();
    if (outcome == TBuildOutcome::Cancelled)
        std::cerr << "kelpforge-cli: the build was cancelled; " << project.SetupFile << " was not changed\n";
    return outcome == TBuildOutcome::Succeeded ? 0 : 1;
}

} // namespace kf
