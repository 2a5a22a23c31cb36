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
  // "[CPU Features]" and one line per feature, 0 or 1.
  void Report(TStrings& report) const;

 private:
  uint32_t FBits = 0;
  TCpuidRegs FRegs;
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
  // The registers the sizes were decoded from.
  const TCpuidRegs& Registers() const { return FRegs; }
  void Assign(const TCacheSizes& sizes, const TCpuidRegs& regs);
  // The level-3 line only where there is a level 3.
  void Report(TStrings& report) const;

 private:
  TCpuidRegs FRegs;
  bool FTraceCache = false;
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
  KSI_VALUE(int, Transistors)

 public:
  // Gathers with the system's probe; a failure is shown as "TCPU.GetInfo".
  void GetInfo();
  // Everything from a probe and a processor count (what GetInfo does inside its guard).
  void Gather(TCpuProbe& probe, int count);
  // "[CPU]", "[CPU Features]", "[CPU Cache]".
  void Report(TStrings& report) const;

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
};

// The probe GetInfo uses: the system's own, or one a test installs (nullptr restores).
TCpuProbe& CpuProbe();
void SetCpuProbe(TCpuProbe* probe);
