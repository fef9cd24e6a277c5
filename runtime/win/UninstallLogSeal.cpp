#include "runtime/win/UninstallLogSeal.h"

#include "base/Exception.h"
#include "runtime/core/InstallScope.h"
#include "runtime/win/Registry.h"
#include "runtime/win/Sha256.h"

namespace kf {

namespace {

constexpr int kLocalMachineRoot = 2;

bool SameFolder(const std::string& aLeft, const std::string& aRight) {
    return IsInsideFolder(aLeft, aRight) && IsInsideFolder(aRight, aLeft);
}

} // namespace

TLogSeal CheckLogSeal(const std::string& aFolder, std::string_view aLog) {
    TLogSeal seal = TLogSeal::None;
    std::string digest;
    for (const std::string& name : SubkeyNames(kLocalMachineRoot, kUninstallList)) {
        const std::string entry = std::string(kUninstallList) + "\\" + name;
        const auto location = ReadStringValue(kLocalMachineRoot, entry, "InstallLocation");
        const auto sealed = ReadStringValue(kLocalMachineRoot, entry, kLogDigestValue);
        if (!location || !sealed || !SameFolder(*location, aFolder))
            continue;
        if (digest.empty())
            digest = Sha256Hex(aLog);
        // Products installed into one folder share its log: the latest install's digest matches.
        if (*sealed == digest)
            return TLogSeal::Matches;
        seal = TLogSeal::Broken;
    }
    return seal;
}

bool RefuseChangedLog(const std::string& aPath, std::string_view aLog) {
    const TLogSeal seal = CheckLogSeal(aPath.substr(0, aPath.rfind('\\')), aLog);
    if (seal == TLogSeal::Broken)
        throw Exception("The uninstall log " + aPath +
                        " has been changed since Setup wrote it, so it is not trusted.");
    return seal == TLogSeal::Matches;
}

} // namespace kf
