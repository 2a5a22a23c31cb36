// Names from outside in the report: what stays as it is, what is changed and how, in every
// category that writes such names.
#include <gtest/gtest.h>
#include <algorithm>
#include "sysinfo/KSI_APM.h"
#include "sysinfo/KSI_CPU.h"
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/KSI_DirectX.h"
#include "sysinfo/KSI_Disk.h"
#include "sysinfo/KSI_Display.h"
#include "sysinfo/KSI_Engines.h"
#include "sysinfo/KSI_Machine.h"
#include "sysinfo/KSI_Media.h"
#include "sysinfo/KSI_Memory.h"
#include "sysinfo/KSI_Network.h"
#include "sysinfo/KSI_OS.h"
#include "sysinfo/KSI_Printers.h"
#include "sysinfo/KSI_Processes.h"
#include "sysinfo/KSI_Software.h"
#include "sysinfo/KSI_Startup.h"
#include "sysinfo/ReportNames.h"
#include "sysinfo/ReportText.h"
#include "../common/DoubleByteCharset.h"

namespace {
std::vector<std::string> Taken(TOutsideNames& names, const std::vector<std::string>& in) {
  std::vector<std::string> out;
  for (const std::string& s : in) out.push_back(names.Take(s));
  return out;
}

}  // namespace

TEST(ReportNames, PlainNamesStayAsTheyAreAndOthersChangeInOneWay) {
  TOutsideNames plain;
  const std::vector<std::string> kept = {"Tray", "\xC5\xeb\xeb\xe7\xed\xe9\xea\xde", "C# Tools", "a[b", "x;y",
                                         "100%", "inner  blanks", "Caf\xE9", "Value#2"};
  EXPECT_EQ(Taken(plain, kept), kept);

  TOutsideNames keys({"Count", "Item1"});
  EXPECT_EQ(Taken(keys, {"[Forged]", "Count", "count", "Key=Forged", "", ";comment", "%PATH%", " Count ",
                         "a]b", "item1", "Setup", "Setup", "SETUP", "C#=", "\xA0x", "\tTab", "\x01"}),
            (std::vector<std::string>{"%%5BForged%5D", "%Count", "%count#2", "%Key%3DForged", "%", "%%3Bcomment",
                                      "%%25PATH%25", "%%20Count%20", "%a%5Db", "%item1", "Setup", "%Setup#2",
                                      "%SETUP#3", "%C%23%3D", "%%A0x", "%%20Tab", "%%20"}));
  // Names that were changed for what they hold are told apart when they repeat too.
  TOutsideNames env;
  EXPECT_EQ(Taken(env, {"=C:", "=c:", "=C:"}), (std::vector<std::string>{"%%3DC:", "%%3Dc:#2", "%%3DC:#3"}));
}

TEST(ReportNames, DoubleByteCharactersAreReadWhole) {
  SetReportCharset(&kDoubleByteCharset);
  TOutsideNames names;
  // A trail byte that is "[" or "]" is part of its character, not a bracket.
  EXPECT_EQ(names.Take("\x81\x5Bx"), "\x81\x5Bx");
  EXPECT_EQ(names.Take("x\x81\x5D"), "x\x81\x5D");
  // The ideographic space is trimmed by the reader: changed, both bytes written as codes.
  EXPECT_EQ(names.Take("\x81\x40" "Count"), "%%81%40Count");
  EXPECT_EQ(names.Take("x\x81\x40"), "%x%81%40");
  // A lead byte without its trail byte could take the "=" after it: written as a code.
  EXPECT_EQ(names.Take("=\x81"), "%%3D%81");
  EXPECT_EQ(names.Take("a\x81=b"), "%a%81%3Db");
  EXPECT_EQ(names.Take("x\x81"), "%x%81");
  SetReportCharset(nullptr);
}

TEST(ReportNames, EveryCategoryWritesOutsideNamesByTheOneRule) {
  TStringList r;
  TStartup s;
  for (const char* name : {"[Forged]", "Count", "Key=Forged", "", "Tray"}) s.Add(slMachineRun, name, "cmd.exe");
  s.Report(r);
  const std::vector<std::string> run(r.Items().begin() + 4, r.Items().begin() + 11);
  EXPECT_EQ(run, (std::vector<std::string>{"[HKLM Run]", "Count=5", "%%5BForged%5D=cmd.exe", "%Count=cmd.exe",
                                           "%Key%3DForged=cmd.exe", "%=cmd.exe", "Tray=cmd.exe"}));

  TPrinters printers;
  for (const char* name : {"[ForgedPrinter]", "Laser", "Laser"}) {
    printers.Names()->Add(name);
    printers.Ports()->Add("LPT1:");
  }
  printers.SetDefaultIndex(1);
  r.Clear();
  printers.Report(r);
  EXPECT_EQ(r.Items(), (std::vector<std::string>{"[Printers]", "Count=3", "%%5BForgedPrinter%5D on LPT1:=0",
                                                 "Laser on LPT1:=1", "%Laser on LPT1:#2=0"}));

  TDevices devices;
  for (const char* caption : {"Machine", "Generic volume", "Generic volume", "Disk]", "HKLM RUN", "DiskC:"}) {
    TDeviceRecord d;
    d.ClassName = "Volume";
    d.FriendlyName = caption;
    devices.Add(d);
  }
  r.Clear();
  devices.Report(r);
  std::vector<std::string> headers;
  for (const std::string& line : r.Items())
    if (line.front() == '[') headers.push_back(line);
  EXPECT_EQ(headers, (std::vector<std::string>{"[Devices]", "[%Machine]", "[Generic volume]", "[%Generic volume#2]",
                                               "[%Disk%5D]", "[%HKLM RUN]", "[%DiskC:]"}));

  TStringList env;
  for (const char* e : {"=C:=C:\\Windows", "PATH=a=b", "NOEQ", "path=x", "=", "[X]=1"}) env.Add(e);
  r.Clear();
  AddEntries(r, env);
  EXPECT_EQ(r.Items(), (std::vector<std::string>{"%%3DC:=C:\\Windows", "PATH=a=b", "NOEQ=", "%path#2=x", "%%3D=",
                                                 "%%5BX%5D=1"}));
}

// A device named as any section of the report would open that section a second time.
TEST(ReportNames, EveryTitleOfTheReportIsReservedForTheDevices) {
  TStringList r;
  TMachine().Report(r);
  TOperatingSystem().Report(r);
  TCPU().Report(r);
  TMemory().Report(r);
  TDisplay().Report(r);
  TAPM().Report(r);
  TMedia().Report(r);
  TNetwork().Report(r);
  TDevices().Report(r);
  TEngines().Report(r);
  TDirectX dx;
  dx.SetVersion("9.0");
  dx.Report(r);
  TDriveData drive;
  drive.Drive = "Q:";
  WriteDriveSections(r, drive);
  TProcesses().Report(r);
  TPrinters().Report(r);
  TSoftware().Report(r);
  TStartup().Report(r);
  const std::vector<std::string>& titles = ReportSectionTitles();
  int headers = 0;
  for (const std::string& line : r.Items()) {
    if (line.front() != '[') continue;
    ++headers;
    const std::string title = line.substr(1, line.size() - 2);
    EXPECT_NE(std::find(titles.begin(), titles.end(), title), titles.end()) << title;
  }
  EXPECT_EQ(headers, 41);  // all but [Disks], which the drive list writes on Windows
}
