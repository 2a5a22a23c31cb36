#include "flat/FlatHover.h"
#include <windows.h>
#include "flat/FlatUtils.h"

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

// ---------------------------------------------------------------- TFlatControl

VELMORA_CLASS_INFO(TFlatControl) {
  b.Int("ColorFocused", &TFlatControl::ColorFocused, &TFlatControl::SetColorFocused, &ColorIdents());
  b.Int("ColorDown", &TFlatControl::ColorDown, &TFlatControl::SetColorDown, &ColorIdents());
  b.Int("ColorBorder", &TFlatControl::ColorBorder, &TFlatControl::SetColorBorder, &ColorIdents());
  b.Int("AdvColorFocused", &TFlatControl::AdvColorFocused, &TFlatControl::SetAdvColorFocused);
  b.Int("AdvColorDown", &TFlatControl::AdvColorDown, &TFlatControl::SetAdvColorDown);
  b.Int("AdvColorBorder", &TFlatControl::AdvColorBorder, &TFlatControl::SetAdvColorBorder);
  b.Bool("UseAdvColors", &TFlatControl::UseAdvColors, &TFlatControl::SetUseAdvColors);
}

TFlatControl::TFlatControl(TComponent* AOwner, TFlatHoverTracker& tracker, TColor colorFocused)
    : TCustomControl(AOwner), FColorFocused(colorFocused), FTracker(tracker) {}

// The shared timer must not tick for a control that is gone.
TFlatControl::~TFlatControl() { FTracker.Release(this); }

void TFlatControl::SetColorField(TColor& field, TColor v) {
  if (v == field) return;
  field = v;
  Invalidate();
}

void TFlatControl::SetAdvField(int& field, int v) {
  v = v < 0 ? 0 : v > 100 ? 100 : v;
  if (v == field) return;
  field = v;
  CalcAdvColors();
  Invalidate();
}

void TFlatControl::SetUseAdvColors(bool v) {
  if (v == FUseAdvColors) return;
  FUseAdvColors = v;
  SetParentColor(v);
  CalcAdvColors();
  Invalidate();
}

void TFlatControl::CalcAdvColors() {
  if (!FUseAdvColors) return;
  flat::AdvColors c = flat::DeriveAdvColors(ColorToRGB(Color()), FAdvFocused, FAdvDown, FAdvBorder);
  FColorFocused = static_cast<TColor>(c.Focused);
  FColorDown = static_cast<TColor>(c.Down);
  FColorBorder = static_cast<TColor>(c.Border);
}

void TFlatControl::ColorChanged() {
  CalcAdvColors();
  TCustomControl::ColorChanged();
}

void TFlatControl::EnabledChanged() {
  if (!Enabled()) {
    FMouseInControl = false;
    FTracker.Release(this);
  }
  TCustomControl::EnabledChanged();
}

void TFlatControl::HoverEnter() {
  if (!Enabled() || FMouseInControl) return;
  FMouseInControl = true;
  HoverChanged();
}

void TFlatControl::HoverLeave() {
  if (HoverHeld()) return;
  FTracker.Release(this);
  if (!Enabled() || !FMouseInControl) return;
  FMouseInControl = false;
  HoverChanged();
}

void TFlatControl::BecomeHot() {
  if (FTracker.Hot() != this) {
    FTracker.LeaveHot();
    // An inactive program shows no hover.
    if (!GetActiveWindow()) return;
    FTracker.Track(this, [this] { HoverLeave(); });
  }
  HoverEnter();
}

void TFlatControl::MouseMovedOver() {
  if (Enabled() && FTracker.Hot() != this && ControlAtCursor() == this) BecomeHot();
}
