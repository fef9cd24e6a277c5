#include "builder/InstallerDataFile.h"
#include "project/Project.h"
#include "project/ProjectFileWriter.h"
#include "runtime/core/InstallerData.h"

#include "../../builder/CabinetReader.h"
#include "../../builder/SetupRepack.h"
#include "../../project/TestSupport.h"
#include "../HeaderFields.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

using namespace kf;
using kf::test::ReadFile;
using kf::test::RunCommand;
using kf::test::WindowsPath;
namespace fs = std::filesystem;

namespace {

// Wine hands back only the low byte of a Windows exit code.
constexpr int kSuccess = 0;
constexpr int kFailed = 1603 & 0xFF;

std::string Noise(size_t aLength, unsigned aSeed) {
    std::string bytes(aLength, '\0');
    std::mt19937 random(aSeed);
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// A runtime under test: the programs we ship for 32-bit Windows, or their 64-bit twins, with the
// test libraries built for the same architecture.
struct TArchitecture {
    const char* Name;
    int TargetWindows;
    const char* Installer;
    const char* Uninstaller;
    const char* PlantedLibrary;
    const char* RegisteredLibrary;
    const char* RunLimited; // runs a program without the administrator rights every Wine program has
};

const TArchitecture kI686{"i686",
                          kTarget32Bit,
                          "Installer.exe",
                          "Uninstall.exe",
                          KF_PLANTED_LIBRARY_I686,
                          KF_REGISTERED_LIBRARY_I686,
                          KF_RUN_LIMITED_I686};
const TArchitecture kX86_64{"x86_64",           kTarget64Bit,          "Installer64.exe", "Uninstall64.exe",
                            KF_PLANTED_LIBRARY, KF_REGISTERED_LIBRARY, KF_RUN_LIMITED};

// Whom an access list, as SDDL, allows anything: the trustees of its allowing entries.
std::set<std::string> AllowedTrustees(const std::string& aList) {
    std::set<std::string> trustees;
    for (size_t open = aList.find('('); open != std::string::npos; open = aList.find('(', open + 1)) {
        const std::string entry = aList.substr(open + 1, aList.find(')', open) - open - 1);
        if (entry.starts_with("A;"))
            trustees.insert(entry.substr(entry.rfind(';') + 1));
    }
    return trustees;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool ContainsNoCase(std::string_view aText, std::string_view aPart) {
    for (size_t at = 0; at + aPart.size() <= aText.size(); ++at)
        if (SameNoCase(aText.substr(at, aPart.size()), aPart))
            return true;
    return false;
}

std::string FolderOf(const std::string& aWindowsPath) {
    return aWindowsPath.substr(0, aWindowsPath.rfind('\\'));
}

// Whether a Windows path is in a folder that the uninstaller made for its copy below the Windows
// temporary folder.
bool InCopyFolder(const std::string& aPath) {
    const std::string_view folders = "C:\\windows\\Temp\\kfu";
    return SameNoCase(aPath.substr(0, folders.size()), folders) &&
           FolderOf(aPath).find('\\', folders.size()) == std::string::npos;
}

void PrintTo(const TArchitecture& anArchitecture, std::ostream* aStream) {
    *aStream << anArchitecture.Name;
}

// The 32-bit Wine loader. Where the kernel runs no 32-bit code, the tests run in a namespace that
// hands every 32-bit program to qemu-i386, the programs the runtime starts included.
std::string Wine32Loader() {
    static const std::string loader = [] {
        int code = -1;
        const std::string output = RunCommand("'" KF_WINE32 "' --version 2>&1", code);
        if (code != 0)
            ADD_FAILURE()
                << KF_WINE32 " cannot run here (" << output
                << "): run the Wine tests through scripts/emulated-i386.sh, as scripts/test.sh does";
        return std::string("'" KF_WINE32 "'");
    }();
    return loader;
}

// The host's day as yyyymmdd, which Wine's local time follows.
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

// Builds setups with kelpforge-cli against one runtime and runs them in the shared prefix with the
// Wine of its architecture, whose registry view is the one that runtime sees. Every test installs
// into a folder and registry key of its own and removes them afterwards.
class SetupUnderWine : public ::testing::TestWithParam<TArchitecture> {
protected:
    const TArchitecture& arch = GetParam();
    test::TTempFolder temp;
    std::string tag = "kf-runtime-" + std::to_string(std::random_device()());
    std::string registryKey = "Software\\" + tag;
    std::string installFolder = "C:\\" + tag + "\\My App";
    fs::path installed = fs::path(KF_WINE_PREFIX) / "drive_c" / tag / "My App";
    std::vector<std::pair<std::string, std::string>> sources; // install-to path below the folder, content
    std::string fDisplay;
    std::string fScreenServer;

    void TearDown() override {
        fs::remove_all(fs::path(KF_WINE_PREFIX) / "drive_c" / tag);
        int code = 0;
        Registry("delete 'HKLM\\" + registryKey + "' /f", code);
        Registry("delete 'HKCU\\" + registryKey + "' /f", code);
        for (const char* root : {"HKLM", "HKCU"})
            Registry(std::string("delete '") + root +
                         "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + tag + "' /f",
                     code);
        for (bool allUsers : {true, false})
            fs::remove_all(ProgramsMenuLink(allUsers).parent_path());
    }

    std::string WineLoader() const {
        return std::string_view(arch.Name) == kI686.Name ? Wine32Loader() : "'" KF_WINE64 "'";
    }

    // reg.exe on the registry view of the runtime's Windows, run by wine64: a 32-bit tool takes
    // seconds to start under emulation.
    std::string Registry(const std::string& anArguments, int& anExitCode) {
        const char* view = std::string_view(arch.Name) == kI686.Name ? " /reg:32" : " /reg:64";
        return RunCommand("WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64 "' reg " +
                              anArguments + view + " 2>&1",
                          anExitCode);
    }

    // Our programs end with 0, 1602, 1603 or 3010, or a crash's exception code, and never without a
    // word in their log. A 1 with nothing said is Wine's own (a CI machine under load saw it once,
    // with no log written): the program runs again, once, and the test log says so.
    std::string Wine(const std::string& anArguments, int& anExitCode, const std::string& anEnvironment = "") {
        const std::string command = "WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all " + anEnvironment + " " +
                                    WineLoader() + " " + anArguments + " 2>&1";
        std::string output = RunCommand(command, anExitCode);
        if (anExitCode == 1 && output.empty()) {
            std::cerr << "Wine ended with 1 and said nothing; running again: " << anArguments << '\n';
            output = RunCommand(command, anExitCode);
        }
        return output;
    }

    // A screen of the test's own, with a Wine server of its own whose desktop is on it: the shared
    // prefix's server may have started its desktop with no screen. The files and the registry are
    // the shared prefix's. Returns the environment to run programs in, empty when Xvfb fails.
    std::string StartScreen() {
        const std::string displayFile = temp.Path("display");
        int code = -1;
        fs::create_directories(temp.Path("screen"));
        fScreenServer =
            RunCommand("(Xvfb -displayfd 3 -fbdir '" + temp.Path("screen") + "' -screen 0 1024x768x24 3>'" +
                           displayFile + "' >/dev/null 2>&1 & echo $!)",
                       code);
        std::string display;
        for (int i = 0; i < 100 && display.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            display = ReadFile(displayFile);
            display.erase(std::remove(display.begin(), display.end(), '\n'), display.end());
        }
        if (display.empty())
            return {};
        fDisplay = ":" + display;
        const fs::path prefix = temp.Path("prefix");
        fs::create_directories(prefix);
        fs::create_directory_symlink(fs::path(KF_WINE_PREFIX) / "drive_c", prefix / "drive_c");
        fs::copy(fs::path(KF_WINE_PREFIX) / "dosdevices", prefix / "dosdevices",
                 fs::copy_options::copy_symlinks);
        for (const char* file : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"})
            fs::copy_file(fs::path(KF_WINE_PREFIX) / file, prefix / file);
        return "WINEPREFIX='" + prefix.string() + "' DISPLAY=" + fDisplay;
    }

    void StopScreen(const std::string& anEnvironment) {
        const std::string wineserver = (fs::path(KF_WINE64).parent_path() / "wineserver").string();
        int code = -1;
        RunCommand(anEnvironment + " '" + wineserver + "' -k; kill " +
                       std::to_string(std::stol(fScreenServer)),
                   code);
    }

    // Brightness (0 to 1) and its spread over a rectangle of what the screen shows, read from the
    // screen's own frame buffer: a capture through the X server (xwd -root) shows Wine's later
    // windows black although the screen shows them drawn.
    std::pair<double, double> ScreenArea(int anX, int aY, int aWidth, int aHeight) {
        int code = -1;
        const std::string figures = RunCommand(
            "/usr/bin/convert 'xwd:" + temp.Path("screen/Xvfb_screen0") + "' -crop " +
                std::to_string(aWidth) + "x" + std::to_string(aHeight) + "+" + std::to_string(anX) + "+" +
                std::to_string(aY) +
                " +repage -colorspace Gray -format '%[fx:mean] %[fx:standard_deviation]' info: 2>&1",
            code);
        double mean = -1, spread = -1;
        EXPECT_EQ(std::sscanf(figures.c_str(), "%lf %lf", &mean, &spread), 2) << figures;
        return {mean, spread};
    }

    // The places of the windows with the wizard's caption, as xdotool gives them.
    std::vector<std::array<int, 4>> WizardWindows() {
        int code = -1;
        const std::string found = RunCommand("DISPLAY=" + fDisplay + " xdotool search --name '^" + tag +
                                                 " .*Setup$' getwindowgeometry --shell %@ 2>/dev/null",
                                             code);
        std::vector<std::array<int, 4>> windows;
        std::istringstream lines(found);
        std::array<int, 4> place{};
        for (std::string line; std::getline(lines, line);) {
            for (const auto& [key, index] : {std::pair{"X=", 0}, {"Y=", 1}, {"WIDTH=", 2}, {"HEIGHT=", 3}})
                if (line.starts_with(key))
                    place[index] = std::stoi(line.substr(std::string_view(key).size()));
            if (line.starts_with("SCREEN="))
                windows.push_back(place);
        }
        return windows;
    }

    // Waits for the wizard's window on the screen and runs xdotool's commands on it.
    std::string WizardWindow(const std::string& aCommands) {
        int code = -1;
        return RunCommand("DISPLAY=" + fDisplay + " timeout 120 xdotool search --sync --name '^" + tag +
                              " .*Setup$' " + aCommands + " 2>&1",
                          code);
    }

    TProject Project() {
        TProject project(KF_PROGRAM_FOLDER "/", temp.Path("Setup.exe"));
        project.TargetWindows = arch.TargetWindows;
        project.SetProductName(tag);
        project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
        project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
        sources = {{"readme.txt", "Read me first.\r\n"},
                   {"bin\\noise.bin", Noise(70000, 1)},
                   {"bin\\deep\\empty.dat", ""},
                   {"keep.txt", "stays after uninstall"},
                   {"bin\\server.dll", ReadFile(arch.RegisteredLibrary)}};
        for (const auto& [target, content] : sources) {
            std::string name = target;
            std::replace(name.begin(), name.end(), '\\', '_');
            project.Files.push_back(TFileEntry{
                temp.WriteFile("src/" + name, content), "0", "%Install Path%\\" + target, "Overwrite",
                target == "keep.txt" ? "No" : "Yes", target.ends_with(".dll") ? "Yes" : "No"});
        }
        project.SetIncludeUninstaller(true);
        project.RefreshFileList();
        project.Shortcuts.Append({}, "0010" + tag + "\\Read Me");
        project.RegistryValues.Append({}, "20" + registryKey + "|Path=0%Install Path%\\bin");
        project.RegistryValues.Append({}, "21" + registryKey + "|Count=142");
        project.RegistryValues.Append({}, "20" + registryKey + "\\Sub\\Deep|Text=0x");
        return project;
    }

    std::string RunBuild(const TProject& aProject, int& anExitCode) {
        SaveProjectFile(aProject, temp.Path("setup.kfp"));
        return RunCommand("KELPFORGE_PROGRAM_FOLDER='" KF_PROGRAM_FOLDER
                          "/' KELPFORGE_CABINET_LIBRARY='" KF_CABINET_LIBRARY "' TMPDIR='" +
                              temp.Path("") + "' '" KF_CLI "' build '" + temp.Path("setup.kfp") + "' 2>&1",
                          anExitCode);
    }

    std::string Build(const TProject& aProject) {
        int code = -1;
        const std::string output = RunBuild(aProject, code);
        EXPECT_EQ(code, 0) << output;
        return temp.Path("Setup.exe");
    }

    std::string MainMember(const std::string& aSetup, const std::string& aName) {
        const std::string setup = ReadFile(aSetup);
        const size_t mainSize = std::stoul(setup.substr(setup.size() - 10));
        for (const auto& [name, content] :
             test::ExtractCabinet(setup.substr(setup.size() - 10 - mainSize, mainSize), temp.Path("main")))
            if (name == aName)
                return content;
        ADD_FAILURE() << aSetup << " has no member " << aName;
        return "";
    }

    // aSetup with the named members of its main cabinet replaced, packed again by gcab.
    std::string WithMainMembers(const std::string& aSetup,
                                const std::map<std::string, std::string>& aReplaced) {
        const std::string setup = ReadFile(aSetup);
        const size_t mainSize = std::stoul(setup.substr(setup.size() - 10));
        test::TMembers members =
            test::ExtractCabinet(setup.substr(setup.size() - 10 - mainSize, mainSize), temp.Path("main"));
        for (auto& [name, content] : members)
            if (const auto replaced = aReplaced.find(name); replaced != aReplaced.end())
                content = replaced->second;
        return temp.WriteFile("Repacked.exe", test::WithMainCabinet(setup, members, temp.Path("repacked")));
    }

    // Runs a setup silently into the test's folder, every argument quoted for the shell.
    std::string SilentArguments(const std::string& aSetup, const std::string& aLog,
                                bool aFolder = true) const {
        std::string arguments = "'";
        arguments += WindowsPath(aSetup);
        arguments += "' /S '/LOG=";
        arguments += WindowsPath(aLog);
        arguments += "'";
        if (aFolder) {
            arguments += " '/D=";
            arguments += installFolder;
            arguments += "'";
        }
        return arguments;
    }

    int RunSetup(const std::string& aSetup, const std::string& anEnvironment = "") {
        int code = -1;
        const std::string output = Wine(SilentArguments(aSetup, temp.Path("setup.log")), code, anEnvironment);
        if (code != kSuccess)
            ADD_FAILURE() << output << ReadFile(temp.Path("setup.log"));
        return code;
    }

    std::string Query(const std::string& aKey, const std::string& aName, int& aCode) {
        return Registry("query '" + aKey + "' /v " + aName, aCode);
    }

    // The user the prefix runs as, by the profile folder wineboot made.
    static std::string UserName() {
        for (const auto& user : fs::directory_iterator(fs::path(KF_WINE_PREFIX) / "drive_c" / "users"))
            if (user.path().filename() != "Public")
                return user.path().filename().string();
        return {};
    }

    // Waits a while for a file or folder that a process still running is about to remove.
    static bool GoneSoon(const fs::path& aPath) {
        for (int i = 0; i < 300 && fs::exists(aPath); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return !fs::exists(aPath);
    }

    // Waits a while for a folder that the uninstaller made for its copy, and everything beside it
    // named after it, to go.
    static bool CopyFolderGoneSoon(const fs::path& aFolder) {
        const auto left = [&] {
            for (const auto& entry : fs::directory_iterator(aFolder.parent_path()))
                if (entry.path().filename().string().starts_with(aFolder.filename().string()))
                    return true;
            return false;
        };
        for (int i = 0; i < 300 && left(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return !left();
    }

    // The host path of a Windows path on drive C:, each name found whatever its case, as Wine finds it.
    static fs::path HostPath(const std::string& aWindowsPath) {
        fs::path path = fs::path(KF_WINE_PREFIX) / "drive_c";
        std::istringstream names(aWindowsPath.substr(3));
        for (std::string name; std::getline(names, name, '\\');) {
            fs::path next = path / name;
            if (!fs::exists(next) && fs::is_directory(path))
                for (const auto& entry : fs::directory_iterator(path))
                    if (SameNoCase(entry.path().filename().string(), name))
                        next = entry.path();
            path = next;
        }
        return path;
    }

    // The temporary copy that the uninstaller continued in, as its action log names it.
    static std::string UninstallerCopy(const std::string& anActions) {
        const std::string marker = "Continuing in ";
        const size_t start = anActions.find(marker);
        if (start == std::string::npos)
            return {};
        return anActions.substr(start + marker.size(), anActions.find('\r', start) - start - marker.size());
    }

    // The user's temporary folder, as Wine gives it to programs.
    std::string UserTemporaryFolder() {
        int code = -1;
        std::string folder = RunCommand(
            "WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64 "' cmd /c 'echo %TEMP%' 2>&1", code);
        EXPECT_EQ(code, 0) << folder;
        while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r' || folder.back() == '\\'))
            folder.pop_back();
        return folder;
    }

    // The names of the uninstaller's copies in the user's temporary folder.
    std::set<std::string> CopiesInUserTemporaryFolder() {
        std::set<std::string> copies;
        for (const auto& entry : fs::directory_iterator(HostPath(UserTemporaryFolder())))
            if (entry.path().filename().string().starts_with("kfu"))
                copies.insert(entry.path().filename().string());
        return copies;
    }

    // Runs the install's uninstaller silently with anArguments, logging to uninstall.log, in the
    // background; its exit code goes to the file exit-code. Its output goes to a file, as the copy
    // inherits it and would keep a pipe open until it ends.
    void StartUninstall(const std::string& anEnvironment, const std::string& anArguments = "") {
        int code = -1;
        RunCommand("(WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all " + anEnvironment + " " + WineLoader() +
                       " '" + installFolder + "\\Uninstall.exe' /S " + anArguments + " '/LOG=" +
                       WindowsPath(temp.Path("uninstall.log")) + "' > '" + temp.Path("uninstall.out") +
                       "' 2>&1; echo $? > '" + temp.Path("exit-code") + "') > /dev/null 2>&1 &",
                   code);
    }

    // The exit code that StartUninstall's run left, once it has ended (two minutes at most).
    std::string UninstallExitCode() {
        for (int i = 0; i < 1200 && ReadFile(temp.Path("exit-code")).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return ReadFile(temp.Path("exit-code"));
    }

    // What OpenForChange answered for a Windows path: "write=N\tdelete=N", N the error or 0.
    static std::string OpenForChange(const std::string& aPath) {
        int code = -1;
        const std::string output = RunCommand("WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64
                                              "' '" KF_OPEN_FOR_CHANGE "' '" +
                                                  aPath + "' 2>&1",
                                              code);
        EXPECT_EQ(code, 0) << output;
        const size_t tab = output.find('\t');
        return tab == std::string::npos ? output
                                        : output.substr(tab + 1, output.find_first_of("\r\n") - tab - 1);
    }

    // The project as a per-user install: no library to register (that writes to HKEY_CLASSES_ROOT)
    // and registry values for the user alone.
    TProject PerUserProject() {
        TProject project = Project();
        for (TFileEntry& file : project.Files) {
            file.Register = "No";
            file.Uninstall = "Yes";
        }
        project.RegistryValues.Clear();
        project.RegistryValues.Append({}, "10" + registryKey + "|Count=142");
        return project;
    }

    std::string MachineEntry() const {
        return "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + tag;
    }

    int Uninstall() {
        int code = -1;
        Wine("'" + installFolder + "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) +
                 "'",
             code);
        return code;
    }

    // The access list of each Windows path as the FolderAccess helper reads it back, by path.
    std::map<std::string, std::string> FolderAccess(const std::vector<std::string>& aPaths) {
        std::string arguments = "'" KF_FOLDER_ACCESS "'";
        for (const std::string& path : aPaths)
            arguments += " '" + path + "'";
        int code = -1;
        const std::string output = RunCommand(
            "WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64 "' " + arguments + " 2>&1", code);
        EXPECT_EQ(code, 0) << output;
        std::map<std::string, std::string> lists;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);)
            if (const size_t tab = line.find('\t'); tab != std::string::npos)
                lists[line.substr(0, tab)] = line.substr(tab + 1);
        return lists;
    }

    fs::path ProgramsMenuLink(bool anAllUsers) const {
        const fs::path programs = anAllUsers ? fs::path(KF_WINE_PREFIX) /
                                                   "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
                                             : fs::path(KF_WINE_PREFIX) / "drive_c/users" / UserName() /
                                                   "AppData/Roaming/Microsoft/Windows/Start Menu/Programs";
        return programs / tag / "Read Me.lnk";
    }
};

} // namespace

TEST_P(SetupUnderWine, InstallsSilentlyAndUninstallsWhatItsLogFlags) {
    const std::string setup = Build(Project());
    const std::string dayBefore = Today();
    ASSERT_EQ(RunSetup(setup), kSuccess);
    const std::string dayAfter = Today();

    for (const auto& [target, content] : sources) {
        std::string relative = target;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        EXPECT_EQ(ReadFile((installed / relative).string()), content) << target;
    }
    EXPECT_EQ(ReadFile((installed / "Uninstall.exe").string()),
              ReadFile(std::string(KF_PROGRAM_FOLDER "/") + arch.Uninstaller));
    EXPECT_TRUE(fs::exists(installed / "bin/server.dll.registered"));
    // HKLM values make it a per-machine installation, whose shortcuts are everyone's.
    EXPECT_TRUE(fs::exists(ProgramsMenuLink(true)));
    EXPECT_FALSE(fs::exists(ProgramsMenuLink(false)));
    EXPECT_NE(ReadFile((installed / "Uninstall.log").string()).find("Scope\tper-machine\r\n"),
              std::string::npos);
    int code = -1;
    EXPECT_NE(Query("HKLM\\" + registryKey, "Path", code).find(installFolder + "\\bin"), std::string::npos);
    EXPECT_EQ(code, 0);
    EXPECT_NE(Query("HKLM\\" + registryKey, "Count", code).find("0x2a"), std::string::npos);
    EXPECT_NE(Query("HKLM\\" + registryKey + "\\Sub\\Deep", "Text", code).find("REG_SZ"), std::string::npos);
    const std::string entry = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + tag;
    EXPECT_NE(Query(entry, "UninstallString", code).find("\"" + installFolder + "\\Uninstall.exe\""),
              std::string::npos);
    // Settings > Apps shows the uninstaller's icon, the size of what was installed and the day.
    EXPECT_NE(Query(entry, "DisplayIcon", code).find("REG_SZ    " + installFolder + "\\Uninstall.exe"),
              std::string::npos);
    uint64_t bytes = fs::file_size(std::string(KF_PROGRAM_FOLDER "/") + arch.Uninstaller);
    for (const auto& [target, content] : sources)
        bytes += content.size();
    std::ostringstream kilobytes;
    kilobytes << "REG_DWORD    0x" << std::hex << (bytes + 1023) / 1024;
    const std::string estimated = Query(entry, "EstimatedSize", code);
    const size_t shown = estimated.find(kilobytes.str());
    EXPECT_TRUE(shown != std::string::npos &&
                std::isspace(static_cast<unsigned char>(estimated[shown + kilobytes.str().size()])))
        << kilobytes.str() << estimated;
    const std::string installDate = Query(entry, "InstallDate", code);
    EXPECT_TRUE(installDate.find("REG_SZ    " + dayBefore) != std::string::npos ||
                installDate.find("REG_SZ    " + dayAfter) != std::string::npos)
        << installDate;
    const std::string actions = ReadFile(temp.Path("setup.log"));
    EXPECT_NE(actions.find("Installed " + installFolder + "\\bin\\noise.bin"), std::string::npos) << actions;

    const std::string output = Wine(
        "'" + installFolder + "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
        code);
    ASSERT_EQ(code, kSuccess) << output << ReadFile(temp.Path("uninstall.log"));
    EXPECT_FALSE(fs::exists(installed / "readme.txt"));
    EXPECT_FALSE(fs::exists(installed / "bin"));
    EXPECT_FALSE(fs::exists(installed / "Uninstall.log"));
    EXPECT_EQ(ReadFile((installed / "keep.txt").string()), "stays after uninstall");
    EXPECT_FALSE(fs::exists(ProgramsMenuLink(true)));
    EXPECT_FALSE(fs::exists(ProgramsMenuLink(true).parent_path()));
    Query("HKLM\\" + registryKey, "Path", code);
    EXPECT_NE(code, 0);
    EXPECT_NE(Query("HKLM\\" + registryKey, "Count", code).find("0x2a"), std::string::npos);
    Registry("query 'HKLM\\" + registryKey + "\\Sub'", code); // created, and empty after the uninstall
    EXPECT_NE(code, 0);
    Query(entry, "UninstallString", code);
    EXPECT_NE(code, 0);
    // Uninstall.exe is removed by its temporary copy once it has ended, without a restart; its
    // folder stays for the file that is not to be uninstalled.
    EXPECT_TRUE(GoneSoon(installed / "Uninstall.exe"));
    EXPECT_EQ(ReadFile((installed / "keep.txt").string()), "stays after uninstall");
    EXPECT_EQ(ReadFile(temp.Path("uninstall.log")).find("next restart"), std::string::npos);
}

TEST_P(SetupUnderWine, TheWizardOpensOnAScreen) {
    const std::string setup = Build(Project());
    const std::string environment = StartScreen();
    ASSERT_FALSE(environment.empty()) << "Xvfb did not start";
    int code = -1;
    Wine("'" + setup + "' > /dev/null 2>&1 &", code, environment);
    const std::string found = WizardWindow("getwindowname getwindowgeometry");
    StopScreen(environment);
    ASSERT_TRUE(found.starts_with(tag + " 1.0 Setup\n")) << found;
    // The wizard's own window (500 x 360 inside its frame), not a message box of that caption.
    const size_t size = found.find("Geometry: ");
    ASSERT_NE(size, std::string::npos) << found;
    int width = 0, height = 0;
    ASSERT_EQ(std::sscanf(found.c_str() + size, "Geometry: %dx%d", &width, &height), 2) << found;
    EXPECT_GE(width, 500) << found;
    EXPECT_GE(height, 360) << found;
}

// The Cancel question is drawn as a message box is: light, with its text and buttons on it, in
// what the screen shows, and Yes ends the wizard.
TEST_P(SetupUnderWine, TheWizardsCancelQuestionIsDrawnOnTheScreen) {
    const std::string setup = Build(Project());
    const std::string environment = StartScreen();
    ASSERT_FALSE(environment.empty()) << "Xvfb did not start";
    int code = -1;
    Wine("'" + setup + "' > /dev/null 2>&1 &", code, environment);
    WizardWindow("sleep 1 key Escape");
    std::vector<std::array<int, 4>> windows;
    for (int i = 0; i < 100 && windows.size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        windows = WizardWindows();
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_EQ(windows.size(), 2u) << "no message box came up";
    std::sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) { return a[3] < b[3]; });
    const auto& box = windows[0];
    const auto& wizard = windows[1];
    const auto [boxMean, boxSpread] = ScreenArea(box[0], box[1], box[2], box[3]);
    // The welcome page beside it, as a plain window that is drawn (its white text panel).
    const auto [pageMean, pageSpread] = ScreenArea(wizard[0] + wizard[2] - 60, wizard[1] + 10, 50, 20);
    EXPECT_GT(pageMean, 0.9);
    EXPECT_GT(boxMean, 0.6) << "the box is not drawn";
    EXPECT_GT(boxSpread, 0.05) << "the box shows no text";
    WizardWindow("key Return");
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ended = WizardWindows().empty();
    }
    StopScreen(environment);
    EXPECT_TRUE(ended) << "Yes did not end the wizard";
}

// A logo whose header promises far more pixels than it holds, and a header picture cut short: the
// wizard shows neither, where it once read beyond them, and still runs.
TEST_P(SetupUnderWine, TheWizardShowsNoPictureForADamagedOneAndStillRuns) {
    TProject project = Project();
    project.LogoBitmap = KF_PROGRAM_FOLDER "/Logo.bmp";
    project.HeaderBitmap = KF_PROGRAM_FOLDER "/Header.bmp";
    const std::string sound = Build(project);
    std::string logo = ReadFile(project.LogoBitmap);
    logo[22] = static_cast<char>(16000 & 0xFF); // biHeight
    logo[23] = static_cast<char>(16000 >> 8);
    const std::string header = ReadFile(project.HeaderBitmap);
    const std::string damaged =
        WithMainMembers(sound, {{"logo.bmp", logo}, {"header.bmp", header.substr(0, header.size() / 2)}});
    const std::string environment = StartScreen();
    ASSERT_FALSE(environment.empty()) << "Xvfb did not start";
    // The spread of brightness over the logo's place on the welcome page, and whether the wizard ended
    // when its Cancel question was answered Yes.
    const auto welcome = [&](const std::string& aSetup) {
        int code = -1;
        Wine("'" + aSetup + "' > /dev/null 2>&1 &", code, environment);
        WizardWindow("sleep 2");
        std::vector<std::array<int, 4>> windows;
        for (int i = 0; i < 100 && windows.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            windows = WizardWindows();
        }
        EXPECT_EQ(windows.size(), 1u);
        const double spread =
            windows.empty() ? -1 : ScreenArea(windows[0][0] + 10, windows[0][1] + 40, 140, 240).second;
        WizardWindow("key Escape");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        WizardWindow("key Return");
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ended = WizardWindows().empty();
        }
        return std::pair{spread, ended};
    };
    const auto [soundSpread, soundEnded] = welcome(sound);
    const auto [damagedSpread, damagedEnded] = welcome(damaged);
    StopScreen(environment);
    std::printf("brightness spread over the logo: sound %.3f, damaged %.3f\n", soundSpread, damagedSpread);
    EXPECT_GT(soundSpread, 0.05) << "the sound logo is not drawn";
    EXPECT_LT(damagedSpread, 0.02) << "something is drawn for the damaged logo";
    EXPECT_TRUE(soundEnded && damagedEnded) << "a wizard did not end";
    int code = -1;
    const std::string output = Wine(SilentArguments(damaged, temp.Path("damaged.log")), code);
    EXPECT_EQ(code, kSuccess) << output << ReadFile(temp.Path("damaged.log"));
    EXPECT_EQ(ReadFile((installed / "readme.txt").string()), "Read me first.\r\n");
}

TEST_P(SetupUnderWine, TheWizardLaunchesTheProgramAndThenOffersTheRestart) {
    TProject project = Project();
    project.Files.push_back(
        TFileEntry{temp.WriteFile("src/launch.cmd", "echo launched> \"%~dp0launched.txt\"\r\n"), "0",
                   "%Install Path%\\launch.cmd", "Overwrite", "Yes", "No"});
    project.RefreshFileList();
    project.LaunchFile = true;
    project.SetLaunchFileIndex(static_cast<int>(project.Files.size() - 1));
    project.RestartComputer = true;
    const std::string setup = Build(project);
    const std::string environment = StartScreen();
    ASSERT_FALSE(environment.empty()) << "Xvfb did not start";
    int code = -1;
    const std::string exitFile = temp.Path("exit-code");
    RunCommand("(WINEDEBUG=-all " + environment + " " + WineLoader() + " '" + setup + "' '/D=" +
                   installFolder + "' > /dev/null 2>&1; echo $? > '" + exitFile + "') > /dev/null 2>&1 &",
               code);
    // Next on the welcome page, Install on the folder page, then, on the finish page, the restart
    // left for later and Finish with the launch check box as it stands (ticked).
    for (const char* keys : {"Return", "Return", "alt+m", "Return"}) {
        WizardWindow("windowfocus --sync");
        if (std::string(keys) == "alt+m")
            for (int i = 0; i < 2400 && !fs::exists(installed / "Uninstall.log"); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        RunCommand("DISPLAY=" + fDisplay + " xdotool key " + keys, code);
    }
    for (int i = 0; i < 1200 && ReadFile(exitFile).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int i = 0; i < 100 && !fs::exists(installed / "launched.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    StopScreen(environment);
    EXPECT_EQ(ReadFile(exitFile), std::to_string(3010 & 0xFF) + "\n") << "no restart was left for later";
    EXPECT_TRUE(fs::exists(installed / "launched.txt")) << "the program was not launched";
}

TEST_P(SetupUnderWine, EachRuntimeGetsTheFoldersAndRegistryViewOfItsWindows) {
    const bool wide = arch.TargetWindows == kTarget64Bit;
    TProject project = Project();
    project.Files.push_back(TFileEntry{temp.WriteFile("src/pf.txt", "program files"), "0",
                                       "%Program Files%\\" + tag + "\\pf.txt", "Overwrite", "Yes", "No"});
    project.Files.push_back(TFileEntry{temp.WriteFile("src/sys.txt", "system"), "0",
                                       "%System%\\" + tag + ".txt", "Overwrite", "Yes", "No"});
    project.RefreshFileList();
    ASSERT_EQ(RunSetup(Build(project)), kSuccess);
    const fs::path drive = fs::path(KF_WINE_PREFIX) / "drive_c";
    const fs::path programFiles = drive / (wide ? "Program Files" : "Program Files (x86)") / tag / "pf.txt";
    const fs::path system = drive / "windows" / (wide ? "system32" : "syswow64") / (tag + ".txt");
    EXPECT_EQ(ReadFile(programFiles.string()), "program files");
    EXPECT_EQ(ReadFile(system.string()), "system");
    // The 64-bit view of the registry, whatever the runtime: a 32-bit one writes below WOW6432Node.
    int code = -1;
    RunCommand("WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64 "' reg query 'HKLM\\Software\\" +
                   std::string(wide ? "" : "WOW6432Node\\") + tag + "' /v Path 2>&1",
               code);
    EXPECT_EQ(code, 0);
    RunCommand("WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64 "' reg query 'HKLM\\Software\\" +
                   std::string(wide ? "WOW6432Node\\" : "") + tag + "' /v Path 2>&1",
               code);
    EXPECT_NE(code, 0);

    const std::string output = Wine("'" + installFolder + "\\Uninstall.exe' /S", code);
    EXPECT_EQ(code, kSuccess) << output;
    EXPECT_FALSE(fs::exists(programFiles));
    EXPECT_FALSE(fs::exists(system));
    fs::remove_all(programFiles.parent_path());
    fs::remove(system);
}

TEST_P(SetupUnderWine, UninstallingAfterReinstallsRemovesWhatEveryInstallCreated) {
    const fs::path quickLaunch = fs::path(KF_WINE_PREFIX) / "drive_c/users" / UserName() /
                                 "AppData/Roaming/Microsoft/Internet Explorer/Quick Launch";
    const bool quickLaunchBefore = fs::exists(quickLaunch);
    const auto project = [&](const std::string& aVersion, bool aBigFile) {
        TProject result(KF_PROGRAM_FOLDER "/", temp.Path("Setup.exe"));
        result.TargetWindows = arch.TargetWindows;
        result.SetProductName(tag);
        result.ProductVersion = aVersion;
        result.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
        result.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
        const auto add = [&](const std::string& aName, const std::string& aBytes, const std::string& aTarget,
                             const char* anIfExists) {
            result.Files.push_back(TFileEntry{temp.WriteFile("src" + aVersion + "/" + aName, aBytes), "0",
                                              "%Install Path%\\" + aTarget, anIfExists, "Yes", "No"});
        };
        add("readme.txt", "Read me, " + aVersion, "readme.txt", "Skip");
        if (aBigFile)
            add("big.bin", Noise(3 << 20, 5), "data\\big.bin", "Overwrite");
        add("tool.exe", "tool " + aVersion, "bin\\deep\\tool.exe", "Overwrite");
        result.SetIncludeUninstaller(true);
        result.RefreshFileList();
        result.Shortcuts.Append({}, "0010" + tag + "\\Read Me");
        result.Shortcuts.Append({}, "0013" + tag + " Read Me");
        result.RegistryValues.Append({}, "20" + registryKey + "\\Machine|Path=0%Install Path%");
        result.RegistryValues.Append({}, "10" + registryKey + "\\User\\Deep|Version=0" + aVersion);
        return result;
    };
    const std::string first = Build(project("1.0", true));
    fs::rename(first, temp.Path("v1.exe"));
    const std::string second = Build(project("2.0", false));
    for (const std::string& setup : {temp.Path("v1.exe"), temp.Path("v1.exe"), second})
        ASSERT_EQ(RunSetup(setup), kSuccess) << setup;
    EXPECT_TRUE(fs::exists(installed / "data/big.bin"));
    EXPECT_EQ(ReadFile((installed / "readme.txt").string()), "Read me, 1.0"); // skipped since
    EXPECT_EQ(ReadFile((installed / "bin/deep/tool.exe").string()), "tool 2.0");

    int code = -1;
    const std::string output = Wine(
        "'" + installFolder + "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
        code);
    ASSERT_EQ(code, kSuccess) << output << ReadFile(temp.Path("uninstall.log"));
    EXPECT_TRUE(GoneSoon(fs::path(KF_WINE_PREFIX) / "drive_c" / tag)) << ReadFile(temp.Path("uninstall.log"));
    EXPECT_FALSE(fs::exists(ProgramsMenuLink(true).parent_path()));
    EXPECT_FALSE(fs::exists(quickLaunch / (tag + " Read Me.lnk")));
    EXPECT_EQ(fs::exists(quickLaunch), quickLaunchBefore);
    for (const std::string& key : {"HKLM\\" + registryKey, "HKCU\\" + registryKey,
                                   "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + tag}) {
        Registry("query '" + key + "'", code);
        EXPECT_NE(code, 0) << key << " is left";
    }
}

TEST_P(SetupUnderWine, TakesItsOptionsInAnyOrderAndASilentRunShowsNoWindowEvenForABadOne) {
    const std::string setup = Build(Project());
    int code = -1;
    // An unquoted folder with a blank, first: Wine passes the two words as they stand.
    const std::string dirWords = "'/D=" + installFolder.substr(0, installFolder.rfind(' ')) + "' '" +
                                 installFolder.substr(installFolder.rfind(' ') + 1) + "'";
    std::string output = Wine("'" + WindowsPath(setup) + "' " + dirWords +
                                  " /S '/LOG=" + WindowsPath(temp.Path("first.log")) + "'",
                              code);
    ASSERT_EQ(code, kSuccess) << output << ReadFile(temp.Path("first.log"));
    EXPECT_EQ(ReadFile((installed / "readme.txt").string()), sources[0].second);

    // With /S an option it does not know is logged and written to stderr, never shown in a box
    // that would wait for a click.
    output =
        Wine("'" + WindowsPath(setup) + "' /S /Q '/LOG=" + WindowsPath(temp.Path("bad.log")) + "'", code);
    EXPECT_EQ(code, kFailed) << output;
    EXPECT_NE(ReadFile(temp.Path("bad.log")).find("Unknown option \"/Q\""), std::string::npos);
    EXPECT_NE(output.find("Unknown option \"/Q\""), std::string::npos) << output;
    output = Wine("'" + WindowsPath(setup) + "' /S '/D=\"C:\\unmatched'", code);
    EXPECT_EQ(code, kFailed) << output;
    EXPECT_NE(output.find("quote"), std::string::npos) << output;
}

TEST_P(SetupUnderWine, ADamagedSetupInstallsNothing) {
    const std::string good = ReadFile(Build(Project()));
    const size_t mainSize = std::stoul(good.substr(good.size() - 10));
    const size_t lastFileCabinetEnd = good.size() - 10 - mainSize;
    std::string flippedFile = good;
    flippedFile[lastFileCabinetEnd - 5] ^= 0x01;
    std::string flippedMain = good;
    flippedMain[good.size() - 10 - mainSize / 2] ^= 0x01;
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"truncated", good.substr(0, good.size() - 1)},
        {"flipped in the last file cabinet", flippedFile},
        {"flipped in the main cabinet", flippedMain},
    };
    for (const auto& [what, bytes] : damaged) {
        const std::string setup = temp.WriteFile("damaged.exe", bytes);
        int code = -1;
        const std::string output = Wine(SilentArguments(setup, temp.Path("damaged.log")), code);
        EXPECT_EQ(code, kFailed) << what << ": " << output;
        EXPECT_NE(ReadFile(temp.Path("damaged.log")).find("damaged"), std::string::npos) << what;
        EXPECT_FALSE(fs::exists(fs::path(KF_WINE_PREFIX) / "drive_c" / tag)) << what;
        Query("HKLM\\" + registryKey, "Path", code);
        EXPECT_NE(code, 0) << what;
    }
}

// Every bit of every header field is flipped in the native reader's test; here each kind of field
// is flipped once in one of the two cabinets (the lowest bit in the file cabinet, the highest in
// the main cabinet) and run by the shipped runtime: it is refused before anything is written, or
// (a date, an attribute, a file cabinet's member name) the install puts the source down unchanged.
TEST_P(SetupUnderWine, AFlipInAnyKindOfCabinetHeaderFieldIsRefusedBeforeAnythingIsWrittenOrChangesNothing) {
    TProject project(KF_PROGRAM_FOLDER "/", temp.Path("Setup.exe"));
    project.TargetWindows = arch.TargetWindows;
    project.SetProductName(tag);
    project.LogoBitmap = temp.WriteFile("art/logo.bmp", test::TinyBitmap('L'));
    project.HeaderBitmap = temp.WriteFile("art/header.bmp", test::TinyBitmap('H'));
    const std::string text = "Read me first.\r\n";
    project.Files.push_back(
        TFileEntry{temp.WriteFile("src/readme.txt", text), "0", "%Install Path%\\readme.txt"});
    const std::string good = ReadFile(Build(project));
    std::vector<std::string> kinds;
    std::vector<std::pair<test::THeaderField, size_t>> flips;
    for (const test::THeaderField& field :
         test::HeaderFieldsOf(good, fs::file_size(fs::path(KF_PROGRAM_FOLDER) / arch.Installer))) {
        const std::string kind = field.Name.substr(field.Name.find(": ") + 2);
        const auto known = std::find(kinds.begin(), kinds.end(), kind);
        const size_t index = known - kinds.begin();
        if (known == kinds.end())
            kinds.push_back(kind);
        const bool inFileCabinet = field.Name.starts_with("cabinet 1,");
        const bool taken = std::any_of(flips.begin(), flips.end(), [&](const auto& aFlip) {
            return aFlip.first.Name.ends_with(": " + kind);
        });
        if (!taken && inFileCabinet == (index % 2 == 0))
            flips.emplace_back(field, inFileCabinet ? 0 : field.Width * 8 - 1);
    }
    ASSERT_EQ(flips.size(), 26u);
    size_t refused = 0, accepted = 0;
    for (const auto& [field, bit] : flips) {
        std::string damaged = good;
        damaged[field.Offset + bit / 8] ^= static_cast<char>(1 << (bit % 8));
        const std::string setup = temp.WriteFile("damaged.exe", damaged);
        fs::remove(temp.Path("damaged.log"));
        int code = -1;
        const std::string output = Wine(SilentArguments(setup, temp.Path("damaged.log")), code);
        const std::string what = field.Name + " bit " + std::to_string(bit);
        if (code == kSuccess) {
            ++accepted;
            EXPECT_EQ(ReadFile((installed / "readme.txt").string()), text) << what;
            fs::remove_all(fs::path(KF_WINE_PREFIX) / "drive_c" / tag);
            continue;
        }
        ++refused;
        EXPECT_EQ(code, kFailed) << what << ": " << output;
        EXPECT_NE(ReadFile(temp.Path("damaged.log")).find("damaged"), std::string::npos) << what;
        EXPECT_FALSE(fs::exists(fs::path(KF_WINE_PREFIX) / "drive_c" / tag)) << what;
    }
    EXPECT_GE(refused, 20u);
    EXPECT_GE(accepted, 2u);
}

TEST_P(SetupUnderWine, APlantedSystemLibraryBesideTheSetupIsNotLoaded) {
    TProject project = Project();
    project.Compression = 2; // LZX, which the system library decodes as well
    const std::string setup = Build(project);
    for (const char* name : {"cabinet.dll", "version.dll"})
        fs::copy_file(arch.PlantedLibrary, temp.Path(name));
    const std::string marker = temp.Path("planted-library-was-loaded");
    ASSERT_EQ(RunSetup(setup, "WINEDLLOVERRIDES='cabinet,version=n,b' KF_PLANTED_MARKER='" +
                                  WindowsPath(marker) + "'"),
              kSuccess);
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_EQ(ReadFile((installed / "bin/noise.bin").string()), sources[1].second);
}

TEST_P(SetupUnderWine, TakesTheFolderFromTheRegistryKeepsSkippedFilesAndAsksForARestart) {
    TProject project = Project();
    project.Files[0].IfExists = "Skip";
    project.RestartComputer = true;
    project.InstallPathFromRegistry = true;
    project.InstallPathRoot = 1;
    project.InstallPathKey = registryKey + "\\InstallPath";
    const std::string setup = Build(project);
    int code = -1;
    Registry("add 'HKCU\\" + registryKey + "' /v InstallPath /d '" + installFolder + "' /f", code);
    ASSERT_EQ(code, 0);
    fs::create_directories(installed);
    std::ofstream(installed / "readme.txt") << "older";

    const std::string output = Wine(SilentArguments(setup, temp.Path("setup.log"), false), code);
    EXPECT_EQ(code, 3010 & 0xFF) << output << ReadFile(temp.Path("setup.log"));
    EXPECT_EQ(ReadFile((installed / "readme.txt").string()), "older");
    EXPECT_EQ(ReadFile((installed / "keep.txt").string()), "stays after uninstall");
    const std::string actions = ReadFile(temp.Path("setup.log"));
    EXPECT_NE(actions.find("Kept " + installFolder + "\\readme.txt"), std::string::npos) << actions;
    EXPECT_NE(actions.find("restart"), std::string::npos) << actions;
    // The file that was there before is not the installer's to remove.
    Wine("'" + installFolder + "\\Uninstall.exe' /S", code);
    EXPECT_EQ(code, kSuccess);
    EXPECT_EQ(ReadFile((installed / "readme.txt").string()), "older");
}

TEST_P(SetupUnderWine, AFailedInstallPutsBackWhatItReplacedAndASuccessfulOneLeavesNoCopies) {
    TProject project = Project();
    // A second row for a file the first one created: that file is the installation's own, not one to put
    // back.
    project.Files.push_back(
        TFileEntry{temp.WriteFile("src/again", "again"), "0", "%Install Path%\\bin\\noise.bin"});
    const std::string setup = Build(project);
    fs::create_directories(installed / "Uninstall.log"); // the last step, writing the log, fails
    std::ofstream(installed / "readme.txt", std::ios::binary) << "older";
    int code = -1;
    Registry("add 'HKLM\\" + registryKey + "' /v Path /t REG_DWORD /d 7 /f", code);
    ASSERT_EQ(code, 0);

    const std::string output = Wine(SilentArguments(setup, temp.Path("setup.log")), code);
    EXPECT_EQ(code, kFailed) << output;
    const std::string actions = ReadFile(temp.Path("setup.log"));
    EXPECT_NE(actions.find("Replaced " + installFolder + "\\readme.txt"), std::string::npos) << actions;
    EXPECT_NE(actions.find("Wrote the registry value HKEY_LOCAL_MACHINE\\" + registryKey + " Path"),
              std::string::npos)
        << actions;
    EXPECT_NE(actions.find("a folder of that name is in the way"), std::string::npos) << actions;
    EXPECT_EQ(ReadFile((installed / "readme.txt").string()), "older");
    const std::string previous = Query("HKLM\\" + registryKey, "Path", code);
    EXPECT_NE(previous.find("REG_DWORD"), std::string::npos) << previous;
    EXPECT_NE(previous.find("0x7"), std::string::npos) << previous;
    Query("HKLM\\" + registryKey, "Count", code);
    EXPECT_NE(code, 0);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(installed))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"Uninstall.log", "readme.txt"}));

    fs::remove(installed / "Uninstall.log");
    ASSERT_EQ(RunSetup(setup), kSuccess);
    EXPECT_EQ(ReadFile((installed / "readme.txt").string()), sources[0].second);
    EXPECT_EQ(ReadFile((installed / "bin/noise.bin").string()), "again");
    EXPECT_NE(Query("HKLM\\" + registryKey, "Path", code).find("REG_SZ"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(installed))
        EXPECT_FALSE(entry.path().extension() == ".tmp") << entry.path();
}

// Each case is one that the installer refuses from the setup's data alone: the build refuses it
// with the installer's own reason, and the shipped runtime, given the data the build would have
// written, gives that reason and installs nothing. The near misses build and install.
TEST_P(SetupUnderWine, TheBuildRefusesExactlyWhatTheInstallerRefuses) {
    const TProject good = Project();
    const std::string goodSetup = Build(good);
    const std::string packedSizes =
        SplitInstallerData(MainMember(goodSetup, "kelpforge.dat"))[kPackedSizeLine];
    const std::string notANumber = "\", which is not a 32-bit number.";
    const std::vector<std::pair<std::string, std::function<void(TProject&)>>> refused = {
        {"The shortcut \"..\\Evil.lnk\" of shortcut row 2 holds a \"..\" part.",
         [](TProject& p) { p.Shortcuts.Append({}, "0010..\\Evil"); }},
        {"The shortcut \"C:\\Evil.lnk\" of shortcut row 2 names a drive or an alternate data stream.",
         [](TProject& p) { p.Shortcuts.Append({}, "0012C:\\Evil"); }},
        {"\\CON.lnk\" of shortcut row 2 names a device.",
         [this](TProject& p) { p.Shortcuts.Append({}, "0010" + tag + "\\CON"); }},
        {registryKey + "\\Big\" of registry row 4 is a Dword but holds \"4294967296" + notANumber,
         [this](TProject& p) { p.RegistryValues.Append({}, "20" + registryKey + "|Big=14294967296"); }},
        {registryKey + "\\Spaced\" of registry row 4 is a Dword but holds \"1 000" + notANumber,
         [this](TProject& p) { p.RegistryValues.Append({}, "20" + registryKey + "|Spaced=11 000"); }},
        {"The default install folder \"..\\Outside\" holds a \"..\" part.",
         [](TProject& p) { p.SetInstallFolder("..\\Outside"); }},
        {"The default install folder \"C:\\Outside\" names a drive or an alternate data stream.",
         [](TProject& p) { p.SetInstallFolder("C:\\Outside"); }},
        {"The default install folder \"App\\CON\" names a device.",
         [](TProject& p) { p.SetInstallFolder("App\\CON"); }},
        {"File row 1 installs the file \"%Install Path%\\bin\" where file row 2 "
         "(\"%Install Path%\\bin\\noise.bin\") needs a folder.",
         [](TProject& p) { p.Files[0].InstallTo = "%Install Path%\\bin"; }},
        // The build names the row as the Files page shows it.
        {"holds a name longer than 255 characters.",
         [](TProject& p) { p.Files[3].InstallTo = "%Install Path%\\" + std::string(300, 'k'); }},
    };
    for (const auto& [reason, change] : refused) {
        TProject project = good;
        change(project);
        int code = -1;
        const std::string output = RunBuild(project, code);
        EXPECT_EQ(code, 1) << reason;
        EXPECT_NE(output.find(reason), std::string::npos) << output;
        EXPECT_NE(output.find("build again"), std::string::npos) << output;

        TDataLines lines = ComposeDataLines(project);
        lines[kPackedSizeLine] = packedSizes;
        const std::string setup = WithMainMembers(goodSetup, {{"kelpforge.dat", DataFileBytes(lines)}});
        // Without /D, so that the default install folder is the one used.
        const std::string log = temp.Path("refused.log");
        fs::remove(log);
        const std::string run = Wine(SilentArguments(setup, log, false), code);
        EXPECT_EQ(code, kFailed) << reason << ": " << run;
        EXPECT_NE(ReadFile(log).find(reason), std::string::npos) << ReadFile(log);
        EXPECT_NE(ReadFile(log).find("Nothing was installed."), std::string::npos) << ReadFile(log);
        Query("HKLM\\" + registryKey, "Path", code);
        EXPECT_NE(code, 0) << reason;
    }

    TProject nearMisses = good;
    nearMisses.SetInstallFolder("My..App");
    nearMisses.Files[0].InstallTo = "%Install Path%\\bin2\\readme.txt";
    nearMisses.Files[3].InstallTo = "%Install Path%\\" + std::string(200, 'k');
    nearMisses.Shortcuts.Append({}, "0010" + tag + "\\a..b\\CONSOLE");
    nearMisses.RegistryValues.Append({}, "20" + registryKey + "|Big=14294967295");
    nearMisses.RegistryValues.Append({}, "20" + registryKey + "|Negative=1-1");
    ASSERT_EQ(RunSetup(Build(nearMisses)), kSuccess);
    EXPECT_EQ(ReadFile((installed / "bin2/readme.txt").string()), sources[0].second);
    EXPECT_EQ(ReadFile((installed / std::string(200, 'k')).string()), sources[3].second);
    EXPECT_TRUE(fs::exists(ProgramsMenuLink(false).parent_path() / "a..b" / "CONSOLE.lnk") ||
                fs::exists(ProgramsMenuLink(true).parent_path() / "a..b" / "CONSOLE.lnk"));
    int code = -1;
    EXPECT_TRUE(ContainsNoCase(Query("HKLM\\" + registryKey, "Big", code), "0xffffffff")) << code;
    EXPECT_TRUE(ContainsNoCase(Query("HKLM\\" + registryKey, "Negative", code), "0xffffffff")) << code;
}

TEST_P(SetupUnderWine, AFileStoredOnceForSeveralRowsOfAnyNameIsInstalledAtEachOfTheirPaths) {
    TProject project = Project();
    const std::string noise = sources[1].second;
    for (const char* plugin : {"one", "two"})
        project.Files.push_back(TFileEntry{
            temp.WriteFile(std::string("plugins/") + plugin + "/bin_noise.bin", noise), "0",
            std::string("%Install Path%\\plugins\\") + plugin + "\\bin_noise.bin", "Overwrite", "Yes", "No"});
    // The same bytes under other names, in the source and where it is installed.
    project.Files.push_back(TFileEntry{temp.WriteFile("plugins/three/other.bin", noise), "0",
                                       "%Install Path%\\plugins\\three\\renamed.dat", "Overwrite", "Yes",
                                       "No"});
    project.RefreshFileList();
    const std::string setup = Build(project);
    int code = -1;
    const std::string listing = RunCommand("'" KF_CLI "' inspect '" + setup + "'", code);
    ASSERT_EQ(code, 0) << listing;
    for (const char* shared : {"plugins\\two\\bin_noise.bin  (the cabinet of file 2)",
                               "plugins\\three\\renamed.dat  (the cabinet of file 2)"})
        EXPECT_NE(listing.find(shared), std::string::npos) << listing;

    ASSERT_EQ(RunSetup(setup), kSuccess);
    EXPECT_EQ(ReadFile((installed / "bin/noise.bin").string()), noise);
    EXPECT_EQ(ReadFile((installed / "plugins/one/bin_noise.bin").string()), noise);
    EXPECT_EQ(ReadFile((installed / "plugins/two/bin_noise.bin").string()), noise);
    EXPECT_EQ(ReadFile((installed / "plugins/three/renamed.dat").string()), noise);
    const std::string output = Wine(
        "'" + installFolder + "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
        code);
    ASSERT_EQ(code, kSuccess) << output;
    EXPECT_FALSE(fs::exists(installed / "plugins"));
}

// Every file, the uninstaller and a registered library among them, comes out of one solid LZX
// cabinet; a later row to the same place as an earlier one still replaces it.
TEST_P(SetupUnderWine, ASolidSetupInstallsEveryFileFromItsSharedCabinetAndUninstalls) {
    TProject project = Project();
    project.Compression = 2;
    project.SolidCompression = true;
    const std::string noise = sources[1].second;
    project.Files.push_back(TFileEntry{temp.WriteFile("plugins/three/other.bin", noise), "0",
                                       "%Install Path%\\plugins\\renamed.dat", "Overwrite", "Yes", "No"});
    const std::string second = "Read me second.\r\n";
    project.Files.push_back(TFileEntry{temp.WriteFile("later/readme.txt", second), "0",
                                       "%Install Path%\\readme.txt", "Overwrite", "Yes", "No"});
    project.RefreshFileList();
    const std::string setup = Build(project);
    int code = -1;
    const std::string listing = RunCommand("'" KF_CLI "' inspect '" + setup + "'", code);
    ASSERT_EQ(code, 0) << listing;
    EXPECT_NE(listing.find("File cabinets: 1\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("plugins\\renamed.dat  (file 2 of the cabinet of file 1)"), std::string::npos)
        << listing;

    ASSERT_EQ(RunSetup(setup), kSuccess);
    for (const auto& [target, content] : sources) {
        std::string relative = target;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        EXPECT_EQ(ReadFile((installed / relative).string()), relative == "readme.txt" ? second : content)
            << target;
    }
    EXPECT_EQ(ReadFile((installed / "plugins/renamed.dat").string()), noise);
    EXPECT_EQ(ReadFile((installed / "Uninstall.exe").string()),
              ReadFile(KF_PROGRAM_FOLDER "/" + std::string(arch.Uninstaller)));
    EXPECT_TRUE(fs::exists(installed / "bin/server.dll.registered"));
    const std::string output = Wine(
        "'" + installFolder + "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
        code);
    ASSERT_EQ(code, kSuccess) << output;
    EXPECT_FALSE(fs::exists(installed / "plugins"));
    EXPECT_FALSE(fs::exists(installed / "bin"));
    EXPECT_EQ(ReadFile((installed / "keep.txt").string()), "stays after uninstall");
}

TEST_P(SetupUnderWine, APerUserInstallKeepsItsShortcutAndUninstallEntryWithTheUserAndUninstallsWhole) {
    const std::string setup = Build(PerUserProject());
    // The user's list of uninstall entries starts out missing, as on a machine where nothing was
    // installed for this user before.
    const std::string list = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    int listed = -1;
    Registry("delete '" + list + "' /f", listed);
    const std::string folder = "C:\\users\\" + UserName() + "\\AppData\\Local\\" + tag;
    installed = fs::path(KF_WINE_PREFIX) / "drive_c/users" / UserName() / "AppData/Local" / tag;
    int code = -1;
    std::string arguments = SilentArguments(setup, temp.Path("setup.log"), false) + " '/D=" + folder + "'";
    std::string output = Wine(arguments, code);
    ASSERT_EQ(code, kSuccess) << output << ReadFile(temp.Path("setup.log"));

    EXPECT_NE(ReadFile(temp.Path("setup.log")).find(", per-user"), std::string::npos);
    EXPECT_TRUE(fs::exists(ProgramsMenuLink(false)));
    EXPECT_FALSE(fs::exists(ProgramsMenuLink(true)));
    const std::string entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + tag;
    EXPECT_NE(Query("HKCU\\" + entry, "UninstallString", code).find(folder + "\\Uninstall.exe"),
              std::string::npos);
    Query("HKLM\\" + entry, "UninstallString", code);
    EXPECT_NE(code, 0);
    // The user's own log needs no digest: the user may change the entry as much as the log.
    Query("HKCU\\" + entry, "UninstallLogSha256", code);
    EXPECT_NE(code, 0);

    // Run as the user runs it, without administrator rights.
    output = Wine("'" + std::string(arch.RunLimited) + "' '" + folder +
                      "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
                  code);
    const std::string actions = ReadFile(temp.Path("uninstall.log"));
    EXPECT_EQ(code, kSuccess) << output << actions;
    // The uninstaller continued in a temporary copy in the user's own temporary folder, which
    // removed it and the folder once it had ended, and went itself when it ended.
    const std::string copy = UninstallerCopy(actions);
    const std::string userTemporary = UserTemporaryFolder() + "\\";
    ASSERT_TRUE(copy.ends_with(".exe")) << actions;
    EXPECT_TRUE(SameNoCase(copy.substr(0, userTemporary.size()), userTemporary)) << copy;
    EXPECT_EQ(copy.find('\\', userTemporary.size()), std::string::npos) << copy;
    EXPECT_EQ(actions.find("which only administrators may open"), std::string::npos) << actions;
    EXPECT_NE(actions.find(folder + "\\Uninstall.exe once it has ended"), std::string::npos) << actions;
    EXPECT_TRUE(GoneSoon(installed)) << ReadFile(temp.Path("uninstall.log"));
    EXPECT_TRUE(GoneSoon(HostPath(copy))) << copy;
    EXPECT_FALSE(fs::exists(ProgramsMenuLink(false)));
    Query("HKCU\\" + entry, "UninstallString", code);
    EXPECT_NE(code, 0);
    Query("HKCU\\" + registryKey, "Count", code);
    EXPECT_NE(code, 0);
    // The list that the install created went with its last entry.
    Registry("query '" + list + "'", listed);
    EXPECT_NE(listed, 0);
    EXPECT_NE(actions.find("Removed the registry key "
                           "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"),
              std::string::npos)
        << actions;
    fs::remove_all(installed);
}

TEST_P(SetupUnderWine, ASignedSetupInstallsAndUninstallsAndRefusesDamageInItsPackage) {
    const std::string setup = Build(Project());
    const std::string signedSetup = temp.Path("Signed.exe");
    int code = -1;
    const std::string output = RunCommand(
        "cd '" + temp.Path("") +
            "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
            "-days 2 -subj '/CN=Kelpforge Test Signer' -addext extendedKeyUsage=codeSigning 2>&1 && "
            "osslsigncode sign -certs cert.pem -key key.pem -in '" +
            setup + "' -out '" + signedSetup + "' 2>&1",
        code);
    ASSERT_EQ(code, 0) << output;

    // One flipped bit in the main cabinet, which now stands in front of the signature.
    std::string damaged = ReadFile(signedSetup);
    const size_t runtimeSize = fs::file_size(std::string(KF_PROGRAM_FOLDER "/") + arch.Installer);
    damaged[runtimeSize + (fs::file_size(setup) - runtimeSize) * 3 / 4] ^= 0x01;
    const std::string damagedSetup = temp.WriteFile("SignedDamaged.exe", damaged);
    Wine(SilentArguments(damagedSetup, temp.Path("damaged.log")), code);
    EXPECT_EQ(code, kFailed);
    EXPECT_NE(ReadFile(temp.Path("damaged.log")).find("damaged"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::path(KF_WINE_PREFIX) / "drive_c" / tag));

    ASSERT_EQ(RunSetup(signedSetup), kSuccess);
    for (const auto& [target, content] : sources) {
        std::string relative = target;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        EXPECT_EQ(ReadFile((installed / relative).string()), content) << target;
    }
    const std::string uninstall = Wine(
        "'" + installFolder + "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
        code);
    ASSERT_EQ(code, kSuccess) << uninstall << ReadFile(temp.Path("uninstall.log"));
    EXPECT_FALSE(fs::exists(installed / "readme.txt"));
}

// Wine 8 shows a symbolic link that the host made inside the prefix as a reparse point (it cannot
// make a junction or a Windows symbolic link itself), so a host link stands in for both.
TEST_P(SetupUnderWine, APerMachineInstallGoesThroughNoJunctionOrSymbolicLinkWhereAPerUserOneStillDoes) {
    const fs::path drive = fs::path(KF_WINE_PREFIX) / "drive_c";
    fs::create_directories(drive / tag / "elsewhere");
    fs::create_directory_symlink("elsewhere", drive / tag / "link");
    installFolder = "C:\\" + tag + "\\link\\My App";
    int code = -1;
    std::string output = Wine(SilentArguments(Build(Project()), temp.Path("setup.log")), code);
    EXPECT_EQ(code, kFailed) << output;
    const std::string actions = ReadFile(temp.Path("setup.log"));
    EXPECT_NE(actions.find("C:\\" + tag + "\\link is a junction or symbolic link"), std::string::npos)
        << actions;
    EXPECT_TRUE(fs::is_empty(drive / tag / "elsewhere"));
    Query("HKLM\\" + registryKey, "Path", code);
    EXPECT_NE(code, 0);
    Query(MachineEntry(), "UninstallString", code);
    EXPECT_NE(code, 0);

    output = Wine(SilentArguments(Build(PerUserProject()), temp.Path("user.log")), code);
    ASSERT_EQ(code, kSuccess) << output << ReadFile(temp.Path("user.log"));
    EXPECT_EQ(ReadFile((drive / tag / "elsewhere/My App/readme.txt").string()), sources[0].second);
}

TEST_P(SetupUnderWine, APerMachineUninstallRemovesAndUnregistersNothingThroughAJunctionOrSymbolicLink) {
    ASSERT_EQ(RunSetup(Build(Project())), kSuccess);
    // A user puts a link to other files where the install's folder was.
    const fs::path victim = fs::path(KF_WINE_PREFIX) / "drive_c" / tag / "victim";
    fs::create_directories(victim);
    std::ofstream(victim / "noise.bin") << "not the installer's";
    fs::copy_file(arch.RegisteredLibrary, victim / "server.dll");
    std::ofstream(victim / "server.dll.registered") << "";
    fs::remove_all(installed / "bin");
    fs::create_directory_symlink(victim, installed / "bin");

    EXPECT_EQ(Uninstall(), kFailed);
    const std::string actions = ReadFile(temp.Path("uninstall.log"));
    EXPECT_NE(actions.find("Not removing " + installFolder + "\\bin\\noise.bin: " + installFolder +
                           "\\bin is a junction or symbolic link"),
              std::string::npos)
        << actions;
    EXPECT_NE(actions.find("Not removing " + installFolder + "\\bin\\server.dll"), std::string::npos)
        << actions;
    EXPECT_EQ(ReadFile((victim / "noise.bin").string()), "not the installer's");
    EXPECT_TRUE(fs::exists(victim / "server.dll"));
    EXPECT_TRUE(fs::exists(victim / "server.dll.registered")) << "unregistered through the link";
    EXPECT_FALSE(fs::exists(installed / "readme.txt")); // what is not behind the link goes
}

TEST_P(SetupUnderWine, ThePerMachineEntryHoldsTheUninstallLogsDigestAndAChangedLogIsRefused) {
    // Per-machine for its HKLM values. No library to register: under Wine a folder an earlier
    // install made is not known to be protected (see the access list test), so it registers none.
    TProject project = Project();
    for (TFileEntry& file : project.Files)
        file.Register = "No";
    const std::string setup = Build(project);
    ASSERT_EQ(RunSetup(setup), kSuccess);
    const fs::path log = installed / "Uninstall.log";
    int code = -1;
    const std::string sum = RunCommand("sha256sum '" + log.string() + "'", code);
    ASSERT_EQ(code, 0) << sum;
    const std::string value = Query(MachineEntry(), "UninstallLogSha256", code);
    ASSERT_EQ(code, 0) << value;
    EXPECT_NE(value.find("REG_SZ    " + sum.substr(0, 64)), std::string::npos) << value << sum;

    // A record that a user adds for a file the install never wrote.
    const fs::path victim = fs::path(KF_WINE_PREFIX) / "drive_c" / tag / "victim.txt";
    std::ofstream(victim) << "not the installer's";
    const std::string original = ReadFile(log.string());
    std::ofstream(log, std::ios::binary | std::ios::app) << "File\t1\tC:\\" << tag << "\\victim.txt\r\n";
    EXPECT_EQ(Uninstall(), kFailed);
    EXPECT_NE(ReadFile(temp.Path("uninstall.log")).find("has been changed since Setup wrote it"),
              std::string::npos)
        << ReadFile(temp.Path("uninstall.log"));
    EXPECT_TRUE(fs::exists(victim));
    EXPECT_TRUE(fs::exists(installed / "readme.txt"));
    Query(MachineEntry(), "UninstallString", code);
    EXPECT_EQ(code, 0);
    // Nor does an install over it take its records into the log it writes.
    int again = -1;
    Wine(SilentArguments(setup, temp.Path("again.log")), again);
    EXPECT_EQ(again, kFailed);
    EXPECT_NE(ReadFile(temp.Path("again.log")).find("has been changed since Setup wrote it"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(victim));

    // An entry without a digest, as an earlier setup wrote it, keeps its log trusted.
    std::ofstream(log, std::ios::binary | std::ios::trunc) << original;
    Registry("delete '" + MachineEntry() + "' /v UninstallLogSha256 /f", code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(Uninstall(), kSuccess) << ReadFile(temp.Path("uninstall.log"));
    EXPECT_FALSE(fs::exists(installed / "readme.txt"));
    EXPECT_TRUE(fs::exists(victim));
}

// Wine keeps no access list with a file: it turns the one it is given into Unix permissions and
// makes one up from them when asked. So what can be read back is that a folder the install made
// with its list grants Everyone nothing, where one inside Program Files keeps what it inherits.
TEST_P(SetupUnderWine, FoldersAPerMachineInstallCreatesOutsideProgramFilesAreKeptFromUsers) {
    TProject project = Project();
    project.Files.push_back(TFileEntry{temp.WriteFile("src/pf.txt", "program files"), "0",
                                       "%Program Files%\\" + tag + "\\pf.txt", "Overwrite", "Yes", "No"});
    project.RefreshFileList();
    ASSERT_EQ(RunSetup(Build(project)), kSuccess);
    const bool wide = arch.TargetWindows == kTarget64Bit;
    const std::string programFiles =
        std::string(wide ? "C:\\Program Files\\" : "C:\\Program Files (x86)\\") + tag;
    const std::vector<std::string> created = {"C:\\" + tag, installFolder, installFolder + "\\bin",
                                              installFolder + "\\bin\\deep"};
    std::vector<std::string> paths = created;
    paths.push_back(programFiles);
    auto lists = FolderAccess(paths);
    const std::string actions = ReadFile(temp.Path("setup.log"));
    for (const std::string& folder : created) {
        EXPECT_EQ(lists[folder].find(";;;WD)"), std::string::npos) << folder << ": " << lists[folder];
        EXPECT_NE(lists[folder].find(";;;SY)"), std::string::npos) << folder << ": " << lists[folder];
        EXPECT_NE(actions.find("Created the folder " + folder + ", which only administrators may change\r\n"),
                  std::string::npos)
            << actions;
    }
    EXPECT_NE(lists[programFiles].find(";;;WD)"), std::string::npos) << lists[programFiles];
    EXPECT_NE(actions.find("Created the folder " + programFiles + "\r\n"), std::string::npos) << actions;

    int code = -1;
    Wine("'" + installFolder + "\\Uninstall.exe' /S", code);
    EXPECT_EQ(code, kSuccess);
    fs::remove_all(fs::path(KF_WINE_PREFIX) / "drive_c" / (wide ? "Program Files" : "Program Files (x86)") /
                   tag);
}

TEST_P(SetupUnderWine, ALibraryIsNotRegisteredFromAFolderThatUsersMayChange) {
    fs::create_directories(installed / "bin"); // made before the install, with the user's rights
    int code = -1;
    const std::string output = Wine(SilentArguments(Build(Project()), temp.Path("setup.log")), code);
    EXPECT_EQ(code, kFailed) << output;
    const std::string actions = ReadFile(temp.Path("setup.log"));
    EXPECT_NE(actions.find("Cannot register " + installFolder +
                           "\\bin\\server.dll: users without administrator "
                           "rights may change the folder " +
                           installFolder + "\\bin"),
              std::string::npos)
        << actions;
    EXPECT_FALSE(fs::exists(installed / "bin/server.dll.registered"));
    EXPECT_FALSE(fs::exists(installed / "bin/server.dll")); // rolled back
    EXPECT_FALSE(fs::exists(installed / "readme.txt"));
}

// Every Wine program has administrator rights, so the uninstaller goes straight on to its copy,
// which it makes below the Windows temporary folder in a folder of its own. The test library holds
// the copy in the middle of its work, while it unregisters the library.
TEST_P(SetupUnderWine, APerMachineUninstallContinuesInAFolderOnlyAdministratorsMayOpenAndLeavesNothingThere) {
    ASSERT_EQ(RunSetup(Build(Project())), kSuccess);
    const std::string hold = temp.WriteFile("hold", "");
    StartUninstall("KF_UNREGISTER_HOLD='" + WindowsPath(hold) + "'");
    ASSERT_TRUE(GoneSoon(installed / "bin/server.dll.registered")) << ReadFile(temp.Path("uninstall.log"));
    const std::string actions = ReadFile(temp.Path("uninstall.log"));
    const std::string copy = UninstallerCopy(actions);
    const std::string folder = FolderOf(copy);
    const fs::path hostFolder = HostPath(folder);

    EXPECT_TRUE(InCopyFolder(copy)) << actions;
    EXPECT_NE(actions.find("Created the folder " + folder + ", which only administrators may open\r\n"),
              std::string::npos)
        << actions;
    EXPECT_TRUE(fs::is_regular_file(HostPath(copy))) << copy;
    // Wine does not check access lists against its programs, which all run as the Unix user, so
    // the list can be read back, not tried. Wine gives back one made from the Unix permissions it
    // set: the system's and the Unix user's, who stands for the administrators; Everyone and the
    // groups of users get nothing.
    const std::string access = FolderAccess({folder})[folder];
    const std::set<std::string> trustees = AllowedTrustees(access);
    EXPECT_TRUE(trustees.count("SY")) << access;
    for (const char* users : {"WD", "BU", "AU", "IU"})
        EXPECT_FALSE(trustees.count(users)) << users << " in " << access;
    // The uninstaller holds its copy open so that no other program may write to it or replace it
    // (Wine itself refuses to write to a program that runs; the refused delete is the handle's).
    EXPECT_EQ(OpenForChange(copy), "write=32\tdelete=32"); // ERROR_SHARING_VIOLATION
    EXPECT_NE(actions.find("Uninstalling " + tag + ", per-machine"), std::string::npos) << actions;

    fs::remove(hold);
    EXPECT_EQ(UninstallExitCode(), "0\n") << ReadFile(temp.Path("uninstall.log"));
    EXPECT_TRUE(CopyFolderGoneSoon(hostFolder)) << hostFolder;
    // The copy names its folder as the system gives it its own path, whose case may differ.
    EXPECT_TRUE(ContainsNoCase(ReadFile(temp.Path("uninstall.log")),
                               "Removed the folder " + folder + ", which held the uninstaller's copy\r\n"))
        << ReadFile(temp.Path("uninstall.log"));
    EXPECT_TRUE(GoneSoon(installed / "Uninstall.exe"));
    EXPECT_FALSE(fs::exists(installed / "readme.txt"));
}

// A program with administrator rights, as every Wine program has, makes its copy where only
// administrators may open it even for an install that was the user's alone: the copy has those
// rights too.
TEST_P(SetupUnderWine, AnUninstallerWithAdministratorRightsNeverContinuesInTheUsersTemporaryFolder) {
    const std::string folder = "C:\\users\\" + UserName() + "\\AppData\\Local\\" + tag;
    installed = fs::path(KF_WINE_PREFIX) / "drive_c/users" / UserName() / "AppData/Local" / tag;
    int code = -1;
    std::string output =
        Wine(SilentArguments(Build(PerUserProject()), temp.Path("setup.log"), false) + " '/D=" + folder + "'",
             code);
    ASSERT_EQ(code, kSuccess) << output << ReadFile(temp.Path("setup.log"));
    const std::set<std::string> before = CopiesInUserTemporaryFolder();
    output = Wine("'" + folder + "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
                  code);
    const std::string actions = ReadFile(temp.Path("uninstall.log"));
    EXPECT_EQ(code, kSuccess) << output << actions;
    EXPECT_NE(actions.find("Uninstalling " + tag + ", per-user"), std::string::npos) << actions;
    const std::string copy = UninstallerCopy(actions);
    EXPECT_TRUE(InCopyFolder(copy)) << actions;
    EXPECT_EQ(CopiesInUserTemporaryFolder(), before);
    EXPECT_TRUE(CopyFolderGoneSoon(HostPath(FolderOf(copy)))) << copy;
    EXPECT_TRUE(GoneSoon(installed)) << actions;
    fs::remove_all(installed);
}

// Wine's "runas" gives the run it starts no more rights than its own, so the uninstaller's run
// with administrator rights has none either and says so; what Wine shows is the order: the
// original asks for the rights from the install folder before it makes any copy.
TEST_P(SetupUnderWine, APerMachineUninstallWithoutAdministratorRightsAsksForThemBeforeMakingAnyCopy) {
    ASSERT_EQ(RunSetup(Build(Project())), kSuccess);
    const std::set<std::string> before = CopiesInUserTemporaryFolder();
    int code = -1;
    const std::string output =
        Wine("'" + std::string(arch.RunLimited) + "' '" + installFolder +
                 "\\Uninstall.exe' /S '/LOG=" + WindowsPath(temp.Path("uninstall.log")) + "'",
             code);
    EXPECT_EQ(code, kFailed) << output;
    const std::string actions = ReadFile(temp.Path("uninstall.log"));
    EXPECT_TRUE(actions.starts_with("Starting " + installFolder +
                                    "\\Uninstall.exe again with administrator rights\r\n"))
        << actions;
    EXPECT_NE(actions.find("Removing " + tag +
                           " needs administrator rights, and the uninstaller is running without them."),
              std::string::npos)
        << actions;
    EXPECT_EQ(actions.find("Continuing in"), std::string::npos) << actions;
    EXPECT_EQ(actions.find("Created the folder"), std::string::npos) << actions;
    EXPECT_EQ(CopiesInUserTemporaryFolder(), before);
    EXPECT_TRUE(fs::exists(installed / "readme.txt"));
    EXPECT_TRUE(fs::exists(installed / "bin/server.dll.registered"));
    EXPECT_TRUE(fs::exists(installed / "Uninstall.exe"));
}

// The run that asked for administrator rights runs the install folder's Uninstall.exe until the
// run it started has ended, so the copy removes that file only once both have ended. Wine starts
// no run with more rights, so the test names a process of its own as the one that asked.
TEST_P(SetupUnderWine, TheCopyRemovesTheUninstallerOnlyOnceTheRunThatAskedForAdministratorRightsHasEnded) {
    ASSERT_EQ(RunSetup(Build(Project())), kSuccess);
    const std::string waiting = temp.WriteFile("waiting", "");
    int code = -1;
    RunCommand("(WINEPREFIX='" KF_WINE_PREFIX "' WINEDEBUG=-all '" KF_WINE64 "' '" KF_WAITER "' '" +
                   WindowsPath(waiting) + "' > '" + temp.Path("waiter") + "' 2>&1 &)",
               code);
    std::string waiter;
    for (int i = 0; i < 300 && !waiter.ends_with("\n"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        waiter = ReadFile(temp.Path("waiter"));
    }
    ASSERT_FALSE(waiter.empty()) << "the waiter did not start";
    const std::string process = waiter.substr(0, waiter.find_first_of("\r\n"));
    StartUninstall("", "/ELEVATED=" + process);
    EXPECT_EQ(UninstallExitCode(), "0\n") << ReadFile(temp.Path("uninstall.out"));
    const std::string actions = ReadFile(temp.Path("uninstall.log"));
    EXPECT_FALSE(fs::exists(installed / "readme.txt"));
    EXPECT_NE(actions.find(installFolder + "\\Uninstall.exe once it has ended"), std::string::npos)
        << actions;
    // The original has ended; the copy waits for the run that asked.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_TRUE(fs::exists(installed / "Uninstall.exe")) << "removed while the run that asked still ran";
    fs::remove(waiting);
    EXPECT_TRUE(GoneSoon(installed / "Uninstall.exe")) << ReadFile(temp.Path("uninstall.log"));
    EXPECT_TRUE(CopyFolderGoneSoon(HostPath(FolderOf(UninstallerCopy(actions))))) << actions;
}

INSTANTIATE_TEST_SUITE_P(Runtime, SetupUnderWine, ::testing::Values(kI686, kX86_64),
                         [](const ::testing::TestParamInfo<TArchitecture>& anInfo) {
                             return anInfo.param.Name;
                         });
