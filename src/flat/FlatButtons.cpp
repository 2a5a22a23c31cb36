#include "flat/FlatButtons.h"
#include "flat/FlatCheckBoxes.h"
#include "flat/FlatHints.h"
#include "framework/Accelerators.h"
#include "framework/Bitmaps.h"
#include "framework/Events.h"
#include "framework/Forms.h"

VELMORA_CLASS_INFO(TFlatButton) {
  b.Int("ColorHighLight", &TFlatButton::ColorHighLight, &TFlatButton::SetColorHighLight, &ColorIdents());
  b.Int("ColorShadow", &TFlatButton::ColorShadow, &TFlatButton::SetColorShadow, &ColorIdents());
  b.Int("GroupIndex", &TFlatButton::GroupIndex, &TFlatButton::SetGroupIndex);
  b.Bool("Down", &TFlatButton::Down, &TFlatButton::SetDown);
  b.Bool("AllowAllUp", &TFlatButton::AllowAllUp, &TFlatButton::SetAllowAllUp);
  b.Object("Glyph", &TFlatButton::GlyphPtr);
  b.Int("NumGlyphs", &TFlatButton::NumGlyphs, &TFlatButton::SetNumGlyphs);
  b.Enum("Layout", &TFlatButton::Layout, &TFlatButton::SetLayout, ButtonLayoutInfo());
  b.Int("Margin", &TFlatButton::Margin, &TFlatButton::SetMargin);
  b.Int("Spacing", &TFlatButton::Spacing, &TFlatButton::SetSpacing);
  b.Int("ModalResult", &TFlatButton::ModalResult, &TFlatButton::SetModalResult, &ModalResultIdents());
  b.Creatable();
}

void RegisterFlatClasses() {
  RegisterComponentClass(TFlatButton::StaticClassInfo());
  RegisterComponentClass(TFlatCheckBox::StaticClassInfo());
  RegisterComponentClass(TFlatHint::StaticClassInfo());
}

void DrawEngravedText(TCanvas& canvas, const std::string& text, RECT r, UINT flags) {
  TColor old = canvas.Font().Color();
  canvas.Brush().SetStyle(bsClear);
  RECT shifted = r;
  OffsetRect(&shifted, 1, 1);
  canvas.Font().SetColor(clBtnHighlight);
  canvas.DrawText(text, shifted, flags);
  canvas.Font().SetColor(clBtnShadow);
  canvas.DrawText(text, r, flags);
  canvas.Font().SetColor(old);
}

namespace {
// Memory order of a DIB pixel (0x00RRGGBB) for a COLORREF.
uint32_t DibPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// A cell of a glyph in the engraved look: every pixel that is not background becomes a highlight
// pixel one step right and down, under a shadow pixel in place, on the button face.
void Engrave(TBitmap& glyph, RECT cell, COLORREF transparent, TBitmap& out) {
  int w = cell.right - cell.left, h = cell.bottom - cell.top;
  out.SetSize(w, h);
  const uint32_t face = DibPixel(ColorToRGB(clBtnFace)), hi = DibPixel(ColorToRGB(clBtnHighlight)),
                 shadow = DibPixel(ColorToRGB(clBtnShadow)), clear = DibPixel(transparent);
  for (int y = 0; y < h; ++y) {
    uint32_t* row = out.ScanLine(y);
    for (int x = 0; x < w; ++x) row[x] = face;
  }
  for (int pass = 0; pass < 2; ++pass)
    for (int y = 0; y < h; ++y) {
      const uint32_t* src = glyph.ScanLine(cell.top + y) + cell.left;
      for (int x = 0; x < w; ++x) {
        if ((src[x] & 0xFFFFFF) == clear) continue;
        if (pass == 0 && x + 1 < w && y + 1 < h) out.ScanLine(y + 1)[x + 1] = hi;
        if (pass == 1) out.ScanLine(y)[x] = shadow;
      }
    }
}
}  // namespace

TFlatButton::TFlatButton(TComponent* AOwner)
    : TFlatControl(AOwner, FlatButtonTracker(), 0xE1EAEB), FGlyph(std::make_unique<TBitmap>()) {
  FWidth = 25;
  FHeight = 25;
  FGlyph->OnChange = [this](TObject*) { GlyphChanged(); };
}

void TFlatButton::SetGroupIndex(int v) {
  if (v == FGroupIndex) return;
  FGroupIndex = v;
  BroadcastPressed();
}

