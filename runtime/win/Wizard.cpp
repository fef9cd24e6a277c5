#include "runtime/win/Wizard.h"

#include "base/Exception.h"
#include "runtime/win/BitmapImage.h"
#include "runtime/win/Installation.h"
#include "runtime/win/Outcome.h"
#include "runtime/win/RichText.h"
#include "runtime/win/ScopedPlan.h"
#include "runtime/win/WinText.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

namespace kf {

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 360;
constexpr int kPanelHeight = 314; // the white area of the welcome and finish pages
constexpr int kHeaderHeight = 58; // the white band of the inner pages
constexpr UINT kStartInstall = WM_APP + 1;
constexpr int kProgressSteps = 1000; // the bar moves with the bytes written
constexpr const wchar_t* kWindowClass = L"KelpforgeSetupWizard";

enum : int {
    kLogo = 100,
    kHeaderImage,
    kBigTitle,
    kBody,
    kTitle,
    kSubtitle,
    kHeaderLine,
    kLicense,
    kAccept,
    kReadme,
    kFolderLabel,
    kFolder,
    kBrowse,
    kProgress,
    kStatus,
    kLaunch,
    kRestartNow,
    kRestartLater,
    kBottomLine,
    kBrand,
    kBack,
    kNext,
    kCancel,
};

// Raised by the progress callback when the user has confirmed Cancel during installation.
class TCancelled : public Exception {
public:
    TCancelled() : Exception("Cancelled by the user.") {}
};

HFONT MessageFont(int aWeight, int aHeightPercent) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfWeight = aWeight;
    metrics.lfMessageFont.lfHeight = metrics.lfMessageFont.lfHeight * aHeightPercent / 100;
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

std::string BrowseForFolder(HWND anOwner, const std::string& aTitle) {
    BROWSEINFOW browse{};
    const std::wstring title = Wide(aTitle);
    browse.hwndOwner = anOwner;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE list = ::SHBrowseForFolderW(&browse);
    if (!list)
        return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL found = ::SHGetPathFromIDListW(list, path);
    ::CoTaskMemFree(list);
    return found ? Utf8(path) : std::string();
}

std::string WindowText(HWND aControl) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(aControl)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(aControl, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

} // namespace

TWizard::TWizard(const TSetupPackage& aPackage, TSystemCabinet& aCabinet, TActionLog& anActions,
                 TFolderMap aFolders, TCommandLine anOptions)
    : fPackage(aPackage), fCabinet(aCabinet), fActions(anActions), fFolders(std::move(aFolders)),
      fOptions(std::move(anOptions)) {
    const TInstallerData& data = fPackage.Data();
    fTitle = data.ProductVersion.empty() ? data.ProductName : data.ProductName + " " + data.ProductVersion;
    fPages.push_back(TPage::Welcome);
    if (data.ShowLicense)
        fPages.push_back(TPage::License);
    if (data.ShowReadme)
        fPages.push_back(TPage::Readme);
    fPages.push_back(TPage::Folder);
    fPages.push_back(TPage::Progress);
    fPages.push_back(TPage::Finish);
    fFont = MessageFont(FW_NORMAL, 100);
    fBold = MessageFont(FW_BOLD, 100);
    fBig = MessageFont(FW_BOLD, 160);
    fLogo = BitmapFromFile(fPackage.MainMember("logo.bmp"));
    fHeader = BitmapFromFile(fPackage.MainMember("header.bmp"));
    fWhite = ::CreateSolidBrush(RGB(255, 255, 255));
}

TWizard::~TWizard() {
    if (fWindow)
        ::DestroyWindow(fWindow);
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(fFont), static_cast<HGDIOBJ>(fBold), static_cast<HGDIOBJ>(fBig),
          static_cast<HGDIOBJ>(fLogo), static_cast<HGDIOBJ>(fHeader), static_cast<HGDIOBJ>(fWhite)})
        if (object)
            ::DeleteObject(object);
}

