#include "app/OptForm.h"
#include <algorithm>
#include <exception>
#include "app/OptLogic.h"
#include "flat/FlatCheckBoxes.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/ImgList.h"
#include "framework/Registry.h"
#include "framework/StdCtrls.h"
#include "instruments/MtLights.h"
#include "instruments/MtProgressBar.h"
#include "instruments/MtTrackBar.h"
#include "probes/MemoryStatus.h"
#include "shell/FormPlacement.h"
#include "shell/HtmlText.h"
#include "sysinfo/KSI_OS.h"
#include "wizard/AutoRun.h"
#include "wizard/Shutdown.h"
#include "wizard/Wizard.h"
#include "wizard/WorkThread.h"

TForm1* Form1 = nullptr;

VELMORA_CLASS_INFO(TForm1) {}

void RegisterOptFormClasses() {
  RegisterWizardClasses();
  RegisterWorkThreadClasses();
  RegisterAutoRunClasses();
  RegisterShutdownClasses();
}

namespace {
const char kRestartQuestion[] =
    "Your system needs to be restarted for the changes to take effect. Would you like to restart it now?";

// Waits up to ms, in short steps, and ends early once the job is told to stop.
void Pause(TWorkExecuteThread* t, DWORD ms) {
  for (DWORD slept = 0; slept < ms && !t->Terminated(); slept += 50) Sleep(std::min<DWORD>(50, ms - slept));
}
}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
  BindField("Wizard1", Wizard1);
  BindField("WelcomeWizardPage1", WelcomeWizardPage1);
  BindField("InteriorWizardPage1", InteriorWizardPage1);
  BindField("InteriorWizardPage2", InteriorWizardPage2);
  BindField("CompleteWizardPage1", CompleteWizardPage1);
  BindField("HTMLText1", HTMLText1);
  BindField("HTMLText2", HTMLText2);
  BindField("HTMLText3", HTMLText3);
  BindField("HTMLText4", HTMLText4);
  BindField("HTMLText5", HTMLText5);
  BindField("GroupBox1", GroupBox1);
  BindField("GroupBox2", GroupBox2);
  BindField("GroupBox3", GroupBox3);
  BindField("FlatCheckBox1", FlatCheckBox1);
  BindField("FlatCheckBox2", FlatCheckBox2);
  BindField("FlatCheckBox3", FlatCheckBox3);
  BindField("FlatCheckBox4", FlatCheckBox4);
  BindField("FlatCheckBox5", FlatCheckBox5);
  BindField("FlatCheckBox6", FlatCheckBox6);
  BindField("RAMbar", RAMbar);
  BindField("NetBar", NetBar);
  BindField("MinRAM", MinRAM);
  BindField("MaxRAM", MaxRAM);
  BindField("Label1", Label1);
  BindField("Label2", Label2);
  BindField("Label3", Label3);
  BindField("Label4", Label4);
  BindField("Label5", Label5);
  BindField("Label6", Label6);
  BindField("Label7", Label7);
  BindField("Label8", Label8);
  BindField("MtLightsRAM", MtLightsRAM);
  BindField("MtLightsNET", MtLightsNET);
  BindField("MtLightsIA", MtLightsIA);
  BindField("MtBar1", MtBar1);
  BindField("ImageList1", ImageList1);
  BindField("Thread1", Thread1);
  BindField("SDown1", SDown1);
  BindField("ARUN", ARUN);
  BindField("FormStorage1", FormStorage1);

  RegisterHandler("FormCreate", TNotifyEvent([this](TObject* s) { FormCreate(s); }));
  RegisterHandler("FormShow", TNotifyEvent([this](TObject* s) { FormShow(s); }));
  RegisterHandler("FlatCheckBox1Click", TNotifyEvent([this](TObject* s) { FlatCheckBox1Click(s); }));
  RegisterHandler("FlatCheckBox2Click", TNotifyEvent([this](TObject* s) { FlatCheckBox2Click(s); }));
  RegisterHandler("FlatCheckBox6Click", TNotifyEvent([this](TObject* s) { FlatCheckBox6Click(s); }));
  RegisterHandler("InteriorWizardPage2Show",
                  TWizardPageChangeEvent([this](TObject* s, bool forward) { InteriorWizardPage2Show(s, forward); }));
  RegisterHandler("Wizard1Finish", TNotifyEvent([this](TObject* s) { Wizard1Finish(s); }));
  RegisterHandler("Wizard1Cancel", TNotifyEvent([this](TObject* s) { Wizard1Cancel(s); }));
  RegisterHandler("Thread1Execute", TWorkThreadDataNotifyEvent([this](TObject* s, TWorkExecuteThread* t, void*& d) {
                    Thread1Execute(s, t, d);
                  }));
  RegisterHandler("Thread1Terminate", TWorkThreadDataNotifyEvent([this](TObject* s, TWorkExecuteThread* t, void*& d) {
                    Thread1Terminate(s, t, d);
                  }));
  LoadDescription("OPTFORM");
  Form1 = this;
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
  // The job hands its steps to these controls: it ends before any of them goes.
  if (Thread1) Thread1->StopAndWait();
}

