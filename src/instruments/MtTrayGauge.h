// The tray gauge: an icon in the notification area drawn as a level gauge of Position within
// Min..Max, in 13 frames.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "instruments/MtClasses.h"
#include "instruments/MtSystem.h"

enum TMtGaugeStyle { gsSingle, gsDual };
const TEnumInfo& MtGaugeStyleInfo();

class TMtTrayGauge : public TMtCustomTrayIcon {
  VELMORA_CLASS(TMtTrayGauge, TMtCustomTrayIcon)

 public:
  explicit TMtTrayGauge(TComponent* AOwner);
  ~TMtTrayGauge() override;

  TMtPalette& Palette() { return *FPalette; }
  TMtPalette* PalettePtr() { return FPalette.get(); }
  void SetPalette(const TMtPalette& v) { FPalette->Assign(v); }
  int32_t Max() const { return FMax; }
  void SetMax(int32_t v);
  int32_t Min() const { return FMin; }
  void SetMin(int32_t v);
  // Kept within Min..Max.
  int32_t Position() const { return FPosition; }
  void SetPosition(int32_t v);
  TMtGaugeStyle Style() const { return FStyle; }
  void SetStyle(TMtGaugeStyle v);
  TNotifyEvent OnChange;

  // The frame the icon shows (0..12), -1 before the strip is loaded.
  int Frame() const { return FFrame; }
  // The recoloured strip of 13 frames.
  const TBitmap& Strip() const { return FStrip; }
  void Loaded() override;

 private:
  void LoadStrip();
  void UpdateImage(bool force);
  std::unique_ptr<TMtPalette> FPalette;
  int32_t FMax = 100, FMin = 0, FPosition = 0;
  TMtGaugeStyle FStyle = gsSingle;
  std::string FStripName = "ICGAUGE";
  TBitmap FStrip;
  int FFrame = -1;
};
