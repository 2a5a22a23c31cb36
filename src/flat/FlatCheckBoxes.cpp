#include "flat/FlatCheckBoxes.h"
#include "flat/FlatButtons.h"
#include "flat/FlatHover.h"
#include "framework/Events.h"

VELMORA_CLASS_INFO(TFlatCheckBox) {
  b.Bool("Checked", &TFlatCheckBox::Checked, &TFlatCheckBox::SetChecked);
  b.Int("ColorFocused", &TFlatCheckBox::ColorFocused, &TFlatCheckBox::SetColorFocused, &ColorIdents());
  b.Int("ColorDown", &TFlatCheckBox::ColorDown, &TFlatCheckBox::SetColorDown, &ColorIdents());
  b.Int("ColorCheck", &TFlatCheckBox::ColorCheck, &TFlatCheckBox::SetColorCheck, &ColorIdents());
  b.Int("ColorBorder", &TFlatCheckBox::ColorBorder, &TFlatCheckBox::SetColorBorder, &ColorIdents());
  b.Int("AdvColorFocused", &TFlatCheckBox::AdvColorFocused, &TFlatCheckBox::SetAdvColorFocused);
  b.Int("AdvColorDown", &TFlatCheckBox::AdvColorDown, &TFlatCheckBox::SetAdvColorDown);
  b.Int("AdvColorBorder", &TFlatCheckBox::AdvColorBorder, &TFlatCheckBox::SetAdvColorBorder);
  b.Bool("UseAdvColors", &TFlatCheckBox::UseAdvColors, &TFlatCheckBox::SetUseAdvColors);
  b.Enum("Layout", &TFlatCheckBox::Layout, &TFlatCheckBox::SetLayout, CheckBoxLayoutInfo());
  b.Event("OnEnter", &TFlatCheckBox::OnEnter);
  b.Event("OnExit", &TFlatCheckBox::OnExit);
  b.Creatable();
}

TFlatCheckBox::TFlatCheckBox(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 121;
  FHeight = 17;
  FTabStop = true;
}

TFlatCheckBox::~TFlatCheckBox() { FlatCheckBoxTracker().Release(this); }

void TFlatCheckBox::SetChecked(bool v) {
  if (v == FChecked) return;
  FChecked = v;
  InvalidateBox();
  if (!Loading()) Click();
}

void TFlatCheckBox::SetColorField(TColor& field, TColor v) {
  if (v == field) return;
  field = v;
  Invalidate();
}

void TFlatCheckBox::SetAdvField(int& field, int v) {
  v = v < 0 ? 0 : v > 100 ? 100 : v;
  if (v == field) return;
  field = v;
  CalcAdvColors();
  Invalidate();
}

void TFlatCheckBox::SetUseAdvColors(bool v) {
  if (v == FUseAdvColors) return;
  FUseAdvColors = v;
  SetParentColor(v);
  CalcAdvColors();
  Invalidate();
}

void TFlatCheckBox::CalcAdvColors() {
  if (!FUseAdvColors) return;
  flat::AdvColors c = flat::DeriveAdvColors(ColorToRGB(Color()), FAdvFocused, FAdvDown, FAdvBorder);
  FColorFocused = static_cast<TColor>(c.Focused);
  FColorDown = static_cast<TColor>(c.Down);
  FColorBorder = static_cast<TColor>(c.Border);
}

void TFlatCheckBox::ColorChanged() {
  CalcAdvColors();
  TCustomControl::ColorChanged();
}

void TFlatCheckBox::SetLayout(TCheckBoxLayout v) {
  if ((v != checkboxLeft && v != checkboxRight) || v == FLayout) return;
  FLayout = v;
  Invalidate();
}

RECT TFlatCheckBox::BoxRect() const {
  flat::Rect b = flat::CheckBoxRect({ClientWidth(), ClientHeight()}, FLayout);
  return RECT{b.Left, b.Top, b.Right, b.Bottom};
}

void TFlatCheckBox::InvalidateBox() {
  if (!HandleAllocated()) return;
  RECT r = BoxRect();
  InvalidateRect(FHandle, &r, FALSE);
}

