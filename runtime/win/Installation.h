#pragma once

#include "runtime/core/InstallPlan.h"
#include "runtime/core/UninstallLog.h"
#include "runtime/win/ActionLog.h"
#include "runtime/win/Backups.h"
#include "runtime/win/SetupPackage.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kf {

// Carries out an install plan: folders, files, shortcuts, registry values, the uninstall entry
// and the uninstall log. When a step fails it removes everything it created so far, puts back the
// files and registry values it replaced, and raises the step's error.
class TInstallation {
public:
    // Told of the bytes of files written so far and in all, and the file being written, as the
    // files are written; it may raise an error to stop the installation, which is then rolled back.
    using TProgress = std::function<void(uint64_t aDone, uint64_t aTotal, const std::string& aFile)>;

    TInstallation(const TSetupPackage& aPackage, TSystemCabinet& aCabinet, TActionLog& anActions,
                  TProgress aProgress = {})
        : fPackage(aPackage), fCabinet(aCabinet), fActions(anActions), fProgress(std::move(aProgress)),
          fBackups(anActions) {}

    void Run(const TInstallPlan& aPlan);

private:
    void Install(const TInstallPlan& aPlan);
    void Guard(const std::string& aPath) const;
    void MakeFolders(const std::string& aFolder);
    void CreateFolders(const std::string& aFolder);
    bool CreatedFolder(const std::string& aFolder) const;
    void RequireProtectedFolder(const std::string& aLibrary) const;
    void InstallFiles(const std::vector<TFileAction>& aFiles);
    size_t RunEnd(const std::vector<TFileAction>& aFiles, size_t aFirst) const;
    void InstallRun(const std::vector<TFileAction>& aFiles, size_t aFirst, size_t anEnd);
    bool PrepareTarget(const TFileAction& aFile, bool& anExisted);
    void Register(const std::string& aLibrary);
    void MakeShortcut(const TShortcutAction& aShortcut);
    bool KeepExisting(const std::string& aPath);
    std::vector<TLoggedKey> NoteNewKeys(int aRoot, const std::string& aKey);
    void WriteValue(const TValueAction& aValue);
    void NoteValue(int aRoot, const std::string& aKey, const std::string& aName);
    void AddUninstallEntry(const TInstallPlan& aPlan);
    TUninstallLog LogWithEarlier(const std::string& aPath);
    void SaveUninstallLog(const TInstallPlan& aPlan);
    void SealUninstallLog(const std::string& aText);
    void RollBack();

    const TSetupPackage& fPackage;
    TSystemCabinet& fCabinet;
    TActionLog& fActions;
    TProgress fProgress;
    uint64_t fBytesDone = 0;
    uint64_t fBytesTotal = 0;
    uint64_t fBytesWritten = 0; // of the files this installation wrote, for its uninstall entry
    TUninstallLog fLog;
    TUninstallLog fCreated; // what a rollback removes: only what did not exist before
    TBackups fBackups;      // what a rollback puts back
    bool fGuarded = false;  // per-machine: users without administrator rights must not steer or change it
    std::string fEntryKey;  // the uninstall entry, once added
};

} // namespace kf
