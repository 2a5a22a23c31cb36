#include "sysinfo/KSI_Overview.h"
#include <shellapi.h>
#include <cmath>
#include <cstdio>
#include <map>
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/ExtCtrls.h"
#include "framework/GdiObjects.h"
#include "framework/Handles.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "probes/Kestrix_Routines.h"
#include "sysinfo/KSI_DetailDlg.h"
#include "sysinfo/KSystemInfo.h"
#include "sysinfo/LedMeter.h"
#include "sysinfo/OverviewLogic.h"
#include "sysinfo/ReportLocale.h"
#include "sysinfo/ReportText.h"
#include "sysinfo/SysInfoLogic.h"
#include "sysinfo/SysInfoWin.h"

using namespace overview;

namespace {

TfrmKSI_Overview* s_instance = nullptr;

std::string Trim(const std::string& s) { return TrimControls(s); }

// A date, or nothing for the zero that stands for "no date".
std::string DateText(TDateTime t) { return t == 0 ? std::string() : DateTimeText(t); }

// Startup tabs in order, and the location each one lists.
const TStartupLocation kStartupTabs[] = {slUserStartup, slCommonStartup, slMachineRun, slUserRun, slRunOnce, slWinIni};

// The hourglass while the window thread is busy; the arrow comes back however it ends.
class THourglass {
 public:
  THourglass() : FOld(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  ~THourglass() { SetCursor(FOld ? FOld : LoadCursorA(nullptr, IDC_ARROW)); }

 private:
  HCURSOR FOld;
};

// A small icon of the shell's own set, or the generic application icon where that version of
// the shell has none at that index.
HICON ShellIcon(int index) {
  HICON small = nullptr;
  if (ExtractIconExA("shell32.dll", index, nullptr, &small, 1) > 0 && small) return small;
  return CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
}

// The shell's icons by index, each extracted once while the image lists are made.
class TShellIcons {
 public:
  HICON Get(int index) {
    IconHandle& h = FIcons[index];
    if (!h) h.reset(ShellIcon(index));
    return h.get();
  }

