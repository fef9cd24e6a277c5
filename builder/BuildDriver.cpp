#include "builder/BuildDriver.h"

#include "base/Exception.h"
#include "base/OSError.h"
#include "base/RegularFile.h"
#include "base/TemporaryFile.h"
#include "builder/BuildInputs.h"
#include "builder/CabinetPacker.h"
#include "builder/InstallerDataFile.h"
#include "builder/MainMemberCheck.h"
#include "builder/RtfDocument.h"
#include "builder/RuntimePrograms.h"
#include "builder/SignCommand.h"
#include "builder/cabinet/CabIntf.h"
#include "builder/cabinet/CabQvComps.h"
#include "project/HostPaths.h"
#include "runtime/core/SetupContents.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

namespace kf {

namespace {

constexpr size_t kBlockSize = 2048;
constexpr size_t kBlocksPerChunk = 32;
constexpr const char* kDataFile = "kelpforge.dat";
constexpr const char* kLicenseFile = "license.rtf";
constexpr const char* kReadmeFile = "readme.rtf";
constexpr const char* kMainCabinet = "kelpforge.cab";

void WriteBytes(const std::string& aPath, const std::string& aBytes) {
    errno = 0;
    std::ofstream file(aPath, std::ios::binary | std::ios::trunc);
    file << aBytes;
    file.close();
    if (!file)
        throw Exception("Unable to write to " + aPath + (errno != 0 ? ": " + SystemErrorText(errno) : ""));
}

uint64_t FileSizeOf(const std::string& aPath) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(aPath, error);
    if (error)
        throw Exception("Cannot read the size of " + aPath + ": " + error.message());
    return size;
}

// A size that only paces the progress bar: a file that cannot be measured counts as empty.
uint64_t SizeOrZero(const std::string& aPath) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(aPath, error);
    return error ? 0 : size;
}

std::string CabinetName(size_t aRow) {
    return std::to_string(aRow) + ".cab";
}

std::string Trailer(uint64_t aMainCabinetSize) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%010llu", static_cast<unsigned long long>(aMainCabinetSize));
    return digits;
}

} // namespace

TBuildDriver::TBuildDriver(const TProject& aProject, BuildHost& aHost, Prompter& aPrompter,
                           std::string aProgramFolder)
    : fProject(aProject), fHost(aHost), fPrompter(aPrompter), fProgramFolder(std::move(aProgramFolder)),
      fProgress(aHost) {}

bool TBuildDriver::ConfirmCancel() {
    const TMsgResult answer =
        fPrompter.ShowMessage(TMessageBox{kBuildCaption, "Are you sure you want to stop setup building?",
                                          TMsgIcon::Question, TMsgButtons::YesNo, 0});
    fCancelled = answer != TMsgResult::No;
    return fCancelled;
}

void TBuildDriver::Message(const std::string& aText, TMsgIcon anIcon) {
    fPrompter.ShowMessage(TMessageBox{kBuildCaption, aText, anIcon, TMsgButtons::Ok, 0});
}

bool TBuildDriver::Valid() const {
    return !fProject.ProductName().empty() && !fProject.SetupFile.empty() && !fProject.LogoBitmap.empty() &&
           !fProject.HeaderBitmap.empty() && !fProject.Files.empty();
}

void TBuildDriver::CheckTexts() {
    const std::tuple<bool, const std::string&, const char*> texts[] = {
        {fProject.ShowLicense, fProject.LicenseFile, "licence"},
        {fProject.ShowReadme, fProject.ReadmeFile, "readme"}};
    for (const auto& [shown, path, what] : texts) {
        if (!shown || path.empty())
            continue;
        try {
            TRegularFile{path};
        } catch (const Exception& error) {
            const std::string text = "The " + std::string(what) + " page would be empty: " + error.what();
            if (!fAllowUnreadableTexts)
                throw Exception(text);
            Message(text, TMsgIcon::Warning);
        }
    }
}

TBuildOutcome TBuildDriver::Run() {
    fCancelled = false;
    fSetupSize = 0;
    fProgress.Begin();
    if (!Valid()) {
        Message("Wrong information!", TMsgIcon::Error);
        return TBuildOutcome::WrongInformation;
    }
    CheckSetupIsNoInput(fProject, fProjectFile, fProgramFolder);
    CheckTexts();
    CheckDataLines(fProject);
    CheckWithInstallerReader(ComposeDataLines(fProject));
    fDates = MemberDatesFor(fProjectFile, std::getenv(kSourceDateEnvironment));
    fPrograms = RuntimeProgramsFor(fProject.TargetWindows);
    RemoveAbandonedTempFiles();
    const TBuildFolder folder;
    if (!PackFileCabinets(folder))
        return TBuildOutcome::Cancelled;
    WriteDataAndTexts(folder);
    PackMainCabinet(folder);
    return WriteSetup(folder);
}

