#include "sysinfo/LedMeter.h"
#include <algorithm>

const TEnumInfo& MeterDirectionInfo() {
  static const TEnumInfo e{"TMeterDirection", {"mdDown", "mdLeft", "mdRight", "mdUp"}};
  return e;
}

VELMORA_CLASS_INFO(TLEDMeter) {
  b.Enum("BevelStyle", &TLEDMeter::BevelStyle, &TLEDMeter::SetBevelStyle, BevelCutInfo());
  b.Int("ColorLED1", &TLEDMeter::ColorLED1, &TLEDMeter::SetColorLED1, &ColorIdents());
  b.Int("ColorLED2", &TLEDMeter::ColorLED2, &TLEDMeter::SetColorLED2, &ColorIdents());
  b.Int("ColorLED3", &TLEDMeter::ColorLED3, &TLEDMeter::SetColorLED3, &ColorIdents());
  b.Int("ColorSeperator", &TLEDMeter::ColorSeperator, &TLEDMeter::SetColorSeperator, &ColorIdents());
  b.Enum("Direction", &TLEDMeter::Direction, &TLEDMeter::SetDirection, MeterDirectionInfo());
  b.Int("LEDContrast", &TLEDMeter::LEDContrast, &TLEDMeter::SetLEDContrast);
  b.Int("Max", &TLEDMeter::Max, &TLEDMeter::SetMax);
  b.Int("Min", &TLEDMeter::Min, &TLEDMeter::SetMin);
  b.Int("NumDigits", &TLEDMeter::NumDigits, &TLEDMeter::SetNumDigits);
  b.Int("Position", &TLEDMeter::Position, &TLEDMeter::SetPosition);
  b.Bool("SingleLED", &TLEDMeter::SingleLED, &TLEDMeter::SetSingleLED);
  b.Int("StartColor2", &TLEDMeter::StartColor2, &TLEDMeter::SetStartColor2);
  b.Int("StartColor3", &TLEDMeter::StartColor3, &TLEDMeter::SetStartColor3);
  b.Event("OnChange", &TLEDMeter::OnChange);
  b.Creatable();
}

TLEDMeter::TLEDMeter(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 143;
  FHeight = 16;
  // The defaults are dimmed less than a later change of colour or contrast dims them.
  for (int i = 0; i < 3; ++i) ComputeDim(i, 0.6);
}

void TLEDMeter::ComputeDim(int i, double factor) {
  FDim[i] = static_cast<TColor>(ledmeter::DimColor(ColorToRGB(FColors[i]), factor));
}

void TLEDMeter::SetZoneColor(int i, TColor v) {
  if (v == FColors[i]) return;
  FColors[i] = v;
  ComputeDim(i, (10 - FLEDContrast) / 10.0);
  Invalidate();
}

void TLEDMeter::SetBevelStyle(TBevelCut v) {
  if (v == FBevelStyle || (v != bvNone && v != bvLowered && v != bvRaised)) return;
  FBevelStyle = v;
  Invalidate();
}

void TLEDMeter::SetColorSeperator(TColor v) {
  if (v == FColorSeperator) return;
  FColorSeperator = v;
  Invalidate();
}

void TLEDMeter::SetDirection(TMeterDirection v) {
  if (v == FDirection || v < mdDown || v > mdUp) return;
  FDirection = v;
  Invalidate();
}

void TLEDMeter::SetLEDContrast(TContrast v) {
  if (v == FLEDContrast || v < 0 || v >= 10) return;
  FLEDContrast = v;
  for (int i = 0; i < 3; ++i) ComputeDim(i, (10 - v) / 10.0);
  Invalidate();
}

void TLEDMeter::SetMax(int v) {
  if (v == FMax) return;
  FMax = v;
  FStartColor2 = std::min(FStartColor2, v);
  FStartColor3 = std::min(FStartColor3, v);
  Invalidate();
}

void TLEDMeter::SetMin(int v) {
  if (v == FMin) return;
  FMin = v;
  FStartColor2 = std::max(FStartColor2, v);
  FStartColor3 = std::max(FStartColor3, v);
  Invalidate();
}

void TLEDMeter::SetNumDigits(int v) {
  // No segments at all would divide the width by zero.
  if (v == FNumDigits || v < 1) return;
  FNumDigits = v;
  Invalidate();
}

void TLEDMeter::SetPosition(int v) {
  if (v > FMax) v = FMax;
  if (v < FMin) v = FMin;
  if (v == FPosition) return;
  FPosition = v;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TLEDMeter::SetSingleLED(bool v) {
  if (v == FSingleLED) return;
  FSingleLED = v;
  Invalidate();
}

void TLEDMeter::SetStartColor2(int v) {
  v = std::min(std::max(v, FMin), FMax);
  v = std::min(v, FStartColor3);
  if (v == FStartColor2) return;
  FStartColor2 = v;
  Invalidate();
}

void TLEDMeter::SetStartColor3(int v) {
  v = std::min(std::max(v, FMin), FMax);
  v = std::max(v, FStartColor2);
  if (v == FStartColor3) return;
  FStartColor3 = v;
  Invalidate();
}

void TLEDMeter::Paint() {
  ledmeter::Settings s;
  s.Width = FWidth;
  s.Height = FHeight;
  s.Bevel = FBevelStyle != bvNone;
  s.Dir = FDirection;
  s.NumDigits = FNumDigits;
  s.Min = FMin;
  s.Max = FMax;
  s.Position = FPosition;
  s.StartColor2 = FStartColor2;
  s.StartColor3 = FStartColor3;
  s.SingleLED = FSingleLED;
  TCanvas& c = Canvas();
  c.Pen().SetColor(FColorSeperator);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsSolid);
  for (const ledmeter::Segment& g : ledmeter::Layout(s)) {
    c.Brush().SetColor(g.Lit ? FColors[g.Zone - 1] : FDim[g.Zone - 1]);
    c.Rectangle(g.Left, g.Top, g.Right, g.Bottom);
  }
  if (FBevelStyle == bvNone) return;
  TColor tl = FBevelStyle == bvLowered ? clBtnShadow : clBtnHighlight;
  TColor br = FBevelStyle == bvLowered ? clBtnHighlight : clBtnShadow;
  RECT r = ClientRect();
  Frame3D(c, r, tl, br, 1);
}

void RegisterLedMeterClasses() { RegisterComponentClass(TLEDMeter::StaticClassInfo()); }
