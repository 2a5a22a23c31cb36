// The flat push button: a thin single-colour frame that rises while the mouse is over it and
// sinks while it is pressed, a glyph and a caption. Buttons of one parent with the same non-zero
// GroupIndex form a radio group whose pressed button stays latched.
#pragma once
#include <memory>
#include "flat/FlatHover.h"
#include "flat/FlatUtils.h"

class TBitmap;

class TFlatButton : public TFlatControl {
  VELMORA_CLASS(TFlatButton, TFlatControl)

 public:
  explicit TFlatButton(TComponent* AOwner);

  TColor ColorHighLight() const { return FColorHighLight; }
  void SetColorHighLight(TColor v) { SetColorField(FColorHighLight, v); }
  TColor ColorShadow() const { return FColorShadow; }
  void SetColorShadow(TColor v) { SetColorField(FColorShadow, v); }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int v);
  bool Down() const { return FDown; }
  void SetDown(bool v);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v);

  TBitmap& Glyph() { return *FGlyph; }
  TBitmap* GlyphPtr() { return FGlyph.get(); }
  // Copies the picture.
  void SetGlyph(const TBitmap& v);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int v);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout v);
  int Margin() const { return FMargin; }
  void SetMargin(int v);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v);
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int v) { FModalResult = v; }

  TFlatButtonState State() const { return FState; }
  bool Dragging() const { return FDragging; }

  void Click() override;
  bool DialogChar(char key) override;
  // A button that can take the focus (TabStop) is pressed by Enter and Space while it has it.
  TControl* PushButton() override { return this; }
  bool HasFocus() const { return FFocused; }
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void DblClick() override;
  void EnabledChanged() override;
  bool HoverHeld() const override { return FDragging; }

 private:
  // Another button of the parent was pressed down in group.
  void ButtonPressed(int group, TFlatButton* sender);
  void BroadcastPressed();
  void GlyphChanged();
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight(); }

  TColor FColorHighLight = clWhite, FColorShadow = clBlack;
  int FGroupIndex = 0;
  bool FDown = false, FAllowAllUp = false;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphTop;
  int FMargin = -1, FSpacing = 4;
  int FModalResult = 0;
  // The press of a click: a release inside the button (or of Space) clicks it, in a group it
  // toggles Down first.
  void Release();
  TFlatButtonState FState = fbsUp;
  bool FDragging = false;
  bool FFocused = false;
  bool FSpaceDown = false;  // Space went down on the focused button and is not yet released
};

// Draws text in the engraved look of a disabled control: a highlight copy one pixel right and
// down, under a shadow copy in place.
void DrawEngravedText(TCanvas& canvas, const std::string& text, RECT r, UINT flags);

void RegisterFlatClasses();
