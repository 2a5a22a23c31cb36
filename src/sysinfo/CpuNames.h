// Code names and transistor counts of the processors since 2000 (NetBurst, Pentium M and
// Core, Atom, Core i and Xeon to Arrow Lake and Granite Rapids; AMD from the Athlon 64 to
// Zen 5; Hygon, VIA Nano, Zhaoxin), keyed by vendor, effective family and model, refined by
// stepping, cache sizes, cores and the words of the brand string where one family and model
// covers several chips.
#pragma once
#include <cstdint>
#include <string>

struct TCpuNameKey;

struct TCpuCodeName {
  const char* Code = "";
  int64_t Transistors = 0;  // 0 where the maker published none
};
// The row of the key's processor; false when the table has none.
bool FindCpuCodeName(const TCpuNameKey& key, TCpuCodeName& found);

// Brand-string matching as the table uses it: the text is cut into words (letters, digits,
// '-' and '+'), "(R)", "(TM)" and the word "Processor" dropped. patterns holds alternatives split by '|', each a run of
// words that must follow one another; in a pattern word '#' stands for a digit (or the 'x' of
// "22xx") and a final '*' for any rest of the word. Case does not count.
bool CpuBrandMatches(const std::string& brand, const char* patterns);

// A hypervisor's generic processor ("QEMU Virtual CPU", "Common KVM processor"): it borrows
// some chip's signature, but no chip stands behind it.
bool IsGenericVirtualBrand(const std::string& brand);
