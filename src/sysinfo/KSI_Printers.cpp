// The printers of the running system and its default printer.
#include "sysinfo/KSI_Printers.h"
#include <windows.h>
#include <winspool.h>
#include <vector>
#include "sysinfo/SysInfoWin.h"

void TPrinters::GetInfo() {
  GatherGuarded("TPrinters.GetInfo", [this] {
    FNames->Clear();
    FPorts->Clear();
    FDefaultIndex = -1;
    // 9x lists network printers among the local ones and knows no connections.
    const DWORD flags = SysInfoNT() ? PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS
                                    : PRINTER_ENUM_LOCAL;
    DWORD needed = 0, count = 0;
    EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed > 0) {
      std::vector<BYTE> buf(needed);
      if (EnumPrintersA(flags, nullptr, 2, buf.data(), needed, &needed, &count)) {
        const auto* p = reinterpret_cast<const PRINTER_INFO_2A*>(buf.data());
        for (DWORD i = 0; i < count; ++i) {
          FNames->Add(p[i].pPrinterName ? p[i].pPrinterName : "");
          FPorts->Add(p[i].pPortName ? p[i].pPortName : "");
        }
      }
    }
    char line[1024] = {};
    GetProfileStringA("windows", "device", "", line, sizeof line);
    const std::string name = DefaultPrinterName(line);
    if (!name.empty()) FDefaultIndex = FNames->IndexOf(name);
  });
}
