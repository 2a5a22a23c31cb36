// The running processes: the process-status functions on NT 4.0, the tool-help snapshot
// elsewhere, both looked up at run time, with the locations of the programs where the system
// tells them.
#include "sysinfo/KSI_Processes.h"
#include <windows.h>
#include <algorithm>
#include <vector>
#include "framework/Handles.h"
#include "probes/Kestrix_Routines.h"
#include "sysinfo/SysInfoLogic.h"
#include "sysinfo/SysInfoWin.h"

namespace {
constexpr DWORD kSnapProcess = 0x2;  // TH32CS_SNAPPROCESS

constexpr DWORD kQueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION, Vista on

std::string WindowsDir() {
  char buf[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  return n > 0 && n <= MAX_PATH ? std::string(buf, n) : std::string();
}

// Vista and later name the image of any process that may be asked the little they allow (also
// one of 64 bits, whose modules a 32-bit program cannot read).
std::string FullImageName(DWORD id) {
  const auto query = SysApi().QueryFullProcessImageNameA;
  if (!query) return {};
  KernelHandle h(OpenProcess(kQueryLimitedInformation, FALSE, id));
  if (!h) return {};
  std::string name;
  for (DWORD size = MAX_PATH + 1; size <= 32768 && name.empty(); size *= 4) {
    std::vector<char> buf(size);
    DWORD n = size;
    if (query(h.get(), 0, buf.data(), &n)) {
      name.assign(buf.data(), std::min<DWORD>(n, size));
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return name;
}

// The full path of the process's main module from the process-status library.
std::string MainModuleName(DWORD id) {
  const auto path = SysApi().GetModuleFileNameExA;
  if (!path) return {};
  KernelHandle h(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (!h) return {};
  std::string name;
  // A name that fills the buffer may have been cut: ask again with a larger one.
  for (DWORD size = MAX_PATH + 1; size <= 32768; size *= 4) {
    std::vector<char> buf(size);
    const DWORD n = path(h.get(), nullptr, buf.data(), size);
    if (n == 0) break;
    name.assign(buf.data(), std::min(n, size));
    if (n < size - 1) break;
  }
  return name;
}

// Where the process's program is stored; empty when the process cannot be asked.
std::string ModulePath(DWORD id) {
  std::string name = FullImageName(id);
  if (name.empty()) name = MainModuleName(id);
  return name.empty() ? name : DosImagePath(name, WindowsDir());
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
  KernelHandle snap(api.CreateToolhelp32Snapshot(kSnapProcess, 0));
  if (!snap) return;
  TProcessEntry32 e;
  ZeroMemory(&e, sizeof e);
  e.dwSize = sizeof e;
  for (BOOL more = api.Process32First(snap.get(), &e); more; more = api.Process32Next(snap.get(), &e)) {
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
}
}  // namespace

void TProcesses::GetInfo() {
  FEntries.clear();
  GatherGuarded("TProcesses.GetInfo", [this] {
    const TSysApi& api = SysApi();
    const bool snapshot = api.CreateToolhelp32Snapshot && api.Process32First && api.Process32Next;
    const bool status = api.EnumProcesses && api.GetModuleFileNameExA;
    const TOSKind kind = OSKind();
    const bool oldNT = kind == osWinNT4 || kind == osWinNT3;
    std::vector<TProcessEntry> list;
    // NT 4.0 has no snapshot; the process-status library stands in wherever it is missing. From
    // Windows 2000 on the snapshot gives file names only: the locations are asked for.
    if (snapshot && !oldNT)
      ReadWithSnapshot(list, IsNT());
    else if (status)
      ReadWithProcessStatus(list);
    FEntries = std::move(list);
  });
}
