#include "ui/ErrorReport.h"

#include <gtest/gtest.h>

namespace kf {
namespace {

TEST(ErrorReportTest, AddsAFullStopAfterCharactersSortingAfterIt) {
    EXPECT_EQ(ErrorReportText("Unable to write to /x/y"), "Unable to write to /x/y.");
    EXPECT_EQ(ErrorReportText("Disk full 0"), "Disk full 0.");
    EXPECT_EQ(ErrorReportText("Really?"), "Really?.");
    EXPECT_EQ(ErrorReportText("caf\xC3\xA9"), "caf\xC3\xA9.");
}

TEST(ErrorReportTest, LeavesTextsEndingAtOrBeforeTheFullStop) {
    EXPECT_EQ(ErrorReportText("Stopped."), "Stopped.");
    EXPECT_EQ(ErrorReportText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorReportText("Name -"), "Name -");
    EXPECT_EQ(ErrorReportText(""), "");
}

TEST(ErrorReportTest, BoxIsCaptionedWithTheProgramAndShowsTheErrorIcon) {
    const TMessageBox box = ErrorReportBox("Bad thing");
    EXPECT_EQ(box.Caption, "Kelpforge");
    EXPECT_EQ(box.Text, "Bad thing.");
    EXPECT_EQ(box.Icon, TMsgIcon::Error);
    EXPECT_EQ(box.Buttons, TMsgButtons::Ok);
}

} // namespace
} // namespace kf
