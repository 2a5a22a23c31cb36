// What the system-information categories share on Windows: the registry roots and the family
// they read (which tests point at fixtures and play), bounded registry reads, the class lookup,
// the failure box of a gathering, and the functions newer than Windows 95 and NT 4.0, looked up
// at run time.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
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
// The categories read names and text as the system stores them, wide, and convert them without
// look-alikes: on the NT family (with its wide functions).
bool SysInfoWide();

// The views of the registry that 64-bit Windows keeps for 64-bit and for 32-bit programs; a
// 32-bit program sees the 32-bit copy of the machine-wide software keys unless it asks.
enum TRegView { rvDefault, rv64, rv32 };
// The views the machine-wide Run, RunOnce and Uninstall keys are read in: on 64-bit Windows
// (this 32-bit process under WoW64, asked of IsWow64Process) the 64-bit and then the 32-bit one;
// elsewhere, where the view bits may be refused, the one view there is.
std::vector<TRegView> MachineViews();
// Points HKEY_LOCAL_MACHINE of each view at a key of a test's own (nullptr: the real view).
void SetSysInfoViewRoots(HKEY view64, HKEY view32);
// An entry of the 32-bit view that the 64-bit view lists under the same name too (both run) is
// listed again with this after its name, in the dialog and the report alike.
constexpr char k32BitMark[] = " (32-bit)";
// The name an entry of the 32-bit view is shown by, given the names the 64-bit view showed.
std::string ShownFor32BitView(const std::string& name, const std::vector<std::string>& shown64);

// Characters the ANSI code page lacks become its default character ("?") rather than a
// look-alike.
std::string AnsiText(const wchar_t* text, size_t length);
std::string AnsiText(const std::wstring& text);

// A name or text from the registry or the system as it is stored and as it is shown: on the NT
// family the wide text, which opens the key or the file again, and its ANSI form; on the 9x
// family the text itself. A key name may hold any character, a zero too.
struct TRegName {
  std::string Text;
  std::wstring Wide;
  bool operator==(const TRegName& o) const { return Wide.empty() && o.Wide.empty() ? Text == o.Text : Wide == o.Wide; }
  bool operator<(const TRegName& o) const { return Wide != o.Wide ? Wide < o.Wide : Text < o.Text; }
};
// A text the program made (a path put together from parts) in the form of the family the
// categories read as: wide on the NT family.
TRegName SysText(const std::string& ansi);
TRegName SysText(const std::wstring& wide);
// A text the system gave in one of the two forms, kept as it came.
TRegName StoredText(const std::string& text);
TRegName StoredText(const std::wstring& text);

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
  // By the name as stored: on the NT family the wide name, with its length (a name holding a
  // zero opens that key, not its namesake up to the zero).
  bool Open(const TSysKey& parent, const TRegName& sub);
  void Close();
  bool IsOpen() const { return static_cast<bool>(FKey); }
  HKEY Handle() const { return FKey.get(); }
  // Whether both are open on the one key of the registry (the two views of a key that 64-bit
  // Windows shares, or a system with one view); false when the system cannot tell.
  bool SameKey(const TSysKey& other) const;

  // Every name as stored (the wide functions on the NT family), however long: the buffers grow
  // to what the system reports.
  std::vector<TRegName> SubKeyNames() const;
  std::vector<TRegValue> Values() const;
  bool HasSubKey(const std::string& name) const;
  bool HasValue(const std::string& name) const;
  // The bytes as stored (strings with what terminators they have, in ANSI); false when missing
  // or larger than any value a key should hold.
  bool ReadRaw(const std::string& name, std::vector<char>& data, DWORD* type = nullptr) const;
  // REG_SZ or REG_EXPAND_SZ to its first zero, read as wide text on the NT family; false when
  // missing or of another type.
  bool ReadText(const std::string& name, std::string& text) const;
  bool ReadStored(const std::string& name, TRegName& text) const;
  // The same, empty when missing or of another type.
  std::string Text(const std::string& name) const;
  // The strings of a REG_MULTI_SZ (or the one of a REG_SZ or REG_EXPAND_SZ), read as wide text on
  // the NT family; binary data (REG_BINARY, REG_NONE) as the 8-bit strings it holds. False when
  // missing or of another type.
  bool ReadStrings(const std::string& name, std::vector<std::string>& strings) const;
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