 private:
  std::map<int, IconHandle> FIcons;
};

// Shell icons for each device class kind (see the class kind table of the device category).
const int kKindShellIcons[kClassKindCount] = {
    25, 15, 8, 34, 11, 6, 6, 13, 21, 8, 21, 34, 21, 21, 7, 7, 21, 33, 34, 21, 21, 18, 21, 25, 0, 21, 21, 16, 8, 21, 40, 8, 15, 7, 21};

bool TerminateById(uint32_t id) {
  KernelHandle h(OpenProcess(PROCESS_TERMINATE, FALSE, id));
  return h && TerminateProcess(h.get(), 0);
}

TProcessTerminator s_terminator = TerminateById;
TReportWriter s_writer = nullptr;

std::string SystemReason(DWORD code) {
  char buf[512] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf, sizeof buf, nullptr);
  std::string s(buf, n);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  if (s.empty()) s = Format("System error %lu.", static_cast<unsigned long>(code));
  return s;
}

[[noreturn]] void SaveFailed(const std::string& file, DWORD code) {
  throw Exception("The report could not be saved to " + file + ".\r\n\r\n" + SystemReason(code));
}

// Puts tmp in target's place; where the system cannot replace in one step (Windows 95), the
// old file is moved aside first and put back if the new one cannot follow it.
bool ReplaceFile(const std::string& tmp, const std::string& target, DWORD& error) {
  using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  static auto moveEx = reinterpret_cast<MoveFileExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
  if (moveEx && moveEx(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  error = GetLastError();
  if (moveEx && error != ERROR_CALL_NOT_IMPLEMENTED) return false;
  if (MoveFileA(tmp.c_str(), target.c_str())) return true;
  error = GetLastError();
  if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  std::string aside = tmp + ".old";
  if (!MoveFileA(target.c_str(), aside.c_str())) {
    error = GetLastError();
    return false;
  }
  if (!MoveFileA(tmp.c_str(), target.c_str())) {
    error = GetLastError();
    MoveFileA(aside.c_str(), target.c_str());
    return false;
  }
  DeleteFileA(aside.c_str());
  return true;
}

// A path the shell takes: beyond MAX_PATH its short form where the volume keeps one, else the
// long form of the wide functions.
std::wstring ShellPath(const std::wstring& path) {
  if (path.size() < MAX_PATH) return path;
  const std::wstring longForm = LongPathForm(path);
  if (const auto shortName = SysApi().GetShortPathNameW) {
    std::vector<wchar_t> buf(longForm.size() + 1);
    const DWORD n = shortName(longForm.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n > 0 && n < buf.size()) {
      std::wstring s(buf.data(), n);
      if (s.rfind(L"\\\\?\\UNC\\", 0) == 0) s = L"\\\\" + s.substr(8);
      else if (s.rfind(L"\\\\?\\", 0) == 0) s = s.substr(4);
      if (s.size() < MAX_PATH) return s;
    }
  }
  return longForm;
}

}  // namespace

TProcessTerminator SetProcessTerminator(TProcessTerminator t) {
  TProcessTerminator old = s_terminator;
  s_terminator = t ? t : TerminateById;
  return old;
}

void SetReportWriter(TReportWriter w) { s_writer = w; }

void WriteReportFile(const TStrings& lines, const std::string& fileName) {
  // The new text goes to a file of its own in the same folder first, so that a failure leaves
  // the old file (or none) rather than a part of the report.
  // Replacing would succeed on some systems; a file its owner made read-only stays as it is.
  DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) SaveFailed(fileName, ERROR_ACCESS_DENIED);
  // Every line ended by CR LF, in the 8-bit character set; a line that still carries a line
  // break of its own cannot start another one. Made before the file, which a failure here would
  // leave behind.
  std::string text;
  for (const std::string& line : lines.Items()) text += SingleLine(line) + "\r\n";
  std::string dir = SplitImageName(fileName).first;
  if (dir.empty()) dir = ".\\";
  char tmp[MAX_PATH + 16];
  if (!GetTempFileNameA(dir.c_str(), "vlm", 0, tmp)) SaveFailed(fileName, GetLastError());
  KernelHandle h(CreateFileA(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) {
    DWORD e = GetLastError();
    DeleteFileA(tmp);
    SaveFailed(fileName, e);
  }
  auto write = s_writer ? s_writer : WriteFile;
  DWORD done = 0, error = 0;
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    DWORD chunk = static_cast<DWORD>(left > 65536 ? 65536 : left);
    if (!write(h.get(), p, chunk, &done, nullptr) || done == 0) {
      error = GetLastError();
      if (error == 0) error = ERROR_DISK_FULL;  // nothing written and no reason: the disk is full
      break;
    }
    p += done;
    left -= done;
  }
  if (!h.Close() && error == 0) error = GetLastError();
  if (error == 0 && !ReplaceFile(tmp, fileName, error) && error == 0) error = ERROR_ACCESS_DENIED;
  if (error != 0) {
    DeleteFileA(tmp);
    SaveFailed(fileName, error);
  }
}

// ---------------------------------------------------------------- the dialog

VELMORA_CLASS_INFO(TfrmKSI_Overview) {}

TfrmKSI_Overview* TfrmKSI_Overview::Instance() { return s_instance; }

TfrmKSI_Overview::TfrmKSI_Overview(TComponent* AOwner) : TForm(AOwner) {
  BindField("pcMain", pcMain);
  BindField("bReport", bReport);
  BindField("bDeviceProps", bDeviceProps);
  BindField("pmReport", pmReport);
  BindField("sdReport", sdReport);
  BindField("psdPrinter", psdPrinter);
  BindField("ilIcons", ilIcons);
  BindField("ilDevices", ilDevices);
  BindField("tvDevices", tvDevices);
  BindField("lvProcesses", lvProcesses);
  BindField("lvStartup", lvStartup);
  BindField("cbDrive", cbDrive);
  BindField("tcStartup", tcStartup);
  auto on = [this](const char* name, void (TfrmKSI_Overview::*m)(TObject*)) {
    RegisterHandler(name, TNotifyEvent([this, m](TObject* s) { (this->*m)(s); }));
  };
  on("FormCreate", &TfrmKSI_Overview::FormCreate);
  on("cmRefresh", &TfrmKSI_Overview::cmRefresh);
  on("cmClose", &TfrmKSI_Overview::cmClose);
  on("cmReportClick", &TfrmKSI_Overview::cmReportClick);
  on("cmReportAll", &TfrmKSI_Overview::cmReportAll);
  on("cmReportCurrent", &TfrmKSI_Overview::cmReportCurrent);
  on("cmEnvironment", &TfrmKSI_Overview::cmEnvironment);
  on("cmNTSpec", &TfrmKSI_Overview::cmNTSpec);
  on("cmModes", &TfrmKSI_Overview::cmModes);
  on("cmCaps", &TfrmKSI_Overview::cmCaps);
  on("cmProto", &TfrmKSI_Overview::cmProto);
  on("cmServ", &TfrmKSI_Overview::cmServ);
  on("cmCli", &TfrmKSI_Overview::cmCli);
  on("cmProps", &TfrmKSI_Overview::cmProps);
  on("cmPrintSetup", &TfrmKSI_Overview::cmPrintSetup);
  on("cbDriveChange", &TfrmKSI_Overview::cbDriveChange);
  on("cmTerminate", &TfrmKSI_Overview::cmTerminate);
  on("cmProcProps", &TfrmKSI_Overview::cmProcProps);
  on("tcStartupChange", &TfrmKSI_Overview::tcStartupChange);
  on("clbClickCheck", &TfrmKSI_Overview::clbClickCheck);
  RegisterHandler("FormClose", TCloseEvent([this](TObject* s, TCloseAction& a) { FormClose(s, a); }));
  RegisterHandler("TreeChange", TTVChangedEvent([this](TObject* s, TTreeNode* n) { TreeChange(s, n); }));
  s_instance = this;
  try {
    LoadDescription("KSI_OVERVIEW");
  } catch (...) {
    s_instance = nullptr;
    throw;
  }
}

TfrmKSI_Overview::~TfrmKSI_Overview() {
  if (s_instance == this) s_instance = nullptr;
  // Each opening gathers afresh: what this one gathered need not outlive it.
  if (FOwnsGathering && FSysInfo) FSysInfo->Clear();
}

template <class T>
T* TfrmKSI_Overview::Find(const char* name) const {
  auto* c = dynamic_cast<T*>(FindComponent(name));
  if (!c) throw Exception(std::string("The dialog has no ") + name);
  return c;
}

// Every text shown on one line goes through here or AddRow: a line break stored in the
// registry must not make a field or a row look like two.
void TfrmKSI_Overview::Put(const char* name, const std::string& text) { Find<TControl>(name)->SetCaption(SingleLine(text)); }

namespace {
// The blanks that set a tab's or a group box's text off stay around the shortened text.
// shorten is given the text and the characters the blanks take.
std::string KeepPadding(const std::string& text, const std::function<std::string(const std::string&, size_t)>& shorten) {
  if (text.size() <= 2 || text.front() != ' ' || text.back() != ' ') return shorten(text, 0);
  return " " + shorten(text.substr(1, text.size() - 2), 2) + " ";
}
}  // namespace

// A caption or label that holds text from the system: shortened to what its place shows. Edit
// fields keep the whole text, which they scroll.
void TfrmKSI_Overview::PutShort(const char* name, const std::string& text, size_t maxChars) {
  Put(name, KeepPadding(text, [&](const std::string& t, size_t blanks) { return ShortCaption(t, maxChars - blanks, AnsiLeadByte); }));
}

void TfrmKSI_Overview::SetTabTitle(const char* sheet, const std::string& title) {
  FTabTitles[Find<TTabSheet>(sheet)] = title;
  // At most a third of the tab row, in the strip's own font: the tabs keep their rows and stay
  // in sight whatever the letters.
  const int room = pcMain->ClientWidth() / 3;
  HDC dc = GetDC(pcMain->Handle());
  HGDIOBJ old = SelectObject(dc, pcMain->Font().Handle());
  auto fits = [&](const std::string& t) {
    const std::string spaced = " " + t + " ";
    SIZE size{};
    return GetTextExtentPoint32A(dc, spaced.c_str(), static_cast<int>(spaced.size()), &size) && size.cx <= room;
  };
  const std::string shown = KeepPadding(title, [&](const std::string& t, size_t) { return ShortCaption(t, fits, AnsiLeadByte); });
  SelectObject(dc, old);
  ReleaseDC(pcMain->Handle(), dc);
  Put(sheet, shown);
}

void TfrmKSI_Overview::SetSysInfo(TKSystemInfo* v) {
  if (v == FSysInfo) return;
  FSysInfo = v;
  if (v) v->FreeNotification(this);
}

void TfrmKSI_Overview::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FSysInfo) FSysInfo = nullptr;
}

