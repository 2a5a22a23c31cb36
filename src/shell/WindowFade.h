// Fades its form in and out through layered-window transparency. The look changes only on
// Windows 2000 (5.0); elsewhere the fades take the same time and the window stays opaque.
#pragma once
#include <windows.h>
#include <cstdint>
#include "framework/Forms.h"

class TWindowFade : public TComponent {
  VELMORA_CLASS(TWindowFade, TComponent)

 public:
  explicit TWindowFade(TComponent* AOwner);

  // Percent transparent, kept in a byte and read as signed: 0 opaque, 100 invisible.
  int Transparency() const { return static_cast<int8_t>(FTransparency); }
  void SetTransparency(int v) { FTransparency = static_cast<uint8_t>(v); }
  // Pause after each fade step in milliseconds, kept in a byte and read as signed.
  int FadeTime() const { return static_cast<int8_t>(FFadeTime); }
  void SetFadeTime(int v) { FFadeTime = static_cast<uint8_t>(v); }

  void ApplyTransparency(int Value);
  // Shows the form, fading it from invisible to Target percent transparency.
  void FadeInTo(int Target);
  // Fades from the present transparency to invisible.
  void FadeOutAll();
  // The one place that touches the system: Percent opaque (limited to 0..100).
  virtual void SetOpacity(HWND Window, int Percent);

 protected:
  // The owning form, or an "Invalid class typecast" error.
  TForm& Form() const;

 private:
  void Pause() const;
  uint8_t FTransparency = 10;
  uint8_t FFadeTime = 5;
};

// The alpha byte for an opacity: Percent limited to 0..100, times 255, divided by 100.
int FadeAlpha(int Percent);

void RegisterFadeClasses();
