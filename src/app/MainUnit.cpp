#include "app/MainUnit.h"
#include "app/MainLogic.h"
#include "app/OptForm.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "instruments/MtButtons.h"
#include "instruments/MtLabel.h"
#include "instruments/MtLcd.h"
#include "instruments/MtLeds.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtScale.h"
#include "instruments/MtScope.h"
#include "instruments/MtThreads.h"
#include "instruments/MtTrayGauge.h"
#include "flat/FlatButtons.h"
#include "flat/FlatHints.h"
#include "shell/HtmlText.h"
#include "probes/KSI_CPUUsage.h"
#include "probes/MemoryStatus.h"
#include "sysinfo/KSystemInfo.h"
#include "shell/AppComponents.h"
#include "shell/AppProps.h"
#include "shell/FormPlacement.h"
#include "shell/TrayIcon.h"
#include "shell/WindowFade.h"

VELMORA_CLASS_INFO(TMainForm) {}

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
  BindField("Panel1", Panel1);
  BindField("Panel2", Panel2);
  BindField("Panel3", Panel3);
  BindField("Panel4", Panel4);
  BindField("Panel5", Panel5);
  BindField("Label1", Label1);
  BindField("Label2", Label2);
  BindField("Label3", Label3);
  BindField("Label4", Label4);
  BindField("Image1", Image1);
  BindField("Image2", Image2);
  BindField("MtLabel1", MtLabel1);
  BindField("MtScale1", MtScale1);
  BindField("MtShadowButton1", MtShadowButton1);
  BindField("UserLed", UserLed);
  BindField("FlatButton1", FlatButton1);
  BindField("FlatButton2", FlatButton2);
  BindField("HTMLText1", HTMLText1);
  BindField("FlatHint1", FlatHint1);
  BindField("KCPUUsage1", KCPUUsage1);
  BindField("KSystemInfo1", KSystemInfo1);
  BindField("MtTimer1", MtTimer1);
  BindField("MtScope1", MtScope1);
  BindField("MtNum1", MtNum1);
  BindField("MtProgressBar1", MtProgressBar1);
  BindField("TrayG", TrayG);
  BindField("PopupMenu1", PopupMenu1);
  BindField("QuickFreeRAM1", QuickFreeRAM1);
  BindField("N1", N1);
  BindField("ShowVelmoraWindow1", ShowVelmoraWindow1);
  BindField("ShutdownVelmora1", ShutdownVelmora1);
  BindField("WindowFade1", WindowFade1);
  BindField("TrayIcon1", TrayIcon1);
  BindField("OneInstance1", OneInstance1);
  BindField("FormStorage1", FormStorage1);
  BindField("ApplicationProperties1", ApplicationProperties1);

  RegisterHandler("FormCreate", TNotifyEvent([this](TObject* s) { FormCreate(s); }));
  RegisterHandler("FormShow", TNotifyEvent([this](TObject* s) { FormShow(s); }));
  RegisterHandler("FormClose", TCloseEvent([this](TObject* s, TCloseAction& a) { FormClose(s, a); }));
  RegisterHandler("KCPUUsage1Interval", TOnIntervalEvent([this](TObject* s, uint32_t v) { KCPUUsage1Interval(s, v); }));
  RegisterHandler("MtScope1NeedData",
                  TMtNeedDataEvent([this](TObject* s, int ch, int& v) { MtScope1NeedData(s, ch, v); }));
  RegisterHandler("MtTimer1Timer", TNotifyEvent([this](TObject* s) { MtTimer1Timer(s); }));
  RegisterHandler("MtShadowButton1Click", TNotifyEvent([this](TObject* s) { MtShadowButton1Click(s); }));
  RegisterHandler("ShowVelmoraWindow1Click", TNotifyEvent([this](TObject* s) { ShowVelmoraWindow1Click(s); }));
  RegisterHandler("TrayGDblClick", TNotifyEvent([this](TObject* s) { TrayGDblClick(s); }));
  RegisterHandler("ShutdownVelmora1Click", TNotifyEvent([this](TObject* s) { ShutdownVelmora1Click(s); }));
  RegisterHandler("TrayIcon1DblClick", TNotifyEvent([this](TObject* s) { TrayIcon1DblClick(s); }));
  RegisterHandler("ApplicationProperties1Activate", TNotifyEvent([this](TObject* s) { ApplicationProperties1Activate(s); }));
  RegisterHandler("Image1Click", TNotifyEvent([this](TObject* s) { Image1Click(s); }));
  RegisterHandler("Image2Click", TNotifyEvent([this](TObject* s) { Image2Click(s); }));
  RegisterHandler("FlatButton1Click", TNotifyEvent([this](TObject* s) { FlatButton1Click(s); }));
  RegisterHandler("FlatButton2Click", TNotifyEvent([this](TObject* s) { FlatButton2Click(s); }));
  RegisterHandler("HTMLText1Click", TNotifyEvent([this](TObject* s) { HTMLText1Click(s); }));
  LoadDescription("MAINUNIT");
}

