// Process-wide facts about the running system, fixed once before any window exists: the
// operating-system kind and its NT-family flag, the device class key, user and computer name.
// Every accessor initialises on first use; InitOSKind does it explicitly at start-up.
#pragma once
#include <string>
#include "probes/OsKind.h"

void InitOSKind();

// The running system's version in one reading: on the NT family the kernel's own
// (RtlGetVersion, looked up), which is not bent for programs without a compatibility manifest,
// with its product type, suites and service pack numbers; elsewhere GetVersionEx's. Names are
// converted to the ANSI code page.
bool ReadSystemVersion(TVersionRecord& record);

TOSKind OSKind();
// True on every NT-platform version, also those after XP that have no kind of their own.
bool IsNT();
bool IsWin95();
bool IsWin95OSR2();
bool IsWin98();
bool IsWin98SE();
bool IsWin2000();
bool IsWinME();
bool IsWinXP();
// "Windows 98", ..., "Windows Server 2019"; empty for an unknown kind.
const std::string& OSName();
// The device class key under HKEY_LOCAL_MACHINE for this family.
const std::string& ClassKey();
const std::string& UserName();
// The registry's ComputerName when present, else GetComputerNameA's.
const std::string& ComputerName();
