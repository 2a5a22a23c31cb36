// Three glass lights (green, yellow, red), each lit or unlit, drawn from the light strips.
#pragma once
#include <cstdint>
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

enum TMtLedStateItem { lsGreen, lsYellow, lsRed };
using TMtLedStates = uint32_t;  // bit (1 << lsGreen) ...
constexpr TMtLedStates kMtAllLights = 7;
const TEnumInfo& MtLedStateInfo();

enum TMtLightsOrder { loGreenToRed, loRedToGreen };
enum TMtLightsType { ltGlassRounded, ltGlassRect, ltGlassSquare, ltGlassDiamond };
const TEnumInfo& MtLightsOrderInfo();
const TEnumInfo& MtLightsTypeInfo();

class TMtLights : public TMtGraphicImageControl {
  VELMORA_CLASS(TMtLights, TMtGraphicImageControl)

 public:
  explicit TMtLights(TComponent* AOwner);

  TMtLedStates LedState() const { return FLedState; }
  void SetLedState(TMtLedStates v);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v);
  TMtLightsOrder Order() const { return FOrder; }
  void SetOrder(TMtLightsOrder v);
  TMtOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TMtOrientation v);
  TMtLedStates LedsVisible() const { return FLedsVisible; }
  void SetLedsVisible(TMtLedStates v);
  TMtLightsType LedType() const { return FLedType; }
  void SetLedType(TMtLightsType v);
  int CellWidth() const { return FCellWidth; }
  int CellHeight() const { return FCellHeight; }

  TNotifyEvent OnChange;

 protected:
  void Paint() override;

 private:
  // The strips of the light type: cells of a third of the unlit strip's width.
  void LoadBitmaps();

  TMtLedStates FLedState = 0;
  int FSpacing = 5;
  TMtLightsOrder FOrder = loGreenToRed;
  TMtOrientation FOrientation = voHorizontal;
  TMtLedStates FLedsVisible = kMtAllLights;
  TMtLightsType FLedType = ltGlassRect;
  TBitmap FOff, FOn;
  int FCellWidth = 0, FCellHeight = 0;
};
