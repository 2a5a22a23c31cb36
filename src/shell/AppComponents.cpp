#include "shell/AppComponents.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"

VELMORA_CLASS_INFO(TOneInstance) {
  b.Str("About", &TOneInstance::About, &TOneInstance::SetAbout);
  b.Bool("ActivatePrevInstance", &TOneInstance::ActivatePrevInstance, &TOneInstance::SetActivatePrevInstance);
  b.Str("Message", &TOneInstance::Message, &TOneInstance::SetMessage);
  b.Bool("ShowMessage", &TOneInstance::ShowMessage, &TOneInstance::SetShowMessage);
  b.Event("OnShowMessage", &TOneInstance::OnShowMessage);
  b.Creatable();
}

void RegisterAppComponentClasses() { RegisterComponentClass(TOneInstance::StaticClassInfo()); }

namespace {
bool g_endingDuplicate = false;
}

bool EndingDuplicate() { return g_endingDuplicate; }

TInstanceApi& InstanceApi() {
  static TInstanceApi api;
  return api;
}

TOneInstance::TOneInstance(TComponent* AOwner) : TComponent(AOwner) {}

TOneInstance::~TOneInstance() {
  if (FHooked && Application) Application->UnhookMainWindow(this);
  if (auto* f = dynamic_cast<TForm*>(Owner()); f && FChained) f->OnClose = FSaveFormClose;
  ReleaseInstance();
  if (FMutex) CloseHandle(FMutex);
  if (FEnding) g_endingDuplicate = false;
}

bool TOneInstance::CheckRunning() {
  const std::string title = Application ? Application->Title() : std::string();
  TInstanceApi& api = InstanceApi();
  // The guard serialises the check between copies started at the same moment: whoever finds
  // it already there is the duplicate.
  HANDLE guard = api.Create(nullptr, TRUE, ("CriticalSection.OneInstance." + title).c_str());
  if (!guard) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(guard);
    return true;
  }
  bool running;
  if (!FMutex) FMutex = api.Create(nullptr, FALSE, ("Default.OneInstance." + title).c_str());
  if (!FMutex) {
    // It exists but may not be opened here (an elevated copy, another session's): a copy runs.
    running = true;
  } else {
    DWORD r = api.Wait(FMutex, 0);
    running = r == WAIT_TIMEOUT;
    // Taken, or left behind by a copy that died: ours for the rest of this process.
    FOwned = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
  }
  ReleaseMutex(guard);
  CloseHandle(guard);
  return running;
}

void TOneInstance::Loaded() {
  TComponent::Loaded();
  if (CheckRunning()) {
    DuplicateStart();
    return;
  }
  // The mutex is let go once the main window's close is accepted (its placement is saved by
  // then), so that a start during the fade-out runs instead of waking a copy that is ending.
  if (auto* f = dynamic_cast<TForm*>(Owner()); f && !FChained) {
    FChained = true;
    FSaveFormClose = f->OnClose;
    f->OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  }
  // The session's end is a close too, but only once it is certain: while the question is out,
  // a start still finds this copy and brings it forward, so that a log-off called off by
  // another program leaves one copy. A process ended before that leaves the mutex abandoned,
  // which the next start takes over.
  if (Application && !FHooked) {
    FHooked = true;
    Application->HookMainWindow(this, [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT&) {
      if (msg == CM_SESSIONEND && wp && lp) ReleaseInstance();
      return false;
    });
  }
}

void TOneInstance::TakeInstanceBack() {
  // Unless a new copy has it by now.
  if (!FMutex || FOwned) return;
  DWORD r = InstanceApi().Wait(FMutex, 0);
  FOwned = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void TOneInstance::FormClose(TObject* Sender, TCloseAction& Action) {
  bool main = Application && Application->MainForm() == Owner();
  if (main) ReleaseInstance();
  if (FSaveFormClose) FSaveFormClose(Sender, Action);
  // The close was called off: take the mutex back unless a new copy has it now.
  if (main && Action == caNone) TakeInstanceBack();
}

void TOneInstance::ReleaseInstance() {
  if (FOwned && FMutex) ReleaseMutex(FMutex);
  FOwned = false;
}

namespace {
HWND FindRunningCopy(const std::string& title) {
  HWND own = Application ? Application->Handle() : nullptr;
  for (HWND h = FindWindowExA(nullptr, nullptr, "TApplication", title.c_str()); h;
       h = FindWindowExA(nullptr, h, "TApplication", title.c_str()))
    if (h != own) return h;
  return nullptr;
}
}  // namespace

void TOneInstance::DuplicateStart() {
  if (!Application) return;
  bool terminate = true;
  bool showMainForm = Application->ShowMainForm();
  Application->SetShowMainForm(false);
  g_endingDuplicate = FEnding = true;
  const std::string& title = Application->Title();
  if (FShowMessage) {
    if (OnShowMessage)
      OnShowMessage(this, terminate);
    else
      MessageBox(FMessage.empty() ? "Application \"" + title + "\" is already running." : FMessage, title,
                 MB_OK | MB_ICONWARNING, Application->Handle());
  }
  if (FActivatePrevInstance) {
    if (HWND other = FindRunningCopy(title)) {
      if (IsIconic(other))
        OpenIcon(other);
      else
        SetForegroundWindow(other);
    }
  }
  if (terminate) {
    Application->Terminate();
  } else {
    g_endingDuplicate = FEnding = false;
    Application->SetShowMainForm(showMainForm);
  }
}
