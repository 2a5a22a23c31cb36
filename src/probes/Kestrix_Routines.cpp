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
  OSVERSIONINFOA vi;
  ZeroMemory(&vi, sizeof vi);
  vi.dwOSVersionInfoSize = sizeof vi;  // 148
  if (GetVersionExA(&vi))
    f.Class = ClassifyOS(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion,
                         std::string(vi.szCSDVersion, strnlen(vi.szCSDVersion, 128)));
  f.Name = OSKindDisplayName(f.Class.Kind);
  f.ClassKey = DeviceClassKey(f.Class.NTFamily);
  char buf[256] = {};
  DWORD size = 255;
  if (GetUserNameA(buf, &size)) f.UserName = buf;
  f.ComputerName = ReadComputerName();
  return f;
}

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
