// A row (or column) of rectangular LED segments in three colour zones, lit up to the value and
// dimmed beyond it.
#pragma once
#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "sysinfo/LedMeterLogic.h"

using TMeterDirection = ledmeter::Direction;
using ledmeter::mdDown;
using ledmeter::mdLeft;
using ledmeter::mdRight;
using ledmeter::mdUp;
using TContrast = int;  // 0..9

const TEnumInfo& MeterDirectionInfo();

class TLEDMeter : public TGraphicControl {
  VELMORA_CLASS(TLEDMeter, TGraphicControl)

 public:
  explicit TLEDMeter(TComponent* AOwner);

  // bvNone, bvLowered or bvRaised; other kinds are ignored.
  TBevelCut BevelStyle() const { return FBevelStyle; }
  void SetBevelStyle(TBevelCut v);
  TColor ColorLED1() const { return FColors[0]; }
  TColor ColorLED2() const { return FColors[1]; }
  TColor ColorLED3() const { return FColors[2]; }
  void SetColorLED1(TColor v) { SetZoneColor(0, v); }
  void SetColorLED2(TColor v) { SetZoneColor(1, v); }
  void SetColorLED3(TColor v) { SetZoneColor(2, v); }
  TColor ColorSeperator() const { return FColorSeperator; }
  void SetColorSeperator(TColor v);
  TMeterDirection Direction() const { return FDirection; }
  void SetDirection(TMeterDirection v);
  TContrast LEDContrast() const { return FLEDContrast; }
  void SetLEDContrast(TContrast v);
  int Max() const { return FMax; }
  void SetMax(int v);
  int Min() const { return FMin; }
  void SetMin(int v);
  int NumDigits() const { return FNumDigits; }
  void SetNumDigits(int v);
  int Position() const { return FPosition; }
  void SetPosition(int v);
  bool SingleLED() const { return FSingleLED; }
  void SetSingleLED(bool v);
  int StartColor2() const { return FStartColor2; }
  void SetStartColor2(int v);
  int StartColor3() const { return FStartColor3; }
  void SetStartColor3(int v);
  // The colour of an unlit segment of zone 1..3.
  TColor DimColor(int zone) const { return FDim[zone - 1]; }

  TNotifyEvent OnChange;

 protected:
  void Paint() override;

 private:
  void SetZoneColor(int i, TColor v);
  void ComputeDim(int i, double factor);
  TBevelCut FBevelStyle = bvLowered;
  TColor FColors[3] = {clLime, clYellow, clRed};
  TColor FDim[3] = {};
  TColor FColorSeperator = clBlack;
  TMeterDirection FDirection = mdRight;
  TContrast FLEDContrast = 6;
  int FMax = 100, FMin = 0, FNumDigits = 20, FPosition = 0;
  bool FSingleLED = false;
  int FStartColor2 = 75, FStartColor3 = 90;
};

void RegisterLedMeterClasses();
