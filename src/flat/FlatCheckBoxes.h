// The flat check box: an 11 x 11 box with a thin frame whose fill shows focus, hover and a held
// mouse button, a drawn check mark, and a word-wrapped caption beside it.
#pragma once
#include "flat/FlatUtils.h"
#include "framework/Controls.h"

class TFlatCheckBox : public TCustomControl {
  VELMORA_CLASS(TFlatCheckBox, TCustomControl)

 public:
  explicit TFlatCheckBox(TComponent* AOwner);
  ~TFlatCheckBox() override;

  bool Checked() const { return FChecked; }
  // A different value is stored, raises OnClick and repaints; the same value does nothing.
  void SetChecked(bool v);
  TColor ColorFocused() const { return FColorFocused; }
  void SetColorFocused(TColor v) { SetColorField(FColorFocused, v); }
  TColor ColorDown() const { return FColorDown; }
  void SetColorDown(TColor v) { SetColorField(FColorDown, v); }
  TColor ColorCheck() const { return FColorCheck; }
  void SetColorCheck(TColor v) { SetColorField(FColorCheck, v); }
  TColor ColorBorder() const { return FColorBorder; }
  void SetColorBorder(TColor v) { SetColorField(FColorBorder, v); }
  int AdvColorFocused() const { return FAdvFocused; }
  void SetAdvColorFocused(int v) { SetAdvField(FAdvFocused, v); }
  int AdvColorDown() const { return FAdvDown; }
  void SetAdvColorDown(int v) { SetAdvField(FAdvDown, v); }
  int AdvColorBorder() const { return FAdvBorder; }
  void SetAdvColorBorder(int v) { SetAdvField(FAdvBorder, v); }
  bool UseAdvColors() const { return FUseAdvColors; }
  void SetUseAdvColors(bool v);
  TCheckBoxLayout Layout() const { return FLayout; }
  void SetLayout(TCheckBoxLayout v);

  bool MouseInControl() const { return FMouseInControl; }
  bool MouseIsDown() const { return FMouseDown; }
  bool HasFocus() const { return FFocused; }

  bool DialogChar(char key) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  TNotifyEvent OnEnter, OnExit;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseLeave() override { HoverLeave(); }
  void EnabledChanged() override;
  void ColorChanged() override;

 private:
  void SetColorField(TColor& field, TColor v);
  void SetAdvField(int& field, int v);
  void CalcAdvColors();
  void HoverEnter();
  void HoverLeave();
  void InvalidateBox();
  RECT BoxRect() const;

  bool FChecked = false;
  TColor FColorFocused = clWhite, FColorDown = 0xC5D6D9, FColorCheck = clBlack, FColorBorder = 0x8396A0;
  int FAdvFocused = 10, FAdvDown = 10, FAdvBorder = 50;
  bool FUseAdvColors = false;
  TCheckBoxLayout FLayout = checkboxLeft;
  bool FFocused = false, FMouseInControl = false, FMouseDown = false;
};
