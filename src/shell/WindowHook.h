// Watches a windowed control's messages through the control's hook list: BeforeMessage may
// answer a message itself; AfterMessage sees it after the control has handled it and may change
// the answer.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include "framework/Controls.h"

using THookMessageEvent = std::function<void(TObject* Sender, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, bool& handled)>;
using THookAfterEvent = std::function<void(TObject* Sender, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)>;

class TWindowHook : public TComponent {
  VELMORA_CLASS(TWindowHook, TComponent)

 public:
  explicit TWindowHook(TComponent* AOwner);
  ~TWindowHook() override;

  TWinControl* WinControl() const { return FControl; }
  void SetWinControl(TWinControl* value);
  bool Active() const { return FActive; }
  void SetActive(bool value);

  THookMessageEvent BeforeMessage;
  // The control's own handling runs first; hooks that joined the control before this one do
  // not see the messages that AfterMessage watches.
  THookAfterEvent AfterMessage;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Update();
  TWinControl* FControl = nullptr;
  bool FActive = false;
  bool FHooked = false;
  // Cleared when this object goes, so that a message whose handling destroys it ends safely.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
