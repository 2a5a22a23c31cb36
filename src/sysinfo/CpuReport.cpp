// The processor classes' tables, lifetime, gathering from a probe and report lines.
#include "sysinfo/KSI_CPU.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TCPUFeatures) {
  using T = TCPUFeatures;
  b.Bool("_3DNOW", &T::Flag<cf3DNow>, &T::SetFlag<cf3DNow>);
  b.Bool("EX_3DNOW", &T::Flag<cfEx3DNow>, &T::SetFlag<cfEx3DNow>);
  b.Bool("EX_MMX", &T::Flag<cfExMMX>, &T::SetFlag<cfExMMX>);
  b.Bool("SIMD", &T::Flag<cfSIMD>, &T::SetFlag<cfSIMD>);
  b.Bool("XSR", &T::Flag<cfXSR>, &T::SetFlag<cfXSR>);
  b.Bool("MMX", &T::Flag<cfMMX>, &T::SetFlag<cfMMX>);
  b.Bool("SERIAL", &T::Flag<cfSerial>, &T::SetFlag<cfSerial>);
  b.Bool("PSE36", &T::Flag<cfPSE36>, &T::SetFlag<cfPSE36>);
  b.Bool("PAT", &T::Flag<cfPAT>, &T::SetFlag<cfPAT>);
  b.Bool("CMOV", &T::Flag<cfCMOV>, &T::SetFlag<cfCMOV>);
  b.Bool("MCA", &T::Flag<cfMCA>, &T::SetFlag<cfMCA>);
  b.Bool("PGE", &T::Flag<cfPGE>, &T::SetFlag<cfPGE>);
  b.Bool("MTRR", &T::Flag<cfMTRR>, &T::SetFlag<cfMTRR>);
  b.Bool("SEP", &T::Flag<cfSEP>, &T::SetFlag<cfSEP>);
  b.Bool("APIC", &T::Flag<cfAPIC>, &T::SetFlag<cfAPIC>);
  b.Bool("CX8", &T::Flag<cfCX8>, &T::SetFlag<cfCX8>);
  b.Bool("MCE", &T::Flag<cfMCE>, &T::SetFlag<cfMCE>);
  b.Bool("PAE", &T::Flag<cfPAE>, &T::SetFlag<cfPAE>);
  b.Bool("MSR", &T::Flag<cfMSR>, &T::SetFlag<cfMSR>);
  b.Bool("TSC", &T::Flag<cfTSC>, &T::SetFlag<cfTSC>);
  b.Bool("PSE", &T::Flag<cfPSE>, &T::SetFlag<cfPSE>);
  b.Bool("DE", &T::Flag<cfDE>, &T::SetFlag<cfDE>);
  b.Bool("VME", &T::Flag<cfVME>, &T::SetFlag<cfVME>);
  b.Bool("FPU", &T::Flag<cfFPU>, &T::SetFlag<cfFPU>);
}

VELMORA_CLASS_INFO(TCPUCache) {
  using T = TCPUCache;
  b.Int("L1Data", &T::L1Data, &T::SetL1Data);
  b.Int("L1Code", &T::L1Code, &T::SetL1Code);
  b.Int("Level1", &T::Level1, &T::SetLevel1);
  b.Int("Level2", &T::Level2, &T::SetLevel2);
  b.Int("Level3", &T::Level3, &T::SetLevel3);
}

VELMORA_CLASS_INFO(TCPU) {
  using T = TCPU;
  b.Int("Count", &T::Count, &T::SetCount);
  b.Str("VendorEx", &T::VendorEx, &T::SetVendorEx);
  b.Str("VendorID", &T::VendorID, &T::SetVendorID);
  b.Int("Frequency", &T::Frequency, &T::SetFrequency);
  b.Int("Family", &T::Family, &T::SetFamily);
  b.Int("Stepping", &T::Stepping, &T::SetStepping);
  b.Int("Model", &T::Model, &T::SetModel);
  b.Object("Features", &T::Features);
  b.Object("Cache", &T::Cache);
  b.Str("SerialNumber", &T::SerialNumber, &T::SetSerialNumber);
  b.Bool("FDIVBug", &T::FDIVBug, &T::SetFDIVBug);
  b.Str("CodeName", &T::CodeName, &T::SetCodeName);
  b.Int("Transistors", &T::Transistors, &T::SetTransistors);
}

void TCPUFeatures::Put(TCpuFeature f, bool on) {
  if (f >= cfCount) return;
  if (on)
    FBits |= 1u << f;
  else
    FBits &= ~(1u << f);
}

void TCPUFeatures::Assign(uint32_t bits, const TCpuidRegs& regs) {
  FBits = bits & ((1u << cfCount) - 1);
  FRegs = regs;
}

