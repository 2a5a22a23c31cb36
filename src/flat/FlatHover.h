// What the flat button and check box share: the focused, down and border colours (optionally
// derived from the control's colour) and hover tracking. A control the mouse is over becomes the
// "hot" one of its kind and a 100 ms window-message timer watches it: when the pointer is no
// longer over it, it is told that the mouse left. One tracker serves all buttons and another all
// check boxes; each is made by the first control of its kind and lives for the rest of the
// process.
#pragma once
#include <functional>
#include "framework/Controls.h"
#include "framework/Timer.h"

// The control under the mouse pointer (a windowed control of this program or a graphic child
// of one), or null.
TControl* ControlAtCursor();

class TFlatHoverTracker {
 public:
  TFlatHoverTracker();
  TControl* Hot() const { return FHot; }
  // Makes c the hot control (leave is how it is told that the mouse left) and starts watching.
  void Track(TControl* c, std::function<void()> leave);
  // Tells the hot control, if any, that the mouse left it.
  void LeaveHot();
  // Stops watching c if it is the hot control: when the mouse leaves it, when it is disabled and
  // when it is destroyed (a tick must never reach a control that is gone).
  void Release(TControl* c);

 private:
  void Tick();
  TTimer FTimer;
  TControl* FHot = nullptr;
  std::function<void()> FLeave;
};

TFlatHoverTracker& FlatButtonTracker();
TFlatHoverTracker& FlatCheckBoxTracker();

class TFlatControl : public TCustomControl {
  VELMORA_CLASS(TFlatControl, TCustomControl)

 public:
  ~TFlatControl() override;

  TColor ColorFocused() const { return FColorFocused; }
  void SetColorFocused(TColor v) { SetColorField(FColorFocused, v); }
  TColor ColorDown() const { return FColorDown; }
  void SetColorDown(TColor v) { SetColorField(FColorDown, v); }
  TColor ColorBorder() const { return FColorBorder; }
  void SetColorBorder(TColor v) { SetColorField(FColorBorder, v); }
  int AdvColorFocused() const { return FAdvFocused; }
  void SetAdvColorFocused(int v) { SetAdvField(FAdvFocused, v); }
  int AdvColorDown() const { return FAdvDown; }
  void SetAdvColorDown(int v) { SetAdvField(FAdvDown, v); }
  int AdvColorBorder() const { return FAdvBorder; }
  void SetAdvColorBorder(int v) { SetAdvField(FAdvBorder, v); }
  // Derives the three colours from Color; setting it also sets ParentColor to the same value.
  bool UseAdvColors() const { return FUseAdvColors; }
  void SetUseAdvColors(bool v);
  bool MouseInControl() const { return FMouseInControl; }

 protected:
  TFlatControl(TComponent* AOwner, TFlatHoverTracker& tracker, TColor colorFocused);
  void SetColorField(TColor& field, TColor v);
  void ColorChanged() override;
  void EnabledChanged() override;
  void MouseLeave() override { HoverLeave(); }
  // The pointer moved over the control: unless it is the hot one already, it becomes so (while
  // the program has an active window) and looks hovered.
  void MouseMovedOver();
  void BecomeHot();
  void HoverLeave();
  // True while the mouse button is held on the control: it keeps its hover look meanwhile.
  virtual bool HoverHeld() const = 0;
  // Repaints what the hover look changes.
  virtual void HoverChanged() { Invalidate(); }

  TColor FColorFocused, FColorDown = 0xC5D6D9, FColorBorder = 0x8396A0;
  bool FMouseInControl = false;

 private:
  void SetAdvField(int& field, int v);
  void CalcAdvColors();
  void HoverEnter();
  TFlatHoverTracker& FTracker;
  int FAdvFocused = 10, FAdvDown = 10, FAdvBorder = 50;
  bool FUseAdvColors = false;
};