void TForm1::FormCreate(TObject*) {
  ARUN->SetFileName(Application ? Application->ExeName() : ARUN->FileName());
  FRamCaption = FlatCheckBox1->Caption();
  FRamBoxHeight = FlatCheckBox1->Height();
  // The interior pages' header picture.
  TBitmap header;
  if (header.LoadFromResourceName(GetModuleHandleA(nullptr), "OPTHEADER")) ImageList1->AddMasked(header);
}

void TForm1::FormShow(TObject*) {
  Wizard1->SetActivePageIndex(0);
  // The window opens with the focus on the button that goes on.
  Wizard1->FocusActivePage();
  MtBar1->SetPosition(0);
  try {
    TPhysMemory m = ReadPhysMemory();
    FTotalPhys = m.Total;
    FAvailPhys = m.Avail;
    optlogic::RamRange r = optlogic::ComputeRamRange(m, LargestAllocatableBlock());
    MaxRAM->SetCaption(std::to_string(r.MaxLabel));
    if (r.CanFree) {
      RAMbar->SetMinValue(r.MinValue);
      RAMbar->SetMaxValue(r.MaxValue);
      RAMbar->SetPosition(RAMbar->MinValue());
    }
    ApplyRamOption(r.CanFree, r.AvailMB);
  } catch (const Exception& e) {
    ShowErrorBox(e.Message(), "TMemory.GetInfo");
  }
  // The stored choice was put back before this; the box shows the system as it is instead.
  ShowLogonEntry();
}

void TForm1::ApplyRamOption(bool canFree, int64_t availMB) {
  FCanFreeRAM = canFree;
  for (TControl* c : std::initializer_list<TControl*>{FlatCheckBox1, RAMbar, MinRAM, MaxRAM}) c->SetEnabled(canFree);
  if (canFree) {
    FlatCheckBox1->SetCaption(FRamCaption);
    FlatCheckBox1->SetHeight(FRamBoxHeight);
  } else {
    // Nothing the slider could reach would free anything: the box says so (on a second line
    // where it needs one), and the choice stored for it waits for a machine where it counts.
    FlatCheckBox1->SetCaption(optlogic::NothingToFreeCaption(availMB));
    FlatCheckBox1->SetHeight(FRamBoxHeight + FlatCheckBox1->Canvas().TextHeight("Wg"));
  }
  FFreeRAM = canFree && FlatCheckBox1->Checked();
  MtLightsRAM->SetLedState(FFreeRAM ? 1u << lsGreen : 0u);
}

void TForm1::FlatCheckBox1Click(TObject*) {
  FFreeRAM = FlatCheckBox1->Checked() && FCanFreeRAM;
  MtLightsRAM->SetLedState(FFreeRAM ? 1u << lsGreen : 0u);
}

void TForm1::FlatCheckBox2Click(TObject*) {
  FOptimizeNet = FlatCheckBox2->Checked();
  MtLightsNET->SetLedState(FOptimizeNet ? 1u << lsGreen : 0u);
}

void TForm1::FlatCheckBox6Click(TObject*) {
  // Only the user's own tick makes or removes the logon entry: the stored choice being put
  // back, or the box being set to show the entry as it is, changes nothing on the system.
  if (FShowingLogonEntry || FormStorage1->Restoring()) return;
  ApplyLogonEntry();
}

void TForm1::ApplyLogonEntry() {
  bool wanted = FlatCheckBox6->Checked();
  // The component may believe in an entry removed elsewhere since: written again all the same.
  if (ARUN->AutoRun() != wanted)
    ARUN->SetAutoRun(wanted);
  else
    ARUN->ApplyAutoRun();
}

