#include "shell/WindowHook.h"

VELMORA_CLASS_INFO(TWindowHook) {
  b.Ref<TWinControl>("WinControl", &TWindowHook::WinControl, &TWindowHook::SetWinControl);
  b.Bool("Active", &TWindowHook::Active, &TWindowHook::SetActive);
}

TWindowHook::TWindowHook(TComponent* AOwner) : TComponent(AOwner) {}

TWindowHook::~TWindowHook() {
  *FAlive = false;
  SetActive(false);
}

void TWindowHook::SetWinControl(TWinControl* value) {
  if (value == FControl) return;
  bool active = FActive;
  SetActive(false);
  if (FControl) FControl->RemoveFreeNotification(this);
  FControl = value;
  if (FControl) FControl->FreeNotification(this);
  SetActive(active);
}

void TWindowHook::SetActive(bool value) {
  FActive = value;
  Update();
}

void TWindowHook::Update() {
  bool want = FActive && FControl && !Destroying();
  if (want == FHooked) return;
  FHooked = want;
  if (!want) {
    if (FControl) FControl->UnhookWindow(this);
    return;
  }
  TWinControl* control = FControl;
  std::shared_ptr<bool> alive = FAlive;
  control->HookWindow(this, [this, control, alive](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    bool handled = false;
    if (BeforeMessage) BeforeMessage(this, msg, wp, lp, result, handled);
    if (handled) return true;
    if (!*alive || !AfterMessage) return false;
    result = control->WndProc(msg, wp, lp);
    if (*alive && FControl == control && AfterMessage) AfterMessage(this, msg, wp, lp, result);
    return true;
  });
}

void TWindowHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FControl) {
    // Its hook list goes with it; the control is no longer whole enough to be asked.
    FHooked = false;
    FControl = nullptr;
  }
}