void TfrmKSI_Overview::SetPageSet(uint32_t v) {
  FPageSet = v;
  for (int i = 0; i < pcMain->PageCount(); ++i) pcMain->Pages(i)->SetTabVisible((v >> i) & 1u);
}

bool TfrmKSI_Overview::ShowReportButton() const { return bReport->Visible(); }

void TfrmKSI_Overview::SetShowReportButton(bool v) { bReport->SetVisible(v); }

void TfrmKSI_Overview::LoadIcons() {
  static const int shell[oiCount] = {2, 21, 40, 18, 16, 16, 16, 16, 2, 2, 24};
  static const char* const own[oiCount] = {nullptr, nullptr, nullptr, nullptr, "PRNLOCAL", "PRNNET", "PRNLOCALDEF",
                                           "PRNNETDEF", nullptr, nullptr, nullptr};
  TShellIcons icons;
  for (int i = 0; i < oiCount; ++i) {
    IconHandle own16(own[i] ? static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), own[i], IMAGE_ICON, 16, 16, 0)) : nullptr);
    ilIcons->AddIcon(own16 ? own16.get() : icons.Get(shell[i]));
  }
  for (int k = 0; k < kClassKindCount; ++k) ilDevices->AddIcon(icons.Get(kKindShellIcons[k]));
}

void TfrmKSI_Overview::FormCreate(TObject*) {
  FReport = std::make_unique<TStringList>();
  LoadIcons();
  SetPageSet(0xFFFF);
  pcMain->SetActivePage(Find<TTabSheet>("tsMachine"));
  Find<TPageControl>("pcCPU")->SetActivePage(Find<TTabSheet>("tsCPUId"));
  Put("lAboutTitle", kSystemInfoTitle);
  Put("lAboutVersion", std::string("Version ") + kSystemInfoVersion);
}

void TfrmKSI_Overview::FormClose(TObject*, TCloseAction& Action) {
  // Closed from the message loop of a box that the gathering raised: hidden now, and freed
  // when the gathering, which is still using the dialog, is over.
  if (FRefreshing) {
    FFreeAfterRefresh = true;
    Action = caHide;
    return;
  }
  Action = caFree;
}

void TfrmKSI_Overview::cmClose(TObject*) { Close(); }

void TfrmKSI_Overview::cmRefresh(TObject*) {
  if (FRefreshing) return;  // a second press that came through a box's message loop
  // The boxes of the gathering belong to the dialog; before its first showing to the window
  // that owns it, so that a box never hides behind a window of its own program.
  struct TRefreshing {
    TfrmKSI_Overview& f;
    HWND oldOwner;
    explicit TRefreshing(TfrmKSI_Overview& form)
        : f(form),
          oldOwner(SetErrorBoxOwner(IsWindowVisible(form.Handle()) ? form.Handle() : GetWindow(form.Handle(), GW_OWNER))) {
      f.FRefreshing = true;
    }
    ~TRefreshing() {
      SetErrorBoxOwner(oldOwner);
      f.FRefreshing = false;
      if (f.FFreeAfterRefresh) f.Release();
    }
  } refreshing(*this);
  THourglass busy;
  if (FSysInfo) FSysInfo->Refresh();
  RefreshPages();
}

// The pages that show the categories, in the order a refresh fills them: the tab sheet of the
// dialog's description, how it is filled, and what its "Current Topic" report holds. A sheet
// without a row (About) is neither filled nor reported.
struct TfrmKSI_Overview::TPage {
  const char* Sheet;
  void (TfrmKSI_Overview::*Fill)();
  void (*Report)(TKSystemInfo& info, TStrings& report);
};

namespace {
template <class T>
void ReportOf(TKSystemInfo& info, TStrings& report) {
  info.Category<T>()->Report(report);
}
void ReportTimeZone(TKSystemInfo& info, TStrings& report) { info.OS()->TimeZone()->Report(report); }
}  // namespace

const TfrmKSI_Overview::TPage TfrmKSI_Overview::kPages[] = {
    {"tsMachine", &TfrmKSI_Overview::FillMachinePage, ReportOf<TMachine>},
    {"tsOS", &TfrmKSI_Overview::FillOSPage, ReportOf<TOperatingSystem>},
    {"tsCPU", &TfrmKSI_Overview::FillCPUPage, ReportOf<TCPU>},
    {"tsMemory", &TfrmKSI_Overview::FillMemoryPage, ReportOf<TMemory>},
    {"tsDisplay", &TfrmKSI_Overview::FillDisplayPage, ReportOf<TDisplay>},
    {"tsAPM", &TfrmKSI_Overview::FillAPMPage, ReportOf<TAPM>},
    {"tsMedia", &TfrmKSI_Overview::FillMediaPage, ReportOf<TMedia>},
    {"tsNetwork", &TfrmKSI_Overview::FillNetworkPage, ReportOf<TNetwork>},
    {"tsDevices", &TfrmKSI_Overview::FillDevicesPage, ReportOf<TDevices>},
    // The page shows DirectX too; its topic is the engines alone.
    {"tsEngines", &TfrmKSI_Overview::FillEnginesPage, ReportOf<TEngines>},
    {"tsDrives", &TfrmKSI_Overview::FillDrivesPage, ReportOf<TDisk>},
    {"tsTimeZone", &TfrmKSI_Overview::FillTimeZonePage, ReportTimeZone},
    {"tsProcesses", &TfrmKSI_Overview::FillProcessesPage, ReportOf<TProcesses>},
    {"tsPrinters", &TfrmKSI_Overview::FillPrintersPage, ReportOf<TPrinters>},
    {"tsStartup", &TfrmKSI_Overview::FillStartupPage, ReportOf<TStartup>},
    {"tsSoftware", &TfrmKSI_Overview::FillSoftwarePage, ReportOf<TSoftware>},
};

