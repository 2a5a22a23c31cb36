// A rectangular LED: a vertical colour gradient inside a bevel, lit or unlit.
#pragma once
#include <memory>
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

enum TMtDrawStyle { dsOwnerDraw, dsNormal };
const TEnumInfo& MtDrawStyleInfo();
using TMtUserLedDrawEvent = std::function<void(TObject* Sender, TCanvas& Canvas, const RECT& Rect)>;

class TMtUserLed : public TMtGraphicControl {
  VELMORA_CLASS(TMtUserLed, TMtGraphicControl)

 public:
  explicit TMtUserLed(TComponent* AOwner);

  TMtBevel& Bevel() { return *FBevel; }
  TMtBevel* BevelPtr() { return FBevel.get(); }
  void SetBevel(const TMtBevel& v) { FBevel->Assign(v); }
  TMtPaletteEx& PaletteEx() { return *FPaletteEx; }
  TMtPaletteEx* PaletteExPtr() { return FPaletteEx.get(); }
  void SetPaletteEx(const TMtPaletteEx& v) { FPaletteEx->Assign(v); }
  bool Active() const { return FActive; }
  void SetActive(bool v);
  TColor OutlineColor() const { return FOutlineColor; }
  void SetOutlineColor(TColor v);
  int OutlineWidth() const { return FOutlineWidth; }
  void SetOutlineWidth(int v);
  TMtDrawStyle DrawStyle() const { return FDrawStyle; }
  void SetDrawStyle(TMtDrawStyle v);

  TNotifyEvent OnChange;
  TMtUserLedDrawEvent OnDraw;

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TMtBevel> FBevel;
  std::unique_ptr<TMtPaletteEx> FPaletteEx;
  bool FActive = false;
  TColor FOutlineColor = clBlack;
  int FOutlineWidth = 0;
  TMtDrawStyle FDrawStyle = dsNormal;
};
