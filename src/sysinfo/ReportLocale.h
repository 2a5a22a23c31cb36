// The report's locale-dependent text on Windows: the user's thousands separator, short date and
// long time, installed into the portable report helpers.
#pragma once
#include <string>
#include "sysinfo/ReportText.h"

// Installs the locale's formats into GroupDigits and DateTimeText. Later calls re-read them.
void InitReportLocale();
// The locale's short date, then a space and its long time unless the time is midnight.
std::string LocaleDateTimeText(const TDateParts& parts, bool withTime);
