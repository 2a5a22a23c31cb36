// The system-information component: owns one object per category, gathers them all in a fixed
// order (Refresh), writes them as one sectioned report (Report) and opens the system information
// dialog (ShowOverview). Nothing is gathered when it is created.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/KSI_APM.h"
#include "sysinfo/KSI_CPU.h"
#include "sysinfo/KSI_Devices.h"
#include "sysinfo/KSI_DirectX.h"
#include "sysinfo/KSI_Disk.h"
#include "sysinfo/KSI_Display.h"
#include "sysinfo/KSI_Engines.h"
#include "sysinfo/KSI_Machine.h"
#include "sysinfo/KSI_Media.h"
#include "sysinfo/KSI_Memory.h"
#include "sysinfo/KSI_Network.h"
#include "sysinfo/KSI_OS.h"
#include "sysinfo/KSI_Printers.h"
#include "sysinfo/KSI_Processes.h"
#include "sysinfo/KSI_Software.h"
#include "sysinfo/KSI_Startup.h"

constexpr const char kSystemInfoTitle[] = "Velmora System Information";
constexpr const char kSystemInfoVersion[] = "5.6";

class TKSystemInfo : public TComponent {
  VELMORA_CLASS(TKSystemInfo, TComponent)

 public:
  explicit TKSystemInfo(TComponent* AOwner);
  ~TKSystemInfo() override;

  const std::string& About() const { return FAbout; }
  void SetAbout(const std::string&) {}  // fixed

  TCPU* CPU() const { return Category<TCPU>(); }
  TMemory* Memory() const { return Category<TMemory>(); }
  TOperatingSystem* OS() const { return Category<TOperatingSystem>(); }
  TDisk* Disk() const { return Category<TDisk>(); }
  TMachine* Machine() const { return Category<TMachine>(); }
  TNetwork* Network() const { return Category<TNetwork>(); }
  TDisplay* Display() const { return Category<TDisplay>(); }
  TMedia* Media() const { return Category<TMedia>(); }
  TDevices* Devices() const { return Category<TDevices>(); }
  TEngines* Engines() const { return Category<TEngines>(); }
  TAPM* APM() const { return Category<TAPM>(); }
  TDirectX* DirectX() const { return Category<TDirectX>(); }
  TProcesses* Processes() const { return Category<TProcesses>(); }
  TPrinters* Printers() const { return Category<TPrinters>(); }
  TSoftware* Software() const { return Category<TSoftware>(); }
  TStartup* Startup() const { return Category<TStartup>(); }

  // The category of that class (one of the table's in KSystemInfo.cpp).
  template <class T>
  T* Category() const {
    static const size_t index = CategoryIndex(T::StaticClassInfo());
    return static_cast<T*>(FCategories[index].get());
  }
  // The category of the table's row I, as its published property gives it.
  template <size_t I>
  TSysInfoCategory* CategoryAt() const {
    return FCategories[I].get();
  }

  // Gathers every category; each shows its own failure and the next goes on.
  void Refresh();
  // Lets go of what the gathering found: every category as it was before the first Refresh.
  void Clear();
  // Appends every category's sections in the report's order. The disk report selects each
  // drive in turn, so afterwards Disk holds the last drive.
  void Report(TStrings& report);
  // Opens the system information dialog (see SetShowOverviewHook).
  void ShowOverview();

 private:
  static size_t CategoryIndex(const TClassInfo& category);

  std::string FAbout;
  std::vector<std::unique_ptr<TSysInfoCategory>> FCategories;  // in the table's order
};

// The dialog module installs what ShowOverview does; until then ShowOverview does nothing.
using TShowOverviewHook = std::function<void(TKSystemInfo& info)>;
void SetShowOverviewHook(TShowOverviewHook hook);

// Makes TKSystemInfo nameable in window descriptions.
void RegisterSysInfoClasses();
