// A caption drawn at any angle, plain, raised, lowered or shadowed, optionally filled with a
// bitmap.
#pragma once
#include <memory>
#include "framework/StdCtrls.h"
#include "instruments/MtControls.h"

enum TMtLabelStyle { lsNone, lsRaised, lsLowered, lsShadow };
const TEnumInfo& MtLabelStyleInfo();

class TMtLabel : public TMtGraphicImageControl {
  VELMORA_CLASS(TMtLabel, TMtGraphicImageControl)

 public:
  explicit TMtLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TColor ColorHighlight() const { return FColorHighlight; }
  void SetColorHighlight(TColor v);
  TColor ColorShadow() const { return FColorShadow; }
  void SetColorShadow(TColor v);
  TMtLabelStyle Style() const { return FStyle; }
  void SetStyle(TMtLabelStyle v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  int ShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(int v);
  TBitmap& Bitmap() { return *FFill; }
  TBitmap* BitmapPtr() { return FFill.get(); }
  void SetBitmap(const TBitmap& v) { FFill->Assign(v); }
  int Angle() const { return FAngle; }
  void SetAngle(int v);  // outside 0..359: ignored

  // The caption's unrotated size in the label's font.
  SIZE CaptionSize();

 protected:
  void Paint() override;
  bool CanAutoSize(int& width, int& height) override;
  void FontChanged() override;
  void TextChanged() override;

 private:
  // Fills the caption's pixels with the bitmap stretched over the label.
  void PaintBitmapFill(int x, int y);

  TAlignment FAlignment = taCenter;
  TColor FColorHighlight = clWhite;
  TColor FColorShadow = clGray;
  TMtLabelStyle FStyle = lsRaised;
  TTextLayout FLayout = tlCenter;
  int FShadowDepth = 2;
  std::unique_ptr<TBitmap> FFill;
  int FAngle = 0;
};
