// Hover tracking of the flat controls. A control the mouse is over becomes the "hot" one of its
// kind and a 100 ms window-message timer watches it: when the pointer is no longer over it, it
// is told that the mouse left. One tracker serves all buttons and another all check boxes; each
// is made by the first control of its kind and lives for the rest of the process.
#pragma once
#include <functional>
#include "framework/Timer.h"

class TControl;

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
