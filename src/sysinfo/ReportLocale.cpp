#include "sysinfo/ReportLocale.h"
#include <windows.h>
#include "sysinfo/ReportNames.h"

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

bool AnsiLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

namespace {

uint32_t AnsiCodePoint(const char* c, size_t size) {
  WCHAR w[2];
  return MultiByteToWideChar(CP_ACP, 0, c, static_cast<int>(size), w, 2) > 0 ? w[0] : static_cast<unsigned char>(*c);
}

std::string AnsiUpper(const std::string& s) {
  std::string u = s;
  if (!u.empty()) CharUpperBuffA(u.data(), static_cast<DWORD>(u.size()));
  return u;
}

const TReportCharset kAnsi{AnsiLeadByte, AnsiCodePoint, AnsiUpper};
}  // namespace

void InitReportLocale() {
  char sep[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, sizeof sep) > 0)
    SetThousandSeparator(sep);
  SetDateTimeFormatter(LocaleDateTimeText);
  SetReportCharset(&kAnsi);
}
