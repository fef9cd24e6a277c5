#include "builder/SignCommand.h"

#include "base/Exception.h"
#include "base/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace kf {

namespace {

std::string ShellQuoted(const std::string& aText) {
    std::string quoted = "'";
    for (char c : aText)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

enum class TQuoting { None, Single, Double };

// aTemplate with each placeholder replaced once, left to right, by what aValue gives for it (0 for
// {in} and {file}, 1 for {out}) and the shell quoting it stands in; replacements are not scanned.
template <typename TValue> std::string Substituted(const std::string& aTemplate, TValue aValue) {
    static const std::pair<std::string_view, int> kFields[] = {{"{file}", 0}, {"{in}", 0}, {"{out}", 1}};
    std::string text;
    TQuoting quoting = TQuoting::None;
    for (size_t at = 0; at < aTemplate.size();) {
        const char c = aTemplate[at];
        bool replaced = false;
        for (const auto& [field, which] : kFields)
            if (std::string_view(aTemplate).substr(at, field.size()) == field) {
                text += aValue(which, quoting);
                at += field.size();
                replaced = true;
                break;
            }
        if (replaced)
            continue;
        if (c == '\\' && quoting != TQuoting::Single && at + 1 < aTemplate.size()) {
            text += aTemplate.substr(at, 2);
            at += 2;
            continue;
        }
        if (c == '\'' && quoting != TQuoting::Double)
            quoting = quoting == TQuoting::Single ? TQuoting::None : TQuoting::Single;
        else if (c == '"' && quoting != TQuoting::Single)
            quoting = quoting == TQuoting::Double ? TQuoting::None : TQuoting::Double;
        text += c;
        ++at;
    }
    return text;
}

// Runs the command line by /bin/sh with the two paths as its arguments and what it prints in
// aErrors; returns its exit code.
int RunCommand(const std::string& aLine, const std::string& anIn, const std::string& anOut,
               const std::string& aErrors) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, aErrors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const char* arguments[] = {"sh", "-c", aLine.c_str(), "sh", anIn.c_str(), anOut.c_str(), nullptr};
    pid_t child = -1;
    const int failed =
        posix_spawn(&child, "/bin/sh", &actions, nullptr, const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw Exception("Cannot run the sign command: " + std::string(std::strerror(failed)));
    int status = 0;
    while (waitpid(child, &status, 0) == -1)
        if (errno != EINTR)
            throw Exception("Cannot wait for the sign command: " + std::string(std::strerror(errno)));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

std::string ErrorsOf(const std::string& aPath) {
    try {
        std::string text = ReadWholeFile(aPath);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text.empty() ? "" : ":\n" + text;
    } catch (const Exception&) {
        return "";
    }
}

} // namespace

std::string ExpandSignCommand(const std::string& aTemplate, const std::string& anIn,
                              const std::string& anOut) {
    return Substituted(aTemplate,
                       [&](int aWhich, TQuoting) { return ShellQuoted(aWhich == 0 ? anIn : anOut); });
}

std::string SignCommandLine(const std::string& aTemplate) {
    return Substituted(aTemplate, [](int aWhich, TQuoting aQuoting) {
        const std::string argument = aWhich == 0 ? "$1" : "$2";
        switch (aQuoting) {
        case TQuoting::Double:
            return argument;
        case TQuoting::Single:
            return "'\"" + argument + "\"'";
        case TQuoting::None:
            break;
        }
        return "\"" + argument + "\"";
    });
}

void SignFile(const std::string& aTemplate, const std::string& aPath) {
    const bool inPlace = aTemplate.find("{file}") != std::string::npos;
    if (!inPlace &&
        (aTemplate.find("{in}") == std::string::npos || aTemplate.find("{out}") == std::string::npos))
        throw Exception("The sign command names neither {in} and {out} nor {file}: " + aTemplate);
    const std::string signedCopy = aPath + ".signed";
    const std::string errors = aPath + ".sign-errors";
    std::error_code ignored;
    std::filesystem::remove(signedCopy, ignored);
    const std::string command = ExpandSignCommand(aTemplate, aPath, signedCopy);
    const int code = RunCommand(SignCommandLine(aTemplate), aPath, signedCopy, errors);
    const std::string stderrText = ErrorsOf(errors);
    std::filesystem::remove(errors, ignored);
    std::error_code missing;
    const bool wroteFile = std::filesystem::file_size(inPlace ? aPath : signedCopy, missing) > 0 && !missing;
    if (code != 0 || !wroteFile) {
        std::filesystem::remove(signedCopy, ignored);
        const std::string what = code != 0 ? "failed with exit code " + std::to_string(code)
                                           : std::string("ended without writing the signed file");
        throw Exception("The sign command " + what + " (" + command + ")" + stderrText);
    }
    if (!inPlace) {
        std::filesystem::permissions(signedCopy, std::filesystem::status(aPath).permissions(), ignored);
        std::filesystem::rename(signedCopy, aPath, ignored);
        if (ignored)
            throw Exception("Cannot replace " + aPath + " by its signed copy: " + ignored.message());
    }
}

} // namespace kf