std::vector<TFileEntry> TBuildDriver::RowsToPack(const TBuildFolder& aFolder) const {
    std::vector<TFileEntry> rows = fProject.Files;
    const std::string uninstaller = fProject.UninstallerRow().SourcePath;
    const std::string shipped = fProgramFolder + fPrograms.Uninstaller;
    const bool asShipped = shipped == uninstaller && fSignCommand.empty();
    if (asShipped || !fProject.IncludeUninstaller())
        return rows;
    // The uninstaller of the target Windows, signed when asked, under the name it is installed by.
    const std::string copy = aFolder.Path(kUninstallerName);
    for (TFileEntry& row : rows) {
        if (row.SourcePath != uninstaller)
            continue;
        if (!std::filesystem::exists(copy)) {
            std::error_code error;
            std::filesystem::copy_file(shipped, copy, error);
            if (error)
                throw Exception("Cannot copy the uninstaller " + shipped +
                                " into the setup: " + error.message());
            if (!fSignCommand.empty())
                SignFile(fSignCommand, copy);
        }
        row.SourcePath = copy;
    }
    return rows;
}

bool TBuildDriver::FindDuplicates(const std::vector<TFileEntry>& aRows, TSharedRows& aShared) {
    if (!fStoreDuplicatesOnce) {
        aShared.assign(aRows.size(), std::nullopt);
        return true;
    }
    auto shared = FindSharedRows(aRows, [this] {
        fHost.ProcessEvents();
        return !fCancelled;
    });
    if (!shared)
        return false;
    aShared = std::move(*shared);
    return true;
}

void TBuildDriver::ShowRow(const std::vector<TFileEntry>& aRows, size_t aRow) {
    if (aRow == fShownRow)
        return;
    fShownRow = aRow;
    fHost.ShowStatus(FileNameOf(aRows[aRow].SourcePath));
}

void TBuildDriver::ShowPacking(const std::vector<TFileEntry>& aRows, size_t aCabinet, uint64_t aDone) {
    const std::vector<size_t>& members = fLayout.Cabinets[aCabinet];
    size_t member = 0;
    for (; member + 1 < members.size() && aDone >= fInputSizes[members[member]]; ++member)
        aDone -= fInputSizes[members[member]];
    const size_t row = members[member];
    ShowRow(aRows, row);
    fProgress.AdvanceWithin(0, row, aRows.size(), aDone, fInputSizes[row]);
    fHost.ProcessEvents();
}

bool TBuildDriver::PackFileCabinets(const TBuildFolder& aFolder) {
    const std::vector<TFileEntry> rows = RowsToPack(aFolder);
    TSharedRows shared;
    if (!FindDuplicates(rows, shared))
        return false;
    fInputSizes.clear();
    fMemberNames.clear();
    for (const TFileEntry& row : rows) {
        fInputSizes.push_back(SizeOrZero(row.SourcePath));
        fMemberNames.push_back(FileNameOf(row.SourcePath));
    }
    fLayout = LayOutCabinets(fInputSizes, shared, fProject.SolidCompression);
    fCabinetSizes.clear();
    TCabinetPacker packer(
        rows, fLayout.Cabinets, fProject.Compression,
        [&](size_t aCabinet) { return aFolder.Path(CabinetName(fLayout.OwnerOf(aCabinet))); }, fCancelled);
    packer.SetWorkerCount(fWorkerCount);
    packer.SetLatestDate(fDates.Latest);
    fShownRow = rows.size();
    // Row by row: a row that owns a cabinet waits for it, and the rows packed with it or sharing
    // an earlier file follow at once.
    for (size_t row = 0; row < rows.size(); ++row) {
        if (fCancelled)
            return false;
        ShowRow(rows, row);
        fProgress.AdvanceToRow(0, row, rows.size());
        fHost.ProcessEvents();
        const size_t cabinet = fLayout.Rows[row].Cabinet;
        if (fLayout.OwnerOf(cabinet) == row) {
            const std::optional<uint64_t> size =
                packer.Take(cabinet, [&](uint64_t aPacked) { ShowPacking(rows, cabinet, aPacked); });
            if (!size)
                return false;
            fCabinetSizes.push_back(*size);
        }
        fProgress.AdvanceToRow(0, row + 1, rows.size());
        fHost.ProcessEvents();
    }
    return true;
}

void TBuildDriver::WriteDataAndTexts(const TBuildFolder& aFolder) const {
    TDataLines lines = ComposeDataLines(fProject);
    std::vector<std::string> installTo;
    for (const TFileEntry& row : fProject.Files)
        installTo.push_back(row.InstallTo);
    lines[kPackedSizeLine] = PackedSizeLine(fLayout, fCabinetSizes, fMemberNames, installTo);
    const std::string bytes = DataFileBytes(lines);
    CheckWithInstallerReader(SplitInstallerData(bytes));
    WriteBytes(aFolder.Path(kDataFile), bytes);
    WriteBytes(aFolder.Path(kLicenseFile), RtfDocumentFor(fProject.LicenseText));
    WriteBytes(aFolder.Path(kReadmeFile), RtfDocumentFor(fProject.ReadmeText));
}

