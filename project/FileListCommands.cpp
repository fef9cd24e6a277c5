#include "project/FileListCommands.h"

#include "project/HostPaths.h"
#include "project/ShortcutTargets.h"
#include "project/SourceFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace kf {

namespace {

// Adding a file clears its read-only state, as Add always has; reading the file needs no more.
void ResetAttributes(const std::string& aPath) {
    struct stat info {};
    if (::stat(aPath.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        ::chmod(aPath.c_str(), (info.st_mode & 07777) | S_IWUSR);
}

// Depth-first walk that reports each file found and stops as soon as it is cancelled. Entries are
// told apart by lstat and stat, so a FIFO is never opened.
class TFolderScan {
public:
    explicit TFolderScan(const TAddProgress& aProgress) : fProgress(aProgress) {}

    bool Run(const std::filesystem::path& aFolder) {
        struct stat info {};
        if (::stat(aFolder.c_str(), &info) == 0)
            fVisited.insert(Identity(info));
        return Scan(aFolder);
    }

    TFolderContents Contents;

private:
    using TIdentity = std::pair<dev_t, ino_t>;

    static TIdentity Identity(const struct stat& anInfo) { return {anInfo.st_dev, anInfo.st_ino}; }

    bool Scan(const std::filesystem::path& aFolder) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(aFolder, error), end; !error && entry != end;
             entry.increment(error))
            if (!Visit(entry->path()))
                return false;
        return true;
    }

    bool Visit(const std::filesystem::path& aPath) {
        struct stat own {};
        if (::lstat(aPath.c_str(), &own) != 0)
            return AddFile(aPath); // vanished or unreadable: measuring reports it
        struct stat target = own;
        if (S_ISLNK(own.st_mode) && ::stat(aPath.c_str(), &target) != 0) {
            if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) {
                Contents.SpecialFiles.push_back(aPath.string());
                return true;
            }
            return AddFile(aPath);
        }
        if (S_ISDIR(target.st_mode)) {
            if (!fVisited.insert(Identity(target)).second && S_ISLNK(own.st_mode)) {
                Contents.RepeatedFolderLinks.push_back(aPath.string());
                return true;
            }
            return Scan(aPath);
        }
        if (!S_ISREG(target.st_mode)) {
            Contents.SpecialFiles.push_back(aPath.string());
            return true;
        }
        return AddFile(aPath);
    }

    bool AddFile(const std::filesystem::path& aPath) {
        Contents.Files.push_back(aPath.string());
        return !fProgress || fProgress(Contents.Files.size(), 0);
    }

    const TAddProgress& fProgress;
    std::set<TIdentity> fVisited;
};

TAddFilesResult CancelledResult() {
    TAddFilesResult result;
    result.Cancelled = true;
    return result;
}

std::string Counted(size_t aCount, const std::string& aSingular, const std::string& aPlural) {
    return std::to_string(aCount) + " " + (aCount == 1 ? aSingular : aPlural);
}

std::string WindowsRelative(const std::string& aPath, const std::string& aFolder) {
    std::string relative = aPath.substr(aFolder.size() + 1);
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return relative;
}

} // namespace

std::string AddFilesDestination(int aFolder, const std::string& aSubfolder) {
    const std::string base = kAddFilesFolders.at(static_cast<size_t>(aFolder));
    return aSubfolder.empty() ? base : base + "\\" + aSubfolder;
}

TAddFilesResult AppendMeasuredFiles(TProject& aProject, const std::vector<std::string>& aPaths,
                                    const std::function<std::string(const std::string&)>& anInstallToFor,
                                    const TAddProgress& aProgress) {
    TAddFilesResult result;
    const size_t firstRow = aProject.Files.size();
    for (const std::string& path : aPaths) {
        if (aProgress && !aProgress(result.Added, aPaths.size())) {
            aProject.Files.resize(firstRow);
            return CancelledResult();
        }
        ResetAttributes(path);
        const auto size = MeasureSourceFile(path);
        if (!size) {
            result.DeniedPath = path;
            break;
        }
        aProject.Files.push_back(
            TFileEntry{path, std::to_string(*size), anInstallToFor(path), kOverwrite, kYes, kNo});
        ++result.Added;
    }
    return result;
}

