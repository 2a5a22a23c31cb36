#include "sysinfo/ReportText.h"
#include "sysinfo/ReportNames.h"
#include <cmath>
#include <cstdio>

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1 Jan 1970 of a proleptic Gregorian date (Howard Hinnant's civil algorithm).
static int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

static void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

static const int64_t kEpochShift = DaysFromCivil(1899, 12, 30);

int DayOfWeek(int year, int month, int day) {
  const int64_t z = DaysFromCivil(year, month, day);  // 1 Jan 1970 was a Thursday
  return static_cast<int>(((z % 7) + 7 + 4) % 7);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || ms < 0 || ms > 999)
    return 0;
  const double days = static_cast<double>(DaysFromCivil(year, month, day) - kEpochShift);
  const double time = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + ms) / 86400000.0;
  // Before the epoch the fraction still counts forward from midnight of that day.
  return days >= 0 ? days + time : days - time;
}

TDateParts DecodeDateTime(TDateTime value) {
  TDateParts p;
  if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return p;
  double whole = std::trunc(value);
  int64_t ms = std::llround(std::fabs(value - whole) * 86400000.0);
  if (ms >= 86400000) {
    ms -= 86400000;
    whole += value >= 0 ? 1 : -1;
  }
  CivilFromDays(static_cast<int64_t>(whole) + kEpochShift, p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(ms / 3600000);
  p.Minute = static_cast<int>(ms / 60000 % 60);
  p.Second = static_cast<int>(ms / 1000 % 60);
  p.Millisecond = static_cast<int>(ms % 1000);
  return p;
}

static std::string BuiltInFormat(const TDateParts& p, bool withTime) {
  char buf[64];
  if (withTime)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.Year, p.Month, p.Day);
  return buf;
}

static TDateTimeFormatter& Formatter() {
  static TDateTimeFormatter f;
  return f;
}

void SetDateTimeFormatter(TDateTimeFormatter f) { Formatter() = std::move(f); }

std::string DateTimeText(TDateTime value) {
  const TDateParts p = DecodeDateTime(value);
  const bool withTime = p.Hour != 0 || p.Minute != 0 || p.Second != 0 || p.Millisecond != 0;
  return Formatter() ? Formatter()(p, withTime) : BuiltInFormat(p, withTime);
}

std::string GroupDigits(int64_t value, const std::string& separator) {
  // Work on the magnitude as unsigned so that INT64_MIN has one too.
  uint64_t mag = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(mag);
  std::string out;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

static std::string& ThousandSeparator() {
  static std::string s = ",";
  return s;
}

void SetThousandSeparator(const std::string& separator) { ThousandSeparator() = separator; }

std::string GroupDigits(int64_t value) { return GroupDigits(value, ThousandSeparator()); }

std::string HexText(uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
  return buf;
}

std::string SingleLine(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    const unsigned char u = static_cast<unsigned char>(c);
    // Lead and trail bytes of the double-byte code pages are never below 0x40 nor 0x7F.
    if (u < 0x20 || u == 0x7F) c = ' ';
  }
  return out;
}

void AddSection(TStrings& report, const std::string& title) {
  std::string line = SingleLine(title);
  line.insert(line.begin(), '[');
  line += ']';
  report.Add(line);
}

void AddValue(TStrings& report, const std::string& key, const std::string& value) {
  report.Add(SingleLine(key) + "=" + SingleLine(value));
}

void AddValue(TStrings& report, const std::string& key, int64_t value) {
  report.Add(SingleLine(key) + "=" + std::to_string(value));
}

void AddBool(TStrings& report, const std::string& key, bool value) {
  report.Add(SingleLine(key) + "=" + BoolText(value));
}

void AddEntries(TStrings& report, const TStrings& entries) {
  // Copy first: a list added to itself must not see its own new lines.
  const std::vector<std::string> copy = entries.Items();
  TOutsideNames names;
  for (const std::string& e : copy) {
    const size_t eq = e.find('=', 1);
    AddOutsideValue(report, names, e.substr(0, eq), eq == std::string::npos ? std::string() : e.substr(eq + 1));
  }
}

void WriteList(TStrings& report, const std::string& countKey, const std::string& itemKey,
               const TStrings& items) {
  // Copy first: a list written into itself must not see its own new lines.
  const std::vector<std::string> entries = items.Items();
  AddValue(report, countKey, static_cast<int64_t>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i)
    AddValue(report, itemKey + std::to_string(i + 1), entries[i]);
}

std::string FormatDuration(int64_t seconds) {
  struct Unit {
    int64_t Size;
    const char* One;
    const char* Many;
  };
  static const Unit units[] = {
      {3157920000LL, " Century, ", " Centuries, "}, {31579200LL, " Year, ", " Years, "},
      {2678400LL, " Month, ", " Months, "},         {604800LL, " Week, ", " Weeks, "},
      {86400LL, " Day, ", " Days, "},               {3600LL, " Hour, ", " Hours, "},
      {60LL, " Minute, ", " Minutes, "},
  };
  std::string out;
  int64_t rest = seconds;
  bool started = false;
  for (const Unit& u : units) {
    const int64_t count = rest / u.Size;
    rest -= count * u.Size;
    if (count != 0) started = true;
    if (started) out += std::to_string(count) + (count == 1 ? u.One : u.Many);
  }
  out += std::to_string(rest) + (rest == 1 ? " Second." : " Seconds.");
  return out;
}