int TWizard::Run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);

    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, kWidth, kHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    fWindow = ::CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, Wide(fTitle + " Setup").c_str(), style,
                                (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                                nullptr, windowClass.hInstance, this);
    if (!fWindow)
        ThrowLastError("Cannot create the setup window");
    CreateControls();
    ShowPage(0);
    ::ShowWindow(fWindow, SW_SHOWNORMAL);
    MSG message;
    while (!fDone && ::GetMessageW(&message, nullptr, 0, 0) > 0)
        if (!::IsDialogMessageW(fWindow, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    return fExitCode;
}

LRESULT CALLBACK TWizard::WindowProcedure(HWND aWindow, UINT aMessage, WPARAM aWParam, LPARAM anLParam) {
    if (aMessage == WM_NCCREATE)
        ::SetWindowLongPtrW(
            aWindow, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(anLParam)->lpCreateParams));
    auto* wizard = reinterpret_cast<TWizard*>(::GetWindowLongPtrW(aWindow, GWLP_USERDATA));
    if (!wizard || !wizard->fWindow)
        return ::DefWindowProcW(aWindow, aMessage, aWParam, anLParam);
    return wizard->Handle(aMessage, aWParam, anLParam);
}

LRESULT TWizard::Handle(UINT aMessage, WPARAM aWParam, LPARAM anLParam) {
    switch (aMessage) {
    case WM_COMMAND:
        Command(LOWORD(aWParam));
        return 0;
    case WM_CLOSE:
        Command(kCancel);
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CTLCOLORSTATIC: {
        const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(anLParam));
        if (id == kBrand || id == kFolderLabel || id == kStatus || id == kAccept ||
            (id >= kLaunch && id <= kRestartLater && fPages[fPage] != TPage::Finish))
            break;
        ::SetBkMode(reinterpret_cast<HDC>(aWParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(fWhite);
    }
    case kStartInstall:
        Install();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(fWindow, aMessage, aWParam, anLParam);
}

HWND TWizard::Control(const wchar_t* aClass, const std::string& aText, DWORD aStyle, int anId, RECT aPlace,
                      HFONT aFont) {
    const HWND control = ::CreateWindowExW(
        0, aClass, Wide(aText).c_str(), WS_CHILD | aStyle, aPlace.left, aPlace.top, aPlace.right,
        aPlace.bottom, fWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(anId)), nullptr, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(aFont ? aFont : fFont), TRUE);
    return control;
}

void TWizard::CreateControls() {
    const TInstallerData& data = fPackage.Data();
    Control(L"STATIC", "", SS_BITMAP, kLogo, {0, 0, 164, 314});
    ::SendDlgItemMessageW(fWindow, kLogo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(fLogo));
    Control(L"STATIC", "", SS_BITMAP, kHeaderImage, {kWidth - 57, 1, 55, 55});
    ::SendDlgItemMessageW(fWindow, kHeaderImage, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(fHeader));
    Control(L"STATIC", "", 0, kBigTitle, {178, 16, 306, 56}, fBig);
    Control(L"STATIC", "", 0, kBody, {178, 80, 306, 200});
    Control(L"STATIC", "", 0, kTitle, {16, 10, kWidth - 90, 18}, fBold);
    Control(L"STATIC", "", 0, kSubtitle, {28, 30, kWidth - 100, 26});
    Control(L"STATIC", "", SS_ETCHEDHORZ, kHeaderLine, {0, kHeaderHeight, kWidth, 2});
    if (const HWND license = CreateRichText(fWindow, kLicense)) {
        ::MoveWindow(license, 24, 70, kWidth - 48, data.ShowAcceptCheckBox ? 200 : 228, FALSE);
        ShowRichText(license, fPackage.MainMember("license.rtf"));
    }
    Control(L"BUTTON", "I &accept the terms of the License Agreement", WS_TABSTOP | BS_AUTOCHECKBOX, kAccept,
            {24, 280, kWidth - 48, 20});
    if (const HWND readme = CreateRichText(fWindow, kReadme)) {
        ::MoveWindow(readme, 24, 70, kWidth - 48, 228, FALSE);
        ShowRichText(readme, fPackage.MainMember("readme.rtf"));
    }
    Control(L"STATIC",
            "Setup will install " + data.ProductName +
                " in the following folder. To install in a different folder, click Browse and select "
                "another folder.",
            0, kFolderLabel, {24, 76, kWidth - 48, 48});
    Control(WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kFolder, {24, 140, kWidth - 150, 23});
    ::SetDlgItemTextW(fWindow, kFolder, Wide(fFolders.Folder(TFolderToken::InstallPath)).c_str());
    Control(L"BUTTON", "B&rowse...", WS_TABSTOP | BS_PUSHBUTTON, kBrowse, {kWidth - 114, 140, 90, 23});
    Control(PROGRESS_CLASSW, "", 0, kProgress, {24, 110, kWidth - 48, 18});
    Control(L"STATIC", "", SS_PATHELLIPSIS, kStatus, {24, 84, kWidth - 48, 18});
    Control(L"BUTTON", "&Launch " + data.ProductName, WS_TABSTOP | BS_AUTOCHECKBOX, kLaunch,
            {178, 200, 306, 20});
    Control(L"BUTTON", "&Restart now", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, kRestartNow,
            {178, 200, 306, 20});
    Control(L"BUTTON", "I want to &manually restart later", BS_AUTORADIOBUTTON, kRestartLater,
            {178, 224, 306, 20});
    ::CheckDlgButton(fWindow, kRestartNow, BST_CHECKED);
    Control(L"STATIC", "", SS_ETCHEDHORZ | WS_VISIBLE, kBottomLine, {0, kPanelHeight, kWidth, 2});
    Control(L"STATIC", data.CompanyName, WS_VISIBLE | WS_DISABLED, kBrand, {8, kPanelHeight + 16, 200, 18});
    Control(L"BUTTON", "< &Back", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kBack,
            {kWidth - 264, kPanelHeight + 13, 75, 23});
    Control(L"BUTTON", "&Next >", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kNext,
            {kWidth - 187, kPanelHeight + 13, 75, 23});
    Control(L"BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kCancel,
            {kWidth - 95, kPanelHeight + 13, 75, 23});
}

void TWizard::ShowPage(size_t anIndex) {
    fPage = anIndex;
    const TPage page = fPages[anIndex];
    const bool outer = page == TPage::Welcome || page == TPage::Finish;
    const TInstallerData& data = fPackage.Data();
    const auto show = [&](int anId, bool aVisible) {
        if (const HWND control = ::GetDlgItem(fWindow, anId))
            ::ShowWindow(control, aVisible ? SW_SHOW : SW_HIDE);
    };
    show(kLogo, outer);
    show(kBigTitle, outer);
    show(kBody, outer);
    show(kHeaderImage, !outer);
    show(kTitle, !outer);
    show(kSubtitle, !outer);
    show(kHeaderLine, !outer);
    show(kLicense, page == TPage::License);
    show(kAccept, page == TPage::License && data.ShowAcceptCheckBox);
    show(kReadme, page == TPage::Readme);
    for (int id : {kFolderLabel, kFolder, kBrowse})
        show(id, page == TPage::Folder);
    show(kProgress, page == TPage::Progress);
    show(kStatus, page == TPage::Progress);
    show(kLaunch, page == TPage::Finish && fPlan.Launch);
    // With a program to launch as well, the restart choice stands below its check box.
    const int restartTop = fPlan.Launch ? 228 : 200;
    for (int id : {kRestartNow, kRestartLater})
        ::SetWindowPos(::GetDlgItem(fWindow, id), nullptr, 178,
                       id == kRestartNow ? restartTop : restartTop + 24, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    show(kRestartNow, page == TPage::Finish && fPlan.Restart);
    show(kRestartLater, page == TPage::Finish && fPlan.Restart);
    show(kCancel, page != TPage::Finish);

    const auto text = [&](int anId, const std::string& aText) {
        ::SetDlgItemTextW(fWindow, anId, Wide(aText).c_str());
    };
    switch (page) {
    case TPage::Welcome:
        text(kBigTitle, "Welcome to the " + fTitle + " Setup Wizard");
        text(kBody, "This wizard will guide you through the installation of " + fTitle +
                        (data.CompanyName.empty() ? "" : " by " + data.CompanyName) +
                        ".\r\n\r\nIt is recommended that you close all other applications before starting "
                        "Setup.\r\n\r\nClick Next to continue.");
        break;
    case TPage::License:
        text(kTitle, "License Agreement");
        text(kSubtitle, "Please review the license terms before installing " + fTitle + ".");
        break;
    case TPage::Readme:
        text(kTitle, "Information");
        text(kSubtitle, "Please read the following important information before continuing.");
        break;
    case TPage::Folder:
        text(kTitle, "Choose Install Location");
        text(kSubtitle, "Choose the folder in which to install " + fTitle + ".");
        break;
    case TPage::Progress:
        text(kTitle, "Installing");
        text(kSubtitle, "Please wait while " + fTitle + " is being installed.");
        break;
    case TPage::Finish:
        text(kBigTitle, "Completing the " + fTitle + " Setup Wizard");
        text(kBody,
             fTitle + " has been installed on your computer." +
                 (fPlan.Restart ? "\r\n\r\nYour computer must be restarted to complete the installation."
                                : "\r\n\r\nClick Finish to close this wizard."));
        break;
    }
    text(kNext, page == TPage::Folder ? "&Install" : page == TPage::Finish ? "&Finish" : "&Next >");
    ::EnableWindow(::GetDlgItem(fWindow, kBack),
                   anIndex > 0 && page != TPage::Progress && page != TPage::Finish);
    ::EnableWindow(::GetDlgItem(fWindow, kNext),
                   page != TPage::Progress && !(page == TPage::License && data.ShowAcceptCheckBox &&
                                                ::IsDlgButtonChecked(fWindow, kAccept) != BST_CHECKED));
    ::InvalidateRect(fWindow, nullptr, TRUE);
    if (page == TPage::Progress)
        ::PostMessageW(fWindow, kStartInstall, 0, 0);
}

void TWizard::Command(int anId) {
    switch (anId) {
    case IDOK: // Enter
    case kNext:
        if (::IsWindowEnabled(::GetDlgItem(fWindow, kNext)))
            Next();
        break;
    case kBack:
        if (fPage > 0)
            ShowPage(fPage - 1);
        break;
    case IDCANCEL: // Escape
    case kCancel:
        if (fPages[fPage] == TPage::Finish)
            Finish();
        else if (ConfirmCancel() && !fInstalling) {
            fActions.Line("Cancelled");
            fExitCode = kExitCancelled;
            fDone = true;
        }
        break;
    case kAccept:
        ShowPage(fPage);
        break;
    case kBrowse: {
        const std::string folder =
            BrowseForFolder(fWindow, "Select the folder to install " + fTitle + " in:");
        if (!folder.empty())
            ::SetDlgItemTextW(fWindow, kFolder, Wide(folder).c_str());
        break;
    }
    default:
        break;
    }
}

void TWizard::Next() {
    const TPage page = fPages[fPage];
    if (page == TPage::Finish) {
        Finish();
        return;
    }
    if (page == TPage::Folder && !ChooseFolder())
        return;
    ShowPage(fPage + 1);
}

// Plans the installation in the folder entered. A folder that needs administrator rights this
// process has not hands the installation to a run with them, which this wizard then waits for.
// False to stay on the page.
bool TWizard::ChooseFolder() {
    try {
        fFolders.Set(TFolderToken::InstallPath, WindowText(::GetDlgItem(fWindow, kFolder)));
        fPlan = MakeScopedPlan(fPackage.Data(), fFolders);
        fActions.Line("Install folder: " + fPlan.InstallFolder + ", " + ScopeName(fPlan.Scope));
        if (!NeedsElevation(fPlan, fOptions))
            return true;
        ::ShowWindow(fWindow, SW_HIDE);
        fExitCode = InstallElevated(fPlan, fOptions, fActions);
        fDone = true;
    } catch (const std::exception& error) {
        ::ShowWindow(fWindow, SW_SHOW);
        ::MessageBoxW(fWindow, Wide(error.what()).c_str(), Wide(fTitle + " Setup").c_str(),
                      MB_OK | MB_ICONERROR);
    }
    return false;
}

bool TWizard::ConfirmCancel() {
    fCancelRequested =
        ::MessageBoxW(fWindow, Wide("Are you sure you want to cancel " + fTitle + " Setup?").c_str(),
                      Wide(fTitle + " Setup").c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    return fCancelRequested;
}

void TWizard::Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        if (!::IsDialogMessageW(fWindow, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
}

void TWizard::Install() {
    fInstalling = true;
    const HWND progress = ::GetDlgItem(fWindow, kProgress);
    ::SendMessageW(progress, PBM_SETRANGE32, 0, kProgressSteps);
    try {
        TInstallation(fPackage, fCabinet, fActions,
                      [&](uint64_t aDone, uint64_t aTotal, const std::string& aFile) {
                          ::SendMessageW(
                              progress, PBM_SETPOS,
                              static_cast<WPARAM>(aTotal == 0 ? 0 : aDone * kProgressSteps / aTotal), 0);
                          ::SetDlgItemTextW(fWindow, kStatus, Wide("Extracting " + aFile).c_str());
                          Pump();
                          if (fCancelRequested)
                              throw TCancelled();
                      })
            .Run(fPlan);
    } catch (const TCancelled&) {
        fInstalling = false;
        fExitCode = kExitCancelled;
        fDone = true;
        return;
    } catch (const std::exception& error) {
        fInstalling = false;
        ::MessageBoxW(
            fWindow, Wide(std::string("Setup failed. Nothing was installed.\r\n\r\n") + error.what()).c_str(),
            Wide(fTitle + " Setup").c_str(), MB_OK | MB_ICONERROR);
        fExitCode = kExitFailed;
        fDone = true;
        return;
    }
    fInstalling = false;
    fActions.Line("Installation complete");
    ::SendMessageW(progress, PBM_SETPOS, kProgressSteps, 0);
    ::CheckDlgButton(fWindow, kLaunch, BST_CHECKED);
    ShowPage(fPage + 1);
}

// The program is launched first, when asked, and then the computer restarted, when chosen.
void TWizard::Finish() {
    fDone = true;
    fExitCode = kExitSuccess;
    if (fPlan.Launch && ::IsDlgButtonChecked(fWindow, kLaunch) == BST_CHECKED)
        ::ShellExecuteW(fWindow, nullptr, Wide(*fPlan.Launch).c_str(), nullptr,
                        Wide(fPlan.Launch->substr(0, fPlan.Launch->rfind('\\'))).c_str(), SW_SHOWNORMAL);
    if (!fPlan.Restart)
        return;
    if (::IsDlgButtonChecked(fWindow, kRestartNow) == BST_CHECKED && RestartComputer())
        return;
    fActions.Line("A restart is needed to complete the installation");
    fExitCode = kExitRestartNeeded;
}

void TWizard::Paint() {
    PAINTSTRUCT paint;
    const HDC context = ::BeginPaint(fWindow, &paint);
    const bool outer = fPages[fPage] == TPage::Welcome || fPages[fPage] == TPage::Finish;
    RECT white{0, 0, kWidth, outer ? kPanelHeight : kHeaderHeight};
    ::FillRect(context, &white, fWhite);
    ::EndPaint(fWindow, &paint);
}

} // namespace kf
