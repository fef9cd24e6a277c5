#pragma once

#include "runtime/core/CommandLine.h"
#include "runtime/core/InstallPlan.h"
#include "runtime/win/ActionLog.h"
#include "runtime/win/SetupPackage.h"

#include <windows.h>

#include <vector>

namespace kf {

// The setup wizard: welcome, licence, readme, install folder, progress and finish pages in the
// classic layout, with the logo on the first and last page and the header bitmap on the others.
class TWizard {
public:
    TWizard(const TSetupPackage& aPackage, TSystemCabinet& aCabinet, TActionLog& anActions,
            TFolderMap aFolders, TCommandLine anOptions);
    ~TWizard();
    TWizard(const TWizard&) = delete;
    TWizard& operator=(const TWizard&) = delete;

    // Shows the wizard until the user finishes or cancels; returns the exit code.
    int Run();

private:
    enum class TPage { Welcome, License, Readme, Folder, Progress, Finish };

    static LRESULT CALLBACK WindowProcedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM anLParam);
    LRESULT Handle(UINT aMessage, WPARAM aWParam, LPARAM anLParam);
    void CreateControls();
    HWND Control(const wchar_t* aClass, const std::string& aText, DWORD aStyle, int anId, RECT aPlace,
                 HFONT aFont = nullptr);
    void ShowPage(size_t anIndex);
    void Command(int anId);
    void Next();
    bool ChooseFolder();
    bool ConfirmCancel();
    void Install();
    void Pump();
    void Finish();
    void Paint();

    const TSetupPackage& fPackage;
    TSystemCabinet& fCabinet;
    TActionLog& fActions;
    TFolderMap fFolders;
    TCommandLine fOptions; // for a restart with administrator rights
    std::string fTitle;
    std::vector<TPage> fPages;
    size_t fPage = 0;
    TInstallPlan fPlan;
    HWND fWindow = nullptr;
    HFONT fFont = nullptr;
    HFONT fBold = nullptr;
    HFONT fBig = nullptr;
    HBITMAP fLogo = nullptr;
    HBITMAP fHeader = nullptr;
    HBRUSH fWhite = nullptr;
    bool fInstalling = false;
    bool fCancelRequested = false;
    bool fDone = false;
    int fExitCode = 0;
};

} // namespace kf
