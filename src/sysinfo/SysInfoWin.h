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
#include "framework/Handles.h"

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER as the categories read them.
HKEY SysRoot(HKEY predefined);
// Points the two roots at other keys (nullptr: the system's own again). For tests.
void SetSysInfoRoots(HKEY localMachine, HKEY currentUser);
// The family the categories read as: the process's own unless a test plays the other.
bool SysInfoNT();
void SetSysInfoFamily(int ntFamily);  // 1 NT, 0 9x, -1 the process's own

// The views of the registry that 64-bit Windows keeps for 64-bit and for 32-bit programs; a
// 32-bit program sees the 32-bit copy of the machine-wide software keys unless it asks.
enum TRegView { rvDefault, rv64, rv32 };
// The views the machine-wide Run, RunOnce and Uninstall keys are read in: on 64-bit Windows
// (this 32-bit process under WoW64, asked of IsWow64Process) the 64-bit and then the 32-bit one;
// elsewhere, where the view bits may be refused, the one view there is.
std::vector<TRegView> MachineViews();
// Points HKEY_LOCAL_MACHINE of each view at a key of a test's own (nullptr: the real view).
void SetSysInfoViewRoots(HKEY view64, HKEY view32);

// Characters the ANSI code page lacks become its default character ("?") rather than a
// look-alike.
std::string AnsiText(const wchar_t* text, size_t length);

// A registry name as it is stored and as it is shown: on the NT family the wide name, which
// opens the key again, and its ANSI form; on the 9x family the name itself.
struct TRegName {
  std::string Text;
  std::wstring Wide;
  bool operator==(const TRegName& o) const { return Wide.empty() && o.Wide.empty() ? Text == o.Text : Wide == o.Wide; }
};
// A value read by its index, name and data in one call: nothing is read again by a converted
// name that may not name it.
struct TRegValue {
  TRegName Name;
  DWORD Type = REG_NONE;
  std::string Text;  // REG_SZ and REG_EXPAND_SZ data to its first zero, in ANSI; else empty
};

// A registry key opened for reading. Values are read at their real size and walked within the
// length returned; a value of the wrong type reads as absent.
class TSysKey {
 public:
  TSysKey() = default;
  // root is HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER (redirected by SysRoot) or an open key.
  TSysKey(HKEY root, const std::string& path, TRegView view = rvDefault) { Open(root, path, view); }
  TSysKey(const TSysKey& parent, const std::string& sub) { Open(parent, sub); }
  TSysKey(const TSysKey& parent, const TRegName& sub) { Open(parent, sub); }
  ~TSysKey() { Close(); }
  TSysKey(const TSysKey&) = delete;
  TSysKey& operator=(const TSysKey&) = delete;

  bool Open(HKEY root, const std::string& path, TRegView view = rvDefault);
  // A subkey, in the parent's view.
  bool Open(const TSysKey& parent, const std::string& sub);
  bool Open(const TSysKey& parent, const TRegName& sub);
  void Close();
  bool IsOpen() const { return static_cast<bool>(FKey); }
  HKEY Handle() const { return FKey.get(); }

  // Every name, however long: the buffers grow to what the system reports.
  std::vector<std::string> SubKeys() const;
  std::vector<std::string> ValueNames() const;
  // The same with the names as stored (the wide functions on the NT family).
  std::vector<TRegName> SubKeyNames() const;
  std::vector<TRegValue> Values() const;
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
  RegKeyHandle FKey;
  TRegView FView = rvDefault;
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
  BOOL(WINAPI* IsWow64Process)(HANDLE, PBOOL);
  BOOL(WINAPI* QueryFullProcessImageNameA)(HANDLE, DWORD, LPSTR, PDWORD);  // Vista
  // The registry's wide functions (advapi32): NT's, where 95 has stubs.
  LONG(WINAPI* RegOpenKeyExW)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
  LONG(WINAPI* RegEnumKeyExW)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD, PFILETIME);
  LONG(WINAPI* RegEnumValueW)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
  LONG(WINAPI* RegQueryInfoKeyW)(HKEY, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                 LPDWORD, LPDWORD, LPDWORD, PFILETIME);
  // The 9x family's BIOS area: up to max bytes at a physical address, stopping at a zero; empty
  // when the area cannot be read.
  std::string (*ReadBiosArea)(uint32_t address, size_t max);
};
TSysApi& SysApi();
// Looks every entry up again (after a test changed some).
void ResetSysApi();
