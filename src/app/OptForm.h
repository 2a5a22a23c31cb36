// The optimization wizard's window: four pages of choices, then a job on a worker thread that
// frees memory, writes the connection tuning for the running system and offers a restart.
// Created hidden at start-up; the main window's "Optimize it!" shows it.
#pragma once
#include <cstdint>
#include "framework/Forms.h"

class TWizard;
class TWelcomeWizardPage;
class TInteriorWizardPage;
class THTMLText;
class TGroupBox;
class TLabel;
class TFlatCheckBox;
class TMtTrackBar;
class TMtLights;
class TMtProgressBar;
class TImageList;
class TWorkThread;
class TWorkExecuteThread;
class TShutdown;
class TAutoRun;
class TFormStorage;

class TForm1 : public TForm {
  VELMORA_CLASS(TForm1, TForm)

 public:
  explicit TForm1(TComponent* AOwner);
  // Stops the job and waits for it while every control it hands work to is still there.
  ~TForm1() override;

  TWizard* Wizard1 = nullptr;
  TWelcomeWizardPage *WelcomeWizardPage1 = nullptr, *CompleteWizardPage1 = nullptr;
  TInteriorWizardPage *InteriorWizardPage1 = nullptr, *InteriorWizardPage2 = nullptr;
  THTMLText *HTMLText1 = nullptr, *HTMLText2 = nullptr, *HTMLText3 = nullptr, *HTMLText4 = nullptr,
            *HTMLText5 = nullptr;
  TGroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr, *GroupBox3 = nullptr;
  TFlatCheckBox *FlatCheckBox1 = nullptr, *FlatCheckBox2 = nullptr, *FlatCheckBox3 = nullptr,
                *FlatCheckBox4 = nullptr, *FlatCheckBox5 = nullptr, *FlatCheckBox6 = nullptr;
  TMtTrackBar *RAMbar = nullptr, *NetBar = nullptr;
  TLabel *MinRAM = nullptr, *MaxRAM = nullptr;
  TLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr,
         *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;
  TMtLights *MtLightsRAM = nullptr, *MtLightsNET = nullptr, *MtLightsIA = nullptr;
  TMtProgressBar* MtBar1 = nullptr;
  TImageList* ImageList1 = nullptr;
  TWorkThread* Thread1 = nullptr;
  TShutdown* SDown1 = nullptr;
  TAutoRun* ARUN = nullptr;
  TFormStorage* FormStorage1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FlatCheckBox1Click(TObject* Sender);
  void FlatCheckBox2Click(TObject* Sender);
  void FlatCheckBox6Click(TObject* Sender);
  void InteriorWizardPage2Show(TObject* Sender, bool GoForward);
  void Wizard1Finish(TObject* Sender);
  void Wizard1Cancel(TObject* Sender);
  // The job, on the worker thread.
  void Thread1Execute(TObject* Sender, TWorkExecuteThread* Thread, void*& Data);
  void Thread1Terminate(TObject* Sender, TWorkExecuteThread* Thread, void*& Data);

  // The memory reading of the last show: 64-bit figures where the system gives them, else the
  // old 32-bit figures taken as signed.
  int64_t TotalPhys() const { return FTotalPhys; }
  int64_t AvailPhys() const { return FAvailPhys; }
  bool FreeRAM() const { return FFreeRAM; }
  bool OptimizeNet() const { return FOptimizeNet; }
  // The memory option can free something on this machine now (as of the last show).
  bool CanFreeRAM() const { return FCanFreeRAM; }

 private:
  // The memory option on or off for this machine: off, it says why.
  void ApplyRamOption(bool canFree, int64_t availMB);
  // The logon box set to whether the entry is there, which changes nothing on the system.
  void ShowLogonEntry();
  // The logon entry made or removed as the box says.
  void ApplyLogonEntry();
  bool FShowingLogonEntry = false;
  std::string FRamCaption;
  int FRamBoxHeight = 0;
  bool FCanFreeRAM = true;
  int64_t FTotalPhys = 0;
  int64_t FAvailPhys = 0;
  bool FFreeRAM = false;
  bool FOptimizeNet = false;
};

// The one wizard window, while it exists.
extern TForm1* Form1;

void RegisterOptFormClasses();
