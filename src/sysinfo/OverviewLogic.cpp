#include "sysinfo/OverviewLogic.h"
#include <cmath>
#include <cstdio>
#include "probes/OsKind.h"
#include "sysinfo/ReportText.h"

namespace overview {

namespace {
std::string Grouped(uint64_t v) {
  // Beyond the signed range no real figure goes; the pattern groups what it can.
  return GroupDigits(static_cast<int64_t>(v > INT64_MAX ? INT64_MAX : v));
}
}  // namespace

std::string GroupedOrEmpty(uint64_t value) { return value == 0 ? std::string() : Grouped(value); }

std::string GroupedOrZero(uint64_t value) { return Grouped(value); }

std::string PidText(uint32_t id, bool ntFamily) {
  char buf[16];
  std::snprintf(buf, sizeof buf, ntFamily ? "%u" : "0x%X", id);
  return buf;
}

bool ParsePid(const std::string& text, uint32_t& id) {
  std::string s = TrimControls(text);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s = s.substr(2);
    base = 16;
  }
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  if (v > UINT32_MAX) return false;
  id = static_cast<uint32_t>(v);
  return true;
}

std::pair<std::string, std::string> SplitImageName(const std::string& image) {
  size_t cut = image.find_last_of("\\/:");
  if (cut == std::string::npos) return {std::string(), image};
  return {image.substr(0, cut + 1), image.substr(cut + 1)};
}

std::string TerminateQuestion(const std::string& imageName) {
  return imageName +
         "\r\n\r\n"
         "WARNING: Terminating a process can cause undesired \r\n"
         "results including loss of data and system instability. The \r\n"
         "process will not be given the chance to save its state or \r\n"
         "data before it is terminated. Are you sure you want to \r\n"
         "terminate the process?";
}

namespace {
// The byte length of the first maxChars characters of s (all of it when shorter).
size_t CharsPrefix(const std::string& s, size_t maxChars, TLeadByteTest isLead, bool& cut) {
  size_t i = 0, n = 0;
  while (i < s.size() && n < maxChars) {
    i += isLead && isLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    ++n;
  }
  cut = i < s.size();
  return i;
}

// Double-byte characters are kept whole: trail bytes may look like anything from 0x40 up.
std::string MapSingleBytes(const std::string& s, TLeadByteTest isLead, char (*map)(char)) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (isLead && isLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
      out.append(s, i, 2);
      ++i;
    } else {
      out += map(s[i]);
    }
  }
  return out;
}

char FileNameChar(char c) {
  return c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
                 static_cast<unsigned char>(c) < 32 || c == 0x7F
             ? '_'
             : c;
}

// The names Windows keeps for devices, whatever extension follows (COM\xB9 is COM1 to Windows 11).
bool DeviceName(const std::string& base) {
  std::string u;
  for (char c : base) u += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  while (!u.empty() && u.back() == ' ') u.pop_back();
  for (const char* d : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    if (u == d) return true;
  return u.size() == 4 && (u.compare(0, 3, "COM") == 0 || u.compare(0, 3, "LPT") == 0) &&
         ((u[3] >= '0' && u[3] <= '9') || u[3] == '\xB9' || u[3] == '\xB2' || u[3] == '\xB3');
}
}  // namespace

std::string ShortCaption(const std::string& text, const std::function<bool(const std::string&)>& fits, TLeadByteTest isLead) {
  const std::string s = SingleLine(text);
  if (fits(s)) return s;
  static const char kEllipsis[] = "...";
  // The most characters that fit with the ellipsis (no place shows more than a few hundred).
  bool cut = false;
  size_t low = 0, high = 512;
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    if (fits(s.substr(0, CharsPrefix(s, mid, isLead, cut)) + kEllipsis))
      low = mid;
    else
      high = mid - 1;
  }
  size_t keep = CharsPrefix(s, low, isLead, cut);
  // After the last whole word, when that keeps more than half of what fits.
  const size_t blank = s.rfind(' ', keep);
  if (blank != std::string::npos && blank > keep / 2) keep = blank;
  std::string out = s.substr(0, keep);
  while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
  return out + kEllipsis;
}

std::string ShortCaption(const std::string& text, size_t maxChars, TLeadByteTest isLead) {
  return ShortCaption(
      text,
      [&](const std::string& t) {
        bool cut = false;
        CharsPrefix(t, maxChars, isLead, cut);
        return !cut;
      },
      isLead);
}

std::string ReportFileName(const std::string& tabCaption, TLeadByteTest isLead) {
  static const char kExtension[] = ".txt";
  const size_t room = kFileNameMax - (sizeof kExtension - 1);
  const std::string mapped = MapSingleBytes(TrimControls(tabCaption), isLead, FileNameChar);
  auto cutTo = [&](size_t chars) {
    bool cut = false;
    std::string s = mapped.substr(0, CharsPrefix(mapped, chars, isLead, cut));
    // Windows drops dots and blanks at the end of a name.
    while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.pop_back();
    return s;
  };
  std::string s = cutTo(room);
  if (s.empty()) return std::string("SystemInfo") + kExtension;
  if (DeviceName(s.substr(0, s.find('.')))) {
    s = cutTo(room - 1);
    s.insert(s.begin(), '_');
  }
  return s + kExtension;
}

int UsedPercent(int64_t capacity, int64_t freeSpace) {
  if (capacity <= 0) return -1;
  double p = std::nearbyint(static_cast<double>(capacity - freeSpace) / static_cast<double>(capacity) * 100.0);
  return p < 0 ? 0 : p > 100 ? 100 : static_cast<int>(p);
}

std::vector<std::pair<std::string, bool>> FlagItems(const TStrings& lines) {
  std::vector<std::pair<std::string, bool>> out;
  for (const std::string& line : lines.Items()) {
    if (line.empty() || line[0] == '[') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    out.emplace_back(line.substr(0, eq), line.substr(eq + 1) == "1");
  }
  return out;
}

std::vector<DeviceClassNode> GroupDevices(const std::vector<DeviceInput>& devices) {
  std::vector<DeviceClassNode> out;
  for (size_t i = 0; i < devices.size(); ++i) {
    const DeviceInput& d = devices[i];
    if (out.empty() || d.ClassName != out.back().ClassName) {
      DeviceClassNode n;
      n.ClassName = d.ClassName;
      n.Caption = TrimControls(d.ClassDescription).empty() ? d.ClassName : d.ClassDescription;
      n.Kind = d.Kind;
      out.push_back(std::move(n));
    }
    std::string caption = TrimControls(d.FriendlyName).empty() ? d.Description : d.FriendlyName;
    out.back().Devices.push_back({caption, static_cast<int>(i)});
  }
  return out;
}

}  // namespace overview