void TFlatButton::SetDown(bool v) {
  if (FGroupIndex == 0) v = false;
  if (v == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = v;
  if (FState != fbsDisabled) FState = v ? fbsLatched : fbsUp;
  Invalidate();
  if (v) BroadcastPressed();
}

void TFlatButton::SetAllowAllUp(bool v) {
  if (v == FAllowAllUp) return;
  FAllowAllUp = v;
  BroadcastPressed();
}

void TFlatButton::BroadcastPressed() {
  if (FGroupIndex == 0 || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* b = dynamic_cast<TFlatButton*>(Parent()->Controls(i))) b->ButtonPressed(FGroupIndex, this);
}

void TFlatButton::ButtonPressed(int group, TFlatButton* sender) {
  if (group != FGroupIndex || sender == this) return;
  // Only a button that is down pushes the others up: a button joining the group must not
  // release the one that is latched.
  if (sender->FDown && FDown) {
    FDown = false;
    if (FState != fbsDisabled) FState = fbsUp;
    Invalidate();
  }
  FAllowAllUp = sender->FAllowAllUp;
}

void TFlatButton::SetGlyph(const TBitmap& v) { FGlyph->Assign(v); }

void TFlatButton::GlyphChanged() {
  FNumGlyphs = flat::NumGlyphsForGlyph(FGlyph->Width(), FGlyph->Height(), FNumGlyphs);
  Invalidate();
}

void TFlatButton::SetNumGlyphs(int v) {
  v = flat::ClampNumGlyphs(v);
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  Invalidate();
}

void TFlatButton::SetLayout(TButtonLayout v) {
  if (v < blGlyphLeft || v > blGlyphBottom || v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TFlatButton::SetMargin(int v) {
  if (v < -1) v = -1;
  if (v == FMargin) return;
  FMargin = v;
  Invalidate();
}

void TFlatButton::SetSpacing(int v) {
  if (v < -1) v = -1;
  if (v == FSpacing) return;
  FSpacing = v;
  Invalidate();
}

void TFlatButton::Click() {
  if (FModalResult != 0)
    if (TForm* f = ParentForm(this)) f->SetModalResult(FModalResult);
  TFlatControl::Click();
}

bool TFlatButton::DialogChar(char key) {
  if (!Enabled() || !Visible() || !IsAccel(key, Caption())) return false;
  // A button that takes the focus gets it, as a press with the mouse gives it.
  if (TabStop() && CanFocus()) SetFocus();
  Click();
  return true;
}

void TFlatButton::EnabledChanged() {
  if (!Enabled()) {
    FState = fbsDisabled;
    FDragging = false;
  } else {
    FState = FDown ? fbsLatched : fbsUp;
  }
  TFlatControl::EnabledChanged();
}

void TFlatButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    if (!FDown) {
      FState = fbsDown;
      Invalidate();
    }
    FDragging = true;
    if (HandleAllocated() && IsWindowVisible(FHandle) && GetFocus() != FHandle) SetFocus();
  }
  if (OnMouseDown) CallGuarded(this, [&] { OnMouseDown(this, button, shift, x, y); });
}

void TFlatButton::MouseMove(TShiftState shift, int x, int y) {
  if (FDragging) {
    TFlatButtonState s = FDown ? fbsLatched : Inside(x, y) ? fbsDown : fbsUp;
    if (s != FState) {
      FState = s;
      Invalidate();
    }
  }
  MouseMovedOver();
  if (OnMouseMove) CallGuarded(this, [&] { OnMouseMove(this, shift, x, y); });
}

void TFlatButton::Release() {
  if (FGroupIndex == 0) {
    FState = fbsUp;
  } else {
    SetDown(!FDown);
    FState = FDown ? fbsLatched : fbsUp;  // SetDown may have refused to release it
  }
  Invalidate();
}

LRESULT TFlatButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FFocused = msg == WM_SETFOCUS;
      if (!FFocused && FSpaceDown) {
        // The focus went while Space was held: no click.
        FSpaceDown = false;
        FState = FDown ? fbsLatched : fbsUp;
      }
      Invalidate();
      break;
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        if (Enabled() && !FDragging && !FSpaceDown && !(lp & 0x40000000)) {  // not the key's repeats
          FSpaceDown = true;
          if (!FDown) FState = fbsDown;
          Invalidate();
        }
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wp == VK_SPACE) {
        if (FSpaceDown) {
          FSpaceDown = false;
          Release();
          if (Enabled()) Click();
        }
        return 0;
      }
      break;
  }
  return TFlatControl::WndProc(msg, wp, lp);
}

void TFlatButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FDragging) {
    FDragging = false;
    bool inside = Inside(x, y);
    if (FGroupIndex == 0) {
      FState = fbsUp;
      FMouseInControl = false;
      if (inside) Invalidate();
    } else if (inside) {
      Release();
    } else {
      if (FDown) FState = fbsLatched;
      Invalidate();
    }
    if (inside)
      Click();
    else
      HoverLeave();
    // The pointer may still be over the button (or over it again).
    if (Enabled()) {
      if (ControlAtCursor() == this)
        BecomeHot();
      else
        HoverLeave();
    }
  }
  if (OnMouseUp) CallGuarded(this, [&] { OnMouseUp(this, button, shift, x, y); });
}

void TFlatButton::DblClick() {
  if (FDown) TFlatControl::DblClick();
}

void TFlatButton::Paint() {
  TCanvas& c = Canvas();
  if (Enabled()) {
    if (FState == fbsDisabled) FState = FDown && FGroupIndex ? fbsLatched : fbsUp;
  } else {
    FState = fbsDisabled;
    FMouseInControl = false;
  }
  const flat::Size client{ClientWidth(), ClientHeight()};
  RECT r{0, 0, client.W, client.H};
  TColor fill;
  switch (FState) {
    case fbsUp:
      Frame3D(c, r, FMouseInControl ? FColorHighLight : FColorBorder, FMouseInControl ? FColorShadow : FColorBorder, 1);
      fill = FMouseInControl ? FColorFocused : Color();
      break;
    case fbsDisabled:
      Frame3D(c, r, FColorBorder, FColorBorder, 1);
      fill = Color();
      break;
    case fbsDown:
      Frame3D(c, r, FColorShadow, FColorHighLight, 1);
      fill = FColorDown;
      break;
    default:
      Frame3D(c, r, FColorShadow, FColorHighLight, 1);
      fill = FMouseInControl ? FColorFocused : FColorDown;
      break;
  }
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(fill);
  c.FillRect(r);

  flat::Size cell;
  const int cells = flat::ClampNumGlyphs(FNumGlyphs);
  if (!FGlyph->Empty()) cell = flat::Size{FGlyph->Width() / cells, FGlyph->Height()};
  flat::Size text;
  // The caption's rectangle is its exact extent: no clipping, or ink past the last advance goes.
  const UINT textFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;
  if (!Caption().empty()) {
    RECT m{0, 0, 0, 0};
    c.DrawText(Caption(), m, DT_CALCRECT | DT_SINGLELINE);
    text = flat::Size{m.right - m.left, m.bottom - m.top};
  }
  bool sunk = FState == fbsDown || FState == fbsLatched;
  flat::ButtonContent at =
      flat::CalcButtonLayout(client, cell, text, FLayout, FMargin, FSpacing, flat::Point{sunk ? 1 : 0, sunk ? 1 : 0});

  if (cell.W > 0 && cell.H > 0) {
    COLORREF transparent = FGlyph->PixelRGB(0, FGlyph->Height() - 1);
    int index = flat::GlyphCell(cells, FState);
    RECT src{index * cell.W, 0, (index + 1) * cell.W, cell.H};
    RECT dest{at.Glyph.X, at.Glyph.Y, at.Glyph.X + cell.W, at.Glyph.Y + cell.H};
    if (FState == fbsDisabled && cells == 1) {
      TBitmap engraved;
      Engrave(*FGlyph, src, transparent, engraved);
      RECT all{0, 0, cell.W, cell.H};
      c.BrushCopy(dest, engraved, all, static_cast<TColor>(engraved.PixelRGB(0, cell.H - 1)));
    } else {
      c.BrushCopy(dest, *FGlyph, src, static_cast<TColor>(transparent));
    }
  }

  if (!Caption().empty()) {
    RECT tr{at.Caption.Left, at.Caption.Top, at.Caption.Right, at.Caption.Bottom};
    c.Brush().SetStyle(bsClear);
    if (FState == fbsDisabled)
      DrawEngravedText(c, Caption(), tr, textFlags);
    else
      c.DrawText(Caption(), tr, textFlags);
  }
  // The keyboard's mark: a dotted frame inside the border.
  if (FFocused && Enabled() && client.W > 6 && client.H > 6) c.DrawFocusRect(RECT{3, 3, client.W - 3, client.H - 3});
}
