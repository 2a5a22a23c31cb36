#include "flat/FlatCheckBoxes.h"
#include <algorithm>
#include "flat/FlatButtons.h"
#include "framework/Accelerators.h"
#include "framework/Events.h"

VELMORA_CLASS_INFO(TFlatCheckBox) {
  b.Bool("Checked", &TFlatCheckBox::Checked, &TFlatCheckBox::SetChecked);
  b.Int("ColorCheck", &TFlatCheckBox::ColorCheck, &TFlatCheckBox::SetColorCheck, &ColorIdents());
  b.Enum("Layout", &TFlatCheckBox::Layout, &TFlatCheckBox::SetLayout, CheckBoxLayoutInfo());
  b.Event("OnEnter", &TFlatCheckBox::OnEnter);
  b.Event("OnExit", &TFlatCheckBox::OnExit);
  b.Creatable();
}

TFlatCheckBox::TFlatCheckBox(TComponent* AOwner) : TFlatControl(AOwner, FlatCheckBoxTracker(), clWhite) {
  FWidth = 121;
  FHeight = 17;
  FTabStop = true;
}

void TFlatCheckBox::SetChecked(bool v) {
  if (v == FChecked) return;
  FChecked = v;
  InvalidateBox();
  if (!Loading()) Click();
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
  if (!Enabled() || !Visible() || !IsAccel(key, Caption())) return false;
  SetFocus();
  SetChecked(!FChecked);
  return true;
}

void TFlatCheckBox::EnabledChanged() {
  if (!Enabled()) FMouseDown = false;
  TFlatControl::EnabledChanged();
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
  MouseMovedOver();
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
      Invalidate();  // the box and the caption's focus frame
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
  return TFlatControl::WndProc(msg, wp, lp);
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
  // The keyboard's mark: a dotted frame around the caption.
  if (FFocused && Enabled() && !Caption().empty()) {
    RECT text = tr;
    c.DrawText(Caption(), text, flags | DT_CALCRECT);
    if (FLayout == checkboxRight) OffsetRect(&text, tr.right - text.right, 0);
    RECT mark{std::max<LONG>(text.left - 1, 0), text.top, std::min<LONG>(text.right + 1, client.W),
              std::min<LONG>(text.bottom + 1, client.H)};
    if (mark.right > mark.left && mark.bottom > mark.top) c.DrawFocusRect(mark);
  }
}