void TfrmKSI_Overview::RefreshPages() {
  if (!FSysInfo) return;
  THourglass busy;
  InitReportLocale();  // the numbers and dates as the user's settings write them
  for (const TPage& p : kPages) {
    int page = Find<TTabSheet>(p.Sheet)->PageIndex();
    if (page >= 0 && page < 32 && ((FPageSet >> page) & 1u)) (this->*p.Fill)();
  }
}

namespace {
void AddRow(TListView* lv, const std::string& caption, const std::string& second, int image = -1) {
  TListItem* it = lv->Items().Add();
  it->SetCaption(SingleLine(caption));
  it->SetImageIndex(image);
  if (!second.empty()) it->SubItems().Add(SingleLine(second));
}

struct ListFill {
  TListView* lv;
  explicit ListFill(TListView* v) : lv(v) {
    lv->Items().BeginUpdate();
    lv->Items().Clear();
  }
  ~ListFill() { lv->Items().EndUpdate(); }
};
}  // namespace

void TfrmKSI_Overview::FillMachinePage() {
  TMachine* m = FSysInfo->Machine();
  Put("eMachineName", m->Name());
  Put("eUserName", m->User());
  Put("eBIOSName", m->BIOSName());
  Put("eBIOSCopyright", m->BIOSCopyright());
  Put("eBIOSDate", m->BIOSDate());
  Put("eBIOSExtended", m->BIOSExtendedInfo());
  Put("eLastBoot", DateText(m->LastBoot()));
  Put("eUpTime", FormatDuration(static_cast<int64_t>(std::nearbyint(m->SystemUpTime()))));
  Find<TPanel>("pNumLock")->SetColor(m->NumLock() ? clLime : clSilver);
  Find<TPanel>("pCapsLock")->SetColor(m->CapsLock() ? clLime : clSilver);
  Find<TPanel>("pScrollLock")->SetColor(m->ScrollLock() ? clLime : clSilver);
  std::string computer = Trim(m->Computer());
  SetTabTitle("tsMachine", computer.empty() ? std::string(" Machine ") : " " + m->Computer() + " ");
}

void TfrmKSI_Overview::FillOSPage() {
  TOperatingSystem* os = FSysInfo->OS();
  if (!os->Platform().empty()) SetTabTitle("tsOS", os->Platform());
  // A system newer than the kinds known here is named by its platform.
  std::string name = OSName().empty() ? os->Platform() : OSName();
  if (IsNT()) {
    switch (os->NTSpecific()->ProductType()) {
      case ptWorkStation: name += " - Workstation"; break;
      case ptServer: name += " - Server"; break;
      case ptAdvancedServer: name += " - Advanced Server"; break;
      default: break;
    }
  }
  Put("lOSName", name);
  Put("lOSVersion", Format("Version: %d.%d.%d", os->MajorVersion(), os->MinorVersion(), os->BuildNumber()));
  PutShort("lOSExtra", IsNT() ? os->CSD() : IsWin95OSR2() ? "OSR 2" : IsWin98SE() ? "Second Edition" : "");
  PutShort("lDVDRegion", "DVD Region: " + os->DVDRegion());
  Put("eProductID", os->ProductID());
  Put("eProductKey", os->ProductKey());
  Put("eRegUser", os->RegisteredUser());
  Put("eRegOrg", os->RegisteredOrg());
  ListFill f(Find<TListView>("lvFolders"));
  const TStrings& folders = *os->Folders();
  for (int i = 0; i < folders.Count(); ++i)
    if (!folders.ValueFromIndex(i).empty()) AddRow(f.lv, folders.Names(i), folders.ValueFromIndex(i));
  // The suites are read from Windows 2000 on.
  Find<TButton>("bNTSpec")->SetEnabled(IsNT() && os->MajorVersion() >= 5);
}

void TfrmKSI_Overview::FillCPUPage() {
  TCPU* c = FSysInfo->CPU();
  Put("lCPUName", CpuHeadline(c->Packages(), c->Vendor(), c->VendorID(), c->Frequency(),
                              !c->Hypervisor().empty()));
  Put("lCPUFamily", Format("Family %d  Model %d  Stepping %d", c->Family(), c->Model(), c->Stepping()));
  Put("lCodeName", "Code Name: " + c->CodeName());
  Put("lVendor", "Vendor: " + c->VendorEx());
  // A count nobody published is left out rather than shown as 0.
  Put("lTransistors", c->Transistors() > 0 ? "Transistors: " + std::to_string(c->Transistors())
                                           : std::string("Transistors:"));
  Put("lSerial", "Serial Number: " + c->SerialNumber());
  TCPUCache* k = c->Cache();
  Put("lL1Data", Format("Level 1 Data Cache: %d Kb", k->L1Data()));
  // The Pentium 4's trace cache holds decoded micro-operations, not bytes.
  Put("lL1Code", k->TraceCache() ? Format("Level 1 Instruction Cache: %d K\xB5ops (trace cache)", k->L1Code())
                                 : Format("Level 1 Instruction Cache: %d Kb", k->L1Code()));
  Put("lL1Unified", Format("Level 1 Unified Cache: %d Kb", k->Level1()));
  Put("lL2Unified", Format("Level 2 Unified Cache: %d Kb", k->Level2()));
  std::string l3 = Format("Level 3 Unified Cache: %d Kb", k->Level3());
  if (k->L3Count() > 1) l3 += Format(" (%d x %d Kb)", k->L3Count(), k->Level3() / k->L3Count());
  Put("lL3Unified", l3);
  Find<TControl>("lL3Unified")->SetVisible(k->Level3() > 0);
  Put("lCores", CpuCoresText(c->Topology()));
  Put("lHypervisor", "Hypervisor: " + c->Hypervisor());
  Find<TControl>("lHypervisor")->SetVisible(!c->Hypervisor().empty());

  auto fill = [](TCheckListBox* clb, const std::vector<std::pair<std::string, bool>>& items) {
    clb->Items().BeginUpdate();
    clb->Items().Clear();
    for (const auto& it : items) clb->Items().Add(it.first);
    clb->Items().EndUpdate();
    for (size_t i = 0; i < items.size(); ++i) clb->SetChecked(static_cast<int>(i), items[i].second);
  };
  // The classic flags are the report's first 24 lines of the section; the instruction sets
  // have a list of their own.
  TStringList lines;
  c->Features()->Report(lines);
  auto classic = FlagItems(lines);
  classic.resize(cfCount);
  classic.emplace_back("FDIV Bug", c->FDIVBug());
  fill(Find<TCheckListBox>("clbFeatures"), classic);
  const TCpuIsaSet& isa = c->Features()->InstructionSets();
  std::vector<std::pair<std::string, bool>> sets;
  for (const TCpuIsaItem& it : CpuIsaItems(isa)) sets.emplace_back(it.Text, it.Checked);
  fill(Find<TCheckListBox>("clbInstructionSets"), sets);
  Put("lInstructionSets", CpuIsaCaption(isa));
}

