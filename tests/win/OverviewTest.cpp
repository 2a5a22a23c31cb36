// The system information dialog against the real window manager, filled from category objects
// that the tests set (no gathering), and its report files on the real file system.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <fstream>
#include <sstream>
#include "app/AppClasses.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "sysinfo/CpuDump.h"
#include "sysinfo/KSI_DetailDlg.h"
#include "sysinfo/KSI_OS.h"
#include "sysinfo/KSI_Overview.h"
#include "sysinfo/KSystemInfo.h"
#include "sysinfo/LedMeter.h"
#include "sysinfo/SysInfoWin.h"

namespace {

std::string ReadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string TempDir() {
  char buf[MAX_PATH];
  GetTempPathA(sizeof buf, buf);
  std::string d = std::string(buf) + "velmora-overview\\";
  CreateDirectoryA(d.c_str(), nullptr);
  return d;
}

int CountTempFiles(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "vlm*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

// A detail dialog runs modally; a timer looks at it and closes it.
std::function<void(TdlgKSI_Detail&)> s_onDetail;
void CALLBACK InspectDetail(HWND, UINT, UINT_PTR id, DWORD) {
  TfrmKSI_Overview* f = TfrmKSI_Overview::Instance();
  auto* d = f ? dynamic_cast<TdlgKSI_Detail*>(f->FindComponent("dlgKSI_Detail")) : nullptr;
  if (!d || !d->Showing()) return;  // not up yet
  KillTimer(nullptr, id);
  if (s_onDetail) s_onDetail(*d);
  d->SetModalResult(mrOk);
}

std::vector<uint32_t> s_terminated;
bool s_terminateWorks = true;
bool RecordTerminate(uint32_t id) {
  s_terminated.push_back(id);
  return s_terminateWorks;
}

int s_writes = 0;
BOOL WINAPI FailSecondWrite(HANDLE h, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
  if (++s_writes > 1) {
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  return WriteFile(h, data, size / 2, written, nullptr);  // half of it, then the disk is full
}

class Overview : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterAppClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT flags) {
      boxes.push_back(caption + ": " + text);
      boxFlags.push_back(flags);
      return answer;
    });
    info = new TKSystemInfo(app);
    Fill();
    f = new TfrmKSI_Overview(app);
    f->SetSysInfo(info);
    f->RefreshPages();
    f->Show();
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    SetSaveDialogHook(nullptr);
    SetReportWriter(nullptr);
    SetProcessTerminator(nullptr);
    delete app;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  // A small machine of known contents.
  void Fill() {
    info->Processes()->Assign({{"C:\\WINDOWS\\EXPLORER.EXE", 0x1A2B}, {"smss.exe", 12}, {"notepad.exe", 77}});
    info->Printers()->Names()->Add("Laser");
    info->Printers()->Ports()->Add("LPT1:");
    info->Printers()->Names()->Add("Office");
    info->Printers()->Ports()->Add("\\\\server\\office");
    info->Printers()->SetDefaultIndex(1);
    info->Software()->Installed()->Add("Editor 2.0");
    info->Startup()->Add(slUserStartup, "Notes", "C:\\notes.exe");
    info->Startup()->Add(slMachineRun, "Agent", "agent.exe /quiet");
    info->Media()->Devices()->Add("Sound Blaster");
    info->Media()->WAVEOut()->Add("SB Wave v4.0");
    info->Network()->Adapters()->Add("NE2000");
    info->Display()->SetAdapter("Millennium");
    info->Disk()->SetAvailableDisks("C");
    info->OS()->Folders()->Add("Windows=C:\\WINDOWS");
    info->OS()->Environment()->Add("PATH=C:\\WINDOWS");
    info->APM()->Assign(1, 128, 255, 0xFFFFFFFF, 0xFFFFFFFF);
    info->Machine()->SetComputer("Front desk");
    TDeviceRecord r;
    r.ClassName = "DiskDrive";
    r.ClassKind = 2;
    r.FriendlyName = "Zip 100";
    r.ClassGUID = "{4D36E967}";
    r.ServiceName = "";
    r.Service = "disk";
    info->Devices()->Add(r);
    r.FriendlyName = "ATA disk";
    info->Devices()->Add(r);
    r.ClassName = "Net";
    r.ClassDesc = "Network adapters";
    r.ClassKind = 21;
    r.FriendlyName = "";
    r.Description = "NE2000 Compatible";
    info->Devices()->Add(r);
  }
  template <class T>
  T* C(const char* name) {
    return dynamic_cast<T*>(f->FindComponent(name));
  }
  std::string Text(const char* name) { return C<TControl>(name)->Caption(); }
  // Plays one recorded processor, which the system counts count times, and fills the pages.
  void ShowProcessor(const char* dump, int count) {
    std::vector<TCpuDump> dumps;
    std::string error;
    ASSERT_TRUE(ParseCpuDumps(dump, dumps, error)) << error;
    TCpuDumpProbe probe(dumps[0]);
    info->CPU()->Gather(probe, count);
    f->RefreshPages();
  }
  TApplication* app = nullptr;
  TKSystemInfo* info = nullptr;
  TfrmKSI_Overview* f = nullptr;
  std::vector<std::string> errors, boxes;
  std::vector<UINT> boxFlags;
  int answer = IDYES;
};

}  // namespace