// The machine's key of a path in each of MachineViews() that opens, without a view that is the
// same key as an earlier one (a key 64-bit Windows shares, or a system with one view).
struct TViewKey {
  TRegView View;
  std::unique_ptr<TSysKey> Key;
};
std::vector<TViewKey> OpenMachineViews(const std::string& path);

// The file-system path of a shell folder (CSIDL) as stored, empty for a folder that has none.
TRegName ShellFolder(int csidl);
// A value of WIN.INI (which NT keeps in the registry) as stored, however long; empty when
// missing.
TRegName ProfileText(const char* section, const char* key);

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

// Whether a path from the registry or the system may be handed to a file function: it passes
// the path rule (IsDiskFilePath) and the system says it is a regular file (not a folder, a
// device, a link that could lead anywhere, or a file kept offline). A bare file name is looked
// for as the system's loader would; file is the path to use then.
bool DiskFileToRead(const TRegName& path, TRegName& file);
bool IsDiskFile(const TRegName& path);
// The same for a folder that is listed: the path rule, and a folder that is no device.
bool IsDiskFolder(const TRegName& path);

// An object of a class that has an in-process server, asked for as an in-process server only:
// gathering never starts a program. Refused (E_ACCESSDENIED) unless the server of the class,
// and of each class it is treated as, is a disk file (InProcServerIsDiskFile).
HRESULT CreateInProcess(REFCLSID clsid, REFIID iid, void** object);
// The class (and each class it is treated as) has an in-process server in the classes root, as
// the object system reads it, that passes DiskFileToRead.
bool InProcServerIsDiskFile(REFCLSID clsid);

// Work on a thread of its own, started at once and waited for within a bound: the calls that
// wait on the network or on another program (name resolution, NetBIOS, print servers) cannot
// hold the gathering longer. Work that has not ended in time ends on its own later, and what
// it made is dropped; it must own everything it uses.
class TBoundedWork {
 public:
  explicit TBoundedWork(std::function<void()> work);
  ~TBoundedWork();
  TBoundedWork(const TBoundedWork&) = delete;
  TBoundedWork& operator=(const TBoundedWork&) = delete;
  // Waits at most timeoutMs from now; true when the work ended in time without failing.
  bool Wait(unsigned timeoutMs);
  struct TJob;

 private:
  TJob* FJob;
  KernelHandle FThread;
};
// Starts work and waits for it: false when it did not end in time, failed or could not start.
bool RunBounded(unsigned timeoutMs, std::function<void()> work);
template <class R>
bool RunBounded(unsigned timeoutMs, std::function<R()> work, R& result) {
  auto slot = std::make_shared<R>();
  if (!RunBounded(timeoutMs, [slot, work = std::move(work)] { *slot = work(); })) return false;
  result = std::move(*slot);
  return true;
}

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

