// The flat check box: an 11 x 11 box with a thin frame whose fill shows focus, hover and a held
// mouse button, a drawn check mark, and a word-wrapped caption beside it.
#pragma once
#include "flat/FlatHover.h"
#include "flat/FlatUtils.h"

class TFlatCheckBox : public TFlatControl {
  VELMORA_CLASS(TFlatCheckBox, TFlatControl)

 public:
  explicit TFlatCheckBox(TComponent* AOwner);

  bool Checked() const { return FChecked; }
  // A different value is stored, raises OnClick and repaints; the same value does nothing.
  void SetChecked(bool v);
  TColor ColorCheck() const { return FColorCheck; }
  void SetColorCheck(TColor v) { SetColorField(FColorCheck, v); }
  TCheckBoxLayout Layout() const { return FLayout; }
  void SetLayout(TCheckBoxLayout v);

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
  void EnabledChanged() override;
  bool HoverHeld() const override { return FMouseDown; }
  void HoverChanged() override { InvalidateBox(); }

 private:
  void InvalidateBox();
  RECT BoxRect() const;

  bool FChecked = false;
  TColor FColorCheck = clBlack;
  TCheckBoxLayout FLayout = checkboxLeft;
  bool FFocused = false, FMouseDown = false;
};