TEST_F(Overview, WindowSizeTabsAndPageSet) {
  RECT r;
  GetClientRect(f->Handle(), &r);
  EXPECT_EQ(r.right, 390);
  EXPECT_EQ(r.bottom, 509);
  char caption[64];
  GetWindowTextA(f->Handle(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Velmora Advanced System Profiler");
  HWND tabs = f->pcMain->Handle();
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 16);  // About hidden
  EXPECT_EQ(f->pcMain->ActivePageIndex(), 0);
  EXPECT_EQ(Text("tsMachine"), " Front desk ");  // the computer's description
  f->SetPageSet(0x1FFFF);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 17);
  EXPECT_EQ(Text("lAboutVersion"), "Version 5.6");
  f->SetPageSet(0x0005);  // Machine and CPU only
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_TRUE(f->ShowReportButton());
}

TEST_F(Overview, RefreshingTwiceKeepsOneRowPerEntry) {
  auto counts = [&] {
    std::vector<int> n;
    for (const char* lv : {"lvProcesses", "lvPrinters", "lvSoftware", "lvMediaDevices", "lvSound", "lvNetAdapters", "lvFolders", "lvStartup"})
      n.push_back(C<TListView>(lv)->Items().Count());
    n.push_back(f->tvDevices->Items().Count());
    n.push_back(C<TComboBox>("cbAdapters")->Items().Count());
    n.push_back(f->cbDrive->Items().Count());
    n.push_back(C<TCheckListBox>("clbFeatures")->Items().Count());
    n.push_back(C<TCheckListBox>("clbDriveFlags")->Items().Count());
    return n;
  };
  std::vector<int> once = counts();
  EXPECT_EQ(once[0], 3);
  EXPECT_EQ(once[8], 6);  // the computer, two classes, three devices
  f->RefreshPages();
  EXPECT_EQ(counts(), once);
  EXPECT_EQ(Text("pProcessCount"), "  3 processes");
}

TEST_F(Overview, PagesShowTheCategoriesValues) {
  TListView* procs = f->lvProcesses;
  TListItem* first = procs->Items().Item(0);
  EXPECT_EQ(first->SubItems()[0], "EXPLORER.EXE");
  EXPECT_EQ(first->SubItems()[1], "C:\\WINDOWS\\");
  TListView* printers = C<TListView>("lvPrinters");
  EXPECT_EQ(printers->Items().Item(0)->ImageIndex(), oiPrinter);
  EXPECT_EQ(printers->Items().Item(1)->ImageIndex(), oiNetPrinterDefault);
  EXPECT_EQ(C<TListView>("lvMediaDevices")->Items().Item(0)->ImageIndex(), oiGeneric);
  EXPECT_EQ(C<TListView>("lvSound")->Items().Item(0)->SubItems()[0], "Wave Out");
  // No battery: the times are not known and the meter stays as it was.
  EXPECT_EQ(Text("eFullLifeTime"), "<info not available>");
  EXPECT_EQ(Text("eLifeTime"), "<info not available>");
  EXPECT_EQ(C<TLEDMeter>("lmBattery")->Position(), 0);
  info->APM()->Assign(0, 1, 50, 3600, 7200);
  f->RefreshPages();
  EXPECT_EQ(C<TLEDMeter>("lmBattery")->Position(), 50);
  EXPECT_EQ(Text("eLifeTime"), "1 Hour, 0 Minutes, 0 Seconds.");
  EXPECT_EQ(Text("lDXVersion"), "Not installed.");
  EXPECT_EQ(Text("lODBC"), "Open Database Connectivity not found");
  // Startup tabs list their own places.
  EXPECT_EQ(f->lvStartup->Items().Item(0)->Caption(), "Notes");
  f->tcStartup->SetTabIndex(2);
  f->tcStartupChange(f->tcStartup);
  ASSERT_EQ(f->lvStartup->Items().Count(), 1);
  EXPECT_EQ(f->lvStartup->Items().Item(0)->SubItems()[0], "agent.exe /quiet");
}

