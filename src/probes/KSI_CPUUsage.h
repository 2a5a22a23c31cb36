// The processor-load sampler: a non-visual component raising OnInterval with the load in percent
// at every tick of its timer. On the 9x family it reads the system's own statistic from
// HKEY_DYN_DATA; on the NT family it turns the idle time of all processors into the machine's
// load in percent.
#pragma once
#include <cstdint>
#include <functional>
#include "framework/Classes.h"

class TTimer;

// Value: the load in percent as a 32-bit number; read it as signed (it is not clamped).
using TOnIntervalEvent = std::function<void(TObject* Sender, uint32_t Value)>;

class TKCPUUsage : public TComponent {
  VELMORA_CLASS(TKCPUUsage, TComponent)

 public:
  // Starts the platform's collection; on the 9x family a missing statistics key raises
  // "Unable to start performance monitoring" or "Unable to read performance data".
  explicit TKCPUUsage(TComponent* AOwner);
  ~TKCPUUsage() override;

  // True while the timer runs; writing true does nothing unless the start succeeded.
  bool Active() const;
  void SetActive(bool value);
  unsigned Interval() const;
  void SetInterval(unsigned value);
  // The platform reading started; without it the component never ticks.
  bool Ready() const { return FReady; }

  void Loaded() override;

  TOnIntervalEvent OnInterval;

 private:
  void ApplyActive();
  void Tick();
  TTimer* FTimer;
  bool FUseNT = false;  // the method chosen at construction
  bool FReady = false;
  bool FActive = false;
  int64_t FPreviousIdle = 0;
  int64_t FCurrentIdle = 0;
  uint32_t FSampledAt = 0;  // NT method: clock reading of the last sample, in milliseconds
};

// Makes TKCPUUsage nameable in window descriptions.
void RegisterProbeClasses();

// Module start-up, once before any window exists (later calls do nothing): fixes the
// operating-system kind and, on the NT family, resolves the load query of NTDLL.DLL.
void InitProbes();
