#pragma once

#include "builder/BuildFolder.h"
#include "builder/BuildHost.h"
#include "builder/BuildProgress.h"
#include "builder/CabinetLayout.h"
#include "builder/MemberDates.h"
#include "builder/RuntimePrograms.h"
#include "builder/SharedRows.h"
#include "project/Project.h"
#include "project/Prompter.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kf {

class TTemporaryFile;

enum class TBuildOutcome { Succeeded, WrongInformation, Cancelled, SetupNotWritable };

inline constexpr const char* kBuildCaption = "Setup Building";

// Turns a project into a setup file: the installer runtime, a cabinet per file row, the main
// cabinet and the size trailer. Works in a private temporary folder and writes the setup under a
// temporary name beside its target, so that a build that stops leaves nothing half done behind.
class TBuildDriver {
public:
    TBuildDriver(const TProject& aProject, BuildHost& aHost, Prompter& aPrompter, std::string aProgramFolder);

    // Runs one build; errors other than those the user is told about in a message box are raised.
    TBuildOutcome Run();
    // The Cancel button: asks for confirmation; true when the build is to stop.
    bool ConfirmCancel();
    // Stops the build at its next cancel check without asking.
    void RequestCancel() { fCancelled = true; }
    // A command template that signs the uninstaller before it is packed and the setup before it
    // replaces the file at SetupFile (see SignFile); empty for unsigned setups.
    void SetSignCommand(std::string aCommand) { fSignCommand = std::move(aCommand); }
    // The project's file, whose last change dates the members the build writes (see MemberDatesFor).
    void SetProjectFile(std::string aPath) { fProjectFile = std::move(aPath); }
    // How many file rows are packed at once; 0, the default, packs one per processor core.
    void SetWorkerCount(size_t aCount) { fWorkerCount = aCount; }
    // On by default: a row with the same file as an earlier row installs that row's cabinet.
    void SetStoreDuplicatesOnce(bool anOn) { fStoreDuplicatesOnce = anOn; }
    // Off by default: a licence or readme to show that cannot be read stops the build; on, the
    // build goes on with a warning and an empty page.
    void SetAllowUnreadableTexts(bool anOn) { fAllowUnreadableTexts = anOn; }
    // Size of the setup file written by the last successful build.
    uint64_t SetupSize() const { return fSetupSize; }

private:
    bool Valid() const;
    // Refuses, or warns of, a licence or readme to show whose file cannot be read.
    void CheckTexts();
    bool PackFileCabinets(const TBuildFolder& aFolder);
    // Finds the rows whose files earlier rows store; false when cancelled on the way.
    bool FindDuplicates(const std::vector<TFileEntry>& aRows, TSharedRows& aShared);
    // The rows as packed: with a sign command, the uninstaller row names a signed copy.
    std::vector<TFileEntry> RowsToPack(const TBuildFolder& aFolder) const;
    // Shows the row whose file cabinet aCabinet is at, aDone bytes into its input.
    void ShowPacking(const std::vector<TFileEntry>& aRows, size_t aCabinet, uint64_t aDone);
    void ShowRow(const std::vector<TFileEntry>& aRows, size_t aRow);
    void WriteDataAndTexts(const TBuildFolder& aFolder) const;
    void PackMainCabinet(const TBuildFolder& aFolder);
    TBuildOutcome WriteSetup(const TBuildFolder& aFolder);
    // Appends a file in blocks, pumping events between them and telling anOnBytes the bytes copied
    // so far; false when cancelled on the way.
    bool Append(TTemporaryFile& aSetup, const std::string& aPath, bool aCancellable,
                const std::function<void(uint64_t)>& anOnBytes = {});
    void Message(const std::string& aText, TMsgIcon anIcon);

    const TProject& fProject;
    BuildHost& fHost;
    Prompter& fPrompter;
    std::string fProgramFolder;
    std::string fSignCommand;
    std::string fProjectFile;
    size_t fWorkerCount = 0;
    bool fStoreDuplicatesOnce = true;
    bool fAllowUnreadableTexts = false;
    TMemberDates fDates;
    TRuntimePrograms fPrograms;
    TCabinetLayout fLayout;
    std::vector<uint64_t> fInputSizes;   // of each row's source, as packed
    std::vector<uint64_t> fCabinetSizes; // of each cabinet of fLayout
    std::vector<std::string> fMemberNames;
    size_t fShownRow = 0; // the row whose name the status shows, while packing
    // Set on the user-interface thread, read by the packing threads too.
    std::atomic<bool> fCancelled{false};
    TBuildProgress fProgress;
    uint64_t fSetupSize = 0;
};

} // namespace kf
