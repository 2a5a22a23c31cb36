// A double-byte code page as Shift-JIS has it, for the report's names without Windows: lead
// bytes 0x81-0x9F and 0xE0-0xFC, trail bytes that may be "[" or "]", 0x81 0x40 the ideographic
// space, ASCII letters for the case.
#pragma once
#include "sysinfo/ReportNames.h"

inline const TReportCharset kDoubleByteCharset{
    [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); },
    [](const char* c, size_t size) -> uint32_t {
      if (size == 2 && static_cast<unsigned char>(c[0]) == 0x81 && c[1] == 0x40) return 0x3000;
      return size == 2 ? 0x4E00 : static_cast<unsigned char>(*c);
    },
    [](const std::string& s) {
      std::string u = s;
      for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      return u;
    }};
