#include "builder/cabinet/DosDateTime.h"

namespace kf {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kFirstDosSecond = 315532800; // 1980-01-01 00:00:00
constexpr int64_t kLastDosSecond = 4354819198; // 2107-12-31 23:59:58

struct TCivilDate {
    int64_t Year;
    unsigned Month; // 1 to 12
    unsigned Day;   // 1 to 31
};

// The proleptic Gregorian date of a day counted from 1970-01-01 (H. Hinnant's civil_from_days).
TCivilDate CivilFromDays(int64_t aDays) {
    aDays += 719468;
    const int64_t era = (aDays >= 0 ? aDays : aDays - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(aDays - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const unsigned month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

} // namespace

TDosDateTime DosDateTimeFromUnix(int64_t aSeconds) {
    const int64_t seconds = aSeconds < kFirstDosSecond  ? kFirstDosSecond
                            : aSeconds > kLastDosSecond ? kLastDosSecond
                                                        : aSeconds;
    const TCivilDate date = CivilFromDays(seconds / kSecondsPerDay);
    const int64_t ofDay = seconds % kSecondsPerDay;
    TDosDateTime result;
    result.Date = static_cast<USHORT>(((date.Year - 1980) << 9) | (date.Month << 5) | date.Day);
    result.Time = static_cast<USHORT>(((ofDay / 3600) << 11) | ((ofDay / 60 % 60) << 5) | (ofDay % 60 / 2));
    return result;
}

} // namespace kf
