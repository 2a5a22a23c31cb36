#include "framework/FloatControl.h"

void SetProgramFpuControl() {
  unsigned short cw = kProgramFpuControl;
  __asm__ volatile("fclex\n\tfldcw %0" : : "m"(cw));
}

unsigned short CurrentFpuControl() {
  unsigned short cw = 0;
  __asm__ volatile("fnstcw %0" : "=m"(cw));
  return cw;
}
