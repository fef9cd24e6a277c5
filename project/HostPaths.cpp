#include "project/HostPaths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace kf {

namespace {

std::string WithTrailingSeparator(std::string aFolder) {
    if (aFolder.empty() || aFolder.back() != '/')
        aFolder += '/';
    return aFolder;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/";
}

} // namespace

std::string ProgramFolder() {
    if (const char* folder = std::getenv("KELPFORGE_PROGRAM_FOLDER"); folder != nullptr && *folder != '\0')
        return WithTrailingSeparator(folder);
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return WithTrailingSeparator(std::filesystem::current_path().string());
    return WithTrailingSeparator(executable.parent_path().string());
}

std::string DefaultSetupFile() {
    return WithTrailingSeparator(HomeFolder()) + "Setup.exe";
}

std::string FileNameOf(const std::string& aPath) {
    const size_t separator = aPath.find_last_of('/');
    return separator == std::string::npos ? aPath : aPath.substr(separator + 1);
}

} // namespace kf
