// One running copy: a second start brings the running copy forward and ends itself.
#pragma once
#include <windows.h>
#include "framework/Forms.h"

using TOneInstanceShowMessage = std::function<void(TObject* Sender, bool& Terminate)>;

class TOneInstance : public TComponent {
  VELMORA_CLASS(TOneInstance, TComponent)

 public:
  explicit TOneInstance(TComponent* AOwner);
  ~TOneInstance() override;

  const std::string& About() const { return FAbout; }
  void SetAbout(const std::string& v) { FAbout = v; }
  bool ActivatePrevInstance() const { return FActivatePrevInstance; }
  void SetActivatePrevInstance(bool v) { FActivatePrevInstance = v; }
  const std::string& Message() const { return FMessage; }
  void SetMessage(const std::string& v) { FMessage = v; }
  bool ShowMessage() const { return FShowMessage; }
  void SetShowMessage(bool v) { FShowMessage = v; }
  TOneInstanceShowMessage OnShowMessage;

  // Whether another copy runs; on "no" this component now holds the instance mutex.
  bool CheckRunning();
  // The duplicate's part: maybe a message, the running copy forward, and the end of this one.
  void DuplicateStart();
  bool OwnsInstance() const { return FOwned; }
  void Loaded() override;

 private:
  void ReleaseInstance();
  void TakeInstanceBack();
  void FormClose(TObject* Sender, TCloseAction& Action);

  std::string FAbout, FMessage;
  bool FActivatePrevInstance = true, FShowMessage = false;
  HANDLE FMutex = nullptr;
  bool FOwned = false;
  bool FChained = false;
  bool FHooked = false;
  bool FEnding = false;
  TCloseEvent FSaveFormClose;
};

// True once a duplicate start has asked this process to end: the main window stays hidden,
// whatever loads later says.
bool EndingDuplicate();

// The system calls of the check; tests replace them to play a refused or a busy mutex.
struct TInstanceApi {
  HANDLE(WINAPI* Create)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) = ::CreateMutexA;
  DWORD(WINAPI* Wait)(HANDLE, DWORD) = ::WaitForSingleObject;
};
TInstanceApi& InstanceApi();

void RegisterAppComponentClasses();
