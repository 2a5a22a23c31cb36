// The running processes: the process-status functions on NT 4.0, the tool-help snapshot
// elsewhere, both looked up at run time.
#include "sysinfo/KSI_Processes.h"
#include <windows.h>
#include "probes/Kestrix_Routines.h"
#include "sysinfo/SysInfoWin.h"

namespace {
constexpr DWORD kSnapProcess = 0x2;  // TH32CS_SNAPPROCESS

// The full path of the process's main module; empty when it cannot be read.
std::string ModulePath(DWORD id) {
  const auto path = SysApi().GetModuleFileNameExA;
  if (!path) return {};
  HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!h) return {};
  char buf[MAX_PATH + 1] = {};
  const DWORD n = path(h, nullptr, buf, MAX_PATH);
  CloseHandle(h);
  return std::string(buf, n < MAX_PATH ? n : MAX_PATH);
}

std::vector<DWORD> ProcessIds() {
  std::vector<DWORD> ids(1025);
  const auto enumerate = SysApi().EnumProcesses;
  // A full buffer may have cut the list: ask again with a larger one.
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD bytes = 0;
    const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!enumerate(ids.data(), capacity, &bytes)) return {};
    if (bytes < capacity) {
      ids.resize(bytes / sizeof(DWORD));
      return ids;
    }
    ids.resize(ids.size() * 2);
  }
  return ids;
}

void ReadWithProcessStatus(std::vector<TProcessEntry>& out) {
  for (DWORD id : ProcessIds()) {
    std::string name;
    if (id == 0)
      name = "System Idle Process";
    else if (id == 2)
      name = "System Process";
    else
      name = ModulePath(id);
    if (!name.empty()) out.push_back({name, id});
  }
}

void ReadWithSnapshot(std::vector<TProcessEntry>& out, bool fullPaths) {
  const TSysApi& api = SysApi();
  HANDLE snap = api.CreateToolhelp32Snapshot(kSnapProcess, 0);
  if (snap == INVALID_HANDLE_VALUE || !snap) return;
  TProcessEntry32 e;
  ZeroMemory(&e, sizeof e);
  e.dwSize = sizeof e;
  for (BOOL more = api.Process32First(snap, &e); more; more = api.Process32Next(snap, &e)) {
    const DWORD id = e.th32ProcessID;
    std::string name;
    if (id == 0)
      name = "System Idle Process";
    else {
      if (fullPaths) name = ModulePath(id);
      if (name.empty()) name.assign(e.szExeFile, strnlen(e.szExeFile, sizeof e.szExeFile));
    }
    out.push_back({name, id});
    e.dwSize = sizeof e;
  }
  CloseHandle(snap);
}
}  // namespace

void TProcesses::GetInfo() {
  FEntries.clear();
  GatherGuarded("TProcesses.GetInfo", [this] {
    const TSysApi& api = SysApi();
    const bool snapshot = api.CreateToolhelp32Snapshot && api.Process32First && api.Process32Next;
    const bool status = api.EnumProcesses && api.GetModuleFileNameExA;
    const TOSKind kind = OSKind();
    std::vector<TProcessEntry> list;
    // NT 4.0 has no snapshot; the process-status library stands in wherever it is missing.
    if (snapshot && kind != osWinNT4 && kind != osWinNT3)
      ReadWithSnapshot(list, kind == osWin2000);
    else if (status)
      ReadWithProcessStatus(list);
    FEntries = std::move(list);
  });
}
