#include "builder/SignCommand.h"

#include "base/Exception.h"
#include "base/WholeFile.h"

#include <cstdlib>
#include <filesystem>
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

void ReplaceAll(std::string& aText, const std::string& aField, const std::string& aValue) {
    for (size_t at = 0; (at = aText.find(aField, at)) != std::string::npos; at += aValue.size())
        aText.replace(at, aField.size(), aValue);
}

// Runs the command through the shell with what it prints in aErrors; returns its exit code.
int RunCommand(const std::string& aCommand, const std::string& aErrors) {
    const std::string line = "( " + aCommand + " ) </dev/null >" + ShellQuoted(aErrors) + " 2>&1";
    const int status = std::system(line.c_str());
    if (status == -1)
        throw Exception("Cannot run the sign command: " + aCommand);
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
    std::string command = aTemplate;
    ReplaceAll(command, "{file}", ShellQuoted(anIn));
    ReplaceAll(command, "{in}", ShellQuoted(anIn));
    ReplaceAll(command, "{out}", ShellQuoted(anOut));
    return command;
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
    const int code = RunCommand(command, errors);
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