void TfrmKSI_Overview::FillMemoryPage() {
  TMemory* m = FSysInfo->Memory();
  Put("ePhysTotal", GroupedOrEmpty(m->PhysicalTotal()));
  Put("ePhysFree", GroupedOrZero(m->PhysicalFree()));
  Put("ePageTotal", GroupedOrEmpty(m->PageFileTotal()));
  Put("ePageFree", GroupedOrZero(m->PageFileFree()));
  Put("eVirtTotal", GroupedOrEmpty(m->VirtualTotal()));
  Put("eVirtFree", GroupedOrZero(m->VirtualFree()));
  Find<TLEDMeter>("lmMemory")->SetPosition(static_cast<int>(m->MemoryLoad()));
  Put("eGranularity", GroupedOrEmpty(m->AllocGranularity()));
  Put("eAddrRange", Format("%08X - %08X", m->MinAppAddress(), m->MaxAppAddress()));
  Put("ePageSize", GroupedOrEmpty(m->PageSize()));
}

void TfrmKSI_Overview::FillDisplayPage() {
  TDisplay* d = FSysInfo->Display();
  auto* cb = Find<TComboBox>("cbAdapters");
  cb->Items().Clear();
  cb->Items().Add(SingleLine(d->Adapter()));
  cb->SetItemIndex(0);
  Put("eChipset", d->Chipset());
  Put("eDAC", d->DAC());
  Put("eAdapterMemory", Format("%d", d->Memory()));
  Put("eDisplayBIOS", Format("%s (%s)", d->BIOSVersion().c_str(), d->BIOSDate().c_str()));
  Put("lTechnology", "Technology: " + d->Technology());
  Put("lMetrics", Format("Metrics: %d x %d - %d bit", d->HorzRes(), d->VertRes(), d->ColorDepth()));
  Put("lFontRes", Format("Font Resolution: %u dpi", d->FontResolution()));
  Put("lPixelWidth", Format("Pixel Width: %d", d->PixelWidth()));
  Put("lPixelHeight", Format("Pixel Height: %d", d->PixelHeight()));
  Put("lPixelDiag", Format("Pixel Diagonal: %d", d->PixelDiagonal()));
}

void TfrmKSI_Overview::FillAPMPage() {
  TAPM* a = FSysInfo->APM();
  Put("eACStatus", PowerStatusText(a->ACPowerStatus()));
  Put("eBatteryStatus", BatteryStatusText(a->BatteryChargeStatus()));
  if (a->BatteryLifePercent() > 100) {
    Put("eFullLifeTime", kInfoNotAvailable);
    Put("eLifeTime", kInfoNotAvailable);
    return;
  }
  Put("eFullLifeTime", BatteryTimeText(a->BatteryLifeFullTime()));
  Put("eLifeTime", BatteryTimeText(a->BatteryLifeTime()));
  Find<TLEDMeter>("lmBattery")->SetPosition(a->BatteryLifePercent());
}

void TfrmKSI_Overview::FillMediaPage() {
  TMedia* m = FSysInfo->Media();
  {
    ListFill f(Find<TListView>("lvMediaDevices"));
    for (int i = 0; i < m->Devices()->Count(); ++i)
      AddRow(f.lv, (*m->Devices())[i], "", i == m->GamePortIndex() ? oiGamePort : i == m->SoundCardIndex() ? oiSoundCard : oiGeneric);
  }
  ListFill f(Find<TListView>("lvSound"));
  const std::pair<TStrings*, const char*> lists[] = {{m->WAVEIn(), "Wave In"}, {m->WAVEOut(), "Wave Out"}, {m->MIDIIn(), "MIDI In"},
                                                     {m->MIDIOut(), "MIDI Out"}, {m->AUX(), "AUX"},        {m->Mixer(), "Mixer"}};
  for (const auto& l : lists)
    for (const std::string& s : l.first->Items()) AddRow(f.lv, s, l.second);
}

void TfrmKSI_Overview::FillNetworkPage() {
  TNetwork* n = FSysInfo->Network();
  {
    ListFill f(Find<TListView>("lvNetAdapters"));
    for (int i = 0; i < n->Adapters()->Count(); ++i)
      AddRow(f.lv, (*n->Adapters())[i], "", i == n->CardAdapterIndex() ? oiNetCard : oiGeneric);
  }
  Find<TListBox>("lbIP")->Items().Assign(*n->IPAddresses());
  Find<TListBox>("lbMAC")->Items().Assign(*n->MACAddresses());
  TWinsock* w = n->WinSock();
  Put("eWSDescription", w->Description());
  Put("eWSVersion", Format("%d.%d", w->MajorVersion(), w->MinorVersion()));
  Put("eWSStatus", w->Status());
}

