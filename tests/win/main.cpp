#include <gtest/gtest.h>
#include "framework/FloatControl.h"

int main(int argc, char** argv) {
  // The same floating-point control as the program itself.
  SetProgramFpuControl();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
