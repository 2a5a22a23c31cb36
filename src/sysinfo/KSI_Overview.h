// The system information dialog: one page per category of the system-information component,
// Refresh, Close, and reports of all topics or the current one saved as text.
#pragma once
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include "framework/Forms.h"
#include "framework/Strings.h"

class TKSystemInfo;
class TPageControl;
class TTabSheet;
class TButton;
class TPopupMenu;
class TSaveDialog;
class TPrinterSetupDialog;
class TImageList;
class TTreeView;
class TTreeNode;
class TListView;
class TComboBox;
class TTabControl;
class TCheckListBox;
class TdlgKSI_Detail;
enum TDetailPage : int;

// Icons of the dialog's lists, in the order of ilIcons.
enum TOverviewIcon { oiGeneric, oiGamePort, oiSoundCard, oiNetCard, oiPrinter, oiNetPrinter, oiPrinterDefault,
                     oiNetPrinterDefault, oiProcess, oiSoftware, oiStartup, oiCount };

class TfrmKSI_Overview : public TForm {
  VELMORA_CLASS(TfrmKSI_Overview, TForm)

 public:
  explicit TfrmKSI_Overview(TComponent* AOwner);
  ~TfrmKSI_Overview() override;

  // The open dialog, or null.
  static TfrmKSI_Overview* Instance();

  TKSystemInfo* SysInfo() const { return FSysInfo; }
  void SetSysInfo(TKSystemInfo* v);
  // Pages 0..31 (0..16 used) whose tabs show and that a refresh fills.
  uint32_t PageSet() const { return FPageSet; }
  void SetPageSet(uint32_t v);
  bool ShowReportButton() const;
  void SetShowReportButton(bool v);
  TStrings& ReportList() { return *FReport; }

  TPageControl* pcMain = nullptr;
  TButton *bReport = nullptr, *bDeviceProps = nullptr;
  TPopupMenu* pmReport = nullptr;
  TSaveDialog* sdReport = nullptr;
  TPrinterSetupDialog* psdPrinter = nullptr;
  TImageList *ilIcons = nullptr, *ilDevices = nullptr;
  TTreeView* tvDevices = nullptr;
  TListView *lvProcesses = nullptr, *lvStartup = nullptr;
  TComboBox* cbDrive = nullptr;
  TTabControl* tcStartup = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void cmRefresh(TObject* Sender);
  void cmClose(TObject* Sender);
  void cmReportClick(TObject* Sender);
  void cmReportAll(TObject* Sender);
  void cmReportCurrent(TObject* Sender);
  void cmEnvironment(TObject* Sender);
  void cmNTSpec(TObject* Sender);
  void cmModes(TObject* Sender);
  void cmCaps(TObject* Sender);
  void cmProto(TObject* Sender);
  void cmServ(TObject* Sender);
  void cmCli(TObject* Sender);
  void TreeChange(TObject* Sender, TTreeNode* Node);
  void cmProps(TObject* Sender);
  void cmPrintSetup(TObject* Sender);
  void cbDriveChange(TObject* Sender);
  void cmTerminate(TObject* Sender);
  void cmProcProps(TObject* Sender);
  void tcStartupChange(TObject* Sender);
  void clbClickCheck(TObject* Sender);

  // Fills every page in the page set from the categories (what Refresh does after gathering).
  void RefreshPages();
  // Gathering now (a box it raised may be up), and closed meanwhile: freed when it is over.
  bool Refreshing() const { return FRefreshing; }
  bool Closing() const { return FFreeAfterRefresh; }
  void KeepOpen() { FFreeAfterRefresh = false; }
  // The gathering was made for this dialog alone: it is let go with the dialog.
  void SetOwnsGathering(bool v) { FOwnsGathering = v; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  template <class T>
  T* Find(const char* name) const;
  void Put(const char* name, const std::string& text);
  // Most characters a label or group box of the dialog shows of a text from the system: one
  // line across a page, a group box's caption, the time zone's two lines.
  static constexpr size_t kLineMax = 64, kGroupMax = 56, kTwoLinesMax = 120;
  void PutShort(const char* name, const std::string& text, size_t maxChars = kLineMax);
  // A tab's title (a text from the system), shown shortened; the report of the page is named
  // after the whole of it.
  void SetTabTitle(const char* sheet, const std::string& title);
  // The pages that show the categories, in the order a refresh fills them.
  struct TPage;
  static const TPage kPages[];
  void FillMachinePage();
  void FillOSPage();
  void FillCPUPage();
  void FillMemoryPage();
  void FillDisplayPage();
  void FillAPMPage();
  void FillMediaPage();
  void FillNetworkPage();
  void FillDevicesPage();
  void FillPrintersPage();
  void FillEnginesPage();
  void FillDrivesPage();
  void FillTimeZonePage();
  void FillProcessesPage();
  void FillStartupPage();
  void FillSoftwarePage();
  void LoadIcons();
  void ShowList(const std::string& title, const TStrings& items);
  // Runs a detail dialog that fill prepared; it is freed when it closes.
  void RunDetail(TDetailPage page, const std::string& title, const std::function<void(TdlgKSI_Detail&)>& fill);
  void SaveReport();
  void ReportCurrentPage(TStrings& report);

  TKSystemInfo* FSysInfo = nullptr;
  std::map<const TTabSheet*, std::string> FTabTitles;
  uint32_t FPageSet = 0xFFFF;
  std::unique_ptr<TStrings> FReport;
  bool FRefreshing = false;
  bool FFreeAfterRefresh = false;
  bool FOwnsGathering = false;
};

// What ShowOverview does: the first time it creates the dialog, gathers and fills it, then
// shows it; while it exists, it only brings it forward.
void ShowSystemOverview(TKSystemInfo& info);

// The processes page ends a process through this seam (tests put a stand-in in).
using TProcessTerminator = bool (*)(uint32_t processId);
TProcessTerminator SetProcessTerminator(TProcessTerminator t);

// Writes the lines, each ended by CR LF, to a file beside the target that replaces it only when
// everything was written; throws Exception naming the file and the system's reason otherwise.
void WriteReportFile(const TStrings& lines, const std::string& fileName);
// Tests make the writing fail part-way through this seam (null: the real WriteFile).
using TReportWriter = BOOL(WINAPI*)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
void SetReportWriter(TReportWriter w);

void RegisterOverviewClasses();