TEST_F(Overview, CpuPageNamesTheProcessorOnceAndShowsALevel3OnlyWhereThereIsOne) {
  // Two recorded processors played through the seam: a Pentium 4 Extreme Edition (trace cache,
  // level 3) and a Pentium III without either.
  ShowProcessor(
      "CPU p4ee\nMHZ 3466\n"
      "LEAF 0 0 00000002 756E6547 6C65746E 49656E69\n"
      "LEAF 1 0 00000F25 00020809 00004400 BFEBFBFF\n"
      "LEAF 2 0 665B5001 00000000 00000000 007B7025\n"
      "LEAF 80000000 0 80000004 0 0 0\n"
      "LEAF 80000002 0 20202020 20202020 20202020 6E492020\n"
      "LEAF 80000003 0 286C6574 50202952 69746E65 52286D75\n"
      "LEAF 80000004 0 20342029 20555043 36342E33 007A4847\nEND\n",
      2);
  // Two logical processors of one Hyper-Threading package: the processor is named once.
  EXPECT_EQ(Text("lCPUName"), "Intel(R) Pentium(R) 4 CPU 3.46GHz - 3466 MHz");
  EXPECT_EQ(Text("lCodeName"), "Code Name: Gallatin (0.13 \xB5m)");
  EXPECT_EQ(Text("lTransistors"), "Transistors: 178000000");
  EXPECT_EQ(Text("lCores"), "Cores: 1  Threads: 2");
  EXPECT_FALSE(C<TControl>("lHypervisor")->Visible());
  EXPECT_EQ(Text("lCPUFamily"), "Family 15  Model 2  Stepping 5");
  EXPECT_EQ(Text("lL1Data"), "Level 1 Data Cache: 8 Kb");
  EXPECT_EQ(Text("lL1Code"), "Level 1 Instruction Cache: 12 K\xB5ops (trace cache)");
  EXPECT_EQ(Text("lL2Unified"), "Level 2 Unified Cache: 512 Kb");
  EXPECT_EQ(Text("lL3Unified"), "Level 3 Unified Cache: 2048 Kb");
  TControl* l3 = C<TControl>("lL3Unified");
  EXPECT_TRUE(l3->Visible());
  // Inside the cache group, below the level-2 line.
  TControl* l2 = C<TControl>("lL2Unified");
  EXPECT_EQ(l3->Parent(), l2->Parent());
  EXPECT_GT(l3->Top(), l2->Top());
  EXPECT_LE(l3->Top() + l3->Height(), l3->Parent()->ClientHeight());

  ShowProcessor(
      "CPU p3\nMHZ 733\n"
      "LEAF 0 0 00000002 756E6547 6C65746E 49656E69\n"
      "LEAF 1 0 00000683 00000002 00000000 0387FBFF\n"
      "LEAF 2 0 03020101 00000000 00000000 0C040882\nEND\n",
      2);
  // Two Pentium III are two packages.
  EXPECT_EQ(Text("lCPUName"), "2 x Intel Pentium III E - 733 MHz");
  EXPECT_EQ(Text("lCores"), "Packages: 2  Cores: 1  Threads: 1 per package");
  EXPECT_EQ(Text("lL1Code"), "Level 1 Instruction Cache: 16 Kb");
  EXPECT_FALSE(l3->Visible());
  TStringList r;
  info->CPU()->Report(r);
  EXPECT_EQ(r[r.Count() - 1], "Level 2 Unified Cache=256");
}