TMainForm::~TMainForm() {
  // No tick may reach the handlers while the components they use are going one by one.
  if (MtScope1) MtScope1->SetActive(false);
  if (MtTimer1) MtTimer1->SetEnabled(false);
}

void TMainForm::FormCreate(TObject*) {
  SetHeight(Height() - Panel5->Height());
  FActivateCount = 0;
  KCPUUsage1->SetActive(true);
}

void TMainForm::FormShow(TObject*) { WindowFade1->FadeInTo(1); }

void TMainForm::FormClose(TObject*, TCloseAction&) { WindowFade1->FadeOutAll(); }

void TMainForm::KCPUUsage1Interval(TObject*, uint32_t Value) { FCPUUsage = static_cast<int32_t>(Value); }

void TMainForm::MtScope1NeedData(TObject*, int, int& Value) {
  Value = FCPUUsage;
  TrayG->SetPosition(FCPUUsage);
}

void TMainForm::MtTimer1Timer(TObject*) {
  try {
    // Above 2 GB the old reading caps or wraps: the extended one where the system has it.
    TPhysMemory m = ReadPhysMemory();
    FTotalPhys = m.Total;
    FAvailPhys = m.Avail;
    FMemoryWide = m.Wide;
    mainlogic::MemoryReadout r = mainlogic::ComputeMemoryReadout(FTotalPhys, FAvailPhys);
    // The bar and the number limit the values to their ranges; the tip shows what the number
    // shows, in the unit the caption names.
    const mainlogic::MemoryFigure figure = mainlogic::AvailableFigure(r.Megabytes);
    MtProgressBar1->SetPosition(r.BarPosition);
    MtNum1->SetValue(figure.Value);
    Label4->SetCaption(mainlogic::MemoryCaption(figure.Gigabytes));
    TrayG->SetHint(mainlogic::TrayText(FCPUUsage, MtNum1->Value(), figure.Gigabytes));
  } catch (const Exception& e) {
    ShowErrorBox(e.Message(), "TMemory.GetInfo");
  }
}

void TMainForm::MtShadowButton1Click(TObject*) {
  TPhysMemory m{FTotalPhys, FAvailPhys, FMemoryWide};
  int64_t size = mainlogic::QuickFreeBlockSize(m, FMemoryWide ? LargestAllocatableBlock() : 0);
  // The LED is repainted at once: it shows before the work starts and goes out after it, even
  // when the block cannot be had.
  UserLed->SetActive(true);
  try {
    if (size > 0 && !TouchMemoryBlock(static_cast<uint64_t>(size), {})) throw EOutOfMemory();
  } catch (...) {
    UserLed->SetActive(false);
    throw;
  }
  UserLed->SetActive(false);
}

void TMainForm::ShowVelmoraWindow1Click(TObject*) {
  if (Application) Application->Restore();
}

void TMainForm::TrayGDblClick(TObject* Sender) { ShowVelmoraWindow1Click(Sender); }
void TMainForm::TrayIcon1DblClick(TObject* Sender) { ShowVelmoraWindow1Click(Sender); }

void TMainForm::ShutdownVelmora1Click(TObject*) { Close(); }

int TMainForm::RamBarPosition() const { return MtProgressBar1->Position(); }
int TMainForm::RamFigure() const { return MtNum1->Value(); }
const std::string& TMainForm::TrayHint() const { return TrayG->Hint(); }

void TMainForm::Image1Click(TObject*) {
  // The help's contents, whichever page F1 opens here.
  if (Application) Application->ShowHelp("");
}

void TMainForm::Image2Click(TObject*) {
  Panel5->SetVisible(false);
  SetHeight(Height() - Panel5->Height());
}

void TMainForm::FlatButton1Click(TObject*) { KSystemInfo1->ShowOverview(); }

// The wizard opens here once it exists.
void TMainForm::FlatButton2Click(TObject*) {
  if (Form1) Form1->Show();
}

void TMainForm::HTMLText1Click(TObject* Sender) { Image2Click(Sender); }

void TMainForm::ApplicationProperties1Activate(TObject*) {
  if (mainlogic::CountActivation(FActivateCount, Panel5->Visible())) {
    Panel5->SetVisible(true);
    SetHeight(Height() + Panel5->Height());
    Panel5->Repaint();
  }
}

