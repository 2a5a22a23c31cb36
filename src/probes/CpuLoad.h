// Processor load arithmetic of the NT method, kept free of Windows for testing.
#pragma once
#include <cstdint>

// Load in percent over one timer period from processor 0's accumulated idle time (100 ns units)
// at the previous and the present tick: 100 * (1 - idle seconds / nominal period seconds),
// rounded half to even. Not clamped: late ticks over an idle processor go negative, early ticks
// over a busy one exceed 100. The low 32 bits of the rounded value are returned.
// A zero interval (timer never ticks then) gives 100 rather than a division by zero.
uint32_t NtLoadPercent(int64_t previousIdle, int64_t currentIdle, unsigned intervalMs);

// The period, in milliseconds, that a tick's idle time is measured over: the nominal interval,
// or the time that really passed when the tick came late (the window thread was busy), so that
// a stall over an idle processor does not read as a load of -900 %.
unsigned NtSamplePeriod(unsigned intervalMs, uint32_t elapsedMs);

// Size of one SystemProcessorPerformanceInformation record.
constexpr uint32_t kProcessorRecordSize = 44;
constexpr uint32_t kStatusInfoLengthMismatch = 0xC0000004u;
