// Replaceable sources of the sampler's readings, for tests that play systems Wine cannot:
// another processor count, the 9x statistics on an NT-mode run, a failing query.
#pragma once
#include <windows.h>
#include <cstdint>

using TQuerySystemInformation = LONG(WINAPI*)(ULONG infoClass, PVOID buffer, ULONG length,
                                              PULONG returned);

enum class TCpuUsageMethod { Auto, NT, Win9x };

// Auto follows the NT-family flag; the others force a method for components created later.
void SetCpuUsageMethod(TCpuUsageMethod method);
// The query the NT method calls (nullptr: none resolved). Returns the one it replaces.
TQuerySystemInformation SetSystemInformationQuery(TQuerySystemInformation query);
// The root key under which the 9x method finds PerfStats (HKEY_DYN_DATA unless a test moves it).
void SetPerfStatsRoot(HKEY root);
// The millisecond clock the NT method times its samples with (a free-running count; only
// differences matter). nullptr puts the system's back. Returns the one it replaces.
using TSampleClock = uint32_t (*)();
TSampleClock SetSampleClock(TSampleClock clock);
// The processors the NT method measures: the records of the last start's query.
unsigned SampledProcessors();