TEST_F(Overview, CpuPageMarksAVirtualProcessorAndListsItsInstructionSets) {
  // A generic KVM processor whose system has not turned AVX on (XCR0 holds x87 and SSE only).
  ShowProcessor(
      "CPU kvm\nMHZ 2000\n"
      "LEAF 0 0 00000001 756E6547 6C65746E 49656E69\n"
      "LEAF 1 0 00000F61 00000800 98000001 078BFBFF\n"
      "LEAF 40000000 0 40000001 4B4D564B 564B4D56 0000004D\n"
      "LEAF 80000000 0 80000004 0 0 0\n"
      "LEAF 80000001 0 0 0 0 20100000\n"
      "LEAF 80000002 0 6D6D6F43 4B206E6F 70204D56 65636F72\n"
      "LEAF 80000003 0 726F7373 0 0 0\n"
      "XCR0 3\nEND\n",
      1);
  EXPECT_EQ(Text("lCPUName"), "Intel Common KVM processor - 2000 MHz (virtual)");
  EXPECT_EQ(Text("lCodeName"), "Code Name: ");
  EXPECT_EQ(Text("lTransistors"), "Transistors:");
  EXPECT_TRUE(C<TControl>("lHypervisor")->Visible());
  EXPECT_EQ(Text("lHypervisor"), "Hypervisor: KVM");
  EXPECT_EQ(Text("lInstructionSets"), "Instruction sets, x86-64 level 1 (* not enabled by the system)");

  auto* sets = C<TCheckListBox>("clbInstructionSets");
  ASSERT_EQ(sets->Items().Count(), static_cast<int>(isCount));
  EXPECT_EQ(sets->Items()[isAVX], "AVX*");
  EXPECT_FALSE(sets->Checked(isAVX));
  EXPECT_EQ(sets->Items()[isSSE3], "SSE3");
  EXPECT_TRUE(sets->Checked(isSSE3));
  EXPECT_TRUE(sets->Checked(isX86_64));
  EXPECT_FALSE(sets->Checked(isVTx));
  EXPECT_EQ(C<TCheckListBox>("clbFeatures")->Items().Count(), static_cast<int>(cfCount) + 1);
  // Every set is in sight at once: the last item lies inside the list, no scrolling needed.
  f->pcMain->SetActivePageIndex(2);
  C<TPageControl>("pcCPU")->SetActivePage(C<TTabSheet>("tsCPUFeatures"));
  RECT item{}, client{};
  SendMessageA(sets->Handle(), LB_GETITEMRECT, isCount - 1, reinterpret_cast<LPARAM>(&item));
  GetClientRect(sets->Handle(), &client);
  EXPECT_LE(item.right, client.right);
  EXPECT_LE(item.bottom, client.bottom);
  EXPECT_EQ(SendMessageA(sets->Handle(), LB_GETTOPINDEX, 0, 0), 0);
  EXPECT_LE(sets->Top() + sets->Height(), sets->Parent()->ClientHeight());
}

TEST_F(Overview, DriveItemGainsItsLabelOnceAndFlagsCannotBeToggled) {
  ASSERT_EQ(f->cbDrive->Items().Count(), 1);
  std::string item = f->cbDrive->Items()[0];
  EXPECT_EQ(item.substr(0, 4), "C: [");
  f->cbDriveChange(f->cbDrive);
  EXPECT_EQ(f->cbDrive->Items()[0], item);
  EXPECT_EQ(f->cbDrive->ItemIndex(), 0);
  EXPECT_EQ(Text("lCapacity").substr(0, 10), "Capacity: ");
  auto* flags = C<TCheckListBox>("clbDriveFlags");
  ASSERT_EQ(flags->Items().Count(), 12);
  EXPECT_EQ(flags->Items()[6], "Long Filenames");
  f->pcMain->SetActivePageIndex(11);
  bool was = flags->Checked(0);
  RECT ir;
  SendMessageA(flags->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&ir));
  SendMessageA(flags->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ir.left + 5, ir.top + 3));
  SendMessageA(flags->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(ir.left + 5, ir.top + 3));
  EXPECT_EQ(flags->Checked(0), was);
}

TEST_F(Overview, DeviceTreeGroupsClassesAndShowsPropertiesOfDevicesOnly) {
  TTreeNodes& nodes = f->tvDevices->Items();
  TTreeNode* root = nodes.Item(0);
  EXPECT_EQ(root->Level(), 0);
  TTreeNode* disks = nodes.Item(1);
  EXPECT_EQ(disks->Text(), "DiskDrive");  // no class description: the class name
  EXPECT_EQ(disks->Count(), 2);
  HWND tv = f->tvDevices->Handle();
  auto child = reinterpret_cast<HTREEITEM>(SendMessageA(tv, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(disks->ItemId())));
  EXPECT_EQ(nodes.FromItem(child)->Text(), "ATA disk");  // sorted
  EXPECT_EQ(nodes.Item(4)->Text(), "Network adapters");
  EXPECT_EQ(nodes.Item(5)->Text(), "NE2000 Compatible");

  f->tvDevices->SetSelected(disks);
  EXPECT_FALSE(f->bDeviceProps->Enabled());
  f->tvDevices->SetSelected(nodes.Item(5));
  EXPECT_TRUE(f->bDeviceProps->Enabled());
  std::vector<std::pair<std::string, std::string>> rows;
  std::string title;
  s_onDetail = [&](TdlgKSI_Detail& d) {
    title = d.lTitle->Caption();
    for (int i = 0; i < d.lvValues->Items().Count(); ++i)
      rows.emplace_back(d.lvValues->Items().Item(i)->Caption(), d.lvValues->Items().Item(i)->SubItems()[0]);
  };
  SetTimer(nullptr, 0, 20, InspectDetail);
  f->cmProps(f->bDeviceProps);
  EXPECT_EQ(title, "Device Properties");
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"Device Name", "NE2000 Compatible"}));
  EXPECT_EQ(rows[1].second, "Net");
  EXPECT_EQ(rows[2].second, "Network adapters");
  EXPECT_EQ(rows[10], (std::pair<std::string, std::string>{"Service Name", "disk"}));  // no display name
  // The detail dialog went with its close.
  EXPECT_EQ(f->FindComponent("dlgKSI_Detail"), nullptr);

  rows.clear();
  SetTimer(nullptr, 0, 20, InspectDetail);
  f->cmEnvironment(nullptr);
  EXPECT_EQ(title, "Environment");
  EXPECT_EQ(rows, (std::vector<std::pair<std::string, std::string>>{{"PATH", "C:\\WINDOWS"}}));
  std::vector<std::pair<std::string, bool>> checks;
  s_onDetail = [&](TdlgKSI_Detail& d) {
    title = d.lTitle->Caption();
    for (int i = 0; i < d.clbItems->Items().Count(); ++i) checks.emplace_back(d.clbItems->Items()[i], d.clbItems->Checked(i));
  };
  SetTimer(nullptr, 0, 20, InspectDetail);
  f->cmCaps(C<TButton>("bCaps3"));
  EXPECT_EQ(title, "Raster Capabilities");
  ASSERT_EQ(checks.size(), 11u);
  EXPECT_EQ(checks[0].first, "Requires Banding");
  s_onDetail = nullptr;
}

