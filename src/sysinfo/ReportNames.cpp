#include "sysinfo/ReportNames.h"
#include <algorithm>
#include "sysinfo/ReportText.h"

namespace {
bool NoLeadBytes(unsigned char) { return false; }
uint32_t Latin1(const char* c, size_t) { return static_cast<unsigned char>(*c); }
std::string AsciiUpper(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

const TReportCharset kBuiltIn{NoLeadBytes, Latin1, AsciiUpper};
const TReportCharset* g_charset = &kBuiltIn;

// A lead byte without its trail byte: a reader may take the next character of the line with it.
bool IsLoneLead(const std::string& s, size_t i, size_t size) {
  return size == 1 && g_charset->IsLeadByte(static_cast<unsigned char>(s[i]));
}

// A one-byte character the reader gives a meaning to, that marks a changed name, or that could
// swallow the next one.
bool IsSpecial(const std::string& s, size_t i, size_t size) {
  if (size != 1) return false;
  if (IsLoneLead(s, i, size)) return true;
  switch (s[i]) {
    case '%': case '=': case '[': case ']': case ';': case '#': return true;
    default: return false;
  }
}

bool BlankAt(const std::string& s, size_t i, size_t size) {
  return IsReaderBlank(g_charset->CodePoint(s.data() + i, size));
}

// The start of each character, and the end.
std::vector<size_t> CharStarts(const std::string& s) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < s.size(); i += ReportCharSize(s, i)) starts.push_back(i);
  starts.push_back(s.size());
  return starts;
}

bool Plain(const std::string& s, const std::vector<size_t>& at) {
  const size_t n = at.size() - 1;
  if (n == 0) return false;
  const size_t firstSize = at[1] - at[0], lastSize = at[n] - at[n - 1];
  if (firstSize == 1 && (s[0] == '[' || s[0] == ';' || s[0] == '%')) return false;
  if (BlankAt(s, 0, firstSize) || BlankAt(s, at[n - 1], lastSize)) return false;
  for (size_t k = 0; k < n; ++k) {
    const size_t size = at[k + 1] - at[k];
    if (size == 1 && (s[at[k]] == '=' || s[at[k]] == ']' || IsLoneLead(s, at[k], size))) return false;
  }
  return true;
}

std::string Escaped(const std::string& s, const std::vector<size_t>& at) {
  static const char hex[] = "0123456789ABCDEF";
  const size_t n = at.size() - 1;
  // The blanks at either end: [0, lead) and [trail, n).
  size_t lead = 0, trail = n;
  while (lead < n && BlankAt(s, at[lead], at[lead + 1] - at[lead])) ++lead;
  while (trail > lead && BlankAt(s, at[trail - 1], at[trail] - at[trail - 1])) --trail;
  std::string out = "%";
  for (size_t k = 0; k < n; ++k) {
    const size_t size = at[k + 1] - at[k];
    if (k < lead || k >= trail || IsSpecial(s, at[k], size)) {
      for (size_t b = at[k]; b < at[k + 1]; ++b) {
        const unsigned char u = static_cast<unsigned char>(s[b]);
        out += '%';
        out += hex[u >> 4];
        out += hex[u & 15];
      }
    } else {
      out.append(s, at[k], size);
    }
  }
  return out;
}
}  // namespace

void SetReportCharset(const TReportCharset* charset) { g_charset = charset ? charset : &kBuiltIn; }

bool IsReaderBlank(uint32_t c) {
  return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

size_t ReportCharSize(const std::string& text, size_t i) {
  // Trail bytes of every double-byte code page are 0x40 and above.
  if (i + 1 >= text.size() || !g_charset->IsLeadByte(static_cast<unsigned char>(text[i]))) return 1;
  const unsigned char trail = static_cast<unsigned char>(text[i + 1]);
  return trail >= 0x40 && trail != 0x7F ? 2 : 1;
}

TOutsideNames::TOutsideNames(std::vector<std::string> reserved) : FReserved(std::move(reserved)) {
  for (std::string& r : FReserved) r = g_charset->Upper(r);
}

std::string TOutsideNames::Take(const std::string& name) {
  const std::string s = SingleLine(name);
  const std::string upper = g_charset->Upper(s);
  const int times = ++FSeen[upper];
  const std::vector<size_t> at = CharStarts(s);
  const bool reserved = std::find(FReserved.begin(), FReserved.end(), upper) != FReserved.end();
  if (times == 1 && !reserved && Plain(s, at)) return s;
  std::string out = Escaped(s, at);
  if (times > 1) {
    out += '#';
    out += std::to_string(times);
  }
  return out;
}

void AddOutsideSection(TStrings& report, TOutsideNames& titles, const std::string& title) {
  std::string line = titles.Take(title);
  line.insert(line.begin(), '[');
  line += ']';
  report.Add(line);
}

void AddOutsideValue(TStrings& report, TOutsideNames& keys, const std::string& name, const std::string& value) {
  report.Add(keys.Take(name) + "=" + SingleLine(value));
}
