// Gathers this machine the way the program does and writes the full system-information report,
// so that the end-to-end tests can read it per Windows version mode. Not part of the product.
//   sysreport.exe report.txt
// Message boxes are not shown: they go to report.txt.boxes, and the exit status is then 2.
#include <windows.h>
#include "framework/Dialogs.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/KSystemInfo.h"

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const std::string out = argv[1];
  InitProbes();
  TStringList boxes;
  SetMessageBoxHook([&boxes](const std::string& text, const std::string& caption, UINT) {
    boxes.Add(caption + ": " + text);
    return IDOK;
  });
  TKSystemInfo info(nullptr);
  info.Refresh();
  TStringList report;
  info.Report(report);
  if (!report.SaveToFile(out)) return 1;
  DeleteFileA((out + ".boxes").c_str());
  if (boxes.Count() == 0) return 0;
  boxes.SaveToFile(out + ".boxes");
  return 2;
}
