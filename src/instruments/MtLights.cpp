#include "instruments/MtLights.h"
#include "framework/Events.h"
#include "instruments/MtDrawLogic.h"

const TEnumInfo& MtLedStateInfo() {
  static const TEnumInfo e{"TMtLedState", {"lsGreen", "lsYellow", "lsRed"}};
  return e;
}
const TEnumInfo& MtLightsOrderInfo() {
  static const TEnumInfo e{"TMtLightsOrder", {"loGreenToRed", "loRedToGreen"}};
  return e;
}
const TEnumInfo& MtLightsTypeInfo() {
  static const TEnumInfo e{"TMtLightsType", {"ltGlassRounded", "ltGlassRect", "ltGlassSquare", "ltGlassDiamond"}};
  return e;
}

VELMORA_CLASS_INFO(TMtLights) {
  b.Set("LedState", &TMtLights::LedState, &TMtLights::SetLedState, MtLedStateInfo());
  b.Int("Spacing", &TMtLights::Spacing, &TMtLights::SetSpacing);
  b.Enum("Order", &TMtLights::Order, &TMtLights::SetOrder, MtLightsOrderInfo());
  b.Enum("Orientation", &TMtLights::Orientation, &TMtLights::SetOrientation, MtOrientationInfo());
  b.Set("LedsVisible", &TMtLights::LedsVisible, &TMtLights::SetLedsVisible, MtLedStateInfo());
  b.Enum("LedType", &TMtLights::LedType, &TMtLights::SetLedType, MtLightsTypeInfo());
  b.Bool("Transparent", &TMtLights::Transparent, &TMtLights::SetTransparent);
  b.Event("OnChange", &TMtLights::OnChange);
  b.Creatable();
}

TMtLights::TMtLights(TComponent* AOwner) : TMtGraphicImageControl(AOwner) {
  FColor = clBlack;
  FParentColor = false;
  FOpaque = true;
  SetBounds(FLeft, FTop, 80, 45);
  LoadBitmaps();
}

void TMtLights::LoadBitmaps() {
  static const char* const types[] = {"RND", "RECT", "SQR", "DMD"};
  std::string base = std::string("LIGHTS_") + types[FLedType] + "_";
  HINSTANCE module = GetModuleHandleA(nullptr);
  // A strip the program lacks leaves no cells: the lights then show only their background.
  if (!FOff.LoadFromResourceName(module, base + "OFF")) FOff.SetSize(0, 0);
  if (!FOn.LoadFromResourceName(module, base + "ON")) FOn.SetSize(0, 0);
  FCellWidth = FOff.Width() / 3;
  FCellHeight = FOff.Height();
}

void TMtLights::SetLedState(TMtLedStates v) {
  if (!mt::ChangeValue(FLedState, v & kMtAllLights)) return;
  UpdateControlCanvas();
  if (OnChange) CallGuarded(this, [&] { OnChange(this); });
}

void TMtLights::SetSpacing(int v) {
  if (mt::ChangeValue(FSpacing, v)) UpdateControlCanvas();
}

void TMtLights::SetOrder(TMtLightsOrder v) {
  if ((v == loGreenToRed || v == loRedToGreen) && mt::ChangeValue(FOrder, v)) UpdateControlCanvas();
}

void TMtLights::SetOrientation(TMtOrientation v) {
  if ((v == voVertical || v == voHorizontal) && mt::ChangeValue(FOrientation, v)) UpdateControlCanvas();
}

void TMtLights::SetLedsVisible(TMtLedStates v) {
  if (mt::ChangeValue(FLedsVisible, v & kMtAllLights)) UpdateControlCanvas();
}

void TMtLights::SetLedType(TMtLightsType v) {
  if (v < ltGlassRounded || v > ltGlassDiamond || !mt::ChangeValue(FLedType, v)) return;
  LoadBitmaps();
  UpdateControlCanvas();
}

void TMtLights::Paint() {
  ClearBitmapCanvas();
  if (FCellWidth > 0 && FCellHeight > 0 && FOn.Width() >= FOff.Width()) {
    for (const mt::LightCell& c : mt::LightsLayout(FWidth, FHeight, FCellWidth, FCellHeight, FSpacing,
                                                   FOrientation == voVertical, FOrder == loRedToGreen, FLedsVisible)) {
      // Lights pushed outside (a huge spacing) are not drawn, nor are their coordinates formed.
      if (c.X >= FWidth || c.Y >= FHeight || c.X <= -FCellWidth || c.Y <= -FCellHeight) continue;
      RECT dest{c.X, c.Y, c.X + FCellWidth, c.Y + FCellHeight};
      RECT cell{c.Light * FCellWidth, 0, (c.Light + 1) * FCellWidth, FCellHeight};
      BitmapCanvas().BrushCopy(dest, (FLedState & (1u << c.Light)) ? FOn : FOff, cell, clBlack);
    }
  }
  inherited::Paint();
}