bool TFlatCheckBox::DialogChar(char key) {
  if (!Enabled() || !Visible() || !flat::IsAccel(key, Caption())) return false;
  SetFocus();
  SetChecked(!FChecked);
  return true;
}

void TFlatCheckBox::EnabledChanged() {
  if (!Enabled()) {
    FMouseInControl = false;
    FMouseDown = false;
    FlatCheckBoxTracker().Release(this);
  }
  TCustomControl::EnabledChanged();
}

void TFlatCheckBox::HoverEnter() {
  if (!Enabled() || FMouseInControl) return;
  FMouseInControl = true;
  InvalidateBox();
}

void TFlatCheckBox::HoverLeave() {
  if (FMouseDown) return;
  FlatCheckBoxTracker().Release(this);
  if (!Enabled() || !FMouseInControl) return;
  FMouseInControl = false;
  InvalidateBox();
}

void TFlatCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    if (HandleAllocated() && IsWindowVisible(FHandle)) SetFocus();
    FMouseDown = true;
    InvalidateBox();
  }
  if (OnMouseDown) CallGuarded(this, [&] { OnMouseDown(this, button, shift, x, y); });
}

void TFlatCheckBox::MouseMove(TShiftState shift, int x, int y) {
  TFlatHoverTracker& t = FlatCheckBoxTracker();
  if (Enabled() && t.Hot() != this && ControlAtCursor() == this) {
    t.LeaveHot();
    if (GetActiveWindow()) {
      t.Track(this, [this] { HoverLeave(); });
      HoverEnter();
    }
  }
  if (OnMouseMove) CallGuarded(this, [&] { OnMouseMove(this, shift, x, y); });
}

void TFlatCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FMouseDown) {
    FMouseDown = false;
    InvalidateBox();
    // Only a release over the box toggles it: the hover look stays while the button is held,
    // so the pointer's own position decides.
    bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
    if (FMouseInControl && inside) SetChecked(!FChecked);
  }
  if (OnMouseUp) CallGuarded(this, [&] { OnMouseUp(this, button, shift, x, y); });
}

LRESULT TFlatCheckBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFOCUS:
      FFocused = true;
      InvalidateBox();
      if (OnEnter) CallGuarded(this, [&] { OnEnter(this); });
      break;
    case WM_KILLFOCUS:
      FFocused = false;
      FMouseInControl = false;
      Invalidate();
      if (OnExit) CallGuarded(this, [&] { OnExit(this); });
      break;
    case WM_KEYDOWN:
      if (wp == VK_SPACE && Enabled() && !(lp & 0x40000000)) {  // not the key's repeats
        SetChecked(!FChecked);
        return 0;
      }
      break;
  }
  return TCustomControl::WndProc(msg, wp, lp);
}

void TFlatCheckBox::Paint() {
  TCanvas& c = Canvas();
  const flat::Size client{ClientWidth(), ClientHeight()};
  RECT box = BoxRect();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(!FFocused && !FMouseInControl ? Color() : FMouseDown ? FColorDown : FColorFocused);
  c.FillRect(box);
  if (FChecked) {
    c.Pen().SetColor(Enabled() ? FColorCheck : clBtnShadow);
    for (const flat::Line& l : flat::CheckMarkLines()) {
      c.MoveTo(box.left + l.From.X, box.top + l.From.Y);
      c.LineTo(box.left + l.To.X, box.top + l.To.Y);
    }
  }
  c.Brush().SetColor(FColorBorder);
  c.FrameRect(box);

  flat::Rect t = flat::CheckBoxCaptionRect(client, FLayout);
  RECT tr{t.Left, t.Top, t.Right, t.Bottom};
  UINT flags = DT_WORDBREAK | (FLayout == checkboxRight ? DT_RIGHT : DT_LEFT);
  c.Brush().SetStyle(bsClear);
  if (Enabled())
    c.DrawText(Caption(), tr, flags);
  else
    DrawEngravedText(c, Caption(), tr, flags);
}
