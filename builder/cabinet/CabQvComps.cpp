#include "builder/cabinet/CabQvComps.h"

#include "builder/cabinet/DosDateTime.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

namespace kf {

namespace {

#ifdef _WIN32
constexpr char kDelimiter = '\\';
#else
constexpr char kDelimiter = '/';
#endif
constexpr uint32_t kNoLimit = 0x7FFFFFFF;
constexpr size_t kFieldSize = sizeof(CCAB::szCab);

std::string ReplaceStars(const std::string& aPattern, int n) {
    std::string result;
    for (char c : aPattern)
        result += c == '*' ? std::to_string(n) : std::string(1, c);
    return result;
}

std::string FileNamePart(const std::string& aPath) {
    return aPath.substr(aPath.find_last_of(kDelimiter) + 1);
}

std::string FolderPart(const std::string& aPath) {
    const size_t delimiter = aPath.find_last_of(kDelimiter);
    return delimiter == std::string::npos ? std::string() : aPath.substr(0, delimiter + 1);
}

std::string WithTrailingDelimiter(std::string aPath) {
    if (aPath.empty() || aPath.back() != kDelimiter)
        aPath += kDelimiter;
    return aPath;
}

// A CCAB name field holds at most 255 characters and its terminating zero.
void SetField(char (&aField)[kFieldSize], const std::string& aText, const char* aWhat) {
    if (aText.size() >= kFieldSize)
        throw Exception(std::string("The cabinet ") + aWhat + " \"" + aText +
                        "\" is longer than 255 characters");
    std::memcpy(aField, aText.c_str(), aText.size() + 1);
}

void CheckField(const char (&aField)[kFieldSize], const char* aWhat) {
    if (::strnlen(aField, kFieldSize) == kFieldSize)
        throw Exception(std::string("The cabinet ") + aWhat +
                        " set by the event handler is longer than 255 characters");
}

void CheckFields(const TCCAB& aCCab) {
    CheckField(aCCab.szDisk, "disk label");
    CheckField(aCCab.szCab, "name");
    CheckField(aCCab.szCabPath, "folder");
}

// Makes room for a cabinet: its folder exists and no older file of its name is left.
void PrepareFolder(const TCCAB& aCCab) {
    std::error_code ignored;
    std::filesystem::create_directories(aCCab.szCabPath, ignored);
    std::filesystem::remove(JoinPath(aCCab.szCabPath, aCCab.szCab), ignored);
}

} // namespace

std::string JoinPath(const std::string& a, const std::string& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    const bool aEnds = a.back() == kDelimiter;
    const bool bBegins = b.front() == kDelimiter;
    if (aEnds && bBegins)
        return a + b.substr(1);
    if (aEnds || bBegins)
        return a + b;
    return a + kDelimiter + b;
}

TQvCabWriter::TQvCabWriter(TComponent* anOwner) : TComponent(anOwner) {
    UpdateCompressionCode();
}

TQvCabWriter::~TQvCabWriter() {
    try {
        Close(false);
    } catch (...) {
        // An abandoned set has nothing left to report to.
    }
}

void TQvCabWriter::SetCompressionType(TQvCabCompressionType aType) {
    fCompressionType = aType;
    UpdateCompressionCode();
}

void TQvCabWriter::SetCompressionLzxLevel(TQvCabLzxLevel aLevel) {
    fCompressionLzxLevel = aLevel;
    UpdateCompressionCode();
}

void TQvCabWriter::UpdateCompressionCode() {
    switch (fCompressionType) {
    case cctNone:
        fCompressionCode = kCompressionNone;
        break;
    case cctMsZip:
        fCompressionCode = kCompressionMsZip;
        break;
    case cctLzx:
        fCompressionCode = MakeLzxCompression(fCompressionLzxLevel);
        break;
    }
}

std::string TQvCabWriter::CabinetNameFor(int n) const {
    std::string pattern = CabinetNameTemplate;
    if (pattern.empty()) {
        pattern = FileNamePart(fCabinetFileName);
        const size_t dot = pattern.find_last_of('.');
        pattern.insert(dot == std::string::npos ? pattern.size() : dot, "*");
    }
    return ReplaceStars(pattern, n);
}

std::string TQvCabWriter::CabinetPathFor(int n) const {
    const std::string pattern =
        CabinetPathTemplate.empty() ? FolderPart(fCabinetFileName) : CabinetPathTemplate;
    return WithTrailingDelimiter(ReplaceStars(pattern, n));
}

std::string TQvCabWriter::DiskLabelFor(int n) const {
    return ReplaceStars(DiskLabelTemplate.empty() ? "Disk*" : DiskLabelTemplate, n);
}

void TQvCabWriter::PrepareParams() {
    fCabParams = TCCAB{};
    fCabParams.cb = CabinetSizeThreshold != 0 ? CabinetSizeThreshold : kNoLimit;
    fCabParams.cbFolderThresh = FolderSizeThreshold != 0 ? FolderSizeThreshold : kNoLimit;
    fCabParams.cbReserveCFHeader = ReservePerCabinetSize;
    fCabParams.cbReserveCFFolder = ReservePerFolderSize;
    fCabParams.cbReserveCFData = ReservePerDataSize;
    fCabParams.iCab = 0;
    fCabParams.iDisk = 1;
    fCabParams.fFailOnIncompressible = 0;
    fCabParams.setID = SetID;
    SetField(fCabParams.szDisk, DiskLabelFor(1), "disk label");
    SetField(fCabParams.szCab, FileNamePart(fCabinetFileName), "name");
    SetField(fCabParams.szCabPath, FolderPart(fCabinetFileName), "folder");
}

void TQvCabWriter::Open(const std::string& FileName) {
    Close(false);
    fCabinetFileName = std::filesystem::absolute(FileName).lexically_normal().string();
    fErrorInfo = ERF{};
    PrepareParams();
    if (OnGetNextCabinet) {
        bool abort = false;
        OnGetNextCabinet(*this, fCabParams, 0, abort);
        if (abort)
            return;
        CheckFields(fCabParams);
    }
    SetField(fCabParams.szCabPath, WithTrailingDelimiter(fCabParams.szCabPath), "folder");
    PrepareFolder(fCabParams);
    fCabinetFileCount = 0;
    fFolderFileCount = 0;
    fProgressCountdown = 0;
    fPendingError = nullptr;
    fContext = kf::FCICreate(&fErrorInfo, CabFilePlaced, CabAlloc, CabFree, CabOpen, CabRead, CabWrite,
                             CabClose, CabSeek, CabDelete, CabGetTempFile, &fCabParams, this);
    CheckResult(fContext != nullptr);
}

void TQvCabWriter::AddFile(const std::string& SourceFile, const std::string& NameInCabinet, bool Execute) {
    if (OnBeforeFileAdd) {
        bool skip = false;
        OnBeforeFileAdd(*this, SourceFile, skip);
        if (skip)
            return;
    }
    if (CabinetFileCountThreshold != 0 && fCabinetFileCount >= CabinetFileCountThreshold)
        NewCabinet();
    else if (FolderFileCountThreshold != 0 && fFolderFileCount >= FolderFileCountThreshold)
        FlushFolder();
    std::string stored = NameInCabinet.starts_with('\\') ? NameInCabinet.substr(1) : NameInCabinet;
    std::string source = SourceFile;
    fPendingError = nullptr;
    fStoredName = stored;
    try {
        CheckResult(kf::FCIAddFile(fContext, source.data(), stored.data(), Execute ? TRUE : FALSE,
                                   CabGetNextCabinet, CabStatus, CabGetOpenInfo, fCompressionCode));
    } catch (const EQvCabinet& error) {
        // The library's text does not say which file it could not open or read.
        if (error.ErrorCode == FCIERR_OPEN_SRC || error.ErrorCode == FCIERR_READ_SRC)
            throw EQvCabinet(error, SourceFile);
        throw;
    }
    ++fCabinetFileCount;
    ++fFolderFileCount;
}

void TQvCabWriter::FlushFolder() {
    fPendingError = nullptr;
    CheckResult(kf::FCIFlushFolder(fContext, CabGetNextCabinet, CabStatus));
    fFolderFileCount = 0;
}

void TQvCabWriter::FlushCabinet(bool GetNextCabinet) {
    fPendingError = nullptr;
    CheckResult(kf::FCIFlushCabinet(fContext, GetNextCabinet ? TRUE : FALSE, CabGetNextCabinet, CabStatus));
    fCabinetFileCount = 0;
    fFolderFileCount = 0;
}

void TQvCabWriter::Close(bool Flush) {
    if (fContext == nullptr)
        return;
    if (Flush)
        FlushCabinet(false);
    const BOOL destroyed = kf::FCIDestroy(fContext);
    fContext = nullptr;
    fPendingError = nullptr;
    CheckResult(destroyed != FALSE);
}

void TQvCabWriter::CheckResult(bool anOk) {
    if (fPendingError) {
        const std::exception_ptr error = fPendingError;
        fPendingError = nullptr;
        std::rethrow_exception(error);
    }
    if (!anOk)
        throw EQvCabinet(fErrorInfo, true);
}

template <typename Action> bool TQvCabWriter::Guarded(Action anAction) {
    try {
        return anAction();
    } catch (...) {
        fPendingError = std::current_exception();
        return true;
    }
}

int DIAMONDAPI TQvCabWriter::CabFilePlaced(PCCAB pccab, char* pszFile, LONG cbFile, BOOL fContinuation,
                                           void* pv) {
    auto& writer = *static_cast<TQvCabWriter*>(pv);
    if (!writer.OnFilePlaced)
        return 0;
    const bool abort = writer.Guarded([&] {
        bool anAbort = false;
        writer.OnFilePlaced(writer, *pccab, pszFile, cbFile, fContinuation != FALSE, anAbort);
        return anAbort;
    });
    if (!abort)
        return 0;
    // Libraries may ignore this result, so the abort is raised after the call in any case.
    if (!writer.fPendingError)
        writer.fPendingError = std::make_exception_ptr(EQvCabinet(ERF{FCIERR_USER_ABORT, 0, TRUE}, true));
    return -1;
}

BOOL DIAMONDAPI TQvCabWriter::CabGetNextCabinet(PCCAB pccab, ULONG cbPrevCab, void* pv) {
    auto& writer = *static_cast<TQvCabWriter*>(pv);
    const bool abort = writer.Guarded([&] { return writer.PrepareNextCabinet(*pccab, cbPrevCab); });
    return abort ? FALSE : TRUE;
}

bool TQvCabWriter::PrepareNextCabinet(TCCAB& aCCab, uint32_t aPrevCabSize) {
    ++aCCab.iDisk;
    SetField(aCCab.szDisk, DiskLabelFor(aCCab.iDisk), "disk label");
    SetField(aCCab.szCab, CabinetNameFor(aCCab.iCab), "name");
    SetField(aCCab.szCabPath, CabinetPathFor(aCCab.iDisk), "folder");
    bool abort = false;
    if (OnGetNextCabinet)
        OnGetNextCabinet(*this, aCCab, aPrevCabSize, abort);
    fCabinetFileCount = 0;
    fFolderFileCount = 0;
    if (!abort) {
        CheckFields(aCCab);
        PrepareFolder(aCCab);
    }
    return abort;
}

LONG DIAMONDAPI TQvCabWriter::CabStatus(UINT typeStatus, ULONG cb1, ULONG cb2, void* pv) {
    auto& writer = *static_cast<TQvCabWriter*>(pv);
    LONG result = 0;
    const bool abort = writer.Guarded([&] {
        bool anAbort = false;
        result = writer.Status(typeStatus, cb1, cb2, anAbort);
        return anAbort;
    });
    return abort ? -1 : result;
}

INT_PTR DIAMONDAPI TQvCabWriter::CabGetOpenInfo(char* pszName, USHORT* pdate, USHORT* ptime, USHORT* pattribs,
                                                int* err, void* pv) {
    const INT_PTR handle = kf::CabGetOpenInfo(pszName, pdate, ptime, pattribs, err, pv);
    const auto& writer = *static_cast<const TQvCabWriter*>(pv);
    // Names are stored as UTF-8; without the flag readers take them for the OEM code page.
    const bool beyondAscii = std::any_of(writer.fStoredName.begin(), writer.fStoredName.end(),
                                         [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (handle != -1 && beyondAscii)
        *pattribs = static_cast<USHORT>(*pattribs | _A_NAME_IS_UTF);
    if (handle != -1)
        writer.ApplyDateRule(*pdate, *ptime);
    return handle;
}

void TQvCabWriter::ApplyDateRule(USHORT& aDate, USHORT& aTime) const {
    std::optional<TDosDateTime> date;
    if (MemberDate)
        date = DosDateTimeFromUnix(*MemberDate);
    else if (LatestDate && DosDateTimeFromUnix(*LatestDate).Stamp() < TDosDateTime{aDate, aTime}.Stamp())
        date = DosDateTimeFromUnix(*LatestDate);
    if (date) {
        aDate = date->Date;
        aTime = date->Time;
    }
}

LONG TQvCabWriter::Status(UINT aKind, uint32_t aSize1, uint32_t aSize2, bool& anAbort) {
    switch (aKind) {
    case statusFile:
        if (OnFileStatus)
            OnFileStatus(*this, aSize1, aSize2, anAbort);
        if (fProgressCountdown < 0 && OnProgress && !anAbort) {
            OnProgress(*this, anAbort);
            fProgressCountdown = 8;
        }
        if (fProgressCountdown > INT32_MIN)
            --fProgressCountdown;
        return 0;
    case statusFolder:
        if (OnFolderStatus)
            OnFolderStatus(*this, aSize1, aSize2, anAbort);
        fFolderFileCount = 0;
        return 0;
    case statusCabinet: {
        uint32_t desired = 0;
        if (OnCabinetStatus)
            OnCabinetStatus(*this, aSize1, aSize2, desired, anAbort);
        fCabinetFileCount = 0;
        fFolderFileCount = 0;
        return static_cast<LONG>(desired);
    }
    default:
        return 0;
    }
}

} // namespace kf
