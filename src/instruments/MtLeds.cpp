#include "instruments/MtLeds.h"
#include "framework/Events.h"
#include "instruments/MtDrawLogic.h"
#include "instruments/MtSysUtils.h"

const TEnumInfo& MtDrawStyleInfo() {
  static const TEnumInfo e{"TMtDrawStyle", {"dsOwnerDraw", "dsNormal"}};
  return e;
}

VELMORA_CLASS_INFO(TMtUserLed) {
  b.Object("Bevel", &TMtUserLed::BevelPtr);
  b.Object("PaletteEx", &TMtUserLed::PaletteExPtr);
  b.Bool("Active", &TMtUserLed::Active, &TMtUserLed::SetActive);
  b.Int("OutlineColor", &TMtUserLed::OutlineColor, &TMtUserLed::SetOutlineColor, &ColorIdents());
  b.Int("OutlineWidth", &TMtUserLed::OutlineWidth, &TMtUserLed::SetOutlineWidth);
  b.Enum("DrawStyle", &TMtUserLed::DrawStyle, &TMtUserLed::SetDrawStyle, MtDrawStyleInfo());
  b.Event("OnChange", &TMtUserLed::OnChange);
  b.Event("OnDraw", &TMtUserLed::OnDraw);
  b.Creatable();
}

TMtUserLed::TMtUserLed(TComponent* AOwner)
    : TMtGraphicControl(AOwner), FBevel(std::make_unique<TMtBevel>()), FPaletteEx(std::make_unique<TMtPaletteEx>()) {
  FBevel->SetInnerStyle(TMtBevelStyle::bsNone);
  FBevel->SetInnerHighlight(clLime);
  FBevel->SetInnerShadow(clGreen);
  FPaletteEx->SetLow1(clMaroon);
  FPaletteEx->SetLow2(clBlack);
  FPaletteEx->SetHigh1(clRed);
  FPaletteEx->SetHigh2(clBlack);
  FBevel->OnChange = [this](TObject*) { UpdateControlCanvas(); };
  FPaletteEx->OnChange = [this](TObject*) { UpdateControlCanvas(); };
  FOpaque = true;
  SetBounds(FLeft, FTop, 20, 10);
}

void TMtUserLed::SetActive(bool v) {
  if (!mt::ChangeValue(FActive, v)) return;
  UpdateControlCanvas();
  if (OnChange) CallGuarded(this, [&] { OnChange(this); });
}

void TMtUserLed::SetOutlineColor(TColor v) {
  if (mt::ChangeValue(FOutlineColor, v)) UpdateControlCanvas();
}

void TMtUserLed::SetOutlineWidth(int v) {
  if (mt::ChangeValue(FOutlineWidth, v)) UpdateControlCanvas();
}

void TMtUserLed::SetDrawStyle(TMtDrawStyle v) {
  if ((v == dsOwnerDraw || v == dsNormal) && mt::ChangeValue(FDrawStyle, v)) UpdateControlCanvas();
}

void TMtUserLed::Paint() {
  RECT r = ClientRect();
  if (FDrawStyle == dsOwnerDraw) {
    FCanvas.Brush().SetColor(FColor);
    FCanvas.Brush().SetStyle(bsSolid);
    FCanvas.FillRect(r);
    if (OnDraw) CallGuarded(this, [&] { OnDraw(this, FCanvas, r); });
    return;
  }
  if (FOutlineWidth > 0) DrawFrame3D(FCanvas, r, FOutlineColor, FOutlineColor, FOutlineWidth);
  FBevel->Paint(FCanvas, r);
  TColor a = FActive ? FPaletteEx->High1() : FPaletteEx->Low1();
  TColor b = FActive ? FPaletteEx->High2() : FPaletteEx->Low2();
  DrawGradientEx(FCanvas, r, a, b, 1);
}
