// The window-message timer component: OnTimer every Interval milliseconds on the thread that
// started it, through that thread's message loop.
#pragma once
#include <memory>
#include "framework/Classes.h"

class TUtilityWindow;

class TTimer : public TComponent {
  VELMORA_CLASS(TTimer, TComponent)

 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  unsigned Interval() const { return FInterval; }
  // Milliseconds; a change while running restarts the period.
  void SetInterval(unsigned value);
  // Assigns OnTimer and re-evaluates whether the timer runs. Assigning the field directly takes
  // effect at the next change of Enabled or Interval (or at Loaded).
  void SetOnTimer(TNotifyEvent value);
  // The system timer runs: Enabled, Interval not 0, OnTimer assigned and not loading.
  bool Active() const { return FActive; }

  void Loaded() override;

  // Raised through CallGuarded: a failing handler is reported and the timer keeps running.
  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();

  bool FEnabled = true;
  unsigned FInterval = 1000;
  bool FActive = false;
  std::unique_ptr<TUtilityWindow> FWindow;
};

// Makes TTimer nameable in window descriptions.
void RegisterTimerClasses();
