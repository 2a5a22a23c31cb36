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

// The image name of a process, as stored: wide on the NT family (a name outside the code page
// or longer than MAX_PATH finds the file again).
struct TImageName {
  std::string Text;
  std::wstring Wide;
  bool empty() const { return Text.empty() && Wide.empty(); }
};

template <class C>
std::basic_string<C> WindowsDir(UINT(WINAPI* get)(C*, UINT)) {
  C buf[MAX_PATH + 1] = {};
  const UINT n = get ? get(buf, MAX_PATH) : 0;
  return n > 0 && n <= MAX_PATH ? std::basic_string<C>(buf, n) : std::basic_string<C>();
}

// Asks a name of a buffer that grows while the name may have been cut, up to 32,767 characters.
template <class C, class F>
std::basic_string<C> GrowingName(F ask) {
  for (DWORD size = MAX_PATH + 1; size <= 32768 * 4; size *= 4) {
    std::vector<C> buf(size);
    DWORD n = 0;
    if (!ask(buf.data(), size, n)) return {};
    if (n < size - 1) return std::basic_string<C>(buf.data(), n);
  }
  return {};
}

// Vista and later name the image of any process that may be asked the little they allow (also
// one of 64 bits, whose modules a 32-bit program cannot read).
template <class C, class Q>
std::basic_string<C> FullImageName(DWORD id, Q query) {
  if (!query) return {};
  KernelHandle h(OpenProcess(kQueryLimitedInformation, FALSE, id));
  if (!h) return {};
  return GrowingName<C>([&](C* buf, DWORD size, DWORD& n) {
    n = size;
    if (query(h.get(), 0, buf, &n)) return true;
    n = size;  // too small: again, larger
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
  });
}

// The full path of the process's main module from the process-status library.
template <class C, class Q>
std::basic_string<C> MainModuleName(DWORD id, Q path) {
  if (!path) return {};
  KernelHandle h(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (!h) return {};
  // A name that fills the buffer may have been cut: ask again with a larger one.
  return GrowingName<C>([&](C* buf, DWORD size, DWORD& n) {
    n = path(h.get(), nullptr, buf, size);
    return n != 0;
  });
}

// Where the process's program is stored; empty when the process cannot be asked.
TImageName ModulePath(DWORD id) {
  const TSysApi& api = SysApi();
  if (SysInfoWide() && (api.QueryFullProcessImageNameW || api.GetModuleFileNameExW)) {
    std::wstring name = FullImageName<wchar_t>(id, api.QueryFullProcessImageNameW);
    if (name.empty()) name = MainModuleName<wchar_t>(id, api.GetModuleFileNameExW);
    if (name.empty()) return {};
    name = DosImagePath(name, WindowsDir<wchar_t>(api.GetWindowsDirectoryW));
    return {AnsiText(name), name};
  }
  std::string name = FullImageName<char>(id, api.QueryFullProcessImageNameA);
  if (name.empty()) name = MainModuleName<char>(id, api.GetModuleFileNameExA);
  return {name.empty() ? name : DosImagePath(name, WindowsDir<char>(GetWindowsDirectoryA)), {}};
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
    TImageName name;
    if (id == 0)
      name.Text = "System Idle Process";
    else if (id == 2)
      name.Text = "System Process";
    else
      name = ModulePath(id);
    if (!name.empty()) out.push_back({name.Text, id, name.Wide});
  }
}

// The snapshot's file name in the form of the family: wide on NT.
template <class E, class F>
void WalkSnapshot(HANDLE snap, F first, F next, std::vector<TProcessEntry>& out, bool fullPaths) {
  E e;
  ZeroMemory(&e, sizeof e);
  e.dwSize = sizeof e;
  for (BOOL more = first(snap, &e); more; more = next(snap, &e)) {
    const DWORD id = e.th32ProcessID;
    TImageName name;
    if (id == 0) {
      name.Text = "System Idle Process";
    } else {
      if (fullPaths) name = ModulePath(id);
      if (name.empty()) {
        const size_t n = std::find(e.szExeFile, e.szExeFile + MAX_PATH, 0) - e.szExeFile;
        if constexpr (sizeof e.szExeFile[0] == 1)
          name.Text.assign(e.szExeFile, n);
        else
          name = {AnsiText(e.szExeFile, n), std::wstring(e.szExeFile, n)};
      }
    }
    out.push_back({name.Text, id, name.Wide});
    e.dwSize = sizeof e;
  }
}

void ReadWithSnapshot(std::vector<TProcessEntry>& out, bool fullPaths) {
  const TSysApi& api = SysApi();
  KernelHandle snap(api.CreateToolhelp32Snapshot(kSnapProcess, 0));
  if (!snap) return;
  if (SysInfoWide() && api.Process32FirstW && api.Process32NextW)
    WalkSnapshot<TProcessEntry32W>(snap.get(), api.Process32FirstW, api.Process32NextW, out, fullPaths);
  else
    WalkSnapshot<TProcessEntry32>(snap.get(), api.Process32First, api.Process32Next, out, fullPaths);
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
