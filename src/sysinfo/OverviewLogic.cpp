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

std::string ReportFileName(const std::string& tabCaption) {
  std::string s = TrimControls(tabCaption);
  for (char& c : s)
    if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
        static_cast<unsigned char>(c) < 32)
      c = '_';
  if (s.empty()) s = "SystemInfo";
  return s + ".txt";
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
