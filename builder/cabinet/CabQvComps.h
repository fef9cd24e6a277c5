#pragma once

#include "builder/cabinet/CabIntf.h"
#include "builder/cabinet/Component.h"
#include "builder/cabinet/QvCabinetError.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace kf {

using TCCAB = CCAB;

enum TQvCabCompressionType { cctNone, cctMsZip, cctLzx };
using TQvCabLzxLevel = uint8_t; // 15..21

class TQvCabWriter;

using TQvCabWriterFilePlacedEvent =
    std::function<void(TQvCabWriter& Sender, const TCCAB& aCCab, const std::string& aFileName,
                       int32_t aFileSize, bool aContinuation, bool& anAbort)>;
using TQvCabWriterGetNextCabinetEvent =
    std::function<void(TQvCabWriter& Sender, TCCAB& aCCab, uint32_t aPrevCabSize, bool& anAbort)>;
using TQvCabWriterFileStatusEvent = std::function<void(TQvCabWriter& Sender, uint32_t aCompressedBlockSize,
                                                       uint32_t anUncompressedBlockSize, bool& anAbort)>;
using TQvCabWriterFolderStatusEvent =
    std::function<void(TQvCabWriter& Sender, uint32_t aCopiedSize, uint32_t aTotalSize, bool& anAbort)>;
using TQvCabWriterCabinetStatusEvent =
    std::function<void(TQvCabWriter& Sender, uint32_t aPrevEstimatedSize, uint32_t anActualSize,
                       uint32_t& aDesiredSize, bool& anAbort)>;
using TQvCabWriterProgressEvent = std::function<void(TQvCabWriter& Sender, bool& anAbort)>;
using TQvCabWriterBeforeFileAddEvent =
    std::function<void(TQvCabWriter& Sender, const std::string& aFileName, bool& aSkip)>;

// Joins two path pieces with exactly one separator between them; an empty piece is skipped.
std::string JoinPath(const std::string& a, const std::string& b);

// Writes one cabinet set through FCI: one cabinet, or a numbered series when limits are set.
// Every FCI failure is raised as EQvCabinet.
class TQvCabWriter : public TComponent {
public:
    explicit TQvCabWriter(TComponent* anOwner = nullptr);
    ~TQvCabWriter() override;

    uint32_t CabinetSizeThreshold = 0;      // 0: no limit
    uint32_t CabinetFileCountThreshold = 0; // 0: no limit
    uint32_t FolderSizeThreshold = 0;       // 0: no limit
    uint32_t FolderFileCountThreshold = 0;  // 0: no limit
    uint32_t ReservePerCabinetSize = 0;
    uint32_t ReservePerFolderSize = 0;
    uint32_t ReservePerDataSize = 0;
    uint16_t SetID = 0;
    std::string CabinetNameTemplate; // "*" becomes the cabinet number
    std::string CabinetPathTemplate; // "*" becomes the disk number
    std::string DiskLabelTemplate;   // "*" becomes the disk number; empty means "Disk*"
    // Member dates in seconds since 1970: MemberDate, when set, dates every file added from now on;
    // otherwise a file is dated by its last change, but never later than LatestDate.
    std::optional<int64_t> MemberDate;
    std::optional<int64_t> LatestDate;

    TQvCabCompressionType CompressionType() const { return fCompressionType; }
    void SetCompressionType(TQvCabCompressionType aType);
    TQvCabLzxLevel CompressionLzxLevel() const { return fCompressionLzxLevel; }
    void SetCompressionLzxLevel(TQvCabLzxLevel aLevel);

    TQvCabWriterFilePlacedEvent OnFilePlaced;
    TQvCabWriterGetNextCabinetEvent OnGetNextCabinet;
    TQvCabWriterFileStatusEvent OnFileStatus;
    TQvCabWriterFolderStatusEvent OnFolderStatus;
    TQvCabWriterCabinetStatusEvent OnCabinetStatus;
    TQvCabWriterProgressEvent OnProgress;
    TQvCabWriterBeforeFileAddEvent OnBeforeFileAdd;

    void Open(const std::string& FileName);
    void AddFile(const std::string& SourceFile, const std::string& NameInCabinet, bool Execute);
    void FlushFolder();
    void FlushCabinet(bool GetNextCabinet);
    void NewCabinet() { FlushCabinet(true); }
    void Close(bool Flush);

    bool IsOpen() const { return fContext != nullptr; }
    const std::string& CabinetFileName() const { return fCabinetFileName; }
    TCOMP CompressionCode() const { return fCompressionCode; }
    uint32_t CabinetFileCount() const { return fCabinetFileCount; }
    uint32_t FolderFileCount() const { return fFolderFileCount; }

    std::string CabinetNameFor(int n) const;
    std::string CabinetPathFor(int n) const;
    std::string DiskLabelFor(int n) const;

private:
    static int DIAMONDAPI CabFilePlaced(PCCAB pccab, char* pszFile, LONG cbFile, BOOL fContinuation,
                                        void* pv);
    static BOOL DIAMONDAPI CabGetNextCabinet(PCCAB pccab, ULONG cbPrevCab, void* pv);
    static LONG DIAMONDAPI CabStatus(UINT typeStatus, ULONG cb1, ULONG cb2, void* pv);
    static INT_PTR DIAMONDAPI CabGetOpenInfo(char* pszName, USHORT* pdate, USHORT* ptime, USHORT* pattribs,
                                             int* err, void* pv);

    void ApplyDateRule(USHORT& aDate, USHORT& aTime) const;
    void UpdateCompressionCode();
    void PrepareParams();
    bool PrepareNextCabinet(TCCAB& aCCab, uint32_t aPrevCabSize);
    LONG Status(UINT aKind, uint32_t aSize1, uint32_t aSize2, bool& anAbort);
    // Runs an event inside an FCI callback: an escaping error is kept for CheckResult and reported
    // to FCI as an abort, since it cannot travel through the library.
    template <typename Action> bool Guarded(Action anAction);
    void CheckResult(bool anOk);

    TQvCabCompressionType fCompressionType = cctLzx;
    TQvCabLzxLevel fCompressionLzxLevel = 21;
    HFCI fContext = nullptr;
    std::string fCabinetFileName;
    TCOMP fCompressionCode = 0;
    ERF fErrorInfo{};
    TCCAB fCabParams{};
    uint32_t fCabinetFileCount = 0;
    uint32_t fFolderFileCount = 0;
    int32_t fProgressCountdown = 0;
    std::exception_ptr fPendingError;
    std::string fStoredName; // the member name of the file being added
};

} // namespace kf
