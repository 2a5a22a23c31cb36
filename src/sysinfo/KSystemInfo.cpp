// The system-information component: category objects, gathering order, report order, and the
// dialog hook.
#include "sysinfo/KSystemInfo.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/SysInfoWin.h"

namespace {
TShowOverviewHook& OverviewHook() {
  static TShowOverviewHook hook;
  return hook;
}
}  // namespace

VELMORA_CLASS_INFO(TKSystemInfo) {
  using T = TKSystemInfo;
  b.Str("About", &T::About, &T::SetAbout);
  b.Object("CPU", &T::CPU);
  b.Object("Memory", &T::Memory);
  b.Object("OS", &T::OS);
  b.Object("Disk", &T::Disk);
  b.Object("Machine", &T::Machine);
  b.Object("Network", &T::Network);
  b.Object("Display", &T::Display);
  b.Object("Media", &T::Media);
  b.Object("Devices", &T::Devices);
  b.Object("Engines", &T::Engines);
  b.Object("APM", &T::APM);
  b.Object("DirectX", &T::DirectX);
  b.Object("Processes", &T::Processes);
  b.Object("Printers", &T::Printers);
  b.Object("Software", &T::Software);
  b.Object("Startup", &T::Startup);
  b.Creatable();
}

TKSystemInfo::TKSystemInfo(TComponent* AOwner)
    : TComponent(AOwner),
      FAbout(std::string(kSystemInfoTitle) + " v" + kSystemInfoVersion),
      FCPU(new TCPU),
      FMemory(new TMemory),
      FOS(new TOperatingSystem),
      FDisk(new TDisk),
      FMachine(new TMachine),
      FNetwork(new TNetwork),
      FDisplay(new TDisplay),
      FMedia(new TMedia),
      FDevices(new TDevices),
      FEngines(new TEngines),
      FAPM(new TAPM),
      FDirectX(new TDirectX),
      FProcesses(new TProcesses),
      FPrinters(new TPrinters),
      FSoftware(new TSoftware),
      FStartup(new TStartup) {}

TKSystemInfo::~TKSystemInfo() {
  delete FStartup;
  delete FSoftware;
  delete FPrinters;
  delete FProcesses;
  delete FDirectX;
  delete FAPM;
  delete FEngines;
  delete FDevices;
  delete FMedia;
  delete FDisplay;
  delete FNetwork;
  delete FMachine;
  delete FDisk;
  delete FOS;
  delete FMemory;
  delete FCPU;
}

namespace {
template <class T>
void Renew(T*& category) {
  T* fresh = new T;
  delete category;
  category = fresh;
}
}  // namespace

void TKSystemInfo::Clear() {
  Renew(FCPU);
  Renew(FMemory);
  Renew(FOS);
  Renew(FDisk);
  Renew(FMachine);
  Renew(FNetwork);
  Renew(FDisplay);
  Renew(FMedia);
  Renew(FDevices);
  Renew(FEngines);
  Renew(FAPM);
  Renew(FDirectX);
  Renew(FProcesses);
  Renew(FPrinters);
  Renew(FSoftware);
  Renew(FStartup);
}

void TKSystemInfo::Refresh() {
  InitProbes();  // the family flag and the locale's report formats
  TGatherSession session;  // one reading of the device registry for all
  FDevices->GetInfo();
  FCPU->GetInfo();
  FMemory->GetInfo();
  FOS->GetInfo();
  FDisk->GetInfo();
  FDisk->SetDrive(FOS->Folders()->Values("Windows").substr(0, 2));
  FMachine->GetInfo();
  FNetwork->GetInfo();
  FDisplay->GetInfo();
  FMedia->GetInfo();
  FEngines->GetInfo();
  FAPM->GetInfo();
  FDirectX->GetInfo();
  FProcesses->GetInfo();
  FPrinters->GetInfo();
  FSoftware->GetInfo();
  FStartup->GetInfo();
}

void TKSystemInfo::Report(TStrings& report) {
  FMachine->Report(report);
  FOS->Report(report);
  FCPU->Report(report);
  FMemory->Report(report);
  FDisplay->Report(report);
  FAPM->Report(report);
  FMedia->Report(report);
  FNetwork->Report(report);
  FDevices->Report(report);
  FEngines->Report(report);
  FDirectX->Report(report);
  FDisk->Report(report);
  FProcesses->Report(report);
  FPrinters->Report(report);
  FSoftware->Report(report);
  FStartup->Report(report);
}

void TKSystemInfo::ShowOverview() {
  if (OverviewHook()) OverviewHook()(*this);
}

void SetShowOverviewHook(TShowOverviewHook hook) { OverviewHook() = std::move(hook); }

void RegisterSysInfoClasses() { RegisterComponentClass(TKSystemInfo::StaticClassInfo()); }
