#include <gtest/gtest.h>
#include "framework/Accelerators.h"

TEST(Accelerators, AcceleratorIsTheLetterAfterASingleAmpersand) {
  EXPECT_TRUE(IsAccel('O', "&Optimize it!"));
  EXPECT_TRUE(IsAccel('i', "System &info..."));
  EXPECT_FALSE(IsAccel('b', "a&&b"));
  EXPECT_TRUE(IsAccel('c', "a&&b&c"));
  EXPECT_EQ(AccelChar("trailing&"), 0);
  EXPECT_EQ(AccelChar("none"), 0);
}
