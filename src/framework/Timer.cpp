#include "framework/Timer.h"
#include <windows.h>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/UtilityWindow.h"

namespace {
const UINT_PTR kTimerId = 1;
// Longer periods are not accepted by every Windows version.
const unsigned kMaxPeriod = 0x7FFFFFFF;
}  // namespace

VELMORA_CLASS_INFO(TTimer) {
  b.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
  b.Int("Interval", &TTimer::Interval, &TTimer::SetInterval);
  b.Event("OnTimer", &TTimer::OnTimer);
  b.Creatable();
}

void RegisterTimerClasses() { RegisterComponentClass(TTimer::StaticClassInfo()); }

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
  FEnabled = false;
  UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
  OnTimer = std::move(value);
  UpdateTimer();
}

void TTimer::Loaded() {
  inherited::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FActive) {
    KillTimer(FWindow->Handle(), kTimerId);
    FActive = false;
  }
  if (Loading() || !FEnabled || FInterval == 0 || !OnTimer) return;
  if (!FWindow)
    FWindow = std::make_unique<TUtilityWindow>(
        [this](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
          if (msg != WM_TIMER) return std::nullopt;
          Timer();
          return 0;
        });
  UINT period = FInterval > kMaxPeriod ? kMaxPeriod : FInterval;
  if (!SetTimer(FWindow->Handle(), kTimerId, period, nullptr))
    throw Exception("No timer resources left.");
  FActive = true;
}

void TTimer::Timer() {
  // A tick already queued when the timer was stopped is dropped here.
  if (!FActive || !OnTimer) return;
  // A copy: the handler may free this timer, and with it the field.
  TNotifyEvent handler = OnTimer;
  CallGuarded(this, [&] { handler(this); });
}