void TBuildDriver::PackMainCabinet(const TBuildFolder& aFolder) {
    fHost.ProcessEvents();
    CheckMainMember(aFolder.Path(kDataFile), "the installer data");
    CheckMainMember(aFolder.Path(kLicenseFile), "the licence text saved as");
    CheckMainMember(aFolder.Path(kReadmeFile), "the readme text saved as");
    CheckMainPicture(fProject.LogoBitmap, "the logo bitmap");
    CheckMainPicture(fProject.HeaderBitmap, "the header bitmap");
    TQvCabWriter writer;
    writer.SetCompressionType(cctMsZip);
    writer.LatestDate = fDates.Latest;
    writer.MemberDate = fDates.Generated;
    // Bitmaps of several megabytes take a while; the window keeps painting meanwhile.
    writer.OnFileStatus = [this](TQvCabWriter&, uint32_t, uint32_t, bool&) { fHost.ProcessEvents(); };
    writer.Open(aFolder.Path(kMainCabinet));
    writer.AddFile(aFolder.Path(kDataFile), kDataFile, false);
    writer.AddFile(aFolder.Path(kLicenseFile), kLicenseFile, false);
    writer.AddFile(aFolder.Path(kReadmeFile), kReadmeFile, false);
    writer.MemberDate.reset();
    writer.AddFile(fProject.LogoBitmap, "logo.bmp", false);
    writer.AddFile(fProject.HeaderBitmap, "header.bmp", false);
    writer.Close(true);
    fHost.ProcessEvents();
}

TBuildOutcome TBuildDriver::WriteSetup(const TBuildFolder& aFolder) {
    const std::string& target = fProject.SetupFile;
    TTemporaryFile setup(target);
    if (!setup.IsOpen()) {
        Message("File access denied:\r" + target, TMsgIcon::Error);
        return TBuildOutcome::SetupNotWritable;
    }
    const std::string runtime = fProgramFolder + fPrograms.Installer;
    if (!std::filesystem::is_regular_file(runtime))
        throw Exception("Cannot copy the installer runtime: " + runtime + " is missing");
    Append(setup, runtime, false);
    fHost.ProcessEvents();
    const size_t count = fProject.Files.size();
    for (const std::vector<size_t>& rows : fLayout.Cabinets) {
        const std::string cabinet = aFolder.Path(CabinetName(rows.front()));
        const uint64_t total = SizeOrZero(cabinet);
        const auto progress = [&](uint64_t aCopied) {
            fProgress.AdvanceAcross(50, rows.front(), rows.back() + 1, count, aCopied, total);
        };
        if (!Append(setup, cabinet, true, progress))
            return TBuildOutcome::Cancelled;
        std::filesystem::remove(cabinet);
        fHost.ProcessEvents();
        fProgress.AdvanceToRow(50, rows.back() + 1, count);
    }
    const std::string mainCabinet = aFolder.Path(kMainCabinet);
    Append(setup, mainCabinet, false);
    if (!setup.WriteAll(Trailer(FileSizeOf(mainCabinet))) || !setup.CopyModeFrom(target) || !setup.Seal())
        throw Exception(setup.FailureText(target));
    if (!fSignCommand.empty())
        SignFile(fSignCommand, setup.Path());
    if (!setup.CommitTo(target))
        throw Exception(setup.FailureText(target));
    fSetupSize = FileSizeOf(target);
    fProgress.Advance(100);
    Message("Installer was successfully created!\r\rFile size: " + std::to_string(fSetupSize) + " bytes",
            TMsgIcon::Information);
    fHost.ShowStatus("");
    fProgress.Reset();
    return TBuildOutcome::Succeeded;
}

// Copies in chunks of whole blocks, so that a large setup does not cost a system call per block;
// each block still has its cancel check and its event pump.
bool TBuildDriver::Append(TTemporaryFile& aSetup, const std::string& aPath, bool aCancellable,
                          const std::function<void(uint64_t)>& anOnBytes) {
    TRegularFile source(aPath);
    std::vector<char> chunk(kBlocksPerChunk * kBlockSize);
    for (uint64_t copied = 0;;) {
        if (aCancellable && fCancelled)
            return false;
        const size_t count = source.Read(chunk.data(), chunk.size());
        if (count == 0)
            return true;
        for (size_t done = kBlockSize; done < count; done += kBlockSize) {
            fHost.ProcessEvents();
            if (aCancellable && fCancelled)
                return false;
        }
        if (!aSetup.WriteAll(std::string_view(chunk.data(), count)))
            throw Exception(aSetup.FailureText(fProject.SetupFile));
        copied += count;
        if (anOnBytes)
            anOnBytes(copied);
        fHost.ProcessEvents();
    }
}

} // namespace kf