TEST_F(Overview, TerminateRemovesTheRowOnlyWhenTheProcessEnded) {
  SetProcessTerminator(RecordTerminate);
  s_terminated.clear();
  TListView* lv = f->lvProcesses;
  // A 9x identifier is read back as hexadecimal.
  lv->Items().Item(0)->SetCaption("0x1A2B");
  lv->SetSelected(lv->Items().Item(0));
  answer = IDNO;
  f->cmTerminate(nullptr);
  EXPECT_TRUE(s_terminated.empty());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].substr(0, 30), "Warning: EXPLORER.EXE\r\n\r\nWARNI");
  EXPECT_EQ(boxFlags[0], static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));  // Enter answers No
  answer = IDYES;
  s_terminateWorks = false;
  f->cmTerminate(nullptr);
  EXPECT_EQ(s_terminated, (std::vector<uint32_t>{6699}));
  EXPECT_EQ(boxes.back(), "Warning: Cannot terminate this process.");
  EXPECT_EQ(lv->Items().Count(), 3);
  s_terminateWorks = true;
  lv->SetSelected(lv->Items().Item(2));
  f->cmTerminate(nullptr);
  EXPECT_EQ(s_terminated.back(), 77u);
  EXPECT_EQ(lv->Items().Count(), 2);
  EXPECT_EQ(Text("pProcessCount"), "  2 processes");
  size_t before = boxes.size();
  lv->SetSelected(nullptr);
  f->cmTerminate(nullptr);  // no row: nothing at all
  EXPECT_EQ(boxes.size(), before);
}

namespace {
// The same dialog in each version mode.
class OverviewPerVersion : public Overview {};
}  // namespace

// The operating-system page names the system the version mode plays, by the kernel's version.
TEST_F(OverviewPerVersion, TheOperatingSystemPageNamesTheSystem) {
  info->OS()->GetInfo();
  f->RefreshPages();
  OSVERSIONINFOEXW k{};
  k.dwOSVersionInfoSize = sizeof k;
  using Fn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  auto get = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  ASSERT_TRUE(GetVersionExA(&vi));
  if (vi.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    if (vi.dwMinorVersion == 10) {
      EXPECT_EQ(Text("lOSName"), "Windows 98");
    }
    return;
  }
  ASSERT_TRUE(get && get(&k) == 0);
  const unsigned v = k.dwMajorVersion * 100 + k.dwMinorVersion;
  // Wine's modes: NT 4.0, 2000 and XP workstations, its "win7" a Server 2008 R2, Windows 10.
  const char* want = v == 400 ? "Windows NT - Workstation" : v == 500 ? "Windows 2000 - Workstation"
                     : v == 501 ? "Windows XP - Workstation"
                     : v == 601 ? (k.wProductType == 1 ? "Windows 7 - Workstation" : "Windows Server 2008 R2 - Server")
                     : v == 1000 ? "Windows 10 - Workstation" : nullptr;
  if (want) {
    EXPECT_EQ(Text("lOSName"), want);
  }
  EXPECT_EQ(Text("lOSVersion"), "Version: " + std::to_string(k.dwMajorVersion) + "." + std::to_string(k.dwMinorVersion) +
                                    "." + std::to_string(k.dwBuildNumber & 0xFFFF));
  boxes.clear();
}

