#include "project/FieldSplit.h"

#include <gtest/gtest.h>

using kf::SplitFields;
using Fields = std::vector<std::string>;

TEST(FieldSplit, TakesFieldsFromTheLeftEachEndedByAQuestionMark) {
    EXPECT_EQ(SplitFields("a?b?c?", 3), (Fields{"a", "b", "c"}));
    EXPECT_EQ(SplitFields("?b??", 3), (Fields{"", "b", ""}));
    EXPECT_EQ(SplitFields("a?b?c?d?", 2), (Fields{"a", "b"}));
}

TEST(FieldSplit, ALastFieldWithoutItsMarkAndEverythingAfterReadEmpty) {
    EXPECT_EQ(SplitFields("a?b?c", 3), (Fields{"a", "b", ""}));
    EXPECT_EQ(SplitFields("abc", 2), (Fields{"", ""}));
    EXPECT_EQ(SplitFields("", 2), (Fields{"", ""}));
}

TEST(FieldSplit, AQuestionMarkInsideAFieldShiftsTheRest) {
    EXPECT_EQ(SplitFields("HKLM?Soft?ware?Name?String?v?Yes?", 6),
              (Fields{"HKLM", "Soft", "ware", "Name", "String", "v"}));
}

TEST(FieldSplit, JoinIsTheInverseForFieldsWithoutMarks) {
    const Fields fields{"/a b/c.exe", "12", "%Install Path%\\c.exe", "Overwrite", "Yes", ""};
    EXPECT_EQ(kf::JoinFields(fields), "/a b/c.exe?12?%Install Path%\\c.exe?Overwrite?Yes??");
    EXPECT_EQ(SplitFields(kf::JoinFields(fields), 6), fields);
}
