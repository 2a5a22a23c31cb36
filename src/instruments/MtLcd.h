// The seven-segment number: an integer drawn with digit bitmaps whose unlit segments stay
// faintly visible.
#pragma once
#include <cstdint>
#include <memory>
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

enum TMtNumStyle { ns13x24, ns11x20, ns7x13, ns12x17, ns5x7 };
enum TMtNumAlignment { naLeftJustify, naCenter, naRightJustify };
const TEnumInfo& MtNumStyleInfo();
const TEnumInfo& MtNumAlignmentInfo();

class TMtCustomNum : public TMtGraphicImageControl {
  VELMORA_CLASS(TMtCustomNum, TMtGraphicImageControl)

 public:
  explicit TMtCustomNum(TComponent* AOwner);
  ~TMtCustomNum() override;

  int Digits() const { return FDigits; }
  void SetDigits(int v);  // outside 1..16: ignored
  // Written values are limited to Min..Max.
  int32_t Value() const { return FValue; }
  void SetValue(int32_t v);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v);
  TMtNumStyle Style() const { return FStyle; }
  void SetStyle(TMtNumStyle v);
  bool LeadingZero() const { return FLeadingZero; }
  void SetLeadingZero(bool v);
  TMtPalette& Palette() { return *FPalette; }
  TMtPalette* PalettePtr() { return FPalette.get(); }
  void SetPalette(const TMtPalette& v) { FPalette->Assign(v); }
  TMtNumAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TMtNumAlignment v);
  // A new limit does not limit the present value again.
  int32_t Max() const { return FMax; }
  void SetMax(int32_t v);
  int32_t Min() const { return FMin; }
  void SetMin(int32_t v);
  bool ZeroBlank() const { return FZeroBlank; }
  void SetZeroBlank(bool v);
  TNotifyEvent OnChange;

  int CellWidth() const { return FCellWidth; }
  int CellHeight() const { return FCellHeight; }

 protected:
  void Paint() override;
  void SysColorChanged() override;
  bool CanAutoSize(int& width, int& height) override;

 private:
  void LoadDigits();
  bool Signed() const { return FMin < 0; }
  int FDigits = 4;
  int32_t FValue = 0;
  int FSpacing = 2;
  TMtNumStyle FStyle = ns13x24;
  bool FLeadingZero = false;
  std::unique_ptr<TMtPalette> FPalette;
  TMtNumAlignment FAlignment = naCenter;
  int32_t FMax = 9999, FMin = 0;
  bool FZeroBlank = false;
  TBitmap FDigitBitmap;
  int FCellWidth = 0, FCellHeight = 0;
};

class TMtNum : public TMtCustomNum {
  VELMORA_CLASS(TMtNum, TMtCustomNum)

 public:
  using TMtCustomNum::TMtCustomNum;
};
