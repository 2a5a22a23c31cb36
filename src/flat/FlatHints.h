// The flat hint: a component whose settings restyle every tooltip of the program. Creating it
// makes TFlatHintWindow the application's hint window: a borderless window with a thin frame, a
// coloured strip with an arrow pointing at the mouse, opening toward the middle of the screen
// from whichever quarter the pointer is in.
#pragma once
#include <memory>
#include "framework/Forms.h"
#include "framework/HintWindow.h"

class TFlatHint : public TComponent {
  VELMORA_CLASS(TFlatHint, TComponent)

 public:
  explicit TFlatHint(TComponent* AOwner);
  ~TFlatHint() override;

  TColor ColorBackground() const { return FColorBackground; }
  void SetColorBackground(TColor v) { FColorBackground = v; }
  TColor ColorBorder() const { return FColorBorder; }
  void SetColorBorder(TColor v) { FColorBorder = v; }
  TColor ColorArrowBackground() const { return FColorArrowBackground; }
  void SetColorArrowBackground(TColor v) { FColorArrowBackground = v; }
  TColor ColorArrow() const { return FColorArrow; }
  void SetColorArrow(TColor v) { FColorArrow = v; }
  int MaxHintWidth() const { return FMaxHintWidth; }
  void SetMaxHintWidth(int v) { FMaxHintWidth = v; }
  TFont& Font() { return *FFont; }
  TFont* FontPtr() { return FFont.get(); }

  // Raised from the application's show-hint event, which this component takes over.
  TShowHintEvent OnShowHint;

 private:
  TColor FColorBackground = clWhite, FColorBorder = clBlack, FColorArrowBackground = 0x53D2FF, FColorArrow = clBlack;
  int FMaxHintWidth = 200;
  std::unique_ptr<TFont> FFont;
  // Cleared when this component goes, so that the application's event outliving it does nothing.
  std::shared_ptr<TFlatHint*> FSelf;
};

class TFlatHintWindow : public THintWindow {
  VELMORA_CLASS(TFlatHintWindow, THintWindow)

 public:
  explicit TFlatHintWindow(TComponent* AOwner);
  RECT CalcHintRect(int maxWidth, const std::string& hint) override;
  void ActivateHint(RECT rect, const std::string& hint) override;
  // The screen quarter of the last placement (0 top-right, 1 top-left, 2 bottom-right,
  // 3 bottom-left).
  int Quadrant() const { return FQuadrant; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;

 private:
  // Takes the colours, font and width of the main window's flat hint (defaults without one).
  void TakeSettings();
  int FQuadrant = 1;
  TColor FColorBackground = clWhite, FColorBorder = clBlack, FColorArrowBackground = 0x53D2FF, FColorArrow = clBlack;
  int FMaxHintWidth = 200;
};
