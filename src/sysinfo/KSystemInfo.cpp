// The system-information component: the table of categories (how each is made, gathered and
// reported, and in which order), and the dialog hook.
#include "sysinfo/KSystemInfo.h"
#include <array>
#include <iterator>
#include <utility>
#include "framework/Exception.h"
#include "probes/KSI_CPUUsage.h"
#include "sysinfo/ReportLocale.h"
#include "sysinfo/SysInfoWin.h"

namespace {
TShowOverviewHook& OverviewHook() {
  static TShowOverviewHook hook;
  return hook;
}

// One row per category, in the order of the published properties (and of their making): how it
// is made, gathered and reported, and its step in the gathering and in the report.
using TGather = void (*)(TKSystemInfo& info, TSysInfoCategory& category);
struct TCategoryRow {
  const char* Name;
  const TClassInfo& (*Class)();
  std::unique_ptr<TSysInfoCategory> (*Make)();
  TGather Gather;
  void (*Report)(TSysInfoCategory& category, TStrings& report);
  int GatherStep, ReportStep;
};

template <class T>
void GatherCategory(TKSystemInfo&, TSysInfoCategory& category) {
  static_cast<T&>(category).GetInfo();
}

template <class T>
constexpr TCategoryRow Row(const char* name, int gatherStep, int reportStep, TGather gather = GatherCategory<T>) {
  return {name,
          &T::StaticClassInfo,
          []() -> std::unique_ptr<TSysInfoCategory> { return std::make_unique<T>(); },
          gather,
          [](TSysInfoCategory& category, TStrings& report) { static_cast<T&>(category).Report(report); },
          gatherStep,
          reportStep};
}

// The drive list, then the drive Windows is on (the operating system is gathered before).
void GatherDisk(TKSystemInfo& info, TSysInfoCategory&) {
  TDisk* disk = info.Disk();
  disk->GetInfo();
  disk->SetDrive(info.OS()->Folders()->Values("Windows").substr(0, 2));
}

constexpr TCategoryRow kCategories[] = {
    //                    property  gathered reported
    Row<TCPU>(            "CPU",        2,  3),
    Row<TMemory>(         "Memory",     3,  4),
    Row<TOperatingSystem>("OS",         4,  2),
    Row<TDisk>(           "Disk",       5, 12, GatherDisk),
    Row<TMachine>(        "Machine",    6,  1),
    Row<TNetwork>(        "Network",    7,  8),
    Row<TDisplay>(        "Display",    8,  5),
    Row<TMedia>(          "Media",      9,  7),
    // First: the categories after it find their hardware in the device tree it reads.
    Row<TDevices>(        "Devices",    1,  9),
    Row<TEngines>(        "Engines",   10, 10),
    Row<TAPM>(            "APM",       11,  6),
    Row<TDirectX>(        "DirectX",   12, 11),
    Row<TProcesses>(      "Processes", 13, 13),
    Row<TPrinters>(       "Printers",  14, 14),
    Row<TSoftware>(       "Software",  15, 15),
    Row<TStartup>(        "Startup",   16, 16),
};
constexpr size_t kCount = std::size(kCategories);

// The rows by one of their step columns, the smallest step first. Two rows with one step do not
// compile.
template <int TCategoryRow::*Step>
constexpr std::array<size_t, kCount> Order() {
  std::array<size_t, kCount> order{};
  for (size_t i = 0; i < kCount; ++i) order[i] = i;
  for (size_t i = 1; i < kCount; ++i)
    for (size_t j = i; j > 0 && kCategories[order[j]].*Step <= kCategories[order[j - 1]].*Step; --j) {
      if (kCategories[order[j]].*Step == kCategories[order[j - 1]].*Step) throw "two categories in one step";
      std::swap(order[j], order[j - 1]);
    }
  return order;
}
constexpr auto kGatherOrder = Order<&TCategoryRow::GatherStep>();
constexpr auto kReportOrder = Order<&TCategoryRow::ReportStep>();

template <size_t... I>
void DescribeCategories(ClassBuilder<TKSystemInfo>& b, std::index_sequence<I...>) {
  (b.Object(kCategories[I].Name, &TKSystemInfo::CategoryAt<I>), ...);
}

}  // namespace

VELMORA_CLASS_INFO(TKSystemInfo) {
  using T = TKSystemInfo;
  b.Str("About", &T::About, &T::SetAbout);
  DescribeCategories(b, std::make_index_sequence<kCount>());
  b.Creatable();
}

TKSystemInfo::TKSystemInfo(TComponent* AOwner)
    : TComponent(AOwner), FAbout(std::string(kSystemInfoTitle) + " v" + kSystemInfoVersion) {
  FCategories.reserve(kCount);
  for (const TCategoryRow& row : kCategories) FCategories.push_back(row.Make());
}

TKSystemInfo::~TKSystemInfo() = default;

size_t TKSystemInfo::CategoryIndex(const TClassInfo& category) {
  for (size_t i = 0; i < kCount; ++i)
    if (&kCategories[i].Class() == &category) return i;
  throw Exception(std::string("No system-information category ") + category.Name);
}

void TKSystemInfo::Clear() {
  // Each new one is made before the old one goes.
  for (size_t i = 0; i < kCount; ++i) FCategories[i] = kCategories[i].Make();
}

void TKSystemInfo::Refresh() {
  InitProbes();  // the family flag
  TGatherSession session;  // one reading of the device registry for all
  for (size_t i : kGatherOrder) kCategories[i].Gather(*this, *FCategories[i]);
}

void TKSystemInfo::Report(TStrings& report) {
  InitReportLocale();
  for (size_t i : kReportOrder) kCategories[i].Report(*FCategories[i], report);
}

void TKSystemInfo::ShowOverview() {
  if (OverviewHook()) OverviewHook()(*this);
}

void SetShowOverviewHook(TShowOverviewHook hook) { OverviewHook() = std::move(hook); }

void RegisterSysInfoClasses() { RegisterComponentClass(TKSystemInfo::StaticClassInfo()); }