TEST_F(Overview, PropertiesOfAProcessWithoutLocationSaySo) {
  info->Processes()->Assign({{"smss.exe", 12}, {"C:\\velmora-nowhere\\ghost.exe", 99}});
  f->RefreshPages();
  TListView* lv = f->lvProcesses;
  ASSERT_EQ(lv->Items().Count(), 2);
  EXPECT_EQ(lv->Items().Item(0)->SubItems()[1], "");
  lv->SetSelected(lv->Items().Item(0));
  f->cmProcProps(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Velmora Advanced System Profiler: Windows does not tell where the program of smss.exe is stored.");
  lv->SetSelected(lv->Items().Item(1));
  f->cmProcProps(nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "Velmora Advanced System Profiler: Cannot find C:\\velmora-nowhere\\ghost.exe.");
}

namespace {
std::vector<std::wstring> s_propertiesOf;
BOOL WINAPI RecordProperties(SHELLEXECUTEINFOW* sei) {
  s_propertiesOf.push_back(sei->lpFile ? sei->lpFile : L"");
  return TRUE;
}

// Makes every folder of a path, however long (the long form takes up to 32,767 characters).
void MakeFolders(const std::wstring& path) {
  for (size_t at = 3; (at = path.find(L'\\', at)) != std::wstring::npos; ++at)
    CreateDirectoryW((L"\\\\?\\" + path.substr(0, at)).c_str(), nullptr);
}

void RemoveFolders(std::wstring path, const std::wstring& top) {
  DeleteFileW((L"\\\\?\\" + path).c_str());
  while (path.size() > top.size()) {
    path.erase(path.rfind(L'\\'));
    RemoveDirectoryW((L"\\\\?\\" + path).c_str());
  }
}
}  // namespace

// A program in a folder outside the code page, or deeper than MAX_PATH, is found by the path the
// system gave, and the shell is asked for its properties by a name it can open.
TEST_F(Overview, PropertiesFindProgramsInForeignAndLongFolders) {
  if (!SysInfoWide()) GTEST_SKIP() << "wide paths are the NT family's";
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring top = std::wstring(temp) + L"velmora-\x0395\x03BB\x4E2D";
  const std::wstring foreign = top + L"\\tool.exe";
  const std::wstring deep = top + L"\\" + std::wstring(150, L'd') + L"\\" + std::wstring(150, L'e') + L"\\deep.exe";
  ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
  for (const std::wstring& file : {foreign, deep}) {
    MakeFolders(file);
    KernelHandle h(CreateFileW((L"\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(h) << GetLastError();
  }
  info->Processes()->Assign({{AnsiText(foreign), 501, foreign}, {AnsiText(deep), 502, deep}});
  f->RefreshPages();
  SysApi().ShellExecuteExW = RecordProperties;
  s_propertiesOf.clear();
  TListView* lv = f->lvProcesses;
  for (int row = 0; row < 2; ++row) {
    lv->SetSelected(lv->Items().Item(row));
    f->cmProcProps(nullptr);
  }
  ResetSysApi();
  EXPECT_TRUE(boxes.empty()) << boxes.front();
  ASSERT_EQ(s_propertiesOf.size(), 2u);
  EXPECT_EQ(s_propertiesOf[0], foreign);
  // The deep one by a name the shell takes: its short form, or the long form where there is none.
  EXPECT_NE(GetFileAttributesW(s_propertiesOf[1].c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveFolders(deep, top);
  RemoveFolders(foreign, top);
  RemoveDirectoryW(top.c_str());
}

TEST_F(Overview, StoredLineBreaksAndLongTextsStayOnOneLineAndWhole) {
  info->Startup()->Add(slMachineRun, "Fake\r\nName", "line1.exe\r\n[Fake Section]\r\nCount=99");
  info->Software()->Installed()->Add("Tool\nBroken");
  info->Display()->SetAdapter("Card\r\nTwo");
  // A BIOS version longer than any fixed formatting buffer: the date after it is still shown.
  info->Display()->SetBIOSVersion(std::string(600, 'V'));
  info->Display()->SetBIOSDate("04/05/06");
  f->RefreshPages();
  EXPECT_EQ(Text("eDisplayBIOS"), std::string(600, 'V') + " (04/05/06)");
  EXPECT_EQ(C<TComboBox>("cbAdapters")->Items()[0], "Card  Two");
  f->tcStartup->SetTabIndex(2);
  f->tcStartupChange(f->tcStartup);
  ASSERT_EQ(f->lvStartup->Items().Count(), 2);
  EXPECT_EQ(f->lvStartup->Items().Item(1)->Caption(), "Fake  Name");
  EXPECT_EQ(f->lvStartup->Items().Item(1)->SubItems()[0], "line1.exe  [Fake Section]  Count=99");
  TListView* software = C<TListView>("lvSoftware");
  EXPECT_EQ(software->Items().Item(software->Items().Count() - 1)->Caption(), "Tool Broken");
}

// A box that the gathering raises is owned by the dialog; a close that comes through the box's
// message loop (the main window's menu, a posted WM_CLOSE) frees the dialog only when the
// gathering that still uses it is over.
TEST_F(Overview, ClosedUnderAGatheringBoxItIsFreedWhenTheGatheringIsOver) {
  SetVersionReader([](TVersionRecord&) -> bool { throw Exception("no version here"); });
  HWND owner = nullptr, dialog = f->Handle();
  // Before it is shown the window that owns the dialog takes them (here the application's).
  f->Hide();
  SetMessageBoxHook([&](const std::string&, const std::string&, UINT) {
    owner = ErrorBoxOwner();
    return IDOK;
  });
  f->cmRefresh(f);
  EXPECT_NE(GetWindow(dialog, GW_OWNER), nullptr);
  EXPECT_EQ(owner, GetWindow(dialog, GW_OWNER));
  f->Show();
  bool stillThere = false, hidden = false;
  int raised = 0;
  SetMessageBoxHook([&](const std::string&, const std::string& caption, UINT) {
    if (caption == "TOperatingSystem.GetInfo" && raised++ == 0) {
      owner = ErrorBoxOwner();
      f->Close();
      app->ProcessMessages();
      stillThere = TfrmKSI_Overview::Instance() == f;
      hidden = !IsWindowVisible(dialog);
      PostMessageA(dialog, WM_CLOSE, 0, 0);
      app->ProcessMessages();
    }
    return IDOK;
  });
  f->cmRefresh(f);
  SetVersionReader(nullptr);
  EXPECT_EQ(raised, 1);
  EXPECT_EQ(owner, dialog);
  EXPECT_TRUE(stillThere);
  EXPECT_TRUE(hidden);
  EXPECT_EQ(ErrorBoxOwner(), nullptr);  // boxes after the gathering have no owner again
  app->ProcessMessages();
  EXPECT_EQ(TfrmKSI_Overview::Instance(), nullptr);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(Overview, ReportsProposeTheirNamesAndSaveWhatTheyCover) {
  std::string dir = TempDir(), file = dir + "report.txt";
  DeleteFileA(file.c_str());
  std::vector<std::string> proposed;
  bool confirm = true;
  SetSaveDialogHook([&](TSaveDialog& d) {
    proposed.push_back(d.FileName());
    d.SetFileName(file);
    return confirm;
  });
  f->cmReportAll(nullptr);
  TStringList expected, saved;
  info->Report(expected);
  EXPECT_EQ(proposed.back(), "SystemInfo.txt");
  std::string text = ReadFile(file);
  saved.SetText(text);
  // Every line ended by CR LF; the same lines as the full report (the drive's free space moves).
  EXPECT_EQ(text.size() - saved.Text().size(), 0u);
  ASSERT_EQ(saved.Count(), expected.Count());
  for (int i = 0; i < saved.Count(); ++i) EXPECT_EQ(saved.Names(i), expected.Names(i));
  EXPECT_EQ(text.substr(0, 11), "[Machine]\r\n");

  f->pcMain->SetActivePageIndex(10);
  f->cmReportCurrent(nullptr);
  EXPECT_EQ(proposed.back(), "Engines.txt");
  EXPECT_EQ(ReadFile(file), "[ODBC]\r\n[BDE]\r\n[DAO]\r\n[ADO]\r\n");
  f->pcMain->SetActivePageIndex(13);
  confirm = false;
  DeleteFileA(file.c_str());
  f->cmReportCurrent(nullptr);
  EXPECT_EQ(proposed.back(), "Processess.txt");
  EXPECT_FALSE(Exists(file));  // cancelled: nothing written
  EXPECT_EQ(f->ReportList().Count(), 0);
  EXPECT_TRUE(boxes.empty());
}

// A description of the computer, a time zone or an engine's version may be of any length: the
// tab, the group boxes and the labels show what fits, the tab row keeps its tabs in sight, and
// the proposed file name is the whole description cut to what a file name holds.
TEST_F(Overview, LongTextsFromTheSystemAreShortenedForDisplay) {
  std::vector<std::string> proposed;
  SetSaveDialogHook([&](TSaveDialog& d) {
    proposed.push_back(d.FileName());
    return false;
  });
  HWND tabs = f->pcMain->Handle();
  auto rows = [&] { return SendMessageA(tabs, TCM_GETROWCOUNT, 0, 0); };
  const LRESULT normalRows = rows();
  const std::string acpi = "Advanced Configuration and Power Interface (ACPI) PC";
  for (const std::string& description : std::vector<std::string>{acpi, std::string(300, 'W'), "CON", std::string(3000, 'M') + ":*?"}) {
    SCOPED_TRACE(description.substr(0, 40));
    info->Machine()->SetComputer(description);
    info->OS()->TimeZone()->SetStandardName(description);
    info->Engines()->SetODBC(description);
    f->RefreshPages();
    const std::string tab = Text("tsMachine");
    EXPECT_EQ(tab.front(), ' ');
    EXPECT_EQ(tab.back(), ' ');
    if (description.size() > 40) {
      EXPECT_EQ(tab.substr(tab.size() - 4), "... ");
      EXPECT_LE(Text("gbStandard").size(), 56u);
      EXPECT_LE(Text("lODBC").size(), 64u);
      EXPECT_EQ(Text("lODBC").substr(Text("lODBC").size() - 3), "...");
    }
    EXPECT_EQ(rows(), normalRows);
    RECT first{}, client{};
    SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    GetClientRect(tabs, &client);
    EXPECT_LE(first.right - first.left, (client.right - client.left) * 2 / 5);
    f->pcMain->SetActivePageIndex(0);
    f->cmReportCurrent(nullptr);
    ASSERT_FALSE(proposed.empty());
    EXPECT_LE(proposed.back().size(), 64u);
    EXPECT_EQ(proposed.back().find_first_of("\\/:*?\"<>|"), std::string::npos) << proposed.back();
  }
  EXPECT_EQ(proposed[0], acpi + ".txt");
  EXPECT_EQ(proposed[1], std::string(60, 'W') + ".txt");
  EXPECT_EQ(proposed[2], "_CON.txt");
  EXPECT_EQ(proposed[3], std::string(60, 'M') + ".txt");
}

TEST_F(Overview, FailedSavesSayWhyAndLeaveNoPartialFile) {
  std::string dir = TempDir();
  std::string target;
  SetSaveDialogHook([&](TSaveDialog& d) {
    d.SetFileName(target);
    return true;
  });
  // A folder that does not exist.
  target = dir + "no such folder\\SystemInfo.txt";
  f->cmReportAll(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Velmora Advanced System Profiler: "), std::string::npos);
  EXPECT_NE(boxes[0].find(target), std::string::npos);
  EXPECT_GT(boxes[0].size(), target.size() + 60);  // and the system's reason
  EXPECT_FALSE(Exists(target));

  // The disk fills up half-way: the old report stays whole and no temporary file is left.
  target = dir + "old.txt";
  std::ofstream(target, std::ios::binary) << "old report\r\n";
  s_writes = 0;
  SetReportWriter(FailSecondWrite);
  f->cmReportAll(nullptr);
  SetReportWriter(nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[1].find(target), std::string::npos);
  EXPECT_EQ(ReadFile(target), "old report\r\n");
  EXPECT_EQ(CountTempFiles(dir), 0);

  // A read-only file is left as it was.
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  f->cmReportAll(nullptr);
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(ReadFile(target), "old report\r\n");
  EXPECT_EQ(CountTempFiles(dir), 0);
  DeleteFileA(target.c_str());
}

TEST_F(Overview, ShowOverviewCreatesOnceAndClosingFreesTheDialog) {
  delete f;
  EXPECT_EQ(TfrmKSI_Overview::Instance(), nullptr);
  int gathered = 0;
  // The first showing gathers; the refresh of a real machine is the category tests' business,
  // so the dialog is created here and only its identity is compared.
  info->ShowOverview();
  TfrmKSI_Overview* first = TfrmKSI_Overview::Instance();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->Showing());
  EXPECT_EQ(first->Owner(), app);  // no main form here: the application owns it
  first->SetTag(++gathered);
  info->ShowOverview();
  EXPECT_EQ(TfrmKSI_Overview::Instance(), first);
  EXPECT_EQ(first->Tag(), 1);
  EXPECT_GT(info->Processes()->ProcessCount(), 0);
  first->Close();
  app->ProcessMessages();
  EXPECT_EQ(TfrmKSI_Overview::Instance(), nullptr);
  // What it gathered went with it; the next opening gathers again.
  EXPECT_EQ(info->Processes()->ProcessCount(), 0);
  info->ShowOverview();
  ASSERT_NE(TfrmKSI_Overview::Instance(), nullptr);
  EXPECT_GT(info->Processes()->ProcessCount(), 0);
  TfrmKSI_Overview::Instance()->Close();
  app->ProcessMessages();
  boxes.clear();  // what the real gathering may have said about Wine
}
