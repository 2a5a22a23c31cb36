#include "sysinfo/ReportLocale.h"
#include <windows.h>

std::string LocaleDateTimeText(const TDateParts& p, bool withTime) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(p.Year);
  st.wMonth = static_cast<WORD>(p.Month);
  st.wDay = static_cast<WORD>(p.Day);
  st.wDayOfWeek = static_cast<WORD>(DayOfWeek(p.Year, p.Month, p.Day));
  st.wHour = static_cast<WORD>(p.Hour);
  st.wMinute = static_cast<WORD>(p.Minute);
  st.wSecond = static_cast<WORD>(p.Second);
  st.wMilliseconds = static_cast<WORD>(p.Millisecond);
  char buf[128];
  std::string text;
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, sizeof buf) > 0)
    text = buf;
  else  // dates the system cannot format (before 1601)
    text = std::to_string(p.Year) + "-" + std::to_string(p.Month) + "-" + std::to_string(p.Day);
  if (withTime && GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, sizeof buf) > 0)
    text += std::string(" ") + buf;
  return text;
}

void InitReportLocale() {
  char sep[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, sizeof sep) > 0)
    SetThousandSeparator(sep);
  SetDateTimeFormatter(LocaleDateTimeText);
}
