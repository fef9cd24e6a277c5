#pragma once

#include "project/Project.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kf {

// Packs every file row into a cabinet of its own, the rows after the first on worker threads, while
// the caller takes the results in row order. Taking the first row loads the cabinet library on the
// calling thread and packs that row there before any worker starts.
class TCabinetPacker {
public:
    // aCabinetFor names the cabinet file of a row.
    TCabinetPacker(const std::vector<TFileEntry>& aFiles, int aCompression,
                   std::function<std::string(size_t)> aCabinetFor);
    ~TCabinetPacker();
    TCabinetPacker(const TCabinetPacker&) = delete;
    TCabinetPacker& operator=(const TCabinetPacker&) = delete;

    // Waits until row anIndex is packed, calling aWhileWaiting now and then; returns the cabinet's
    // size or raises the error that packing it met. Row 0 comes first; when the cabinet library
    // cannot be loaded it raises that error and starts no worker.
    uint64_t Take(size_t anIndex, const std::function<void()>& aWhileWaiting);
    // Stops the workers after the cabinets they are on.
    void Stop();

private:
    struct TResult {
        bool Done = false;
        uint64_t Size = 0;
        std::exception_ptr Error;
    };

    void Pack(size_t anIndex);
    void Work();

    const std::vector<TFileEntry>& fFiles;
    int fCompression;
    std::function<std::string(size_t)> fCabinetFor;
    std::vector<TResult> fResults;
    std::mutex fMutex;
    std::condition_variable fDone;
    std::atomic<size_t> fNext{1};
    std::atomic<bool> fStopping{false};
    std::vector<std::thread> fWorkers;
};

} // namespace kf
