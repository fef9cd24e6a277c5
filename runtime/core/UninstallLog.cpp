#include "runtime/core/UninstallLog.h"

#include "base/Exception.h"

namespace kf {

namespace {

constexpr std::string_view kSignature = "Kelpforge uninstall log 1";
constexpr std::string_view kEscaped = "%\t\r\n";

std::string Escape(std::string_view aField) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string text;
    for (char c : aField) {
        if (kEscaped.find(c) == std::string_view::npos) {
            text += c;
            continue;
        }
        text += '%';
        text += kHex[static_cast<unsigned char>(c) >> 4];
        text += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Record(std::initializer_list<std::string_view> aFields) {
    std::string line;
    for (std::string_view field : aFields) {
        if (!line.empty())
            line += '\t';
        line += Escape(field);
    }
    line += "\r\n";
    return line;
}

const char* Flag(bool aRemove) {
    return aRemove ? "1" : "0";
}

class TLogReader {
public:
    explicit TLogReader(std::string_view aText) : fText(aText) {}

    TUninstallLog Run() {
        if (!NextLine() || fLine != kSignature)
            throw Exception("The uninstall log is not a Kelpforge uninstall log.");
        TUninstallLog log;
        while (NextLine())
            ReadRecord(log);
        return log;
    }

private:
    [[noreturn]] void Fail() const {
        throw Exception("Line " + std::to_string(fNumber) + " of the uninstall log is damaged.");
    }

    bool NextLine() {
        if (fPos >= fText.size())
            return false;
        ++fNumber;
        const size_t end = fText.find("\r\n", fPos);
        if (end == std::string_view::npos)
            Fail();
        fLine = fText.substr(fPos, end - fPos);
        fPos = end + 2;
        return true;
    }

    std::vector<std::string> Fields(size_t aCount) const {
        std::vector<std::string> fields(1);
        for (size_t i = 0; i < fLine.size(); ++i) {
            if (fLine[i] == '\t') {
                fields.emplace_back();
            } else if (fLine[i] != '%') {
                fields.back() += fLine[i];
            } else {
                const int high = i + 2 < fLine.size() ? HexDigit(fLine[i + 1]) : -1;
                const int low = high < 0 ? -1 : HexDigit(fLine[i + 2]);
                if (low < 0)
                    Fail();
                fields.back() += static_cast<char>(high * 16 + low);
                i += 2;
            }
        }
        if (fields.size() != aCount)
            Fail();
        return fields;
    }

    bool Remove(const std::string& aFlag) const {
        if (aFlag != "0" && aFlag != "1")
            Fail();
        return aFlag == "1";
    }

    int Root(const std::string& aDigit) const {
        if (aDigit.size() != 1 || aDigit[0] < '0' || aDigit[0] > '3')
            Fail();
        return aDigit[0] - '0';
    }

    TInstallScope Scope(const std::string& aName) const {
        for (TInstallScope scope : {TInstallScope::PerUser, TInstallScope::PerMachine})
            if (aName == ScopeName(scope))
                return scope;
        Fail();
    }

    void ReadRecord(TUninstallLog& aLog) const {
        const std::string_view kind = fLine.substr(0, fLine.find('\t'));
        if (kind == "Product") {
            aLog.ProductName = Fields(2)[1];
        } else if (kind == "Scope") {
            aLog.Scope = Scope(Fields(2)[1]);
        } else if (kind == "Folder" || kind == "File") {
            const auto fields = Fields(3);
            (kind == "Folder" ? aLog.Folders : aLog.Files)
                .push_back(TLoggedPath{fields[2], Remove(fields[1])});
        } else if (kind == "Shortcut") {
            aLog.Shortcuts.push_back(Fields(2)[1]);
        } else if (kind == "Registered") {
            aLog.Registered.push_back(Fields(2)[1]);
        } else if (kind == "Value") {
            const auto fields = Fields(5);
            aLog.Values.push_back(TLoggedValue{Root(fields[2]), fields[3], fields[4], Remove(fields[1])});
        } else if (kind == "Key") {
            const auto fields = Fields(3);
            aLog.Keys.push_back(TLoggedKey{Root(fields[1]), fields[2]});
        } else if (kind == "Entry") {
            const auto fields = Fields(3);
            aLog.UninstallEntries.push_back(TLoggedKey{Root(fields[1]), fields[2]});
        } else {
            Fail();
        }
    }

    std::string_view fText;
    std::string_view fLine;
    size_t fPos = 0;
    size_t fNumber = 0;
};

} // namespace

std::string WriteUninstallLog(const TUninstallLog& aLog) {
    std::string text = std::string(kSignature) + "\r\n";
    text += Record({"Product", aLog.ProductName});
    text += Record({"Scope", ScopeName(aLog.Scope)});
    for (const TLoggedPath& folder : aLog.Folders)
        text += Record({"Folder", Flag(folder.Remove), folder.Path});
    for (const TLoggedPath& file : aLog.Files)
        text += Record({"File", Flag(file.Remove), file.Path});
    for (const std::string& shortcut : aLog.Shortcuts)
        text += Record({"Shortcut", shortcut});
    for (const std::string& library : aLog.Registered)
        text += Record({"Registered", library});
    for (const TLoggedValue& value : aLog.Values)
        text += Record({"Value", Flag(value.Remove), std::to_string(value.Root), value.Key, value.Name});
    for (const TLoggedKey& key : aLog.Keys)
        text += Record({"Key", std::to_string(key.Root), key.Key});
    for (const TLoggedKey& entry : aLog.UninstallEntries)
        text += Record({"Entry", std::to_string(entry.Root), entry.Key});
    return text;
}

TUninstallLog ReadUninstallLog(std::string_view aText) {
    return TLogReader(aText).Run();
}

} // namespace kf
