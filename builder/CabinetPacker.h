#pragma once

#include "project/Project.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kf {

// Packs cabinets of file rows (one row each, or consecutive rows together when solid) on worker
// threads, while the caller takes the results in order and keeps its window alive. Taking the first row loads
// the cabinet library on the calling thread before any worker starts. A packing thread looks at the cancel
// flag after every data block and every part of the cabinet file written, so that a cancelled or abandoned
// build does not wait for a large file.
class TCabinetPacker {
public:
    // aCabinets lists the rows of aFiles each cabinet holds; aCabinetFor names the file of a
    // cabinet; aCancelled stops the packing when it turns true.
    TCabinetPacker(const std::vector<TFileEntry>& aFiles, std::vector<std::vector<size_t>> aCabinets,
                   int aCompression, std::function<std::string(size_t)> aCabinetFor,
                   const std::atomic<bool>& aCancelled);
    ~TCabinetPacker();
    TCabinetPacker(const TCabinetPacker&) = delete;
    TCabinetPacker& operator=(const TCabinetPacker&) = delete;

    // Before the first Take: how many rows are packed at once (0: one per processor core), and
    // the latest date a member may carry (see TQvCabWriter::LatestDate).
    void SetWorkerCount(size_t aCount) { fWorkerCount = aCount; }
    void SetLatestDate(std::optional<int64_t> aDate) { fLatestDate = aDate; }

    // Waits until cabinet anIndex is packed, calling aWhileWaiting at least every 50 ms with the
    // bytes of its input packed so far; returns the cabinet's size, nothing once the cancel flag is
    // set, or raises the error that packing it met. Cabinet 0 comes first; when the cabinet library
    // cannot be loaded it raises that error and starts no worker.
    std::optional<uint64_t> Take(size_t anIndex, const std::function<void(uint64_t aPacked)>& aWhileWaiting);
    // Abandons the cabinets being packed and waits for the workers, one data block at most.
    void Stop();

private:
    struct TResult {
        bool Done = false;
        uint64_t Size = 0;
        std::exception_ptr Error;
    };

    void Start();
    void Pack(size_t anIndex);
    uint64_t PackOne(size_t anIndex);
    void Work();
    bool Abandoned() const { return fCancelled || fStopping; }

    const std::vector<TFileEntry>& fFiles;
    std::vector<std::vector<size_t>> fCabinets;
    int fCompression;
    size_t fWorkerCount = 0;
    std::optional<int64_t> fLatestDate;
    std::function<std::string(size_t)> fCabinetFor;
    const std::atomic<bool>& fCancelled;
    std::vector<TResult> fResults;
    std::vector<std::atomic<uint64_t>> fPacked;
    std::mutex fMutex;
    std::condition_variable fDone;
    std::atomic<size_t> fNext{0};
    std::atomic<bool> fStopping{false};
    std::vector<std::thread> fWorkers;
};

} // namespace kf
