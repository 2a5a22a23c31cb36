#include "instruments/MtScale.h"
#include <algorithm>
#include "instruments/MtDrawLogic.h"

VELMORA_CLASS_INFO(TMtScale) {
  b.Int("MaxValue", &TMtScale::MaxValue, &TMtScale::SetMaxValue);
  b.Int("MinValue", &TMtScale::MinValue, &TMtScale::SetMinValue);
  b.Int("Ticks", &TMtScale::Ticks, &TMtScale::SetTicks);
  b.Int("TicksWidth", &TMtScale::TicksWidth, &TMtScale::SetTicksWidth);
  b.Int("TicksHeight", &TMtScale::TicksHeight, &TMtScale::SetTicksHeight);
  b.Enum("Orientation", &TMtScale::Orientation, &TMtScale::SetOrientation, MtOrientationInfo());
  b.Bool("LeadingZero", &TMtScale::LeadingZero, &TMtScale::SetLeadingZero);
  b.Int("Digits", &TMtScale::Digits, &TMtScale::SetDigits);
  b.Enum("Alignment", &TMtScale::Alignment, &TMtScale::SetAlignment, AlignmentInfo());
  b.Enum("Layout", &TMtScale::Layout, &TMtScale::SetLayout, TextLayoutInfo());
  b.Int("ScaleColor", &TMtScale::ScaleColor, &TMtScale::SetScaleColor, &ColorIdents());
  b.Int("PeakLevel", &TMtScale::PeakLevel, &TMtScale::SetPeakLevel);
  b.Int("PeakColor", &TMtScale::PeakColor, &TMtScale::SetPeakColor, &ColorIdents());
  b.Bool("ShowSign", &TMtScale::ShowSign, &TMtScale::SetShowSign);
  b.Enum("TickMarks", &TMtScale::TickMarks, &TMtScale::SetTickMarks, MtTickMarksInfo());
  b.Int("ScaleOffset", &TMtScale::ScaleOffset, &TMtScale::SetScaleOffset);
  b.Bool("Transparent", &TMtScale::Transparent, &TMtScale::SetTransparent);
  b.Creatable();
}

TMtScale::TMtScale(TComponent* AOwner) : TMtGraphicImageControl(AOwner) {
  FColor = clBlack;
  FParentColor = false;
  Font().SetName("Arial");
  Font().SetSize(7);
  Font().SetColor(clGreen);
  FOpaque = true;
  SetBounds(FLeft, FTop, 215, 11);
}

void TMtScale::SetMaxValue(int32_t v) {
  if (mt::ChangeValue(FMaxValue, v)) UpdateControlCanvas();
}
void TMtScale::SetMinValue(int32_t v) {
  if (mt::ChangeValue(FMinValue, v)) UpdateControlCanvas();
}
void TMtScale::SetTicks(int32_t v) {
  if (mt::ChangeValue(FTicks, v)) UpdateControlCanvas();
}
void TMtScale::SetTicksWidth(int v) {
  if (mt::ChangeValue(FTicksWidth, v)) UpdateControlCanvas();
}
void TMtScale::SetTicksHeight(int v) {
  if (mt::ChangeValue(FTicksHeight, v)) UpdateControlCanvas();
}
void TMtScale::SetLeadingZero(bool v) {
  if (mt::ChangeValue(FLeadingZero, v)) UpdateControlCanvas();
}
void TMtScale::SetDigits(int v) {
  if (v >= 0 && v <= 32 && mt::ChangeValue(FDigits, v)) UpdateControlCanvas();
}
void TMtScale::SetAlignment(TAlignment v) {
  if (v >= taLeftJustify && v <= taCenter && mt::ChangeValue(FAlignment, v)) UpdateControlCanvas();
}
void TMtScale::SetLayout(TTextLayout v) {
  if (v >= tlTop && v <= tlBottom && mt::ChangeValue(FLayout, v)) UpdateControlCanvas();
}
void TMtScale::SetScaleColor(TColor v) {
  if (mt::ChangeValue(FScaleColor, v)) UpdateControlCanvas();
}
void TMtScale::SetPeakLevel(int32_t v) {
  if (mt::ChangeValue(FPeakLevel, v)) UpdateControlCanvas();
}
void TMtScale::SetPeakColor(TColor v) {
  if (mt::ChangeValue(FPeakColor, v)) UpdateControlCanvas();
}
void TMtScale::SetShowSign(bool v) {
  if (mt::ChangeValue(FShowSign, v)) UpdateControlCanvas();
}
void TMtScale::SetTickMarks(TMtTickMarks v) {
  if (v >= tmNone && v <= tmTopLeft && mt::ChangeValue(FTickMarks, v)) UpdateControlCanvas();
}
void TMtScale::SetScaleOffset(int v) {
  if (mt::ChangeValue(FScaleOffset, v)) UpdateControlCanvas();
}

void TMtScale::SetOrientation(TMtOrientation v) {
  if ((v != voVertical && v != voHorizontal) || v == FOrientation) return;
  FOrientation = v;
  // Turned on its corner: the size follows, the position stays.
  if (!Loading()) SetBounds(FLeft, FTop, FHeight, FWidth);
  UpdateControlCanvas();
}

void TMtScale::FontChanged() {
  UpdateControlCanvas();
  DoFontChanged();
}

void TMtScale::Paint() {
  ClearBitmapCanvas();
  TCanvas& c = BitmapCanvas();
  c.Brush().SetStyle(Transparent() ? bsClear : bsSolid);
  c.Font().Assign(Font());
  bool vertical = FOrientation == voVertical;
  // Ticks below 1 have no step to go by: the scale then shows its background only.
  std::vector<mt::ScaleLabel> labels = mt::ScaleLabels(FMinValue, FMaxValue, FTicks, FWidth, FHeight, vertical,
                                                       FLeadingZero, FDigits, FShowSign, FPeakLevel);
  static const UINT aligns[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  static const UINT layouts[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
  UINT flags = DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | aligns[FAlignment] | layouts[FLayout];
  for (const mt::ScaleLabel& l : labels) {
    c.Font().SetColor(l.Peak ? FPeakColor : Font().Color());
    RECT cell{l.Cell.Left, l.Cell.Top, l.Cell.Right, l.Cell.Bottom};
    c.DrawText(l.Text, cell, flags);
  }
  if (FTickMarks != tmNone && !labels.empty()) {
    c.Pen().SetColor(FScaleColor);
    c.Pen().SetWidth(FTicksWidth);
    c.Pen().SetStyle(psSolid);
    bool nearSide = FTickMarks == tmBoth || FTickMarks == tmTopLeft;
    bool farSide = FTickMarks == tmBoth || FTickMarks == tmBottomRight;
    int64_t across = vertical ? FWidth : FHeight;
    // Offsets and lengths of any size end up as coordinates GDI takes (16 bits on Windows 9x).
    auto at = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -32768, 32767)); };
    auto line = [&](int along, int64_t from64, int64_t to64) {
      int from = at(from64), to = at(to64);
      if (vertical) {
        c.MoveTo(from, along);
        c.LineTo(to, along);
      } else {
        c.MoveTo(along, from);
        c.LineTo(along, to);
      }
    };
    for (const mt::ScaleLabel& l : labels) {
      if (nearSide) line(l.Centre, FScaleOffset, static_cast<int64_t>(FScaleOffset) + FTicksHeight);
      if (farSide) line(l.Centre, across - FScaleOffset - FTicksHeight, across - FScaleOffset);
    }
  }
  inherited::Paint();
}
