#include "builder/MemberDates.h"
#include "base/Exception.h"
#include "builder/cabinet/DosDateTime.h"

#include "../project/TestSupport.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kf;

namespace {

constexpr USHORT DosDate(int aYear, int aMonth, int aDay) {
    return static_cast<USHORT>(((aYear - 1980) << 9) | (aMonth << 5) | aDay);
}
constexpr USHORT DosTime(int anHour, int aMinute, int aSecond) {
    return static_cast<USHORT>((anHour << 11) | (aMinute << 5) | (aSecond / 2));
}

void ExpectDos(int64_t aSeconds, USHORT aDate, USHORT aTime) {
    const TDosDateTime dos = DosDateTimeFromUnix(aSeconds);
    EXPECT_EQ(dos.Date, aDate) << aSeconds;
    EXPECT_EQ(dos.Time, aTime) << aSeconds;
}

} // namespace

TEST(DosDateTime, CountsInUtcAndPinsTimesOutsideTheMsDosRange) {
    ExpectDos(951827697, DosDate(2000, 2, 29), DosTime(12, 34, 56)); // a leap day; odd seconds round down
    ExpectDos(1700000000, DosDate(2023, 11, 14), DosTime(22, 13, 20));
    ExpectDos(315532800, DosDate(1980, 1, 1), DosTime(0, 0, 0));
    ExpectDos(315532799, DosDate(1980, 1, 1), DosTime(0, 0, 0));
    ExpectDos(-86400, DosDate(1980, 1, 1), DosTime(0, 0, 0));
    ExpectDos(4354819198, DosDate(2107, 12, 31), DosTime(23, 59, 58));
    ExpectDos(4354819199, DosDate(2107, 12, 31), DosTime(23, 59, 58));
    EXPECT_LT(DosDateTimeFromUnix(1700000000).Stamp(), DosDateTimeFromUnix(1700000002).Stamp());
    EXPECT_LT(DosDateTimeFromUnix(1699999999 - 86400).Stamp(), DosDateTimeFromUnix(1700000000).Stamp());
}

TEST(MemberDates, SourceDateEpochDatesTheGeneratedMembersAndBoundsTheRest) {
    const TMemberDates dates = MemberDatesFor("/no/such/project.kfp", "1700000000");
    EXPECT_EQ(dates.Generated, 1700000000);
    EXPECT_EQ(dates.Latest, 1700000000);
    for (const char* bad : {"", "12a", "-5", " 17", "1.5", "99999999999999999999"}) {
        try {
            MemberDatesFor("", bad);
            ADD_FAILURE() << "accepted \"" << bad << '"';
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find("SOURCE_DATE_EPOCH is \"" + std::string(bad) + "\""),
                      std::string::npos)
                << error.what();
        }
    }
}

TEST(MemberDates, WithoutSourceDateEpochTheProjectFileDatesTheGeneratedMembers) {
    test::TTempFolder temp;
    const std::string project = temp.WriteFile("p.kfp", "[Settings]\r\n");
    const auto written =
        std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(1234567890)));
    std::filesystem::last_write_time(project, written);
    const TMemberDates dates = MemberDatesFor(project, nullptr);
    EXPECT_EQ(dates.Generated, 1234567890);
    EXPECT_FALSE(dates.Latest);
    EXPECT_EQ(MemberDatesFor("", nullptr).Generated, 315532800); // never saved: 1980-01-01
    EXPECT_EQ(MemberDatesFor(temp.Path("gone.kfp"), nullptr).Generated, 315532800);
}
