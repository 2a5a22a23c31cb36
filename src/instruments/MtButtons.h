// A push button drawn as a flat shape over its shadow; pressed, the face sinks into the shadow.
#pragma once
#include <memory>
#include "instruments/MtControls.h"

// The button's face brush and outline pen, with the button's own defaults.
class TMtShadowBrush : public TBrush {
  VELMORA_CLASS(TMtShadowBrush, TBrush)

 public:
  TMtShadowBrush() { SetColor(clBlack); }
};

class TMtShadowPen : public TPen {
  VELMORA_CLASS(TMtShadowPen, TPen)

 public:
  TMtShadowPen() { SetColor(clLime); }
};

enum TMtShadowStyle { ssRectangle, ssRoundRect };
enum TMtShadowDirection { sdTopLeft, sdTopRight, sdBottomLeft, sdBottomRight };
enum TMtTextAlign { vtaLeft, vtaCenter, vtaRight, vtaTopLeft, vtaTop, vtaTopRight, vtaBottomLeft, vtaBottom,
                    vtaBottomRight };
const TEnumInfo& MtShadowStyleInfo();
const TEnumInfo& MtShadowDirectionInfo();
const TEnumInfo& MtTextAlignInfo();

class TMtShadowButton : public TMtGraphicImageControl {
  VELMORA_CLASS(TMtShadowButton, TMtGraphicImageControl)

 public:
  explicit TMtShadowButton(TComponent* AOwner);

  TMtShadowBrush* BrushPtr() { return FBrush.get(); }
  void SetBrush(const TBrush& v) { FBrush->Assign(v); }
  TMtShadowPen* PenPtr() { return FPen.get(); }
  void SetPen(const TPen& v) { FPen->Assign(v); }
  int Depth() const { return FDepth; }
  void SetDepth(int v);  // 2 and below: ignored
  int DepthAdjust() const { return FDepthAdjust; }
  void SetDepthAdjust(int v);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor v);
  TColor ShadowOutline() const { return FShadowOutline; }
  void SetShadowOutline(TColor v);
  TMtShadowStyle Style() const { return FStyle; }
  void SetStyle(TMtShadowStyle v);
  TMtShadowDirection Direction() const { return FDirection; }
  void SetDirection(TMtShadowDirection v);
  TMtTextAlign TextAlign() const { return FTextAlign; }
  void SetTextAlign(TMtTextAlign v);
  TColor DisabledTextColor() const { return FDisabledTextColor; }
  void SetDisabledTextColor(TColor v);

  bool Pressed() const { return FPressed; }
  // Where a press counts: the face inside its outline, as it is drawn now.
  RECT HitRect() const;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseCaptureLost() override;
  // Alt and the caption's underlined letter click an enabled button.
  bool DialogChar(char key) override;

  // With TabStop the button takes the keyboard focus (through a window of no size beside it):
  // Tab reaches it, a dotted frame marks it, and Space or Enter presses it.
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool v);
  bool HasFocus() const { return FFocused; }
  // The window that holds the focus for the button, while it is a tab stop.
  TFocusProxy* FocusProxy() const { return FProxy; }
  void SetParent(TWinControl* value) override;
  ~TMtShadowButton() override;

 protected:
  void Paint() override;
  void EnabledChanged() override;
  void FontChanged() override;
  void TextChanged() override;
  void VisibleChanged() override;
  void BoundsChanged() override;
  void Loaded() override;

 private:
  void SetPressed(bool v);
  void EndTracking();
  void UpdateProxy();
  bool ProxyKey(UINT msg, WPARAM key, LPARAM flags);
  bool FTabStop = false, FFocused = false, FSpaceDown = false;
  TFocusProxy* FProxy = nullptr;  // owned

  std::unique_ptr<TMtShadowBrush> FBrush;
  std::unique_ptr<TMtShadowPen> FPen;
  int FDepth = 4;
  int FDepthAdjust = 2;
  TColor FShadowColor = clBtnShadow;
  TColor FShadowOutline = clBtnShadow;
  TMtShadowStyle FStyle = ssRoundRect;
  TMtShadowDirection FDirection = sdBottomRight;
  TMtTextAlign FTextAlign = vtaCenter;
  TColor FDisabledTextColor = clInactiveCaption;
  bool FPressed = false;   // the face is drawn down
  bool FTracking = false;  // a press began on the face and the button is still held
};
