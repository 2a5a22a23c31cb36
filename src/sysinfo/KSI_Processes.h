// The running processes: image name and identifier of each, each entry with its own identifier.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "framework/Classes.h"
#include "framework/Strings.h"
#include "sysinfo/SysInfoProps.h"

struct TProcessEntry {
  TProcessEntry() = default;
  TProcessEntry(std::string name, uint32_t id, std::wstring path = {})
      : Name(std::move(name)), Id(id), Path(std::move(path)) {}
  std::string Name;  // the image name: a full path or a file name, as the system gives it
  uint32_t Id = 0;
  std::wstring Path;  // the same as stored, on the NT family: it finds the file again
};

class TProcesses : public TSysInfoCategory {
  VELMORA_CLASS(TProcesses, TSysInfoCategory)

 public:
  void GetInfo();
  void Report(TStrings& report) const;

  int ProcessCount() const { return static_cast<int>(FEntries.size()); }
  void SetProcessCount(int) {}  // the count is the list's
  // The image name of entry i; empty out of range.
  std::string Name(int i) const;
  // The identifier of entry i; 0 out of range.
  uint32_t Id(int i) const;
  // The identifier of the first entry with that name (case-insensitive); 0 when none.
  uint32_t IdOfName(const std::string& name) const;
  const std::vector<TProcessEntry>& Entries() const { return FEntries; }
  void Assign(std::vector<TProcessEntry> entries) { FEntries = std::move(entries); }

 private:
  std::vector<TProcessEntry> FEntries;
};
