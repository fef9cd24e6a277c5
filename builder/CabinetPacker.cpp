#include "builder/CabinetPacker.h"

#include "base/Exception.h"
#include "base/RegularFile.h"
#include "builder/cabinet/CabIntf.h"
#include "builder/cabinet/CabQvComps.h"
#include "project/HostPaths.h"

#include <chrono>
#include <filesystem>

namespace kf {

namespace {

constexpr auto kPumpInterval = std::chrono::milliseconds(50);
// The installer takes one whole cabinet a row: a cabinet holds at most 0x7FFFFFFF bytes, and its
// one folder, so its file, at most 65,535 blocks of 32 KiB.
constexpr uint64_t kLargestCabinet = 0x7FFFFFFF;
constexpr uint64_t kLargestFile = 0x7FFF8000;

[[noreturn]] void RefuseTooLarge(const std::string& aPath) {
    throw Exception("The file " + aPath +
                    " is too large for the setup: a file is packed into one cabinet of " +
                    std::to_string(kLargestCabinet) + " bytes at most, which holds a file of up to " +
                    std::to_string(kLargestFile) + " bytes when it does not shrink.");
}

void SetCompression(TQvCabWriter& aWriter, int aCompression) {
    if (aCompression == 0)
        aWriter.SetCompressionType(cctNone);
    else if (aCompression == 1)
        aWriter.SetCompressionType(cctMsZip);
    else if (aCompression == 2)
        aWriter.SetCompressionType(cctLzx);
}

} // namespace

TCabinetPacker::TCabinetPacker(const std::vector<TFileEntry>& aFiles,
                               std::vector<std::vector<size_t>> aCabinets, int aCompression,
                               std::function<std::string(size_t)> aCabinetFor,
                               const std::atomic<bool>& aCancelled)
    : fFiles(aFiles), fCabinets(std::move(aCabinets)), fCompression(aCompression),
      fCabinetFor(std::move(aCabinetFor)), fCancelled(aCancelled), fResults(fCabinets.size()),
      fPacked(fCabinets.size()) {}

TCabinetPacker::~TCabinetPacker() {
    Stop();
}

uint64_t TCabinetPacker::PackOne(size_t anIndex) {
    const std::string cabinet = fCabinetFor(anIndex);
    TQvCabWriter writer;
    SetCompression(writer, fCompression);
    writer.LatestDate = fLatestDate;
    writer.OnFileStatus = [this, anIndex](TQvCabWriter&, uint32_t, uint32_t anUncompressed, bool& anAbort) {
        fPacked[anIndex] += anUncompressed;
        anAbort = Abandoned();
    };
    // Writing the cabinet copies all its data once more: a large one is stopped there too.
    writer.OnFolderStatus = [this](TQvCabWriter&, uint32_t, uint32_t, bool& anAbort) {
        anAbort = Abandoned();
    };
    const TFileEntry* row = nullptr;
    writer.OnGetNextCabinet = [&row](TQvCabWriter&, TCCAB&, uint32_t aPreviousSize, bool&) {
        if (aPreviousSize != 0)
            RefuseTooLarge(row->SourcePath);
    };
    writer.Open(cabinet);
    for (const size_t index : fCabinets[anIndex]) {
        row = &fFiles[index];
        // A source replaced by a folder, FIFO or device since Open is refused with a message naming it.
        RefuseNonRegularFile(row->SourcePath);
        std::error_code sizeError;
        if (std::filesystem::file_size(row->SourcePath, sizeError) > kLargestFile && !sizeError)
            RefuseTooLarge(row->SourcePath);
        writer.AddFile(row->SourcePath, FileNameOf(row->SourcePath), false);
    }
    writer.Close(true);
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(cabinet, error);
    if (error)
        throw Exception("Cannot read the size of " + cabinet + ": " + error.message());
    return size;
}

void TCabinetPacker::Pack(size_t anIndex) {
    TResult result;
    try {
        result.Size = PackOne(anIndex);
    } catch (...) {
        result.Error = std::current_exception();
    }
    result.Done = true;
    {
        const std::lock_guard lock(fMutex);
        fResults[anIndex] = result;
    }
    fDone.notify_all();
}

void TCabinetPacker::Work() {
    for (size_t index; !Abandoned() && (index = fNext++) < fCabinets.size();)
        Pack(index);
}

void TCabinetPacker::Start() {
    // A library that cannot be loaded fails the build here, before any worker tries it too.
    LoadCabinetLibrary();
    const size_t workers =
        fWorkerCount != 0 ? fWorkerCount : std::max<size_t>(1, std::thread::hardware_concurrency());
    for (size_t i = 0; i < workers && i < fCabinets.size(); ++i)
        fWorkers.emplace_back([this] { Work(); });
}

std::optional<uint64_t> TCabinetPacker::Take(size_t anIndex,
                                             const std::function<void(uint64_t aPacked)>& aWhileWaiting) {
    if (anIndex == 0 && fWorkers.empty())
        Start();
    std::unique_lock lock(fMutex);
    while (!fResults[anIndex].Done) {
        if (fCancelled)
            return std::nullopt;
        fDone.wait_for(lock, kPumpInterval);
        lock.unlock();
        aWhileWaiting(fPacked[anIndex]);
        lock.lock();
    }
    if (fCancelled)
        return std::nullopt;
    if (fResults[anIndex].Error)
        std::rethrow_exception(fResults[anIndex].Error);
    return fResults[anIndex].Size;
}

void TCabinetPacker::Stop() {
    fStopping = true;
    for (std::thread& worker : fWorkers)
        worker.join();
    fWorkers.clear();
}

} // namespace kf
