#pragma once

#include "runtime/core/ByteSource.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace kf {

// Where one member of a cabinet goes while it is decoded.
class TMemberOutput {
public:
    virtual ~TMemberOutput() = default;
    virtual void Write(const void* aData, size_t aLength) = 0;
    // The member is complete; aDate and aTime are its MS-DOS time stamp.
    virtual void Finish(uint16_t aDate, uint16_t aTime) = 0;
};

// Decides for each member where it goes; no output skips it.
class TMemberSink {
public:
    virtual ~TMemberSink() = default;
    virtual std::unique_ptr<TMemberOutput> Open(const std::string& aName, uint32_t aLength) = 0;
    // No later member is wanted: the extraction stops before the next one.
    virtual bool Finished() const { return false; }
};

// The system's cabinet library, loaded from the system folder only, decoding cabinets that lie
// inside the setup file without copying them anywhere.
class TSystemCabinet {
public:
    TSystemCabinet();
    ~TSystemCabinet();
    TSystemCabinet(const TSystemCabinet&) = delete;
    TSystemCabinet& operator=(const TSystemCabinet&) = delete;

    // Decodes every member of the cabinet into the outputs that aSink gives; raises an error
    // naming aWhat when the library or an output fails.
    void Extract(TByteSource& aCabinet, TMemberSink& aSink, const std::string& aWhat);

private:
    struct TEntryPoints;
    HMODULE fModule;
    std::unique_ptr<TEntryPoints> fEntryPoints;
};

} // namespace kf