void TfrmKSI_Overview::FillDevicesPage() {
  TDevices* d = FSysInfo->Devices();
  TTreeNodes& nodes = tvDevices->Items();
  nodes.BeginUpdate();
  nodes.Clear();
  bDeviceProps->SetEnabled(false);
  TTreeNode* root = nodes.AddChild(nullptr, SingleLine(ComputerName()));
  root->SetImageIndex(1);  // the computer's kind
  root->SetSelectedIndex(1);
  root->Data = -1;
  std::vector<DeviceInput> in;
  for (int i = 0; i < d->DeviceCount(); ++i) {
    const TDeviceRecord& r = d->Device(i);
    in.push_back({r.ClassName, r.ClassDesc, r.FriendlyName, r.Description, r.ClassKind});
  }
  for (const DeviceClassNode& g : GroupDevices(in)) {
    TTreeNode* cls = nodes.AddChild(root, SingleLine(g.Caption));
    cls->SetImageIndex(g.Kind);
    cls->SetSelectedIndex(g.Kind);
    cls->Data = -1;
    for (const DeviceLeaf& leaf : g.Devices) {
      TTreeNode* n = nodes.AddChild(cls, SingleLine(leaf.Caption));
      n->SetImageIndex(g.Kind);
      n->SetSelectedIndex(g.Kind);
      n->Data = leaf.Index;
    }
    cls->AlphaSort();
  }
  root->Expand(false);
  nodes.EndUpdate();
}

void TfrmKSI_Overview::FillPrintersPage() {
  TPrinters* p = FSysInfo->Printers();
  ListFill f(Find<TListView>("lvPrinters"));
  for (int i = 0; i < p->Names()->Count(); ++i) {
    std::string port = i < p->Ports()->Count() ? (*p->Ports())[i] : std::string();
    bool net = port.find("\\\\") != std::string::npos;
    bool def = i == p->DefaultIndex();
    AddRow(f.lv, (*p->Names())[i], port, net ? (def ? oiNetPrinterDefault : oiNetPrinter) : (def ? oiPrinterDefault : oiPrinter));
  }
}

void TfrmKSI_Overview::FillEnginesPage() {
  TEngines* e = FSysInfo->Engines();
  auto line = [](const char* name, const std::string& v) {
    return v.empty() ? std::string(name) + " not found" : std::string(name) + " " + v;
  };
  PutShort("lODBC", line("Open Database Connectivity", e->ODBC()));
  PutShort("lBDE", line("Borland Database Engine", e->BDE()));
  PutShort("lDAO", line("Microsoft Data Access Objects", e->DAO()));
  PutShort("lADO", line("Microsoft ActiveX Data Objects", e->ADO()));
  TDirectX* x = FSysInfo->DirectX();
  if (x->Version().empty()) {
    Put("lDXVersion", "Not installed.");
    return;
  }
  PutShort("lDXVersion", "Installed version: " + x->Version());
  ListFill f(Find<TListView>("lvDirectX"));
  const std::pair<TStrings*, const char*> lists[] = {{x->Direct3D(), "Direct3D"}, {x->DirectMusic(), "DirectMusic"}, {x->DirectPlay(), "DirectPlay"}};
  for (const auto& l : lists)
    for (const std::string& s : l.first->Items()) AddRow(f.lv, s, l.second);
}

void TfrmKSI_Overview::FillDrivesPage() {
  const std::string& letters = FSysInfo->Disk()->AvailableDisks();
  std::string windows = FSysInfo->OS()->Folders()->Values("Windows");
  char winLetter = windows.empty() ? '\0' : static_cast<char>(toupper(static_cast<unsigned char>(windows[0])));
  cbDrive->Items().BeginUpdate();
  cbDrive->Items().Clear();
  int select = 0;
  for (char c : letters) {
    char u = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (u == winLetter) select = cbDrive->Items().Count();
    cbDrive->Items().Add(std::string(1, u) + ":");
  }
  cbDrive->Items().EndUpdate();
  cbDrive->SetItemIndex(cbDrive->Items().Count() > 0 ? select : -1);
  cbDriveChange(cbDrive);
}

void TfrmKSI_Overview::cbDriveChange(TObject*) {
  auto* meter = Find<TLEDMeter>("lmDrive");
  meter->SetPosition(0);
  int index = cbDrive->ItemIndex();
  if (index < 0 || !FSysInfo) return;
  std::string item = cbDrive->Items()[index];
  TDisk* d = FSysInfo->Disk();
  d->SetDrive(item.substr(0, 2));
  PutShort("lDriveType", d->FileSystem() + " - " + MediaTypeText(d->MediaType()));
  auto* image = Find<TImage>("imDrive");
  HICON icon = nullptr;
  if (d->MediaPresent()) {
    SHFILEINFOA info{};
    std::string root = item.substr(0, 2) + "\\";
    if (SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON)) icon = info.hIcon;
  }
  image->Picture().Icon()->SetHandle(icon);
  image->Invalidate();
  Put("eUNC", d->UNC());
  Put("eDriveSerial", d->SerialNumber());
  if (item.find('[') == std::string::npos) {
    cbDrive->Items().Put(index, item + " [" + SingleLine(d->VolumeLabel()) + "]");
    cbDrive->SetItemIndex(index);
  }
  Put("lCapacity", "Capacity: " + GroupedOrZero(static_cast<uint64_t>(std::max<int64_t>(d->Capacity(), 0))) + " B");
  Put("lFreeSpace", "Free space: " + GroupedOrZero(static_cast<uint64_t>(std::max<int64_t>(d->FreeSpace(), 0))) + " B");
  int used = UsedPercent(d->Capacity(), d->FreeSpace());
  if (used >= 0) meter->SetPosition(used);
  Put("lBytesPerSector", Format("Bytes/sector: %u", d->BytesPerSector()));
  Put("lSectorPerCluster", Format("Sector/cluster: %u", d->SectorsPerCluster()));
  Put("lFreeClusters", "Free clusters: " + GroupedOrZero(d->FreeClusters()));
  Put("lTotalClusters", "Total clusters: " + GroupedOrZero(d->TotalClusters()));
  auto* flags = Find<TCheckListBox>("clbDriveFlags");
  flags->Items().BeginUpdate();
  flags->Items().Clear();
  for (int f = 0; f < fsCount; ++f) flags->Items().Add(FileFlagLabel(static_cast<TFileFlag>(f)));
  flags->Items().EndUpdate();
  for (int f = 0; f < fsCount; ++f) flags->SetChecked(f, HasFileFlag(d->FileFlags(), static_cast<TFileFlag>(f)));
}

