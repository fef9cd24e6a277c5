#include "project/FileListCommands.h"

#include "project/HostPaths.h"
#include "project/SourceFile.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace kf {

namespace {

// Adding a file clears its read-only state, as the file list expects to open it read-write.
void ResetAttributes(const std::string& aPath) {
    struct stat info {};
    if (::stat(aPath.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        ::chmod(aPath.c_str(), (info.st_mode & 07777) | S_IWUSR);
}

// Depth-first walk that reports each file found and stops as soon as it is cancelled.
class TFolderScan {
public:
    explicit TFolderScan(const TAddProgress& aProgress) : fProgress(aProgress) {}

    bool Scan(const std::filesystem::path& aFolder) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(aFolder, error), end; !error && entry != end;
             entry.increment(error)) {
            if (entry->is_directory(error) && !entry->is_symlink(error)) {
                if (!Scan(entry->path()))
                    return false;
                continue;
            }
            Files.push_back(entry->path().string());
            if (fProgress && !fProgress(Files.size(), 0))
                return false;
        }
        return true;
    }

    std::vector<std::string> Files;

private:
    const TAddProgress& fProgress;
};

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
            return TAddFilesResult{0, std::nullopt, true};
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

std::optional<std::vector<std::string>> ScanFolder(const std::string& aFolder,
                                                   const TAddProgress& aProgress) {
    TFolderScan scan(aProgress);
    if (!scan.Scan(aFolder))
        return std::nullopt;
    return std::move(scan.Files);
}

std::string FolderInstallTo(const std::string& aFolder, const std::string& aPath) {
    std::string prefix = aFolder;
    if (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    return std::string(kInstallPathToken) + "\\" + WindowsRelative(aPath, prefix);
}

TAddFilesResult AddFolder(TProject& aProject, const std::string& aFolder, const TAddProgress& aProgress) {
    const std::optional<std::vector<std::string>> files = ScanFolder(aFolder, aProgress);
    if (!files)
        return TAddFilesResult{0, std::nullopt, true};
    return AppendMeasuredFiles(
        aProject, *files, [&](const std::string& aPath) { return FolderInstallTo(aFolder, aPath); },
        aProgress);
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

void DeleteFileRows(TProject& aProject, std::vector<size_t> aRows) {
    std::sort(aRows.begin(), aRows.end());
    aRows.erase(std::unique(aRows.begin(), aRows.end()), aRows.end());
    for (auto row = aRows.rbegin(); row != aRows.rend(); ++row)
        if (*row < aProject.Files.size())
            aProject.Files.erase(aProject.Files.begin() + static_cast<std::ptrdiff_t>(*row));
    aProject.RefreshFileList();
}

void ClearFileRows(TProject& aProject) {
    aProject.SetIncludeUninstaller(false);
    aProject.Files.clear();
    aProject.RefreshFileList();
}

} // namespace kf
