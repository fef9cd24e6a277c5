#include "runtime/core/UninstallLogMerge.h"

#include <algorithm>
#include <cctype>

namespace kf {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool Same(const TLoggedPath& a, const TLoggedPath& b) {
    return SameText(a.Path, b.Path);
}
bool Same(const std::string& a, const std::string& b) {
    return SameText(a, b);
}
bool Same(const TLoggedValue& a, const TLoggedValue& b) {
    return a.Root == b.Root && SameText(a.Key, b.Key) && SameText(a.Name, b.Name);
}
bool Same(const TLoggedKey& a, const TLoggedKey& b) {
    return a.Root == b.Root && SameText(a.Key, b.Key);
}

void TakeFlag(TLoggedPath& anEarlier, const TLoggedPath& aLater) {
    anEarlier.Remove = aLater.Remove;
}
void TakeFlag(TLoggedValue& anEarlier, const TLoggedValue& aLater) {
    anEarlier.Remove = aLater.Remove;
}
template <typename T> void TakeFlag(T&, const T&) {}

// The earlier records in their order, then the later ones that are new.
template <typename T> std::vector<T> Merged(const std::vector<T>& anEarlier, const std::vector<T>& aLater) {
    std::vector<T> merged = anEarlier;
    for (const T& record : aLater) {
        const auto found = std::find_if(merged.begin(), merged.end(),
                                        [&](const T& anOther) { return Same(anOther, record); });
        if (found == merged.end())
            merged.push_back(record);
        else
            TakeFlag(*found, record);
    }
    return merged;
}

} // namespace

TUninstallLog MergeUninstallLogs(const TUninstallLog& anEarlier, const TUninstallLog& aLater) {
    TUninstallLog merged;
    merged.ProductName = aLater.ProductName;
    merged.Scope = aLater.Scope;
    merged.Folders = Merged(anEarlier.Folders, aLater.Folders);
    merged.Files = Merged(anEarlier.Files, aLater.Files);
    merged.Shortcuts = Merged(anEarlier.Shortcuts, aLater.Shortcuts);
    merged.Registered = Merged(anEarlier.Registered, aLater.Registered);
    merged.Values = Merged(anEarlier.Values, aLater.Values);
    merged.Keys = Merged(anEarlier.Keys, aLater.Keys);
    merged.UninstallEntries = Merged(anEarlier.UninstallEntries, aLater.UninstallEntries);
    return merged;
}

} // namespace kf