void TfrmKSI_Overview::FillTimeZonePage() {
  TTimeZone* tz = FSysInfo->OS()->TimeZone();
  PutShort("lTZName", tz->DisplayName(), kTwoLinesMax);
  PutShort("gbStandard", tz->StandardName().empty() ? std::string(" Standard Time ") : " " + tz->StandardName() + " ", kGroupMax);
  Put("eStdStart", DateText(tz->StandardStart()));
  Put("eStdBias", Format("%d", tz->StandardBias()));
  PutShort("gbDaylight", tz->DaylightName().empty() ? std::string(" Daylight Time ") : " " + tz->DaylightName() + " ", kGroupMax);
  Put("eDltStart", DateText(tz->DaylightStart()));
  Put("eDltBias", Format("%d", tz->DaylightBias()));
}

void TfrmKSI_Overview::FillProcessesPage() {
  TProcesses* p = FSysInfo->Processes();
  {
    ListFill f(lvProcesses);
    bool nt = IsNT();
    for (const TProcessEntry& e : p->Entries()) {
      auto [folder, file] = SplitImageName(e.Name);
      TListItem* it = lvProcesses->Items().Add();
      it->SetCaption(PidText(e.Id, nt));
      it->SetImageIndex(oiProcess);
      it->SubItems().Add(SingleLine(file));
      it->SubItems().Add(SingleLine(folder));
    }
  }
  Put("pProcessCount", Format("  %d processes", lvProcesses->Items().Count()));
}

void TfrmKSI_Overview::FillSoftwarePage() {
  ListFill f(Find<TListView>("lvSoftware"));
  for (const std::string& s : FSysInfo->Software()->Installed()->Items()) AddRow(f.lv, s, "", oiSoftware);
}

void TfrmKSI_Overview::FillStartupPage() { tcStartupChange(tcStartup); }

void TfrmKSI_Overview::tcStartupChange(TObject*) {
  ListFill f(lvStartup);
  int tab = tcStartup->TabIndex();
  if (!FSysInfo || tab < 0 || tab >= static_cast<int>(std::size(kStartupTabs))) return;
  TStartup* s = FSysInfo->Startup();
  TStartupLocation where = kStartupTabs[tab];
  for (int i = 0; i < s->Count(where); ++i) AddRow(lvStartup, s->Name(where, i), s->CommandLine(where, i), oiStartup);
}

void TfrmKSI_Overview::clbClickCheck(TObject* Sender) {
  // The marks only show what was found; a click must not change them.
  auto* c = static_cast<TCheckListBox*>(Sender);
  int i = c->ItemIndex();
  c->SetChecked(i, !c->Checked(i));
}

// ---------------------------------------------------------------- detail dialogs

void TfrmKSI_Overview::RunDetail(TDetailPage page, const std::string& title, const std::function<void(TdlgKSI_Detail&)>& fill) {
  std::unique_ptr<TdlgKSI_Detail> dlg(new TdlgKSI_Detail(this));
  dlg->Prepare(page, title);
  fill(*dlg);
  dlg->ShowModal();
}

void TfrmKSI_Overview::ShowList(const std::string& title, const TStrings& items) {
  RunDetail(dpChecks, title, [&](TdlgKSI_Detail& d) {
    d.clbItems->Items().BeginUpdate();
    for (const std::string& s : items.Items()) d.clbItems->Items().Add(SingleLine(s));
    d.clbItems->Items().EndUpdate();
    for (int i = 0; i < items.Count(); ++i) d.clbItems->SetChecked(i, true);
  });
}

void TfrmKSI_Overview::cmEnvironment(TObject*) {
  if (!FSysInfo) return;
  const TStrings& env = *FSysInfo->OS()->Environment();
  RunDetail(dpValues, "Environment", [&](TdlgKSI_Detail& d) {
    for (int i = 0; i < env.Count(); ++i) d.AddValue(env.Names(i), env.ValueFromIndex(i));
  });
}

void TfrmKSI_Overview::cmNTSpec(TObject*) {
  if (!FSysInfo) return;
  TNTSuites suites = FSysInfo->OS()->NTSpecific()->InstalledSuites();
  RunDetail(dpChecks, "Installed Suites", [&](TdlgKSI_Detail& d) {
    for (int s = suSmallBusiness; s <= suDataCenter; ++s)
      d.AddCheck(SuiteLabel(static_cast<TNTSuite>(s)), HasSuite(suites, static_cast<TNTSuite>(s)));
  });
}

void TfrmKSI_Overview::cmModes(TObject*) {
  if (FSysInfo) ShowList("Supported Video Modes", *FSysInfo->Display()->Modes());
}

void TfrmKSI_Overview::cmCaps(TObject* Sender) {
  if (!FSysInfo) return;
  static const char* const titles[ckCount] = {"Curve Capabilities", "Line Capabilities", "Polygonal Capabilities",
                                              "Raster Capabilities", "Text Capabilities"};
  auto* button = dynamic_cast<TComponent*>(Sender);
  intptr_t tag = button ? button->Tag() : -1;
  if (tag < 0 || tag >= ckCount) return;
  TStringList lines;
  FSysInfo->Display()->ReportCaps(lines, static_cast<TCapKind>(tag));
  RunDetail(dpChecks, titles[tag], [&](TdlgKSI_Detail& d) {
    for (const auto& it : FlagItems(lines)) d.AddCheck(it.first, it.second);
  });
}

void TfrmKSI_Overview::cmProto(TObject*) {
  if (FSysInfo) ShowList("Protocols", *FSysInfo->Network()->Protocols());
}

void TfrmKSI_Overview::cmServ(TObject*) {
  if (FSysInfo) ShowList("Services", *FSysInfo->Network()->Services());
}

void TfrmKSI_Overview::cmCli(TObject*) {
  if (FSysInfo) ShowList("Clients", *FSysInfo->Network()->Clients());
}

void TfrmKSI_Overview::TreeChange(TObject*, TTreeNode* Node) { bDeviceProps->SetEnabled(Node && Node->Level() == 2); }

