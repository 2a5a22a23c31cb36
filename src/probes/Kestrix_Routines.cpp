#include "probes/Kestrix_Routines.h"
#include <windows.h>
#include "framework/Exception.h"
#include "framework/Registry.h"

namespace {
struct TSystemFacts {
  TOSClass Class;
  std::string Name, ClassKey, UserName, ComputerName;
};

std::string ReadComputerName() {
  char buf[256] = {};
  DWORD size = 255;
  std::string name = GetComputerNameA(buf, &size) ? std::string(buf) : std::string();
  try {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey("SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", false) &&
        reg.ValueExists("ComputerName"))
      name = reg.ReadString("ComputerName");
  } catch (const Exception&) {
    // A value of the wrong type: keep the system's answer.
  }
  return name;
}

TSystemFacts Gather() {
  TSystemFacts f;
  TVersionRecord v;
  if (ReadSystemVersion(v)) f.Class = ClassifyOS(v);
  f.Name = OSDisplayName(f.Class);
  f.ClassKey = DeviceClassKey(f.Class.NTFamily);
  char buf[256] = {};
  DWORD size = 255;
  if (GetUserNameA(buf, &size)) f.UserName = buf;
  f.ComputerName = ReadComputerName();
  return f;
}

std::string Narrow(const WCHAR* w) {
  const int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
  s.resize(static_cast<size_t>(n - 1));
  return s;
}

// The kernel's reading: Windows 2000 and later.
bool ReadKernelVersion(TVersionRecord& r) {
  using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto get = ntdll ? reinterpret_cast<TRtlGetVersion>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                         : nullptr;
  if (!get) return false;
  OSVERSIONINFOEXW w;
  ZeroMemory(&w, sizeof w);
  w.dwOSVersionInfoSize = sizeof w;  // 284
  if (get(&w) != 0 || w.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
  r.Major = w.dwMajorVersion;
  r.Minor = w.dwMinorVersion;
  r.Build = w.dwBuildNumber;
  w.szCSDVersion[127] = 0;
  r.CSD = Narrow(w.szCSDVersion);
  r.HasEx = true;
  r.ProductType = w.wProductType;
  r.SuiteMask = w.wSuiteMask;
  r.SPMajor = w.wServicePackMajor;
  r.SPMinor = w.wServicePackMinor;
  return true;
}
}  // namespace

bool ReadSystemVersion(TVersionRecord& r) {
  r = TVersionRecord();
  OSVERSIONINFOA vi;
  ZeroMemory(&vi, sizeof vi);
  vi.dwOSVersionInfoSize = sizeof vi;  // 148
  if (!GetVersionExA(&vi)) return false;
  r.PlatformId = vi.dwPlatformId;
  r.Major = vi.dwMajorVersion;
  r.Minor = vi.dwMinorVersion;
  r.Build = vi.dwBuildNumber;
  r.CSD.assign(vi.szCSDVersion, strnlen(vi.szCSDVersion, sizeof vi.szCSDVersion));
  if (vi.dwPlatformId != VER_PLATFORM_WIN32_NT || ReadKernelVersion(r)) return true;
  // NT 4.0 from SP6 on has the extended record; earlier ones refuse its size.
  OSVERSIONINFOEXA ex;
  ZeroMemory(&ex, sizeof ex);
  ex.dwOSVersionInfoSize = sizeof ex;  // 156
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) {
    r.HasEx = true;
    r.ProductType = ex.wProductType;
    r.SuiteMask = ex.wSuiteMask;
    r.SPMajor = ex.wServicePackMajor;
    r.SPMinor = ex.wServicePackMinor;
  }
  return true;
}

namespace {
const TSystemFacts& Facts() {
  static const TSystemFacts facts = Gather();
  return facts;
}
}  // namespace

void InitOSKind() { (void)Facts(); }
TOSKind OSKind() { return Facts().Class.Kind; }
bool IsNT() { return Facts().Class.NTFamily; }
bool IsWin95() { return OSKind() == osWin95; }
bool IsWin95OSR2() { return OSKind() == osWin95OSR2; }
bool IsWin98() { return OSKind() == osWin98; }
bool IsWin98SE() { return OSKind() == osWin98SE; }
bool IsWin2000() { return OSKind() == osWin2000; }
bool IsWinME() { return OSKind() == osWinME; }
bool IsWinXP() { return OSKind() == osWinXP; }
const std::string& OSName() { return Facts().Name; }
const std::string& ClassKey() { return Facts().ClassKey; }
const std::string& UserName() { return Facts().UserName; }
const std::string& ComputerName() { return Facts().ComputerName; }
