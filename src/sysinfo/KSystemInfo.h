// The system-information component: owns one object per category, gathers them all in a fixed
// order (Refresh), writes them as one sectioned report (Report) and opens the system information
// dialog (ShowOverview). Nothing is gathered when it is created.
#pragma once
#include <functional>
#include <string>
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

  TCPU* CPU() const { return FCPU; }
  TMemory* Memory() const { return FMemory; }
  TOperatingSystem* OS() const { return FOS; }
  TDisk* Disk() const { return FDisk; }
  TMachine* Machine() const { return FMachine; }
  TNetwork* Network() const { return FNetwork; }
  TDisplay* Display() const { return FDisplay; }
  TMedia* Media() const { return FMedia; }
  TDevices* Devices() const { return FDevices; }
  TEngines* Engines() const { return FEngines; }
  TAPM* APM() const { return FAPM; }
  TDirectX* DirectX() const { return FDirectX; }
  TProcesses* Processes() const { return FProcesses; }
  TPrinters* Printers() const { return FPrinters; }
  TSoftware* Software() const { return FSoftware; }
  TStartup* Startup() const { return FStartup; }

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
  std::string FAbout;
  TCPU* FCPU;
  TMemory* FMemory;
  TOperatingSystem* FOS;
  TDisk* FDisk;
  TMachine* FMachine;
  TNetwork* FNetwork;
  TDisplay* FDisplay;
  TMedia* FMedia;
  TDevices* FDevices;
  TEngines* FEngines;
  TAPM* FAPM;
  TDirectX* FDirectX;
  TProcesses* FProcesses;
  TPrinters* FPrinters;
  TSoftware* FSoftware;
  TStartup* FStartup;
};

// The dialog module installs what ShowOverview does; until then ShowOverview does nothing.
using TShowOverviewHook = std::function<void(TKSystemInfo& info)>;
void SetShowOverviewHook(TShowOverviewHook hook);

// Makes TKSystemInfo nameable in window descriptions.
void RegisterSysInfoClasses();
