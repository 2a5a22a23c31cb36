// The printers of the running system and its default printer.
#include "sysinfo/KSI_Printers.h"
#include <windows.h>
#include <winspool.h>
#include <type_traits>
#include <vector>
#include "sysinfo/SysInfoWin.h"

namespace {
struct TPrinterName {
  TRegName Name, Port;
};

// How long the spooler may take to list the printers: a connection to a print server that does
// not answer would otherwise hold the gathering for as long as the network waits.
constexpr unsigned kEnumTimeoutMs = 5000;

// The spooler's wide function: NT's, looked up when first needed.
using TEnumPrintersW = BOOL(WINAPI*)(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
TEnumPrintersW EnumPrintersWide() {
  static const TEnumPrintersW fn = [] {
    HMODULE m = LoadLibraryA("winspool.drv");  // kept, as the lazily loaded one is
    return m ? reinterpret_cast<TEnumPrintersW>(reinterpret_cast<void*>(GetProcAddress(m, "EnumPrintersW"))) : nullptr;
  }();
  return fn;
}

template <class Info, class Enum>
std::vector<TPrinterName> Enumerate(Enum enumerate, DWORD flags) {
  std::vector<TPrinterName> out;
  DWORD needed = 0, count = 0;
  enumerate(flags, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return out;
  std::vector<BYTE> buf(needed);
  if (!enumerate(flags, nullptr, 2, buf.data(), needed, &needed, &count)) return out;
  const auto* p = reinterpret_cast<const Info*>(buf.data());
  for (DWORD i = 0; i < count; ++i) {
    if constexpr (std::is_same_v<Info, PRINTER_INFO_2W>) {
      const std::wstring name = p[i].pPrinterName ? p[i].pPrinterName : L"";
      const std::wstring port = p[i].pPortName ? p[i].pPortName : L"";
      out.push_back({{AnsiText(name), name}, {AnsiText(port), port}});
    } else {
      out.push_back({{p[i].pPrinterName ? p[i].pPrinterName : "", {}}, {p[i].pPortName ? p[i].pPortName : "", {}}});
    }
  }
  return out;
}
}  // namespace

void TPrinters::GetInfo() {
  GatherGuarded("TPrinters.GetInfo", [this] {
    FNames->Clear();
    FPorts->Clear();
    FDefaultIndex = -1;
    // 9x lists network printers among the local ones and knows no connections.
    const bool nt = SysInfoNT();
    const TEnumPrintersW enumW = SysInfoWide() ? EnumPrintersWide() : nullptr;
    const DWORD flags = nt ? PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS : PRINTER_ENUM_LOCAL;
    std::vector<TPrinterName> printers;
    RunBounded<std::vector<TPrinterName>>(
        kEnumTimeoutMs,
        [enumW, flags] {
          return enumW ? Enumerate<PRINTER_INFO_2W>(enumW, flags) : Enumerate<PRINTER_INFO_2A>(EnumPrintersA, flags);
        },
        printers);
    for (const TPrinterName& p : printers) {
      FNames->Add(p.Name.Text);
      FPorts->Add(p.Port.Text);
    }
    const TRegName line = ProfileText("windows", "device");
    const TRegName name{DefaultPrinterName(line.Text), line.Wide.substr(0, line.Wide.find(L','))};
    for (size_t i = 0; i < printers.size() && FDefaultIndex < 0; ++i)
      if (!name.Wide.empty() && printers[i].Name.Wide == name.Wide) FDefaultIndex = static_cast<int>(i);
    if (FDefaultIndex < 0 && !name.Text.empty()) FDefaultIndex = FNames->IndexOf(name.Text);
  });
}
