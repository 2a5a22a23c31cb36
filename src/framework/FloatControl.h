// The x87 control word the program computes with, set once at start-up.
#pragma once

// 53-bit (double) precision, round to nearest with ties to even, every exception masked: the
// same results as the SSE2 doubles the arithmetic is unit-tested with, and Windows' own default,
// whatever control word the process was started with (the runtime sets 64-bit precision).
constexpr unsigned short kProgramFpuControl = 0x027F;

void SetProgramFpuControl();
unsigned short CurrentFpuControl();
