// The processor category: count, vendor, signature, features, caches, serial number, measured
// clock, the division flaw and the model name. Gathering runs through a TCpuProbe: the system's
// own on Windows (CPUID and RDTSC guarded, the high-resolution counter), or one a test installs.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/CpuLogic.h"
#include "sysinfo/SysInfoProps.h"

class TCPUFeatures : public TPersistent {
  VELMORA_CLASS(TCPUFeatures, TPersistent)

 public:
  bool Has(TCpuFeature f) const { return f < cfCount && ((FBits >> f) & 1u); }
  void Put(TCpuFeature f, bool on);
  template <int F>
  bool Flag() const { return Has(static_cast<TCpuFeature>(F)); }
  template <int F>
  void SetFlag(bool on) { Put(static_cast<TCpuFeature>(F), on); }
  uint32_t Bits() const { return FBits; }
  // The registers of the last feature query.
  const TCpuidRegs& Registers() const { return FRegs; }
  void Assign(uint32_t bits, const TCpuidRegs& regs);
  // The instruction sets since SSE, as the system lets programs use them, and the x86-64 level.
  const TCpuIsaSet& InstructionSets() const { return FIsa; }
  void AssignInstructionSets(const TCpuIsaSet& isa) { FIsa = isa; }
  // "[CPU Features]", one line per feature, then one per instruction set (0 or 1) and the
  // x86-64 level last: the newer lines at the end, where readers of the first 24 expect nothing.
  void Report(TStrings& report) const;

 private:
  uint32_t FBits = 0;
  TCpuidRegs FRegs;
  TCpuIsaSet FIsa;
};

class TCPUCache : public TPersistent {
  VELMORA_CLASS(TCPUCache, TPersistent)
  KSI_VALUE(int, L1Data)
  KSI_VALUE(int, L1Code)
  KSI_VALUE(int, Level1)
  KSI_VALUE(int, Level2)
  KSI_VALUE(int, Level3)

 public:
  // L1Code counts thousands of micro-operations of a trace cache, not KB.
  bool TraceCache() const { return FTraceCache; }
  // How many level-3 caches of Level3 / L3Count KB each the package has (one per core
  // complex on Zen).
  int L3Count() const { return FL3Count; }
  // The registers the sizes were decoded from.
  const TCpuidRegs& Registers() const { return FRegs; }
  void Assign(const TCacheSizes& sizes, const TCpuidRegs& regs);
  // The level-3 line only where there is a level 3.
  void Report(TStrings& report) const;

 private:
  TCpuidRegs FRegs;
  bool FTraceCache = false;
  int FL3Count = 1;
};

class TCPU : public TSysInfoCategory {
  VELMORA_CLASS(TCPU, TSysInfoCategory)
  KSI_VALUE(int, Count)
  KSI_VALUE(std::string, VendorEx)
  KSI_VALUE(std::string, VendorID)  // the model name
  KSI_VALUE(int, Frequency)
  KSI_VALUE(int, Family)  // effective: the extended bits applied
  KSI_VALUE(int, Stepping)
  KSI_VALUE(int, Model)   // effective
  KSI_VALUE(std::string, SerialNumber)
  KSI_VALUE(bool, FDIVBug)
  KSI_VALUE(std::string, CodeName)
  KSI_VALUE(int64_t, Transistors)  // 0 where none was published

 public:
  // Gathers with the system's probe; a failure is shown as "TCPU.GetInfo".
  void GetInfo();
  // Everything from a probe and a processor count (what GetInfo does inside its guard).
  void Gather(TCpuProbe& probe, int count);
  // "[CPU]", "[CPU Features]", "[CPU Cache]".
  void Report(TStrings& report) const;

  // Packages, and cores and threads per package; the performance and efficient cores of a
  // hybrid chip (0 and 0 on others).
  const TCpuTopology& Topology() const { return FTopology; }
  int Packages() const { return FTopology.Packages; }
  // The hypervisor the processor runs under ("KVM", "VMware", ...); empty on real hardware.
  const std::string& Hypervisor() const { return FHypervisor; }

  TCPUFeatures* Features() const { return FFeatures.get(); }
  TCPUCache* Cache() const { return FCache.get(); }
  int VendorIndex() const { return FVendorIndex; }
  // "Intel", ...; empty for an unknown vendor.
  std::string Vendor() const { return CpuVendorShortName(FVendorIndex); }
  int ProcessorType() const { return FSignature.Type; }
  int BrandIndex() const { return FBrand; }
  // Leaf 1's signature as the processor gives it, before the extended bits are applied.
  const TCpuSignature& Signature() const { return FSignature; }
  const std::string& BrandString() const { return FBrandString; }
  const TClockResult& Clock() const { return FClock; }

 private:
  std::unique_ptr<TCPUFeatures> FFeatures = std::make_unique<TCPUFeatures>();
  std::unique_ptr<TCPUCache> FCache = std::make_unique<TCPUCache>();
  int FVendorIndex = 0, FBrand = 0;
  TCpuSignature FSignature;
  std::string FBrandString;
  TClockResult FClock;
  TCpuTopology FTopology;
  std::string FHypervisor;
};

// The probe GetInfo uses: the system's own, or one a test installs (nullptr restores).
TCpuProbe& CpuProbe();
void SetCpuProbe(TCpuProbe* probe);