TAddFilesResult AddFiles(TProject& aProject, const std::vector<std::string>& aPaths,
                         const std::string& aDestination) {
    return AppendMeasuredFiles(
        aProject, aPaths, [&](const std::string& aPath) { return aDestination + "\\" + FileNameOf(aPath); });
}

std::optional<TFolderContents> ScanFolder(const std::string& aFolder, const TAddProgress& aProgress) {
    TFolderScan scan(aProgress);
    if (!scan.Run(aFolder))
        return std::nullopt;
    return std::move(scan.Contents);
}

std::string FolderInstallTo(const std::string& aFolder, const std::string& aPath) {
    std::string prefix = aFolder;
    if (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    return std::string(kInstallPathToken) + "\\" + WindowsRelative(aPath, prefix);
}

TAddFilesResult AddFolder(TProject& aProject, const std::string& aFolder, const TAddProgress& aProgress) {
    std::optional<TFolderContents> contents = ScanFolder(aFolder, aProgress);
    if (!contents)
        return CancelledResult();
    TAddFilesResult result = AppendMeasuredFiles(
        aProject, contents->Files, [&](const std::string& aPath) { return FolderInstallTo(aFolder, aPath); },
        aProgress);
    if (!result.Cancelled) {
        result.SkippedSpecialFiles = std::move(contents->SpecialFiles);
        result.SkippedFolderLinks = std::move(contents->RepeatedFolderLinks);
    }
    return result;
}

std::string SkippedFilesText(const TAddFilesResult& aResult) {
    std::vector<std::string> parts;
    if (const size_t count = aResult.SkippedSpecialFiles.size())
        parts.push_back(Counted(count, "special file", "special files"));
    if (const size_t count = aResult.SkippedFolderLinks.size())
        parts.push_back(Counted(count, "folder link", "folder links") + " already added");
    if (parts.empty())
        return "";
    return "Skipped " + parts[0] + (parts.size() > 1 ? " and " + parts[1] : "") + ".";
}

TFileRowEdit EditValuesOf(const TFileEntry& aRow) {
    return TFileRowEdit{aRow.InstallTo, aRow.IfExists.starts_with('O'), aRow.Uninstall.starts_with('Y'),
                        aRow.Register.starts_with('Y')};
}

void ApplyEdit(TFileEntry& aRow, const TFileRowEdit& anEdit) {
    aRow.InstallTo = anEdit.InstallTo;
    aRow.IfExists = anEdit.Overwrite ? kOverwrite : kSkip;
    aRow.Uninstall = anEdit.Uninstall ? kYes : kNo;
    aRow.Register = anEdit.Register ? kYes : kNo;
}

std::optional<std::string> DeleteFileRows(TProject& aProject, std::vector<size_t> aRows) {
    std::sort(aRows.begin(), aRows.end());
    aRows.erase(std::unique(aRows.begin(), aRows.end()), aRows.end());
    aRows.erase(std::remove_if(aRows.begin(), aRows.end(),
                               [&](size_t aRow) { return aRow >= aProject.Files.size(); }),
                aRows.end());
    if (auto refusal = DeletionLeavesShortcutWithoutFile(aProject, aRows))
        return refusal;
    for (auto row = aRows.rbegin(); row != aRows.rend(); ++row)
        aProject.Files.erase(aProject.Files.begin() + static_cast<std::ptrdiff_t>(*row));
    aProject.RefreshFileList();
    return std::nullopt;
}

std::optional<std::string> ClearFileRows(TProject& aProject) {
    std::vector<size_t> every(aProject.Files.size());
    for (size_t i = 0; i < every.size(); ++i)
        every[i] = i;
    if (auto refusal = DeletionLeavesShortcutWithoutFile(aProject, every))
        return refusal;
    aProject.SetIncludeUninstaller(false);
    aProject.Files.clear();
    aProject.RefreshFileList();
    return std::nullopt;
}

} // namespace kf