void TfrmKSI_Overview::cmProps(TObject*) {
  TTreeNode* node = tvDevices->Selected();
  if (!FSysInfo || !node || node->Level() != 2) return;
  TDeviceRecord r;
  if (!FSysInfo->Devices()->GetDevice(static_cast<int>(node->Data), r)) return;
  RunDetail(dpValues, "Device Properties", [&](TdlgKSI_Detail& d) {
    d.AddValue("Device Name", node->Text());
    d.AddValue("Class Name", r.ClassName);
    d.AddValue("Class Description", node->Parent()->Text());
    d.AddValue("Class GUID", r.ClassGUID);
    d.AddValue("Manufacturer", r.Manufacturer);
    d.AddValue("Location", r.Location);
    d.AddValue("HardwareID", r.HardwareID);
    d.AddValue("Driver Version", r.DriverVersion);
    d.AddValue("Driver Date", r.DriverDate);
    d.AddValue("Driver Provider", r.DriverProvider);
    d.AddValue("Service Name", r.ServiceName.empty() ? r.Service : r.ServiceName);
    d.AddValue("Service Group", r.ServiceGroup);
  });
}

void TfrmKSI_Overview::cmPrintSetup(TObject*) { psdPrinter->Execute(Handle()); }

// ---------------------------------------------------------------- processes

void TfrmKSI_Overview::cmTerminate(TObject*) {
  TListItem* row = lvProcesses->Selected();
  if (!row) return;
  uint32_t id = 0;
  bool known = ParsePid(row->Caption(), id);
  std::string image = row->SubItems().Count() > 0 ? row->SubItems()[0] : std::string();
  // No is the default: Enter must not end a process.
  if (MessageBox(TerminateQuestion(image), "Warning", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, Handle()) != IDYES) return;
  // The row goes only when the process really ended.
  if (!known || !s_terminator(id)) {
    MessageBox("Cannot terminate this process.", "Warning", MB_OK | MB_ICONWARNING, Handle());
    return;
  }
  row->Delete();
  Put("pProcessCount", Format("  %d processes", lvProcesses->Items().Count()));
}

void TfrmKSI_Overview::cmProcProps(TObject*) {
  TListItem* row = lvProcesses->Selected();
  if (!row || row->SubItems().Count() < 2) return;
  const std::string& image = row->SubItems()[0];
  const std::string& folder = row->SubItems()[1];
  // The system does not tell where every process's program is (one of another user, or the
  // system's own): say so rather than do nothing.
  if (folder.empty()) {
    MessageBox("Windows does not tell where the program of " + image + " is stored.", Caption(),
               MB_OK | MB_ICONINFORMATION, Handle());
    return;
  }
  // The file as the system named it: a folder outside the code page or longer than MAX_PATH
  // is found by its wide path.
  TRegName file{folder + image, {}};
  uint32_t id = 0;
  if (ParsePid(row->Caption(), id) && FSysInfo)
    for (const TProcessEntry& e : FSysInfo->Processes()->Entries())
      if (e.Id == id && !e.Path.empty()) file.Wide = e.Path;
  if (!IsDiskFile(file)) {
    MessageBox("Cannot find " + file.Text + ".", Caption(), MB_OK | MB_ICONINFORMATION, Handle());
    return;
  }
  const auto executeW = SysApi().ShellExecuteExW;
  if (!file.Wide.empty() && executeW) {
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_INVOKEIDLIST;
    sei.hwnd = Handle();
    sei.lpVerb = L"properties";
    const std::wstring shown = ShellPath(file.Wide);
    sei.lpFile = shown.c_str();
    sei.nShow = SW_SHOWNORMAL;
    executeW(&sei);
    return;
  }
  SHELLEXECUTEINFOA sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_INVOKEIDLIST;
  sei.hwnd = Handle();
  sei.lpVerb = "properties";
  sei.lpFile = file.Text.c_str();
  sei.nShow = SW_SHOWNORMAL;
  ShellExecuteExA(&sei);
}

// ---------------------------------------------------------------- reports

void TfrmKSI_Overview::cmReportClick(TObject*) {
  POINT p = bReport->ClientToScreen(POINT{0, bReport->Height()});
  pmReport->Popup(p.x, p.y);
}

void TfrmKSI_Overview::cmReportAll(TObject*) {
  FReport->Clear();
  sdReport->SetFileName("SystemInfo.txt");
  if (!sdReport->Execute(Handle()) || !FSysInfo) return;
  FSysInfo->Report(*FReport);
  SaveReport();
}

void TfrmKSI_Overview::cmReportCurrent(TObject*) {
  FReport->Clear();
  TTabSheet* page = pcMain->ActivePage();
  if (!page) return;
  // The whole title, not the shortened tab.
  auto title = FTabTitles.find(page);
  sdReport->SetFileName(ReportFileName(title != FTabTitles.end() ? title->second : page->Caption(), AnsiLeadByte));
  if (!sdReport->Execute(Handle()) || !FSysInfo) return;
  ReportCurrentPage(*FReport);
  SaveReport();
}

void TfrmKSI_Overview::ReportCurrentPage(TStrings& r) {
  InitReportLocale();
  TTabSheet* active = pcMain->ActivePage();
  for (const TPage& p : kPages)
    if (active && SameText(active->Name(), p.Sheet)) p.Report(*FSysInfo, r);
}

void TfrmKSI_Overview::SaveReport() {
  try {
    WriteReportFile(*FReport, sdReport->FileName());
  } catch (const Exception& e) {
    MessageBox(e.Message(), Caption(), MB_OK | MB_ICONERROR, Handle());
  }
}

// ---------------------------------------------------------------- opening

void ShowSystemOverview(TKSystemInfo& info) {
  if (TfrmKSI_Overview* f = TfrmKSI_Overview::Instance()) {
    f->KeepOpen();  // asked for again while a gathering it was closed in still runs
    f->Show();
    return;
  }
  TComponent* owner = Application && Application->MainForm() ? static_cast<TComponent*>(Application->MainForm()) : Application;
  auto* f = new TfrmKSI_Overview(owner);
  f->SetSysInfo(&info);
  f->SetOwnsGathering(true);
  f->SetPageSet(0xFFFF);
  f->SetShowReportButton(true);
  try {
    f->cmRefresh(f);
  } catch (...) {
    if (!f->Closing()) f->Show();  // what was filled so far
    throw;
  }
  if (!f->Closing()) f->Show();
}

void RegisterOverviewClasses() {
  RegisterLedMeterClasses();
  SetShowOverviewHook([](TKSystemInfo& info) { ShowSystemOverview(info); });
}
