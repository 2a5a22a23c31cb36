// Evenly spaced value labels, with optional tick marks, beside a chart or a bar.
#pragma once
#include <cstdint>
#include "framework/StdCtrls.h"
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

class TMtScale : public TMtGraphicImageControl {
  VELMORA_CLASS(TMtScale, TMtGraphicImageControl)

 public:
  explicit TMtScale(TComponent* AOwner);

  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t v);
  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t v);
  int32_t Ticks() const { return FTicks; }
  void SetTicks(int32_t v);
  int TicksWidth() const { return FTicksWidth; }
  void SetTicksWidth(int v);
  int TicksHeight() const { return FTicksHeight; }
  void SetTicksHeight(int v);
  TMtOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TMtOrientation v);
  bool LeadingZero() const { return FLeadingZero; }
  void SetLeadingZero(bool v);
  int Digits() const { return FDigits; }
  void SetDigits(int v);  // outside 0..32: ignored
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  TColor ScaleColor() const { return FScaleColor; }
  void SetScaleColor(TColor v);
  int32_t PeakLevel() const { return FPeakLevel; }
  void SetPeakLevel(int32_t v);
  TColor PeakColor() const { return FPeakColor; }
  void SetPeakColor(TColor v);
  bool ShowSign() const { return FShowSign; }
  void SetShowSign(bool v);
  TMtTickMarks TickMarks() const { return FTickMarks; }
  void SetTickMarks(TMtTickMarks v);
  int ScaleOffset() const { return FScaleOffset; }
  void SetScaleOffset(int v);

 protected:
  void Paint() override;
  void FontChanged() override;

 private:

  int32_t FMaxValue = 100, FMinValue = 0, FTicks = 5;
  int FTicksWidth = 1, FTicksHeight = 5;
  TMtOrientation FOrientation = voHorizontal;
  bool FLeadingZero = false;
  int FDigits = 3;
  TAlignment FAlignment = taCenter;
  TTextLayout FLayout = tlCenter;
  TColor FScaleColor = clGreen;
  int32_t FPeakLevel = 80;
  TColor FPeakColor = clLime;
  bool FShowSign = true;
  TMtTickMarks FTickMarks = tmNone;
  int FScaleOffset = 4;
};
