#include "build/CabinetPacker.h"

#include "build/cabinet/CabIntf.h"
#include "build/cabinet/CabQvComps.h"
#include "project/Exception.h"
#include "project/HostPaths.h"

#include <chrono>
#include <filesystem>

namespace kf {

namespace {

constexpr auto kPumpInterval = std::chrono::milliseconds(50);

void SetCompression(TQvCabWriter& aWriter, int aCompression) {
    if (aCompression == 0)
        aWriter.SetCompressionType(cctNone);
    else if (aCompression == 1)
        aWriter.SetCompressionType(cctMsZip);
    else if (aCompression == 2)
        aWriter.SetCompressionType(cctLzx);
}

uint64_t PackOne(const TFileEntry& aRow, int aCompression, const std::string& aCabinet) {
    TQvCabWriter writer;
    SetCompression(writer, aCompression);
    writer.Open(aCabinet);
    writer.AddFile(aRow.SourcePath, FileNameOf(aRow.SourcePath), false);
    writer.Close(true);
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(aCabinet, error);
    if (error)
        throw Exception("Cannot read the size of " + aCabinet + ": " + error.message());
    return size;
}

} // namespace

TCabinetPacker::TCabinetPacker(const std::vector<TFileEntry>& aFiles, int aCompression,
                               std::function<std::string(size_t)> aCabinetFor)
    : fFiles(aFiles), fCompression(aCompression), fCabinetFor(std::move(aCabinetFor)),
      fResults(aFiles.size()) {}

TCabinetPacker::~TCabinetPacker() {
    Stop();
}

void TCabinetPacker::Pack(size_t anIndex) {
    TResult result;
    try {
        result.Size = PackOne(fFiles[anIndex], fCompression, fCabinetFor(anIndex));
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
    for (size_t index; !fStopping && (index = fNext++) < fFiles.size();)
        Pack(index);
}

uint64_t TCabinetPacker::Take(size_t anIndex, const std::function<void()>& aWhileWaiting) {
    if (anIndex == 0) {
        // A library that cannot be loaded fails the build here, before any worker tries it too.
        LoadCabinetLibrary();
        Pack(0);
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < cores && i + 1 < fFiles.size(); ++i)
            fWorkers.emplace_back([this] { Work(); });
    }
    std::unique_lock lock(fMutex);
    while (!fResults[anIndex].Done) {
        fDone.wait_for(lock, kPumpInterval);
        lock.unlock();
        aWhileWaiting();
        lock.lock();
    }
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