// Owns one reference to a COM interface and releases it however the scope ends.
template <class I>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  TComPtr(TComPtr&& o) noexcept : FPtr(o.FPtr) { o.FPtr = nullptr; }
  TComPtr& operator=(TComPtr&& o) noexcept {
    if (this != &o) {
      reset();
      FPtr = o.FPtr;
      o.FPtr = nullptr;
    }
    return *this;
  }
  I* get() const { return FPtr; }
  I* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  // Where a call puts a new reference; the one held before is released first.
  I** put() {
    reset();
    return &FPtr;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (FPtr) FPtr->Release();
    FPtr = nullptr;
  }

 private:
  I* FPtr = nullptr;
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
struct TProcessEntry32W {
  DWORD dwSize, cntUsage, th32ProcessID;
  ULONG_PTR th32DefaultHeapID;
  DWORD th32ModuleID, cntThreads, th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  WCHAR szExeFile[MAX_PATH];
};
// The kernel's counted names and object attributes (ntdll).
struct TCountedName {
  USHORT Length, MaximumLength;  // in bytes
  PWSTR Buffer;
};
struct TObjectAttributes {
  ULONG Length;
  HANDLE RootDirectory;
  TCountedName* ObjectName;
  ULONG Attributes;
  PVOID SecurityDescriptor, SecurityQualityOfService;
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
  // The wide functions: NT's, where 95 has stubs or none.
  LONG(WINAPI* RegOpenKeyExW)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
  LONG(WINAPI* RegEnumKeyExW)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD, PFILETIME);
  LONG(WINAPI* RegEnumValueW)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
  LONG(WINAPI* RegQueryInfoKeyW)(HKEY, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                 LPDWORD, LPDWORD, LPDWORD, PFILETIME);
  LONG(WINAPI* RegQueryValueExW)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
  LONG(WINAPI* NtOpenKey)(PHANDLE, ACCESS_MASK, TObjectAttributes*);
  LONG(WINAPI* NtQueryKey)(HANDLE, int, PVOID, ULONG, PULONG);
  DWORD(WINAPI* GetFileAttributesW)(LPCWSTR);
  DWORD(WINAPI* GetShortPathNameW)(LPCWSTR, LPWSTR, DWORD);
  DWORD(WINAPI* SearchPathW)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPWSTR, LPWSTR*);
  DWORD(WINAPI* ExpandEnvironmentStringsW)(LPCWSTR, LPWSTR, DWORD);
  LPWCH(WINAPI* GetEnvironmentStringsW)();
  BOOL(WINAPI* FreeEnvironmentStringsW)(LPWCH);
  BOOL(WINAPI* GetComputerNameW)(LPWSTR, LPDWORD);
  BOOL(WINAPI* GetUserNameW)(LPWSTR, LPDWORD);
  BOOL(WINAPI* Process32FirstW)(HANDLE, TProcessEntry32W*);
  BOOL(WINAPI* Process32NextW)(HANDLE, TProcessEntry32W*);
  BOOL(WINAPI* QueryFullProcessImageNameW)(HANDLE, DWORD, LPWSTR, PDWORD);  // Vista
  DWORD(WINAPI* GetModuleFileNameExW)(HANDLE, HMODULE, LPWSTR, DWORD);      // psapi
  BOOL(WINAPI* ShellExecuteExW)(SHELLEXECUTEINFOW*);
  BOOL(WINAPI* SHGetPathFromIDListW)(LPCITEMIDLIST, LPWSTR);
  UINT(WINAPI* GetWindowsDirectoryW)(LPWSTR, UINT);
  UINT(WINAPI* GetSystemDirectoryW)(LPWSTR, UINT);
  DWORD(WINAPI* GetTempPathW)(DWORD, LPWSTR);
  DWORD(WINAPI* GetProfileStringW)(LPCWSTR, LPCWSTR, LPCWSTR, LPWSTR, DWORD);
  HANDLE(WINAPI* FindFirstFileW)(LPCWSTR, WIN32_FIND_DATAW*);
  BOOL(WINAPI* FindNextFileW)(HANDLE, WIN32_FIND_DATAW*);
  BOOL(WINAPI* GetVolumeInformationW)(LPCWSTR, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD);
  // The 9x family's BIOS area: up to max bytes at a physical address, stopping at a zero; empty
  // when the area cannot be read.
  std::string (*ReadBiosArea)(uint32_t address, size_t max);
};
TSysApi& SysApi();
// Looks every entry up again (after a test changed some).
void ResetSysApi();
