// The report's text conventions shared by every category: section headers, key=value lines,
// Booleans, grouped numbers, hexadecimal, dates, numbered lists and durations. Portable: the
// locale-dependent pieces (thousands separator, date and time layout) are passed in or come
// from a formatter that the Windows side installs (ReportLocale.h).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include "framework/Strings.h"

// Date-time values are the classic form: days since 30 December 1899 00:00 as a double, the
// fraction being the time of day. 0 is "no date".
using TDateTime = double;

struct TDateParts {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Day of week of a date, 0 = Sunday.
int DayOfWeek(int year, int month, int day);
// Out-of-range parts are the caller's fault: they give 0.
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0, int ms = 0);
TDateParts DecodeDateTime(TDateTime value);

// Turns a date into text; the Windows side installs the locale's short date and long time.
using TDateTimeFormatter = std::function<std::string(const TDateParts&, bool withTime)>;
// Installs the formatter used by DateTimeText (nullptr restores the built-in one).
void SetDateTimeFormatter(TDateTimeFormatter f);
// The locale's short date, and unless the time is exactly midnight, a space and the long time.
// The built-in formatter writes "YYYY-MM-DD" and "HH:MM:SS".
std::string DateTimeText(TDateTime value);

// Digits grouped in threes with the given separator: 268435456 -> "268,435,456" for ",".
std::string GroupDigits(int64_t value, const std::string& separator);
// Same with the thousands separator installed by SetThousandSeparator ("," until then).
std::string GroupDigits(int64_t value);
void SetThousandSeparator(const std::string& separator);
// "%x": upper-case hexadecimal digits, no prefix, no padding.
std::string HexText(uint32_t value);
inline const char* BoolText(bool value) { return value ? "1" : "0"; }

// The text with every control character (below 0x20, and 0x7F) made a blank: what may go on
// one line of the report or into a single-line control, whatever the registry held.
std::string SingleLine(const std::string& s);

// Line builders: "[Title]" and "Key=Value" for the program's own titles and keys (names from
// outside go through ReportNames.h). Titles, keys and values are made single lines, so that no
// stored text can start a line of its own.
void AddSection(TStrings& report, const std::string& title);
void AddValue(TStrings& report, const std::string& key, const std::string& value);
void AddValue(TStrings& report, const std::string& key, int64_t value);
void AddBool(TStrings& report, const std::string& key, bool value);
// Entries that are already "name=value" text (environment, folders), each made a single line.
// The name ends at the first "=" after its first character (the environment's hidden "=C:"
// names begin with one) and is written as a name from outside; an entry without "=" is a name
// with an empty value.
void AddEntries(TStrings& report, const TStrings& entries);

// "countKey=n" followed by "itemKey1=..." .. "itemKeyn=...".
void WriteList(TStrings& report, const std::string& countKey, const std::string& itemKey,
               const TStrings& items);

// "1 Day, 0 Hours, 0 Minutes, 1 Second." from a count of seconds.
std::string FormatDuration(int64_t seconds);