void TCPUFeatures::Report(TStrings& report) const {
  AddSection(report, "CPU Features");
  for (int f = 0; f < cfCount; ++f)
    AddBool(report, CpuFeatureLabel(static_cast<TCpuFeature>(f)), Has(static_cast<TCpuFeature>(f)));
  for (int i = 0; i < isCount; ++i)
    AddBool(report, CpuIsaName(static_cast<TCpuIsa>(i)), FIsa.Has(static_cast<TCpuIsa>(i)));
  AddValue(report, "x86-64 level", static_cast<int64_t>(FIsa.Level));
}

void TCPUCache::Assign(const TCacheSizes& sizes, const TCpuidRegs& regs) {
  FL1Data = sizes.L1Data;
  FL1Code = sizes.L1Code;
  FLevel1 = sizes.Level1;
  FLevel2 = sizes.Level2;
  FLevel3 = sizes.Level3;
  FL3Count = sizes.L3Count > 0 ? sizes.L3Count : 1;
  FTraceCache = sizes.TraceCache;
  FRegs = regs;
}

void TCPUCache::Report(TStrings& report) const {
  AddSection(report, "CPU Cache");
  AddValue(report, "Level 1 Data Cache", static_cast<int64_t>(FL1Data));
  AddValue(report, "Level 1 Instruction Cache", static_cast<int64_t>(FL1Code));
  AddValue(report, "Level 1 Unified Cache", static_cast<int64_t>(FLevel1));
  AddValue(report, "Level 2 Unified Cache", static_cast<int64_t>(FLevel2));
  // A key of its own at the end of the section: readers of the first four are not disturbed.
  if (FLevel3 > 0) AddValue(report, "Level 3 Unified Cache", static_cast<int64_t>(FLevel3));
}

void TCPU::Gather(TCpuProbe& probe, int count) {
  FCount = count;
  const TCpuIdentity id = IdentifyCpu(probe);
  FSignature = id.Signature;
  FFamily = id.Signature.EffectiveFamily();
  FModel = id.Signature.EffectiveModel();
  FStepping = id.Signature.Stepping;
  FBrand = id.Brand;
  FBrandString = id.BrandString;
  FVendorIndex = id.VendorIndex;
  FVendorEx = CpuVendorFullName(id.VendorIndex);
  FFeatures->Assign(id.Features, id.FeatureRegs);
  FFeatures->AssignInstructionSets(id.Isa);
  FSerialNumber = id.Serial;
  FCache->Assign(id.Cache, id.CacheRegs);
  FHypervisor = id.Hypervisor;
  FTopology = GatherCpuTopology(probe, id.Topology, count);
  // RDTSC on a processor without it is an illegal instruction, not an error to catch.
  FClock = id.Has(cfTSC) ? MeasureClock(probe) : TClockResult{};
  FFrequency = FClock.Snapped;
  FFDIVBug = FdivFlawed();

  // The table goes by the signature's own fields; the rows of the classic processors know
  // no extended bits.
  TCpuNameKey key;
  key.Vendor = id.VendorIndex;
  key.Family = id.Signature.Family;
  key.Model = id.Signature.Model;
  key.Stepping = id.Signature.Stepping;
  key.ExtFamily = id.Signature.ExtFamily;
  key.ExtModel = id.Signature.ExtModel;
  key.Frequency = FFrequency;
  key.Level2 = id.Cache.Level2;
  key.Type = id.Signature.Type;
  key.Brand = id.Brand;
  key.Level3 = id.Cache.Level3;
  key.Cores = FTopology.Cores;
  key.Hypervisor = !id.Hypervisor.empty();
  key.BrandString = id.BrandString;
  const TCpuName name = NameCpu(key, id.HasCpuid, id.VendorText, id.BrandString);
  FVendorID = name.Name;
  FCodeName = name.CodeName;
  FTransistors = name.Transistors;
}

void TCPU::Report(TStrings& report) const {
  AddSection(report, "CPU");
  AddValue(report, "Count", static_cast<int64_t>(FCount));
  AddValue(report, "Frequency", static_cast<int64_t>(FFrequency));
  AddValue(report, "VendorID", FVendorID);
  AddValue(report, "Vendor", Vendor());
  AddValue(report, "Family", static_cast<int64_t>(FFamily));
  AddValue(report, "Model", static_cast<int64_t>(FModel));
  AddValue(report, "Stepping", static_cast<int64_t>(FStepping));
  AddValue(report, "CodeName", FCodeName);
  AddValue(report, "Transistors", FTransistors);
  AddValue(report, "SerialNumber", FSerialNumber);
  AddBool(report, "FDIVBug", FFDIVBug);
  // Keys of their own at the end of the section: readers of the ones above are not disturbed.
  AddValue(report, "Packages", static_cast<int64_t>(FTopology.Packages));
  AddValue(report, "Cores", static_cast<int64_t>(FTopology.Cores));
  AddValue(report, "Threads", static_cast<int64_t>(FTopology.Threads));
  AddValue(report, "PerformanceCores", static_cast<int64_t>(FTopology.PerformanceCores));
  AddValue(report, "EfficientCores", static_cast<int64_t>(FTopology.EfficientCores));
  AddValue(report, "Hypervisor", FHypervisor);
  FFeatures->Report(report);
  FCache->Report(report);
}
