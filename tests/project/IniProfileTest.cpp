#include "project/IniProfile.h"

#include <gtest/gtest.h>

using kf::TIniProfile;

TEST(IniProfile, placeholder) { EXPECT_EQ(TIniProfile::Parse("[a]\r\nb=1\r\n").ReadInteger("A", "B", 0), 1); }
