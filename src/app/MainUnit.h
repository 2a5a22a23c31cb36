// The main window: processor-load chart, available-memory readouts, QuickFree RAM, the link
// panel, help, and the handlers that tie the components together.
#pragma once
#include "framework/Forms.h"

class TPanel;
class TLabel;
class TImage;
class TPopupMenu;
class TMenuItem;
class TKCPUUsage;
class TKSystemInfo;
class TMtTimer;
class TMtScope;
class TMtNum;
class TMtProgressBar;
class TMtTrayGauge;
class TMtLabel;
class TMtScale;
class TMtShadowButton;
class TMtUserLed;
class TFlatButton;
class TFlatHint;
class THTMLText;
class TWindowFade;
class TTrayIcon;
class TOneInstance;
class TFormStorage;
class TApplicationProperties;

class TMainForm : public TForm {
  VELMORA_CLASS(TMainForm, TForm)

 public:
  explicit TMainForm(TComponent* AOwner);
  ~TMainForm() override;

  TPanel *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr;
  TLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
  TImage *Image1 = nullptr, *Image2 = nullptr;
  TMtLabel* MtLabel1 = nullptr;
  TMtScale* MtScale1 = nullptr;
  TMtShadowButton* MtShadowButton1 = nullptr;
  TMtUserLed* UserLed = nullptr;
  TFlatButton *FlatButton1 = nullptr, *FlatButton2 = nullptr;
  THTMLText* HTMLText1 = nullptr;
  TFlatHint* FlatHint1 = nullptr;
  TKCPUUsage* KCPUUsage1 = nullptr;
  TKSystemInfo* KSystemInfo1 = nullptr;
  TMtTimer* MtTimer1 = nullptr;
  TMtScope* MtScope1 = nullptr;
  TMtNum* MtNum1 = nullptr;
  TMtProgressBar* MtProgressBar1 = nullptr;
  TMtTrayGauge* TrayG = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem *QuickFreeRAM1 = nullptr, *N1 = nullptr, *ShowVelmoraWindow1 = nullptr, *ShutdownVelmora1 = nullptr;
  TWindowFade* WindowFade1 = nullptr;
  TTrayIcon* TrayIcon1 = nullptr;
  TOneInstance* OneInstance1 = nullptr;
  TFormStorage* FormStorage1 = nullptr;
  TApplicationProperties* ApplicationProperties1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void KCPUUsage1Interval(TObject* Sender, uint32_t Value);
  void MtScope1NeedData(TObject* Sender, int Channel, int& Value);
  void MtTimer1Timer(TObject* Sender);
  void MtShadowButton1Click(TObject* Sender);
  void ShowVelmoraWindow1Click(TObject* Sender);
  void TrayGDblClick(TObject* Sender);
  void TrayIcon1DblClick(TObject* Sender);
  void ShutdownVelmora1Click(TObject* Sender);
  void Image1Click(TObject* Sender);
  void Image2Click(TObject* Sender);
  void FlatButton1Click(TObject* Sender);
  void FlatButton2Click(TObject* Sender);
  void HTMLText1Click(TObject* Sender);
  void ApplicationProperties1Activate(TObject* Sender);

  // Read-outs of the last memory refresh, as the instruments show them.
  int RamBarPosition() const;
  int RamFigure() const;  // megabytes, or whole gigabytes when the caption says Gb
  const std::string& TrayHint() const;
  int32_t CPUUsage() const { return FCPUUsage; }
  int32_t ActivateCount() const { return FActivateCount; }

 private:
  int32_t FCPUUsage = 0;
  // Bytes from the last refresh: 64-bit figures where the system gives them (FMemoryWide),
  // else the old 32-bit figures taken as signed.
  int64_t FTotalPhys = 0;
  int64_t FAvailPhys = 0;
  bool FMemoryWide = false;
  int32_t FActivateCount = 0;
};

