#include "runtime/core/CommandLine.h"

#include "base/Exception.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kf {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view SkipBlanks(std::string_view aText) {
    while (!aText.empty() && IsBlank(aText.front()))
        aText.remove_prefix(1);
    return aText;
}

bool StartsWithOption(std::string_view aText, std::string_view anOption) {
    if (aText.size() < anOption.size())
        return false;
    for (size_t i = 0; i < anOption.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(aText[i])) != anOption[i])
            return false;
    return true;
}

// One argument, with its quotes removed; aText moves past it.
std::string TakeArgument(std::string_view& aText) {
    std::string argument;
    bool quoted = false;
    size_t i = 0;
    for (; i < aText.size() && (quoted || !IsBlank(aText[i])); ++i) {
        if (aText[i] == '"')
            quoted = !quoted;
        else
            argument += aText[i];
    }
    if (quoted)
        throw Exception("The command line has an unmatched quote.");
    aText.remove_prefix(i);
    return argument;
}

// A number that fills aText, or nothing.
template <typename TNumber> std::optional<TNumber> NumberOf(std::string_view aText) {
    TNumber number = 0;
    const auto [end, error] = std::from_chars(aText.data(), aText.data() + aText.size(), number);
    if (aText.empty() || error != std::errc() || end != aText.data() + aText.size())
        return std::nullopt;
    return number;
}

TOriginalProgram OriginalProgram(std::string_view aText) {
    const size_t colon = std::min(aText.find(':'), aText.size());
    const size_t comma = std::min(aText.substr(0, colon).find(','), colon);
    const std::optional<uint32_t> process = NumberOf<uint32_t>(aText.substr(0, comma));
    const std::optional<uint64_t> handle =
        comma == colon ? std::optional<uint64_t>(0)
                       : NumberOf<uint64_t>(aText.substr(comma + 1, colon - comma - 1));
    if (!process || !handle || colon + 1 >= aText.size())
        throw Exception("The option /ORIGINAL= needs a process number, optionally \",\" and a handle, "
                        "then \":\" and a path.");
    return TOriginalProgram{*process, std::string(aText.substr(colon + 1)), *handle};
}

uint32_t ElevatingProcess(std::string_view aText) {
    const std::optional<uint32_t> process = NumberOf<uint32_t>(aText);
    if (!process)
        throw Exception("The option /ELEVATED= needs a process number.");
    return *process;
}

// An argument quoted whole when it holds a blank, as TakeArgument reads it back.
std::string Quoted(const std::string& anArgument) {
    return anArgument.find_first_of(" \t") == std::string::npos ? anArgument : "\"" + anArgument + "\"";
}

// A bare folder reads back as written only without blanks, which would end it before an option
// or be trimmed at its end.
std::string FolderOption(const std::string& aFolder) {
    if (aFolder.find_first_of(" \t") != std::string::npos)
        return "/D=\"" + aFolder + "\"";
    return "/D=" + aFolder;
}

// Whether an option begins here, quoted or not.
bool StartsAnOption(std::string_view aText) {
    if (!aText.empty() && aText.front() == '"')
        aText.remove_prefix(1);
    for (std::string_view option : {"/S", "/ELEVATED"})
        if (StartsWithOption(aText, option) &&
            (aText.size() == option.size() || IsBlank(aText[option.size()]) || aText[option.size()] == '"'))
            return true;
    for (std::string_view option : {"/D=", "/LOG=", "/ORIGINAL=", "/ELEVATED="})
        if (StartsWithOption(aText, option))
            return true;
    return false;
}

// The folder of an unquoted /D=: the rest of the line, or up to the blanks before the next option
// when one follows; blanks inside quotes belong to the folder.
std::string TakeFolder(std::string_view& aText) {
    size_t end = 3;
    for (bool quoted = false; end < aText.size(); ++end) {
        if (aText[end] == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(aText[end]) && StartsAnOption(SkipBlanks(aText.substr(end))))
            break;
    }
    std::string_view folder = aText.substr(3, end - 3);
    aText.remove_prefix(end);
    while (!folder.empty() && IsBlank(folder.back()))
        folder.remove_suffix(1);
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
        folder = folder.substr(1, folder.size() - 2);
    return std::string(folder);
}

// Windows folders hold no quotes, and an option needs its folder.
std::string CheckedFolder(std::string aFolder) {
    if (aFolder.empty())
        throw Exception("The option /D= names no install folder.");
    if (aFolder.find('"') != std::string::npos)
        throw Exception(
            "The option /D= has a quote inside its folder; quote the whole option or the folder.");
    return aFolder;
}

} // namespace

std::string_view ArgumentsOf(std::string_view aCommandLine) {
    std::string_view text = SkipBlanks(aCommandLine);
    TakeArgument(text);
    return SkipBlanks(text);
}

TCommandLine ParseCommandLine(std::string_view anArguments) {
    TCommandLine options;
    for (std::string_view text = SkipBlanks(anArguments); !text.empty(); text = SkipBlanks(text)) {
        if (StartsWithOption(text, "/D=")) {
            options.InstallFolder = CheckedFolder(TakeFolder(text));
            continue;
        }
        const std::string argument = TakeArgument(text);
        if (StartsWithOption(argument, "/D="))
            options.InstallFolder = CheckedFolder(argument.substr(3));
        else if (StartsWithOption(argument, "/LOG=") && argument.size() > 5)
            options.LogFile = argument.substr(5);
        else if (argument == "/S" || argument == "/s")
            options.Silent = true;
        else if (StartsWithOption(argument, "/ELEVATED") && argument.size() == 9)
            options.Elevated = true;
        else if (StartsWithOption(argument, "/ELEVATED=")) {
            options.Elevated = true;
            options.ElevatedFrom = ElevatingProcess(std::string_view(argument).substr(10));
        } else if (StartsWithOption(argument, "/ORIGINAL="))
            options.Original = OriginalProgram(std::string_view(argument).substr(10));
        else
            throw Exception("Unknown option \"" + argument + "\". Use /S, /D=folder and /LOG=file.");
    }
    return options;
}

TCommandLine SilenceAndLogOf(std::string_view anArguments) {
    TCommandLine options;
    for (std::string_view text = SkipBlanks(anArguments); !text.empty(); text = SkipBlanks(text)) {
        std::string argument;
        bool quoted = false;
        for (; !text.empty() && (quoted || !IsBlank(text.front())); text.remove_prefix(1))
            if (text.front() == '"')
                quoted = !quoted;
            else
                argument += text.front();
        if (argument == "/S" || argument == "/s")
            options.Silent = true;
        else if (StartsWithOption(argument, "/LOG=") && argument.size() > 5)
            options.LogFile = argument.substr(5);
    }
    return options;
}

std::string CommandLineText(const TCommandLine& anOptions) {
    std::string text;
    const auto add = [&](const std::string& anArgument) {
        if (!text.empty())
            text += ' ';
        text += anArgument;
    };
    if (anOptions.Silent)
        add("/S");
    if (anOptions.LogFile)
        add(Quoted("/LOG=" + *anOptions.LogFile));
    if (anOptions.ElevatedFrom)
        add("/ELEVATED=" + std::to_string(*anOptions.ElevatedFrom));
    else if (anOptions.Elevated)
        add("/ELEVATED");
    if (const auto& original = anOptions.Original)
        add(Quoted("/ORIGINAL=" + std::to_string(original->Process) +
                   (original->CopyHandle ? "," + std::to_string(original->CopyHandle) : "") + ":" +
                   original->Path));
    if (anOptions.InstallFolder)
        add(FolderOption(*anOptions.InstallFolder));
    return text;
}

} // namespace kf
