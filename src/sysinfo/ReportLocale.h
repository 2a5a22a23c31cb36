// The report's locale-dependent text on Windows: the user's thousands separator, short date and
// long time, and the ANSI code page's characters as the INI reader takes them, installed into
// the portable report helpers.
#pragma once
#include <string>
#include "sysinfo/ReportText.h"

// Installs the locale's formats into GroupDigits and DateTimeText, and the code page's characters
// into the names from outside. Later calls re-read them.
void InitReportLocale();
// Whether a byte begins a double-byte character of the ANSI code page.
bool AnsiLeadByte(unsigned char byte);
// The locale's short date, then a space and its long time unless the time is midnight.
std::string LocaleDateTimeText(const TDateParts& parts, bool withTime);
