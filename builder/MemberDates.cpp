#include "builder/MemberDates.h"

#include "base/Exception.h"

#include <charconv>
#include <chrono>
#include <filesystem>

namespace kf {

namespace {

constexpr int64_t kStartOfDosTime = 315532800; // 1980-01-01 00:00:00 UTC

int64_t EpochFrom(const std::string& aText) {
    int64_t seconds = 0;
    const char* end = aText.data() + aText.size();
    const auto [stop, error] = std::from_chars(aText.data(), end, seconds);
    if (aText.empty() || aText.front() == '-' || error != std::errc() || stop != end)
        throw Exception(std::string("Cannot build the setup: ") + kSourceDateEnvironment + " is \"" + aText +
                        "\", not a whole number of seconds since 1970.");
    return seconds;
}

int64_t LastChangeOf(const std::string& aPath) {
    std::error_code error;
    if (aPath.empty())
        return kStartOfDosTime;
    const auto written = std::filesystem::last_write_time(aPath, error);
    if (error)
        return kStartOfDosTime;
    const auto system = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(written));
    return system.time_since_epoch().count();
}

} // namespace

TMemberDates MemberDatesFor(const std::string& aProjectFile, const char* anEpoch) {
    TMemberDates dates;
    if (anEpoch != nullptr) {
        dates.Latest = EpochFrom(anEpoch);
        dates.Generated = *dates.Latest;
    } else {
        dates.Generated = LastChangeOf(aProjectFile);
    }
    return dates;
}

} // namespace kf
