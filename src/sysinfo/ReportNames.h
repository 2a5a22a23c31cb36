// Names from outside the program (registry names, device, printer and file names, environment
// variables) that stand in the report as keys or section titles. Read back with the system's INI
// functions, such a name must not start a section, act as a key the program writes, or take the
// place of another entry. A name that could do so is written changed, in one way:
//
//   A name is written as it is unless it is empty, begins with "[", ";", "%" or a blank, ends
//   with a blank, contains "=" or "]", or equals (ignoring case) a key the program writes in
//   that section, another section's title, or a name written before it in the same place.
//   Such a name is written as "%" followed by the name with each "%", "=", "[", "]", ";" and
//   "#", and each blank at its start or end, as "%" and two hexadecimal digits; when the same
//   name was written before, "#2", "#3"... follows (its second, third... time).
//
// (In a double-byte code page a lead byte without its trail byte is treated as "=" is: a reader
// could take the next character of the line with it.)
//
// So "[Forged]" is written "%%5BForged%5D", "Count" "%Count", "Key=Value" "%Key%3DValue" and a
// second "Setup" "%Setup#2". Plain names are written unchanged. Portable; the Windows side
// installs the ANSI code page's characters (ReportLocale.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>
#include "framework/Strings.h"

// How the system's INI reader takes the report's 8-bit text apart: which bytes begin a two-byte
// character, a character's code point (for the blanks it trims off names), and the case it
// ignores. Built in: one byte a character, Latin-1, ASCII letters.
struct TReportCharset {
  bool (*IsLeadByte)(unsigned char byte);
  uint32_t (*CodePoint)(const char* character, size_t size);
  std::string (*Upper)(const std::string& text);
};
// nullptr restores the built-in one.
void SetReportCharset(const TReportCharset* charset);
// Whether the reader trims that character off the ends of a name (Unicode white space).
bool IsReaderBlank(uint32_t codePoint);
// The byte length of the character that starts at i: 2 for a lead byte and its trail byte, else 1
// (a lead byte without a trail byte stands alone).
size_t ReportCharSize(const std::string& text, size_t i);

// The outside names of one place: the keys of one section, or the titles of one report.
class TOutsideNames {
 public:
  // reserved: the keys (or titles) the program itself writes in that place.
  explicit TOutsideNames(std::vector<std::string> reserved = {});
  // The name as it may stand there (made a single line first), counted as written.
  std::string Take(const std::string& name);

 private:
  std::vector<std::string> FReserved;  // upper-cased
  std::unordered_map<std::string, int> FSeen;
};

// "[title]" and "name=value" lines for names from outside.
void AddOutsideSection(TStrings& report, TOutsideNames& titles, const std::string& title);
void AddOutsideValue(TStrings& report, TOutsideNames& keys, const std::string& name,
                     const std::string& value);
