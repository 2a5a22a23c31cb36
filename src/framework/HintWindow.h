// The small window that shows a control's hint near the mouse pointer.
#pragma once
#include "framework/Controls.h"

class THintWindow : public TCustomControl {
  VELMORA_CLASS(THintWindow, TCustomControl)

 public:
  explicit THintWindow(TComponent* AOwner);
  // The window rectangle (at 0,0) that the text needs, at most maxWidth wide.
  virtual RECT CalcHintRect(int maxWidth, const std::string& hint);
  // Shows the hint in rect (screen coordinates) without taking the focus.
  virtual void ActivateHint(RECT rect, const std::string& hint);
  virtual void ReleaseHint();

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
};
