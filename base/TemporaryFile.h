#pragma once

#include <string>
#include <string_view>

namespace kf {

// A new file beside a target, written in full and then renamed over the target; until then the
// target is untouched, and a file that was never renamed is removed again. One that a killed
// program left behind is removed by the next temporary file for the same target.
class TTemporaryFile {
public:
    explicit TTemporaryFile(const std::string& aTarget);
    ~TTemporaryFile();
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    bool IsOpen() const { return fDescriptor >= 0; }
    const std::string& Path() const { return fPath; }
    bool WriteAll(std::string_view aBytes);
    // A replaced file keeps its permissions; a new one gets what the umask leaves.
    bool CopyModeFrom(const std::string& aTarget);
    // Flushes to disk and closes, so that another program may work on the file before it is committed.
    bool Seal();
    // Flushes to disk, closes and renames over the target.
    bool CommitTo(const std::string& aTarget);
    // "Unable to write to <aTarget>" and the system's reason for the step that failed.
    std::string FailureText(const std::string& aTarget) const;

private:
    bool Close();
    bool Own();
    // Keeps errno as the reason of a failed step; returns false.
    bool Failed(int anError);

    std::string fPath;
    int fDescriptor = -1;
    int fLock = -1; // holds the owner's lock, also after Seal
    bool fCreated = false;
    bool fRenamed = false;
    int fError = 0;
};

} // namespace kf
