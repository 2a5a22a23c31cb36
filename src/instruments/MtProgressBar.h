// The gradient progress bar: a level drawn as a row (or column) of blocks cut from a fill
// picture inside a bevel.
#pragma once
#include <cstdint>
#include <memory>
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

enum TMtFillType { pfPlain, pfGradient, pfBitmap };
const TEnumInfo& MtFillTypeInfo();

class TMtProgressBar : public TMtGraphicImageControl {
  VELMORA_CLASS(TMtProgressBar, TMtGraphicImageControl)

 public:
  explicit TMtProgressBar(TComponent* AOwner);
  ~TMtProgressBar() override;

  TMtBevel& Bevel() { return *FBevel; }
  TMtBevel* BevelPtr() { return FBevel.get(); }
  void SetBevel(const TMtBevel& v) { FBevel->Assign(v); }
  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t v);
  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t v);
  // Written values are limited to MinValue..MaxValue.
  int32_t Position() const { return FPosition; }
  void SetPosition(int32_t v);
  void StepIt();
  TColor StartColor() const { return FStartColor; }
  void SetStartColor(TColor v);
  TColor EndColor() const { return FEndColor; }
  void SetEndColor(TColor v);
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool v);
  TMtOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TMtOrientation v);
  int Step() const { return FStep; }
  void SetStep(int v) { FStep = v; }
  TBitmap& Bitmap() { return FBitmap; }
  void SetBitmap(const TBitmap& v) { FBitmap.Assign(v); }
  TMtFillType FillType() const { return FFillType; }
  void SetFillType(TMtFillType v);
  TNotifyEvent OnChange;

  // The area inside the bevel at the last paint.
  RECT Interior() const { return FInterior; }

 protected:
  void Paint() override;
  void SysColorChanged() override;

 private:
  void Change();
  void UpdateFill();
  std::unique_ptr<TMtBevel> FBevel;
  int32_t FMaxValue = 100, FMinValue = 0, FPosition = 100;
  TColor FStartColor = clNavy, FEndColor = clAqua;
  bool FSmooth = false;
  TMtOrientation FOrientation = voHorizontal;
  int FStep = 10;
  TBitmap FBitmap;
  TMtFillType FFillType = pfGradient;
  RECT FInterior{};
  TBitmap FFill;
  bool FFillStale = true;
};
