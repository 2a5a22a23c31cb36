// A windowed slider: a thumb moves along a bevelled gutter between MinValue and MaxValue, with
// tick marks beside it; dragged, clicked to a point, or moved with the keyboard.
#pragma once
#include <cstdint>
#include <memory>
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"
#include "instruments/MtTrackBarLogic.h"

class TMtBitmapList;

enum TMtTrackStyle { psBottomLeft, psTopRight };
enum TMtTrackOption { toActiveClick, toMouseClip, toHandPoint, toFixedPoints, toThumbOpaque };
using TMtTrackOptions = uint32_t;  // bit (1 << toActiveClick) ...
const TEnumInfo& MtTrackStyleInfo();
const TEnumInfo& MtTrackOptionInfo();

// Confines the cursor to a screen rectangle, or frees it (null): the system's ClipCursor, which
// tests replace (Wine's virtual desktop accepts a confinement and does not keep it).
using TClipCursorFn = BOOL(WINAPI*)(const RECT*);
TClipCursorFn& MtClipCursor();

class TMtTrackBar : public TMtCustomImageControl {
  VELMORA_CLASS(TMtTrackBar, TMtCustomImageControl)

 public:
  explicit TMtTrackBar(TComponent* AOwner);
  ~TMtTrackBar() override;

  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t v);
  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t v);
  int32_t Position() const { return FPosition; }
  void SetPosition(int32_t v);
  TMtOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TMtOrientation v);
  TMtTrackStyle Style() const { return FStyle; }
  void SetStyle(TMtTrackStyle v);
  TMtTrackOptions Options() const { return FOptions; }
  void SetOptions(TMtTrackOptions v);
  int32_t Frequency() const { return FFrequency; }
  void SetFrequency(int32_t v);  // below 1: ignored
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);
  TMtBevel& GutterBevel() { return *FGutterBevel; }
  TMtBevel* GutterBevelPtr() { return FGutterBevel.get(); }
  void SetGutterBevel(const TMtBevel& v) { FGutterBevel->Assign(v); }
  int GutterWidth() const { return FGutterWidth; }
  void SetGutterWidth(int v);
  TColor GutterColor() const { return FGutterColor; }
  void SetGutterColor(TColor v);
  TMtTickMarks TickMarks() const { return FTickMarks; }
  void SetTickMarks(TMtTickMarks v);
  TColor TickColor() const { return FTickColor; }
  void SetTickColor(TColor v);
  int ThumbStates() const { return FThumbStates; }
  void SetThumbStates(int v);  // outside 1..4: ignored
  int BackImageIndex() const { return FBackImageIndex; }
  void SetBackImageIndex(int v);
  int ThumbImageIndex() const { return FThumbImageIndex; }
  void SetThumbImageIndex(int v);
  TMtBitmapList* BitmapList() const { return FBitmapList; }
  void SetBitmapList(TMtBitmapList* v);
  int ScaleOffset() const { return FScaleOffset; }
  void SetScaleOffset(int v);
  TColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor v);
  int FocusOffset() const { return FFocusOffset; }
  void SetFocusOffset(int v);

  // The geometry of the bar as it stands, and the thumb's place in it.
  mt::TrackLayout Layout() const;
  RECT ThumbRect() const;
  int ThumbWidth() const { return FThumbWidth; }
  int ThumbHeight() const { return FThumbHeight; }
  bool Dragging() const { return FDragging; }
  bool Hovering() const { return FHover; }

  TNotifyEvent OnChange, OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseCaptureLost() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void Paint() override;
  void Loaded() override;
  void BoundsChanged() override;
  void EnabledChanged() override;
  void MouseLeave() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool Has(TMtTrackOption o) const { return (FOptions & (1u << o)) != 0; }
  // The thumb picture: the bitmap list's image at ThumbImageIndex, else the built-in one.
  void LoadThumb();
  void MoveThumbTo(int p);
  // Ends a drag however it ends, and lets the cursor go if it was confined.
  void EndDrag();
  void Changed();
  void KeyDown(WORD key, TShiftState shift);
  void PaintTicks(TCanvas& c, const RECT& gutter);

  int32_t FMaxValue = 100, FMinValue = 0, FPosition = 0;
  TMtOrientation FOrientation = voHorizontal;
  TMtTrackStyle FStyle = psBottomLeft;
  TMtTrackOptions FOptions = (1u << toActiveClick) | (1u << toMouseClip) | (1u << toHandPoint) | (1u << toThumbOpaque);
  int32_t FFrequency = 10;
  int FBorderWidth = 10;
  std::unique_ptr<TMtBevel> FGutterBevel;
  int FGutterWidth = 9;
  TColor FGutterColor = clBlack;
  TMtTickMarks FTickMarks = tmBoth;
  TColor FTickColor = clBlack;
  int FThumbStates = 1;
  int FBackImageIndex = -1, FThumbImageIndex = -1;
  TMtBitmapList* FBitmapList = nullptr;
  int FScaleOffset = 5;
  TColor FFocusColor = clBlack;
  int FFocusOffset = 0;

  TBitmap FThumb;
  int FThumbWidth = 0, FThumbHeight = 0;
  TMtChangeLink FLink;
  bool FDragging = false;
  int FGrab = 0;
  bool FClipped = false;
  bool FHover = false;
  bool FFocused = false;
};
