#include "flat/FlatHover.h"
#include <windows.h>
#include "framework/Controls.h"

TControl* ControlAtCursor() {
  POINT p;
  if (!GetCursorPos(&p)) return nullptr;  // fails while the workstation is locked
  HWND h = WindowFromPoint(p);
  TWinControl* w = TWinControl::FromHandle(h);
  if (!w) return nullptr;
  ScreenToClient(h, &p);
  TControl* c = w->ControlAtPos(p);
  return c ? c : w;
}

TFlatHoverTracker::TFlatHoverTracker() : FTimer(nullptr) {
  FTimer.SetEnabled(false);
  FTimer.SetInterval(100);
  FTimer.SetOnTimer([this](TObject*) { Tick(); });
}

void TFlatHoverTracker::Track(TControl* c, std::function<void()> leave) {
  FTimer.SetEnabled(false);
  FHot = c;
  FLeave = std::move(leave);
  FTimer.SetEnabled(true);
}

void TFlatHoverTracker::LeaveHot() {
  if (!FHot) return;
  // A copy: the control's leave releases the tracker, which drops the stored function.
  std::function<void()> leave = FLeave;
  leave();
}

void TFlatHoverTracker::Release(TControl* c) {
  if (!c || c != FHot) return;
  FTimer.SetEnabled(false);
  FHot = nullptr;
  FLeave = nullptr;
}

void TFlatHoverTracker::Tick() {
  if (FHot && ControlAtCursor() != FHot) LeaveHot();
}

TFlatHoverTracker& FlatButtonTracker() {
  static TFlatHoverTracker t;
  return t;
}

TFlatHoverTracker& FlatCheckBoxTracker() {
  static TFlatHoverTracker t;
  return t;
}
