#include "framework/StdCtrls.h"

const TEnumInfo& TextLayoutInfo() {
  static const TEnumInfo e{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
  return e;
}

VELMORA_CLASS_INFO(TLabel) {
  b.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, AlignmentInfo());
  b.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize);
  b.Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent);
  b.Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap);
  b.Enum("Layout", &TLabel::Layout, &TLabel::SetLayout, TextLayoutInfo());
  b.Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar);
  b.Creatable();
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 65;
  FHeight = 17;
}

void TLabel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TLabel::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AdjustBounds();
}

void TLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Invalidate();
}

void TLabel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool v) {
  if (v == FShowAccelChar) return;
  FShowAccelChar = v;
  AdjustBounds();
  Invalidate();
}

unsigned TLabel::TextFlags() const {
  unsigned f = DT_EXPANDTABS;
  if (FWordWrap) f |= DT_WORDBREAK;
  if (!FShowAccelChar) f |= DT_NOPREFIX;
  f |= FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
  return f;
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || Loading()) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  RECT r{0, 0, FWordWrap ? FWidth : 0, 0};
  std::string text = FCaption.empty() ? std::string(" ") : FCaption;
  ::DrawTextA(dc, text.c_str(), -1, &r, TextFlags() | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int x = FLeft;
  if (FAlignment == taRightJustify) x += FWidth - r.right;
  else if (FAlignment == taCenter) x += (FWidth - r.right) / 2;
  SetBounds(x, FTop, r.right, r.bottom);
}

void TLabel::Paint() {
  RECT r = ClientRect();
  if (!FTransparent) {
    Canvas().Brush().SetColor(Color());
    Canvas().Brush().SetStyle(bsSolid);
    Canvas().FillRect(r);
  }
  Canvas().Brush().SetStyle(bsClear);
  unsigned flags = TextFlags();
  if (FLayout != tlTop) {
    RECT calc = r;
    Canvas().DrawText(FCaption, calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    r.top = FLayout == tlCenter ? (r.bottom - h) / 2 : r.bottom - h;
  }
  if (!Enabled()) {
    OffsetRect(&r, 1, 1);
    Canvas().Font().SetColor(clBtnHighlight);
    Canvas().DrawText(FCaption, r, flags);
    OffsetRect(&r, -1, -1);
    Canvas().Font().SetColor(clBtnShadow);
  }
  Canvas().DrawText(FCaption, r, flags);
}

void RegisterStdControlClasses() { RegisterComponentClass(TLabel::StaticClassInfo()); }
