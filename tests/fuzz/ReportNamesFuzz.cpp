// Names from outside in the report: whatever the registry, a device or the environment holds,
// the lines read back as an INI reader reads them give exactly the sections and keys the program
// wrote, each once, every value under its own key, and every changed name decodes to the name.
// The first input byte chooses the place (keys of a section, section titles, "name=value"
// entries) and the code page (one byte a character, or double-byte); the rest is a list of
// length-prefixed names and values.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>
#include "framework/Strings.h"
#include "sysinfo/ReportNames.h"
#include "sysinfo/ReportText.h"
#include "../common/DoubleByteCharset.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return u;
}

bool g_doubleByte = false;

// The reader at its most careless: a lead byte takes the next byte with it, whatever it is.
size_t CharSize(const std::string& s, size_t i) {
  return g_doubleByte && i + 1 < s.size() && kDoubleByteCharset.IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
}

// The reader's trimming: whole characters that are blanks, at both ends.
std::string Trim(const std::string& s) {
  std::vector<size_t> at;
  for (size_t i = 0; i < s.size(); i += CharSize(s, i)) at.push_back(i);
  at.push_back(s.size());
  size_t a = 0, b = at.size() - 1;
  auto blank = [&](size_t k) {
    const std::string ch = s.substr(at[k], at[k + 1] - at[k]);
    const unsigned char u = static_cast<unsigned char>(ch[0]);
    // The code point as the charsets above give it.
    uint32_t cp = ch.size() == 2 ? (u == 0x81 && ch[1] == 0x40 ? 0x3000 : 0x4E00) : u;
    return IsReaderBlank(cp);
  };
  while (a < b && blank(a)) ++a;
  while (b > a && blank(b - 1)) --b;
  return s.substr(at[a], at[b] - at[a]);
}

// The first one-byte character c at or after from, or npos.
size_t FindChar(const std::string& s, char c, size_t from = 0) {
  for (size_t i = 0; i < s.size(); i += CharSize(s, i))
    if (i >= from && CharSize(s, i) == 1 && s[i] == c) return i;
  return std::string::npos;
}

struct TLine {
  bool Section = false;
  std::string Name, Value;
};

// The lines as an INI reader takes them.
std::vector<TLine> Read(const std::vector<std::string>& lines) {
  std::vector<TLine> out;
  for (const std::string& raw : lines) {
    for (char c : raw) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "a control character on a line");
    const std::string line = Trim(raw);
    Check(!line.empty() && raw.compare(0, line.size(), line) == 0, "a line the reader trims at its start");
    Check(line[0] != ';', "a line the reader takes for a comment");
    TLine l;
    if (line[0] == '[') {
      const size_t close = FindChar(line, ']');
      Check(close != std::string::npos && close == line.size() - 1, "a title holding ]");
      l.Section = true;
      l.Name = line.substr(1, close - 1);
      Check(Trim(l.Name) == l.Name, "a title the reader trims");
    } else {
      const size_t eq = FindChar(line, '=');
      Check(eq != std::string::npos, "a line without =");
      l.Name = line.substr(0, eq);
      l.Value = Trim(line.substr(eq + 1));
      Check(Trim(l.Name) == l.Name, "a key the reader trims");
    }
    out.push_back(l);
  }
  return out;
}

// The documented rule backwards: a changed name is "%", the name with codes, and "#n".
std::string Decode(const std::string& s) {
  if (s.empty() || s[0] != '%') return s;
  std::string body = s.substr(1);
  const size_t hash = body.rfind('#');
  if (hash != std::string::npos) {
    const std::string n = body.substr(hash + 1);
    Check(!n.empty() && n.find_first_not_of("0123456789") == std::string::npos && n != "0" && n != "1",
          "a # that is not a repeat's number");
    body.resize(hash);
  }
  std::string out;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '%') {
      out += body[i];
      continue;
    }
    Check(i + 2 < body.size(), "a code cut short");
    const std::string code = body.substr(i + 1, 2);
    Check(code.find_first_not_of("0123456789ABCDEF") == std::string::npos, "a code that is not two digits");
    out += static_cast<char>(std::strtoul(code.c_str(), nullptr, 16));
    i += 2;
  }
  return out;
}

std::string Key(const std::string& name) { return Upper(name); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int place = data[0] % 3;
  g_doubleByte = (data[0] & 4) != 0;
  SetReportCharset(g_doubleByte ? &kDoubleByteCharset : nullptr);
  std::vector<std::string> names, values;
  for (size_t i = 1; i < size;) {
    const size_t n = data[i++];
    const size_t take = n < size - i ? n : size - i;
    (names.size() == values.size() ? names : values).emplace_back(reinterpret_cast<const char*>(data + i), take);
    i += take;
  }
  values.resize(names.size());

  TStringList report;
  const std::vector<std::string> reserved = {"Count", "Item1", "Machine"};
  if (place == 0) {
    AddSection(report, "Section");
    AddValue(report, "Count", static_cast<int64_t>(names.size()));
    TOutsideNames keys(reserved);
    for (size_t i = 0; i < names.size(); ++i) AddOutsideValue(report, keys, names[i], values[i]);
  } else if (place == 1) {
    TOutsideNames titles(reserved);
    for (size_t i = 0; i < names.size(); ++i) {
      AddOutsideSection(report, titles, names[i]);
      AddValue(report, "Value", values[i]);
    }
  } else {
    AddSection(report, "Environment");
    TStringList entries;
    for (size_t i = 0; i < names.size(); ++i) entries.Add(names[i] + "=" + values[i]);
    AddEntries(report, entries);
    // What an entry's name is: up to its first "=" after the first character.
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string e = names[i] + "=" + values[i];
      const size_t eq = e.find('=', 1);
      names[i] = e.substr(0, eq);
      values[i] = eq == std::string::npos ? std::string() : e.substr(eq + 1);
    }
  }

  const std::vector<TLine> lines = Read(report.Items());
  std::set<std::string> seen;
  if (place != 2)
    for (const std::string& r : reserved) seen.insert(Key(r));
  size_t at = 0, outside = 0;
  if (place != 1) {
    Check(lines[at].Section && lines[at].Name == (place == 0 ? "Section" : "Environment"), "the section lost");
    ++at;
    if (place == 0) {
      Check(!lines[at].Section && lines[at].Name == "Count", "the count lost");
      ++at;
    }
  }
  for (; at < lines.size(); ++at, ++outside) {
    const TLine& l = lines[at];
    Check(outside < names.size(), "more entries than names");
    Check(l.Section == (place == 1), "a line of the wrong kind");
    Check(seen.insert(Key(l.Name)).second, "a name taken twice, or a name of the program's");
    Check(Decode(l.Name) == SingleLine(names[outside]), "a changed name that does not decode to the name");
    if (place == 1) {
      ++at;
      Check(at < lines.size() && !lines[at].Section && lines[at].Name == "Value", "a title's entry lost");
      Check(lines[at].Value == Trim(SingleLine(values[outside])), "a value not where it belongs");
    } else {
      Check(l.Value == Trim(SingleLine(values[outside])), "a value not where it belongs");
    }
  }
  Check(outside == names.size(), "an entry lost");
  SetReportCharset(nullptr);
  return 0;
}
