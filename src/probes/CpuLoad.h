// Processor load arithmetic of the NT method, kept free of Windows for testing.
#pragma once
#include <cstdint>

// Load in percent of the whole machine over one timer period, from the idle time (100 ns units)
// of all its processors summed, at the previous and the present tick:
// 100 * (1 - idle seconds / (processors * period seconds)), rounded half to even. With one
// processor that is its own load. Not clamped: late ticks over an idle machine go negative,
// early ticks over a busy one exceed 100. The low 32 bits of the rounded value are returned.
// A zero interval (timer never ticks then) gives 100 rather than a division by zero; fewer than
// one processor counts as one.
uint32_t NtLoadPercent(int64_t previousIdle, int64_t currentIdle, unsigned intervalMs,
                       unsigned processors = 1);

// The period, in milliseconds, that a tick's idle time is measured over: the nominal interval,
// or the time that really passed when the tick came late (the window thread was busy), so that
// a stall over an idle processor does not read as a load of -900 %.
unsigned NtSamplePeriod(unsigned intervalMs, uint32_t elapsedMs);

// Size of one SystemProcessorPerformanceInformation record: five 64-bit counts and a 32-bit
// one make 44 bytes, which the counts' 8-byte alignment pads to 48. The records of a machine of
// several processors lie 48 bytes apart.
constexpr uint32_t kProcessorRecordSize = 48;
constexpr uint32_t kStatusInfoLengthMismatch = 0xC0000004u;