void TForm1::ShowLogonEntry() {
  FShowingLogonEntry = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{FShowingLogonEntry};
  FlatCheckBox6->SetChecked(ARUN->Exists());
}

void TForm1::InteriorWizardPage2Show(TObject*, bool) {
  // One made or removed elsewhere while the wizard is open (or an earlier attempt that could
  // not write it) is what the user sees and can change.
  ShowLogonEntry();
}

void TForm1::Wizard1Finish(TObject*) {
  if (Thread1->Running()) return;
  // Finish carries out what the pages show, the logon entry among it (written as this version
  // writes it, or removed).
  ApplyLogonEntry();
  Thread1->Start();
}

void TForm1::Wizard1Cancel(TObject*) { Close(); }

void TForm1::Thread1Terminate(TObject*, TWorkExecuteThread*, void*&) { Close(); }

void TForm1::Thread1Execute(TObject*, TWorkExecuteThread* t, void*&) {
  // Every use of the window's fields and controls is handed to the window thread. Once the job
  // is told to stop (the program is ending) nothing is handed over any more and the job ends.
  auto handOff = [t](const std::function<void()>& f) {
    if (t->Terminated()) return false;
    bool ran = false;
    t->Synchronize([&] {
      if (t->Terminated()) return;
      f();
      ran = true;
    });
    return ran;
  };
  auto stepIt = [this] { MtBar1->StepIt(); };

  // Memory: allocate the amount of available memory to end up with, touch it, let it go.
  bool freeRam = false;
  int position = 0;
  if (!handOff([&] {
        freeRam = FFreeRAM;
        position = RAMbar->Position();
        if (freeRam) stepIt();
      }))
    return;
  if (freeRam) {
    try {
      uint64_t size = optlogic::FreeRamBlock(position, LargestAllocatableBlock());
      // A block that cannot be had skips the second step, and the job goes on.
      if (size == 0)
        handOff(stepIt);
      else
        TouchMemoryBlock(size, [&] { handOff(stepIt); });
    } catch (...) {
    }
  }
  Pause(t, 500);

  // Connection tuning for the running system.
  bool net = false;
  int netPosition = 0;
  if (!handOff([&] {
        net = FOptimizeNet;
        netPosition = NetBar->Position();
        if (net) stepIt();
      }))
    return;
  if (net) {
    TOperatingSystem os;
    os.GetInfo();
    if (!handOff(stepIt)) return;
    int written = 0;
    bool tableEmpty = true;
    std::exception_ptr failure;
    try {
      TRegistry reg;
      const std::vector<optlogic::TuningGroup> table = optlogic::TuningTable(os.Platform(), os.MajorVersion(), netPosition);
      for (const optlogic::TuningGroup& g : table)
        if (!g.Values.empty()) tableEmpty = false;
      for (const optlogic::TuningGroup& g : table) {
        if (t->Terminated()) return;
        if (g.Values.empty()) continue;
        reg.SetRootKey(g.CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE);
        // A key that cannot be opened (no right to write there): that group is skipped.
        if (!reg.OpenKey(g.Path, true)) continue;
        for (const optlogic::TuningValue& v : g.Values) {
          if (v.IsString)
            reg.WriteString(v.Name, v.Text);
          else
            reg.WriteInteger(v.Name, v.Number);
          ++written;
        }
      }
    } catch (...) {
      failure = std::current_exception();
    }
    // A restart is offered only when something changed, and only Yes restarts: a box closed
    // any other way (the program ending while it is open) does not count.
    if (written > 0)
      handOff([&] {
        HWND owner = Showing() ? Handle() : nullptr;
        if (MessageBox(kRestartQuestion, "Confirm", MB_YESNO | MB_ICONQUESTION, owner) == IDYES) SDown1->Execute();
      });
    // Nothing the user chose was written: the wizard says so rather than closing as if it had.
    if (written == 0)
      handOff([&] {
        HWND owner = Showing() ? Handle() : nullptr;
        MessageBox(optlogic::NothingWrittenMessage(tableEmpty), Caption(),
                   MB_OK | (tableEmpty ? MB_ICONINFORMATION : MB_ICONWARNING), owner);
      });
    // A value that could not be written ends the job here; the window still closes.
    if (failure) std::rethrow_exception(failure);
  }

  if (!handOff([this] { MtBar1->SetPosition(MtBar1->MaxValue()); })) return;
  Pause(t, 500);
}
