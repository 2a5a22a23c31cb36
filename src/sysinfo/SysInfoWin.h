// What the system-information categories share on Windows: the registry roots and the family
// they read (which tests point at fixtures and play), bounded registry reads, the class lookup,
// the failure box of a gathering, and the functions newer than Windows 95 and NT 4.0, looked up
// at run time.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>
#include "framework/Dialogs.h"

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER as the categories read them.
HKEY SysRoot(HKEY predefined);
// Points the two roots at other keys (nullptr: the system's own again). For tests.
void SetSysInfoRoots(HKEY localMachine, HKEY currentUser);
// The family the categories read as: the process's own unless a test plays the other.
bool SysInfoNT();
void SetSysInfoFamily(int ntFamily);  // 1 NT, 0 9x, -1 the process's own

// A registry key opened for reading. Values are read at their real size and walked within the
// length returned; a value of the wrong type reads as absent.
class TSysKey {
 public:
  TSysKey() = default;
  // root is HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER (redirected by SysRoot) or an open key.
  TSysKey(HKEY root, const std::string& path) { Open(root, path); }
  TSysKey(const TSysKey& parent, const std::string& sub) { Open(parent.FKey, sub); }
  ~TSysKey() { Close(); }
  TSysKey(const TSysKey&) = delete;
  TSysKey& operator=(const TSysKey&) = delete;

  bool Open(HKEY root, const std::string& path);
  void Close();
  bool IsOpen() const { return FKey != nullptr; }
  HKEY Handle() const { return FKey; }

  std::vector<std::string> SubKeys() const;
  std::vector<std::string> ValueNames() const;
  bool HasSubKey(const std::string& name) const;
  bool HasValue(const std::string& name) const;
  // The bytes as stored (strings with what terminators they have); false when missing.
  bool ReadRaw(const std::string& name, std::vector<char>& data, DWORD* type = nullptr) const;
  // REG_SZ or REG_EXPAND_SZ to its first zero; false when missing or of another type.
  bool ReadText(const std::string& name, std::string& text) const;
  // The same, empty when missing or of another type.
  std::string Text(const std::string& name) const;
  // Four bytes, as REG_DWORD or REG_BINARY; false otherwise.
  bool ReadDword(const std::string& name, uint32_t& value) const;

 private:
  HKEY FKey = nullptr;
};

// The texts of one value of the instances of a device class: the first subkey of classKey whose
// value "Class" names className (ignoring case) is searched; on the 9x family the subkey its
// "Link" value names instead. Each subkey with the value adds it once, in key order.
std::vector<std::string> ClassLookup(const std::string& classKey, const std::string& className,
                                     const std::string& valueName);
// The same under the family's own device class key.
std::vector<std::string> ClassLookup(const std::string& className, const std::string& valueName);
// The device class key of the family the categories read as.
std::string SysClassKey();

class TDevices;

// One gathering of several categories (Refresh): while it lasts, the device tree and the
// device class keys are read once and shared by the categories that need them. A category
// gathered on its own reads its own.
class TGatherSession {
 public:
  TGatherSession();
  ~TGatherSession();
  TGatherSession(const TGatherSession&) = delete;
  TGatherSession& operator=(const TGatherSession&) = delete;
};
// Keeps a device tree just read for the rest of the session (does nothing without one).
void ShareDevices(const TDevices& devices);
// The session's device tree; without one (or before it was read) a reading of its own.
void ReadDevices(TDevices& devices);

// Runs a gathering; a failure is shown in a message box without owner, with the failure's
// message and the caption given ("TMachine.GetInfo"), and what was gathered so far stays.
template <class F>
void GatherGuarded(const char* caption, F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ShowErrorBox(e.what(), caption);
  }
}

// The object system initialised for the calls in between, and undone as often as it was done.
class TComScope {
 public:
  TComScope() : FInitialized(SUCCEEDED(CoInitialize(nullptr))) {}
  ~TComScope() {
    if (FInitialized) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

 private:
  bool FInitialized;
};

// Local copies of records that the old headers lack.
struct TPowerStatusRecord {
  BYTE ACLineStatus, BatteryFlag, BatteryLifePercent, Reserved1;
  DWORD BatteryLifeTime, BatteryFullLifeTime;
};
struct TProcessEntry32 {
  DWORD dwSize, cntUsage, th32ProcessID;
  ULONG_PTR th32DefaultHeapID;
  DWORD th32ModuleID, cntThreads, th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  CHAR szExeFile[MAX_PATH];
};

// Functions that Windows 95 or NT 4.0 lack, looked up once at first use; null where the system
// has none. Tests replace entries to play an older system or a case Wine cannot produce.
struct TSysApi {
  BOOL(WINAPI* GetDiskFreeSpaceExA)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  ULONGLONG(WINAPI* GetTickCount64)();
  BOOL(WINAPI* GetSystemPowerStatus)(TPowerStatusRecord*);
  HANDLE(WINAPI* CreateToolhelp32Snapshot)(DWORD, DWORD);
  BOOL(WINAPI* Process32First)(HANDLE, TProcessEntry32*);
  BOOL(WINAPI* Process32Next)(HANDLE, TProcessEntry32*);
  BOOL(WINAPI* EnumProcesses)(DWORD*, DWORD, DWORD*);                    // psapi
  DWORD(WINAPI* GetModuleFileNameExA)(HANDLE, HMODULE, LPSTR, DWORD);    // psapi
  UCHAR(WINAPI* Netbios)(void* ncb);                                     // netapi32
  DWORD_PTR(WINAPI* SetThreadAffinityMask)(HANDLE, DWORD_PTR);
  // The 9x family's BIOS area: up to max bytes at a physical address, stopping at a zero; empty
  // when the area cannot be read.
  std::string (*ReadBiosArea)(uint32_t address, size_t max);
};
TSysApi& SysApi();
// Looks every entry up again (after a test changed some).
void ResetSysApi();
