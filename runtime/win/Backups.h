#pragma once

#include "runtime/win/ActionLog.h"
#include "runtime/win/Registry.h"

#include <string>
#include <vector>

namespace kf {

// What an installation replaces, kept until it ends: files moved aside under a unique name beside
// themselves (a rename, so nothing is copied and attributes and times stay), and registry values
// with their previous type and data. A rollback puts them back; success deletes the kept files.
class TBackups {
public:
    explicit TBackups(TActionLog& anActions) : fActions(anActions) {}

    // Moves an existing file aside; raises an error when aPath is a folder or cannot be moved.
    void KeepFile(const std::string& aPath);
    // Records a registry value before it is written; false when there is none to keep.
    bool KeepValue(int aRoot, const std::string& aKey, const std::string& aName);
    // Puts every kept file and value back, the latest first; returns how many could not be.
    size_t Restore();
    // Deletes the kept files (at the next restart those still in use, where that is allowed).
    void Discard();

private:
    struct TKeptFile {
        std::string Path;
        std::string Backup;
    };
    struct TKeptValue {
        int Root;
        std::string Key;
        std::string Name;
        TRegistryData Data;
    };

    TActionLog& fActions;
    std::vector<TKeptFile> fFiles;
    std::vector<TKeptValue> fValues;
};

} // namespace kf
