#pragma once

#include "project/Project.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kf {

// Base folders offered by the Add files dialog, "%Install Path%" first.
inline constexpr std::array<const char*, 8> kAddFilesFolders = {
    "%Install Path%", "%Program Files%", "%Windows%",      "%System%",
    "%Temp%",         "%Fonts%",         "%My Documents%", "%Current Disk%"};

// What an add operation did: rows appended, the file that stopped it, if one did, and what Add
// folder passed over. A cancelled operation appends nothing.
struct TAddFilesResult {
    size_t Added = 0;
    std::optional<std::string> DeniedPath;
    bool Cancelled = false;
    std::vector<std::string> SkippedSpecialFiles; // FIFOs, sockets, devices, broken links
    std::vector<std::string> SkippedFolderLinks;  // links to folders already scanned
};

// What Add folder passed over, for the status bar ("Skipped 2 special files and 1 folder link
// already added."); empty when nothing was.
std::string SkippedFilesText(const TAddFilesResult& aResult);

// Told how far a long add operation is: files done so far and the total, 0 while the total is
// still unknown (the folder is being scanned). Answers false to cancel the operation.
using TAddProgress = std::function<bool(size_t aDone, size_t aTotal)>;

// The target folder of Add files: the chosen base folder, then "\" and the subfolder when given.
std::string AddFilesDestination(int aFolder, const std::string& aSubfolder);
// Measures each file in order and appends its row ("Overwrite", "Yes", "No"); stops at the first
// file that cannot be read. The caller refreshes the file list.
TAddFilesResult AppendMeasuredFiles(TProject& aProject, const std::vector<std::string>& aPaths,
                                    const std::function<std::string(const std::string&)>& anInstallToFor,
                                    const TAddProgress& aProgress = {});
// Add files: every chosen file below aDestination.
TAddFilesResult AddFiles(TProject& aProject, const std::vector<std::string>& aPaths,
                         const std::string& aDestination);
// The regular files below a folder, and what was passed over.
struct TFolderContents {
    std::vector<std::string> Files;
    std::vector<std::string> SpecialFiles;
    std::vector<std::string> RepeatedFolderLinks;
};
// Every regular file below a folder, depth first in the order the file system lists them. Links
// to files are taken and links to folders followed, except to a folder already scanned, so a link
// loop ends. Special files and broken links are passed over without being opened. Nothing when
// cancelled.
std::optional<TFolderContents> ScanFolder(const std::string& aFolder, const TAddProgress& aProgress = {});
// The "Install to" of a file found by Add folder: "%Install Path%\" and its path inside the
// chosen folder; a chosen root ("/") leaves the whole path.
std::string FolderInstallTo(const std::string& aFolder, const std::string& aPath);
// Add folder: every regular file below the folder, "%Install Path%\" and its path inside the
// folder; what ScanFolder passes over is listed in the result.
TAddFilesResult AddFolder(TProject& aProject, const std::string& aFolder, const TAddProgress& aProgress = {});

// The Edit Current Item dialog's choices for a row, decided by first letters.
struct TFileRowEdit {
    std::string InstallTo;
    bool Overwrite = true;
    bool Uninstall = true;
    bool Register = false;
};
TFileRowEdit EditValuesOf(const TFileEntry& aRow);
// Writes the dialog's choices into the row; the choice lists keep the old text until a refresh.
void ApplyEdit(TFileEntry& aRow, const TFileRowEdit& anEdit);
// Delete: removes the given rows, then refreshes (also when none is given). Refuses, changing
// nothing, with the text to show when a shortcut would be left without its file.
std::optional<std::string> DeleteFileRows(TProject& aProject, std::vector<size_t> aRows);
// Clear: the uninstaller option off (its handler runs), every row removed, then a refresh; refused
// like Delete while a shortcut points into the list.
std::optional<std::string> ClearFileRows(TProject& aProject);

} // namespace kf
