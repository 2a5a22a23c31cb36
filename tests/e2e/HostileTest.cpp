// The system information dialog on a registry that other programs, damaged installs or a hostile
// user could leave, in a 64-bit prefix where both registry views are real: names that look like
// the report's own lines, the longest legal names, control characters, wrong types, names with a
// NUL, Greek and Chinese names, a description of thousands of characters, printers, devices,
// shortcuts and environment variables of the same kinds. The dialog is opened once and refreshed
// once; the report is saved through the save dialog and read back with the system's INI
// functions. Everything planted is removed again (an interrupted run's at the next start).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <set>
#include "Driver.h"
#include "SysInfoFixtures.h"

using namespace e2e;

namespace {

constexpr REGSAM kView64 = 0x0100, kView32 = 0x0200;  // KEY_WOW64_64KEY, KEY_WOW64_32KEY
const wchar_t kBackupKey[] = L"Software\\VelmoraHostileBackup";
const char kCaption[] = "Velmora Advanced System Profiler";

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunOnce[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kClass[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";
const wchar_t kEnum[] = L"SYSTEM\\CurrentControlSet\\Enum\\";
const wchar_t kPrinters[] = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
const wchar_t kComputerGuid[] = L"{56454C4D-0000-4000-8000-0000000000A1}";
const wchar_t kDeviceGuid[] = L"{56454C4D-0000-4000-8000-0000000000A2}";
const wchar_t kMediaGuid[] = L"{56454C4D-0000-4000-8000-0000000000A3}";
const wchar_t kServerClsid[] = L"{56454C4D-0000-4000-8000-0000000000A4}";

const std::wstring kGreek = L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AE \x0395\x03C6\x03B1\x03C1\x03BC\x03BF\x03B3\x03AE";
const std::wstring kChinese = L"\x4E2D\x6587\x7A0B\x5E8F";
const std::wstring kLongValueName = L"HostileLong" + std::wstring(16383 - 11, L'L');  // the longest legal
const std::wstring kLongKeyName = L"HostileKey" + std::wstring(255 - 10, L'K');       // the longest legal
const std::string kLongDescription = std::string(2990, 'D') + " [Forged]=";            // 3,000 characters
const std::string kMidDescription = std::string(290, 'M') + "\\/:*?\"<>|.";            // 300 characters

std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// The native calls that make and remove a key whose name holds a NUL.
struct TUnicodeString {
  USHORT Length, MaximumLength;
  PWSTR Buffer;
};
struct TObjectAttributes {
  ULONG Length;
  HANDLE RootDirectory;
  TUnicodeString* ObjectName;
  ULONG Attributes;
  PVOID SecurityDescriptor, SecurityQualityOfService;
};
using NtCreateKeyFn = LONG(WINAPI*)(PHANDLE, ACCESS_MASK, TObjectAttributes*, ULONG, TUnicodeString*, ULONG, PULONG);
using NtOpenKeyFn = LONG(WINAPI*)(PHANDLE, ACCESS_MASK, TObjectAttributes*);
using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
template <class F>
F Native(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// What the test writes into the prefix, each step noted in a backup key first, so that undoing
// it (now or after an interrupted run) restores what was there: values overwritten, values and
// keys added.
class TPlanted {
 public:
  bool Ok = true;
  // The steps are numbered on from those noted already.
  TPlanted() {
    HKEY backup;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, KEY_READ, &backup) != ERROR_SUCCESS) return;
    RegQueryInfoKeyW(backup, nullptr, nullptr, nullptr, &FSteps, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(backup);
  }

  void Value(HKEY root, REGSAM view, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY k = Create(root, view, key);
    if (!k) return;
    // What the value was, to be put back.
    std::vector<BYTE> old(1 << 16);
    DWORD oldType = 0, oldSize = static_cast<DWORD>(old.size());
    const bool existed = RegQueryValueExW(k, name.c_str(), nullptr, &oldType, old.data(), &oldSize) == ERROR_SUCCESS;
    Note(L"value", root, view, key, name, existed, oldType, old.data(), existed ? oldSize : 0);
    if (RegSetValueExW(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS) Fail("value " + Narrow(name));
    RegCloseKey(k);
  }
  void Text(HKEY root, REGSAM view, const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    Value(root, view, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void Dword(HKEY root, REGSAM view, const std::wstring& key, const std::wstring& name, DWORD v) {
    Value(root, view, key, name, REG_DWORD, &v, sizeof v);
  }
  // Both views of the machine's software keys.
  void Text2(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    Text(HKEY_LOCAL_MACHINE, kView64, key, name, text);
    Text(HKEY_LOCAL_MACHINE, kView32, key, name, text);
  }
  void Dword2(const std::wstring& key, const std::wstring& name, DWORD v) {
    Dword(HKEY_LOCAL_MACHINE, kView64, key, name, v);
    Dword(HKEY_LOCAL_MACHINE, kView32, key, name, v);
  }
  // A subkey named with a NUL in it (legal in the registry, out of reach of the Win32 names),
  // with one text value.
  void NulKey(REGSAM view, const std::wstring& parent, const std::wstring& name, const std::wstring& valueName,
              const std::wstring& text) {
    HKEY p = Create(HKEY_LOCAL_MACHINE, view, parent);
    auto create = Native<NtCreateKeyFn>("NtCreateKey");
    if (!p || !create) return Fail("a key with a NUL");
    Note(L"nulkey", HKEY_LOCAL_MACHINE, view, parent, name, false, 0, nullptr, 0);
    std::wstring copy = name;
    TUnicodeString us{static_cast<USHORT>(copy.size() * sizeof(wchar_t)), static_cast<USHORT>(copy.size() * sizeof(wchar_t)), copy.data()};
    TObjectAttributes oa{sizeof oa, p, &us, 0x40 /* OBJ_CASE_INSENSITIVE */, nullptr, nullptr};
    HANDLE k = nullptr;
    if (create(&k, KEY_ALL_ACCESS | view, &oa, 0, nullptr, 0, nullptr) != 0 || !k) {
      RegCloseKey(p);
      return Fail("a key with a NUL");
    }
    RegSetValueExW(static_cast<HKEY>(k), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(static_cast<HKEY>(k));
    RegCloseKey(p);
  }

  // Puts back, in reverse order, everything the backup key notes, and forgets it.
  static void Undo() {
    HKEY backup;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, KEY_ALL_ACCESS, &backup) != ERROR_SUCCESS) return;
    DWORD count = 0;
    RegQueryInfoKeyW(backup, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    for (DWORD i = count; i-- > 0;) {
      const std::wstring step = std::to_wstring(i);
      HKEY s;
      if (RegOpenKeyExW(backup, step.c_str(), 0, KEY_READ, &s) != ERROR_SUCCESS) continue;
      const std::wstring kind = ReadText(s, L"Kind"), key = ReadText(s, L"Key");
      const std::vector<BYTE> nameBytes = ReadBytes(s, L"Name"), old = ReadBytes(s, L"Data");
      const std::wstring name(reinterpret_cast<const wchar_t*>(nameBytes.data()), nameBytes.size() / sizeof(wchar_t));
      const DWORD root = ReadDword(s, L"Root"), view = ReadDword(s, L"View"), existed = ReadDword(s, L"Existed"),
                  type = ReadDword(s, L"Type");
      RegCloseKey(s);
      const HKEY r = root ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
      if (kind == L"key") {
        DeleteTree(r, view, key);
      } else if (kind == L"nulkey") {
        DeleteNulKey(view, key, name);
      } else {
        HKEY k;
        if (RegOpenKeyExW(r, key.c_str(), 0, KEY_ALL_ACCESS | view, &k) != ERROR_SUCCESS) continue;
        if (existed)
          RegSetValueExW(k, name.c_str(), 0, type, old.data(), static_cast<DWORD>(old.size()));
        else
          RegDeleteValueW(k, name.c_str());
        RegCloseKey(k);
      }
    }
    RegCloseKey(backup);
    DeleteTree(HKEY_CURRENT_USER, 0, kBackupKey);
  }

 private:
  void Fail(const std::string& what) {
    Ok = false;
    std::printf("  could not plant %s\n", what.c_str());
  }

  // The key, made with what of its path is missing (noted, to go again as a whole).
  HKEY Create(HKEY root, REGSAM view, const std::wstring& key) {
    size_t at = 0;
    for (;;) {
      const size_t cut = key.find(L'\\', at);
      const std::wstring prefix = key.substr(0, cut);
      HKEY k;
      if (RegOpenKeyExW(root, prefix.c_str(), 0, KEY_READ | view, &k) == ERROR_SUCCESS) {
        RegCloseKey(k);
      } else {
        Note(L"key", root, view, prefix, L"", false, 0, nullptr, 0);
        break;
      }
      if (cut == std::wstring::npos) break;
      at = cut + 1;
    }
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &k, nullptr) != ERROR_SUCCESS) {
      Fail("key " + Narrow(key));
      return nullptr;
    }
    return k;
  }

  void Note(const wchar_t* kind, HKEY root, REGSAM view, const std::wstring& key, const std::wstring& name, bool existed, DWORD type,
            const BYTE* data, DWORD size) {
    HKEY backup, s;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr) != ERROR_SUCCESS) {
      Fail("the backup");
      return;
    }
    if (RegCreateKeyExW(backup, std::to_wstring(FSteps++).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &s, nullptr) == ERROR_SUCCESS) {
      auto text = [&](const wchar_t* n, const std::wstring& v) {
        RegSetValueExW(s, n, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
      };
      auto dword = [&](const wchar_t* n, DWORD v) { RegSetValueExW(s, n, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v); };
      text(L"Kind", kind);
      text(L"Key", key);
      RegSetValueExW(s, L"Name", 0, REG_BINARY, reinterpret_cast<const BYTE*>(name.data()), static_cast<DWORD>(name.size() * sizeof(wchar_t)));
      RegSetValueExW(s, L"Data", 0, REG_BINARY, data, size);
      dword(L"Root", root == HKEY_CURRENT_USER ? 1 : 0);
      dword(L"View", view);
      dword(L"Existed", existed);
      dword(L"Type", type);
      RegCloseKey(s);
    }
    RegCloseKey(backup);
  }

  static std::wstring ReadText(HKEY k, const wchar_t* name) {
    std::vector<BYTE> b = ReadBytes(k, name);
    std::wstring s(reinterpret_cast<const wchar_t*>(b.data()), b.size() / sizeof(wchar_t));
    while (!s.empty() && s.back() == 0) s.pop_back();
    return s;
  }
  static std::vector<BYTE> ReadBytes(HKEY k, const wchar_t* name) {
    DWORD size = 0;
    RegQueryValueExW(k, name, nullptr, nullptr, nullptr, &size);
    std::vector<BYTE> b(size);
    if (size && RegQueryValueExW(k, name, nullptr, nullptr, b.data(), &size) != ERROR_SUCCESS) b.clear();
    return b;
  }
  static DWORD ReadDword(HKEY k, const wchar_t* name) {
    DWORD v = 0, size = sizeof v;
    RegQueryValueExW(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
    return v;
  }
  static void DeleteTree(HKEY root, REGSAM view, const std::wstring& key) {
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS | view, &k) == ERROR_SUCCESS) {
      std::vector<std::wstring> subs;
      std::vector<wchar_t> name(512);
      for (DWORD i = 0;; ++i) {
        DWORD n = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(k, i, name.data(), &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subs.emplace_back(name.data(), n);
      }
      RegCloseKey(k);
      for (const std::wstring& sub : subs) DeleteTree(root, view, key + L"\\" + sub);
    }
    using DeleteKeyExW = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    auto deleteEx = reinterpret_cast<DeleteKeyExW>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExW")));
    if (deleteEx && view)
      deleteEx(root, key.c_str(), view, 0);
    else
      RegDeleteKeyW(root, key.c_str());
  }
  static void DeleteNulKey(REGSAM view, const std::wstring& parent, const std::wstring& name) {
    HKEY p;
    auto open = Native<NtOpenKeyFn>("NtOpenKey");
    auto remove = Native<NtDeleteKeyFn>("NtDeleteKey");
    if (!open || !remove || RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent.c_str(), 0, KEY_ALL_ACCESS | view, &p) != ERROR_SUCCESS) return;
    std::wstring copy = name;
    TUnicodeString us{static_cast<USHORT>(copy.size() * sizeof(wchar_t)), static_cast<USHORT>(copy.size() * sizeof(wchar_t)), copy.data()};
    TObjectAttributes oa{sizeof oa, p, &us, 0x40, nullptr, nullptr};
    HANDLE k = nullptr;
    if (open(&k, KEY_ALL_ACCESS | view, &oa) == 0 && k) {
      remove(k);
      RegCloseKey(static_cast<HKEY>(k));
    }
    RegCloseKey(p);
  }

  DWORD FSteps = 0;
};

// Every box the program shows (other than the save dialog) is noted and answered, from a thread
// of its own: a box raised while gathering holds the gathering until it is answered.
class TBoxWatcher {
 public:
  explicit TBoxWatcher(DWORD pid) : FPid(pid) {
    InitializeCriticalSection(&FLock);
    FThread = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
  }
  ~TBoxWatcher() {
    FStop = true;
    WaitForSingleObject(FThread, INFINITE);
    CloseHandle(FThread);
    DeleteCriticalSection(&FLock);
  }
  std::vector<std::string> Boxes() {
    EnterCriticalSection(&FLock);
    std::vector<std::string> copy = FBoxes;
    LeaveCriticalSection(&FLock);
    return copy;
  }

 private:
  static DWORD WINAPI Watch(void* self) {
    auto* w = static_cast<TBoxWatcher*>(self);
    while (!w->FStop) {
      for (HWND box : TopWindows(w->FPid, "#32770")) {
        if (!IsWindowVisible(box) || WindowText(box) == "Save As") continue;
        const std::string seen = WindowText(box) + ": " + ControlText(GetDlgItem(box, 0xFFFF)).substr(0, 200);
        EnterCriticalSection(&w->FLock);
        w->FBoxes.push_back(seen);
        LeaveCriticalSection(&w->FLock);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindowVisible(box); }, 5000);
      }
      Sleep(100);
    }
    return 0;
  }
  DWORD FPid;
  std::atomic<bool> FStop{false};
  CRITICAL_SECTION FLock;
  std::vector<std::string> FBoxes;
  HANDLE FThread = nullptr;
};

// What one run saw, for the checks below.
struct TSeen {
  bool Wow64 = false, Planted = false, Opened = false, Alive = false;
  double OpenSeconds = 0, RefreshSeconds = 0;
  std::vector<std::string> Boxes;
  std::string Report, LongTopicName, MidTopicName, MachineTopic, MachineTab;
  std::vector<std::string> StartupRows, Software;
  bool MarkerLeft = false;
};
TSeen gSeen;

std::string Marker() { return ExeDir() + "hostile-local-server.marker"; }

void Plant(TPlanted& p) {
  // Startup: names that look like the report's own lines, the longest name, control characters,
  // a wrong type, Greek and Chinese, entries of each registry view and of both.
  const std::pair<std::wstring, std::wstring> run64[] = {
      {L"[HostileForged]", L"forged.exe"},   {L"Count", L"999"},
      {L"Key=HostileForged", L"key.exe"},    {L";HostileComment", L"comment.exe"},
      {L"%HostilePercent%", L"percent.exe"}, {L" HostilePadded ", L"padded.exe"},
      {L"", L"default.exe"},                 {L"HostileTab\tName", L"tab.exe"},
      {L"HostileLine\r\n[HostileInjected]", L"line.exe"}, {kLongValueName, L"long.exe"},
      {kGreek, L"C:\\" + kGreek + L"\\app.exe"},          {kChinese, L"C:\\" + kChinese + L"\\app.exe"},
      {L"HostileBoth", L"both64.exe"}};
  for (const auto& [name, command] : run64) p.Text(HKEY_LOCAL_MACHINE, kView64, kRun, name, command);
  p.Dword(HKEY_LOCAL_MACHINE, kView64, kRun, L"HostileDword", 5);
  p.Text(HKEY_LOCAL_MACHINE, kView32, kRun, L"HostileView32", L"view32.exe");
  p.Text(HKEY_LOCAL_MACHINE, kView32, kRun, L"HostileBoth", L"both32.exe");
  p.Text(HKEY_LOCAL_MACHINE, kView32, kRun, L"Hostile32=Forged", L"forged32.exe");
  p.Text(HKEY_CURRENT_USER, 0, kRun, L"[HostileUser]", L"user.exe");
  p.Text(HKEY_CURRENT_USER, 0, kRun, L"Count", L"user999.exe");
  p.Text(HKEY_CURRENT_USER, 0, kRunOnce, L"HostileOnce", L"once-user.exe");
  p.Text(HKEY_LOCAL_MACHINE, kView64, kRunOnce, L"HostileOnce", L"once-machine.exe");

  // Installed software: the longest key name, a NUL in a name beside its namesake, Chinese, a
  // display name of the wrong type, a name that looks like a report line, the 32-bit view.
  p.Text(HKEY_LOCAL_MACHINE, kView64, kUninstall + std::wstring(L"HostileApp"), L"DisplayName", L"Hostile [App]=1");
  p.Text(HKEY_LOCAL_MACHINE, kView64, kUninstall + kLongKeyName, L"DisplayName", L"Hostile Longest Key Name");
  p.Text(HKEY_LOCAL_MACHINE, kView64, kUninstall + std::wstring(L"HostileNul"), L"DisplayName", L"Hostile Nul Namesake");
  p.NulKey(kView64, kUninstall, std::wstring(L"HostileNul\0Hidden", 17), L"DisplayName", L"Hostile Nul Hidden");
  p.Text(HKEY_LOCAL_MACHINE, kView64, kUninstall + kChinese, L"DisplayName", kChinese);
  p.Dword(HKEY_LOCAL_MACHINE, kView64, kUninstall + std::wstring(L"HostileWrongType"), L"DisplayName", 1);
  p.Text(HKEY_LOCAL_MACHINE, kView32, kUninstall + std::wstring(L"HostileApp32"), L"DisplayName", L"Hostile App 32");

  // The computer's description (a class of its own), and the media, whose instances include a
  // wrong type and a Greek name.
  p.Text(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kComputerGuid), L"Class", L"Computer");
  p.Text(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kComputerGuid) + L"\\0000", L"DriverDesc", Wide(kLongDescription));
  p.Text(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kMediaGuid), L"Class", L"MEDIA");
  p.Dword(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kMediaGuid) + L"\\0000", L"DriverDesc", 3);
  p.Text(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kMediaGuid) + L"\\0001", L"DriverDesc", L"Hostile Sound [Card]=1");
  p.Text(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kMediaGuid) + L"\\" + kGreek, L"DriverDesc", L"Hostile Greek Media");

  // Devices named as the report's sections, with brackets, twice the same, and without a name
  // of the right type; one under a Greek key of the root bus.
  p.Text(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kDeviceGuid), L"Class", L"HostileClass");
  const std::pair<std::wstring, std::wstring> devices[] = {{L"BRACKET", L"Hostile]Device"}, {L"SECTION", L"HKLM Run"},
                                                           {L"TWIN1", L"Hostile Twin"},     {L"TWIN2", L"Hostile Twin"},
                                                           {L"MACHINE", L"machine"}};
  for (const auto& [key, name] : devices) {
    const std::wstring dev = kEnum + std::wstring(L"HOSTILE\\") + key + L"\\0000";
    p.Text(HKEY_LOCAL_MACHINE, 0, dev, L"ClassGUID", kDeviceGuid);
    p.Text(HKEY_LOCAL_MACHINE, 0, dev, L"FriendlyName", name);
    p.Text(HKEY_LOCAL_MACHINE, 0, dev + L"\\Control", L"HostileMark", L"1");
  }
  const std::wstring wrong = kEnum + std::wstring(L"HOSTILE\\WRONGTYPE\\0000");
  p.Text(HKEY_LOCAL_MACHINE, 0, wrong, L"ClassGUID", kDeviceGuid);
  p.Dword(HKEY_LOCAL_MACHINE, 0, wrong, L"FriendlyName", 9);
  p.Dword(HKEY_LOCAL_MACHINE, 0, wrong, L"DeviceDesc", 9);
  p.Text(HKEY_LOCAL_MACHINE, 0, wrong + L"\\Control", L"HostileMark", L"1");
  const std::wstring greek = kEnum + std::wstring(L"ROOT\\") + kGreek + L"\\0000";
  p.Text(HKEY_LOCAL_MACHINE, 0, greek, L"ClassGUID", kDeviceGuid);
  p.Text(HKEY_LOCAL_MACHINE, 0, greek, L"DeviceDesc", L"Hostile Greek Device");
  p.Text(HKEY_LOCAL_MACHINE, 0, greek + L"\\Control", L"HostileMark", L"1");

  // Printers that look like a section and like a key.
  for (const wchar_t* name : {L"[HostileForgedPrinter]", L"HostilePrinter=1"}) {
    const std::wstring key = kPrinters + std::wstring(name);
    p.Text(HKEY_LOCAL_MACHINE, 0, key, L"Name", name);
    p.Text(HKEY_LOCAL_MACHINE, 0, key, L"Port", L"LPT1:");
    p.Text(HKEY_LOCAL_MACHINE, 0, key, L"Printer Driver", L"Generic / Text Only");
  }

  // DirectX: a driver and a synthesizer under Greek keys, a description of the wrong type.
  p.Text2(L"SOFTWARE\\Microsoft\\Direct3D\\Drivers\\" + kGreek, L"Description", L"Hostile Greek D3D");
  p.Dword2(L"SOFTWARE\\Microsoft\\Direct3D\\Drivers\\HostileWrongType", L"Description", 4);
  p.Text2(L"SOFTWARE\\Microsoft\\DirectMusic\\SoftwareSynths\\" + kGreek, L"Description", L"Hostile Greek Synth");

  // Wrong types where a text belongs: the registered owner, the BIOS, the engines' folder.
  p.Dword2(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"RegisteredOwner", 42);
  p.Dword2(L"SOFTWARE\\Borland\\Database Engine", L"DLLPATH", 7);
  p.Dword(HKEY_LOCAL_MACHINE, 0, L"HARDWARE\\DESCRIPTION\\System", L"SystemBiosVersion", 8);
  // The time zone in force, named by a number.
  TIME_ZONE_INFORMATION tz{};
  GetTimeZoneInformation(&tz);
  for (REGSAM view : {kView64, kView32}) {
    HKEY zones;
    const wchar_t kZones[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones";
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kZones, 0, KEY_READ | view, &zones) != ERROR_SUCCESS) continue;
    wchar_t name[256], standard[256];
    for (DWORD i = 0;; ++i) {
      DWORD n = 256;
      if (RegEnumKeyExW(zones, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      HKEY zone;
      if (RegOpenKeyExW(zones, name, 0, KEY_READ | view, &zone) != ERROR_SUCCESS) continue;
      DWORD size = sizeof standard;
      const bool match = RegQueryValueExW(zone, L"Std", nullptr, nullptr, reinterpret_cast<BYTE*>(standard), &size) == ERROR_SUCCESS &&
                         std::wstring(standard) == tz.StandardName;
      RegCloseKey(zone);
      if (match) p.Dword(HKEY_LOCAL_MACHINE, view, std::wstring(kZones) + L"\\" + name, L"Display", 11);
    }
    RegCloseKey(zones);
  }

  // A device where a version file is read: opening it would wait for the serial port.
  p.Text2(L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList", L"ODBC32.DLL", L"COM1");
  // An engine whose object lives only in a program of its own, which leaves a marker when it
  // is started.
  const std::wstring server = L"\"" + Wide(ExeDir()) +
                              L"e2e_tests.exe\" --gtest_filter=HostileHelper.DISABLED_LocalServer --gtest_also_run_disabled_tests";
  p.Text2(L"Software\\Classes\\DAO.DBEngine.36\\CLSID", L"", kServerClsid);
  p.Text2(L"Software\\Classes\\CLSID\\" + std::wstring(kServerClsid) + L"\\LocalServer32", L"", server);
}

// Environment variables that look like the report's lines, and one far longer than 4,096
// characters (and within the 32,767 a variable may hold); velmora.exe inherits them from this
// process.
constexpr size_t kLongEnv = 32000;
const std::pair<const char*, std::string> kEnvironment[] = {
    {"[HostileEnv]", "1"}, {";HostileEnv", "2"}, {"=HostileHidden", "3"}, {"HostileLongEnv", std::string(kLongEnv, 'E')}};

void RunHostile() {
  BOOL wow64 = FALSE;
  gSeen.Wow64 = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
  if (!gSeen.Wow64) return;
  DeleteFileA(Marker().c_str());
  TPlanted::Undo();  // an interrupted run's
  const std::string shortcut = fixtures::UserStartupFolder() + "\\[HostileShortcut].lnk";
  // Whatever ends the run, nothing planted stays.
  struct TCleanup {
    const std::string& Shortcut;
    ~TCleanup() {
      for (const auto& [name, value] : kEnvironment) SetEnvironmentVariableA(name, nullptr);
      DeleteFileA(Shortcut.c_str());
      TPlanted::Undo();
    }
  } cleanup{shortcut};
  TPlanted planted;
  Plant(planted);
  gSeen.Planted = planted.Ok && fixtures::WriteShortcut(shortcut, "C:\\windows\\notepad.exe", "/hostile");
  for (const auto& [name, value] : kEnvironment) gSeen.Planted = SetEnvironmentVariableA(name, value.c_str()) && gSeen.Planted;

  {
    Running run;
    run.Start();
    if (!run.main) return;
    const DWORD pid = run.p.pi.dwProcessId;
    TBoxWatcher boxes(pid);
    // Opened as a user opens it; the time until it shows is that of the whole gathering.
    HWND button = FindChild(run.main, "TFlatButton", "&System info...");
    const DWORD t0 = GetTickCount();
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    HWND dlg = FindTopWindow(pid, "TfrmKSI_Overview", kCaption, 180000);
    gSeen.Opened = dlg && WaitFor([&] { return IsWindowVisible(dlg); }, 180000) && Settle(dlg, 60000);
    gSeen.OpenSeconds = (GetTickCount() - t0) / 1000.0;
    if (gSeen.Opened) {
      HWND pages = FindChild(dlg, "TPageControl", nullptr);
      std::vector<HWND> sheets = Children(pages, "TTabSheet");
      gSeen.MachineTab = WindowText(sheets.at(0));
      // The lists as the dialog shows them: the machine's Run entries and the software.
      SelectTab(pages, 14);
      SelectTab(FindChild(sheets.at(14), "TTabControl", nullptr), 2);
      HWND startup = FindChild(sheets.at(14), "TListView", nullptr);
      std::vector<std::string> names = ListColumn(startup, 0, 20000), commands = ListColumn(startup, 1);
      for (size_t i = 0; i < names.size(); ++i) gSeen.StartupRows.push_back(names[i] + "=" + (i < commands.size() ? commands[i] : ""));
      SelectTab(pages, 15);
      gSeen.Software = ListColumn(FindChild(sheets.at(15), "TListView", nullptr), 0);

      const std::string all = ExeDir() + "hostile-report.txt", topic = ExeDir() + "hostile-machine.txt";
      DeleteFileA(all.c_str());
      DeleteFileA(topic.c_str());
      if (HWND save = ReportSaveDialog(pid, dlg, 0)) SaveAs(save, dlg, all);
      gSeen.Report = all;
      // The machine's own topic, under the description of 3,000 characters, then of 300.
      SelectTab(pages, 0);
      if (HWND save = ReportSaveDialog(pid, dlg, 1)) gSeen.LongTopicName = SaveAs(save, dlg, topic);
      gSeen.MachineTopic = ReadFile(topic);
      TPlanted more;
      more.Text(HKEY_LOCAL_MACHINE, 0, kClass + std::wstring(kComputerGuid) + L"\\0000", L"DriverDesc", Wide(kMidDescription));
      const DWORD t1 = GetTickCount();
      Send(FindChild(dlg, "TButton", "Re&fresh"), BM_CLICK, 0, 0, 180000);
      gSeen.RefreshSeconds = (GetTickCount() - t1) / 1000.0;
      SelectTab(pages, 0);
      if (HWND save = ReportSaveDialog(pid, dlg, 1)) gSeen.MidTopicName = SaveAs(save, dlg, topic, false);
    }
    gSeen.Alive = WaitForSingleObject(run.p.pi.hProcess, 0) == WAIT_TIMEOUT && Settle(run.main, 10000) && (!dlg || IsWindow(dlg));
    gSeen.Boxes = boxes.Boxes();
  }
  gSeen.MarkerLeft = GetFileAttributesA(Marker().c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The saved report as the system's INI functions read it.
std::vector<std::string> Strings(const std::vector<char>& buf, DWORD n) {
  std::vector<std::string> out;
  for (size_t i = 0; i < n && buf[i];) {
    out.emplace_back(buf.data() + i);
    i += out.back().size() + 1;
  }
  return out;
}
std::vector<std::string> SectionNames(const std::string& file) {
  for (size_t size = 1 << 16;; size *= 4) {
    std::vector<char> buf(size);
    const DWORD n = GetPrivateProfileSectionNamesA(buf.data(), static_cast<DWORD>(size), file.c_str());
    if (n + 2 < size) return Strings(buf, n);
  }
}
std::vector<std::string> SectionLines(const std::string& file, const std::string& section) {
  for (size_t size = 1 << 16;; size *= 4) {
    std::vector<char> buf(size);
    const DWORD n = GetPrivateProfileSectionA(section.c_str(), buf.data(), static_cast<DWORD>(size), file.c_str());
    if (n + 2 < size) return Strings(buf, n);
  }
}
std::map<std::string, std::string> Keys(const std::string& file, const std::string& section) {
  std::map<std::string, std::string> keys;
  for (const std::string& line : SectionLines(file, section)) {
    const size_t eq = line.find('=');
    keys[line.substr(0, eq)] = eq == std::string::npos ? std::string() : line.substr(eq + 1);
  }
  return keys;
}
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
int Count(const std::vector<std::string>& v, const std::string& s) { return static_cast<int>(std::count(v.begin(), v.end(), s)); }

class HostileRegistry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RunHostile(); }
  void SetUp() override {
    if (!gSeen.Wow64) GTEST_SKIP() << "not a 64-bit prefix";
    ASSERT_TRUE(gSeen.Planted);
    ASSERT_TRUE(gSeen.Opened) << "the dialog did not open within 3 minutes";
  }
  static const std::string& File() { return gSeen.Report; }
};

}  // namespace

// The program that a local server's registration names: it leaves its marker, to tell that it
// was started, and ends.
TEST(HostileHelper, DISABLED_LocalServer) {
  HANDLE h = CreateFileA(Marker().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

TEST_F(HostileRegistry, TheProgramLivesAndSavesItsReport) {
  std::printf("  opened in %.1f s, refreshed in %.1f s; %zu box(es)\n", gSeen.OpenSeconds, gSeen.RefreshSeconds, gSeen.Boxes.size());
  for (const std::string& box : gSeen.Boxes) std::printf("    %s\n", box.c_str());
  EXPECT_TRUE(gSeen.Alive);
  const std::string text = ReadFile(File());
  ASSERT_GT(text.size(), 20000u);
  // Every line a section's title or a key and a value, without control characters.
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "an unterminated last line";
    const std::string line = text.substr(start, end - start);
    for (char c : line) ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << line.substr(0, 200);
    EXPECT_TRUE((line.front() == '[' && line.back() == ']') || line.find('=') != std::string::npos) << line.substr(0, 200);
    start = end + 2;
  }
}

// Read with the system's INI functions: the program's sections and no other, each once; each key
// once in its section; the counts those of the entries.
TEST_F(HostileRegistry, TheReportHoldsOnlyTheProgramsSectionsAndEachKeyOnce) {
  static const std::set<std::string> own = {
      "MACHINE", "OPERATING SYSTEM", "NT SPECIFIC", "ENVIRONMENT", "FOLDERS", "TIME ZONE", "CPU", "CPU FEATURES", "CPU CACHE",
      "MEMORY", "DISPLAY", "VIDEO MODES", "CURVE CAPABILITIES", "LINE CAPABILITIES", "POLYGONAL CAPABILITIES",
      "RASTER CAPABILITIES", "TEXT CAPABILITIES", "ADVANCED POWER MANAGEMENT", "MEDIA", "SOUND", "NETWORK", "WINSOCK", "DEVICES",
      "ODBC", "BDE", "DAO", "ADO", "DIRECTX", "DIRECT3D", "DIRECTPLAY", "DIRECTMUSIC", "DISKS", "PROCESSES", "PRINTERS",
      "INSTALLED SOFTWARE", "USER STARTUP", "COMMON STARTUP", "HKLM RUN", "HKCU RUN", "RUN ONCE"};
  const std::vector<std::string> names = SectionNames(File());
  std::set<std::string> seen;
  size_t devices = 0;
  bool inDevices = false;
  for (const std::string& name : names) {
    const std::string upper = Upper(name);
    EXPECT_TRUE(seen.insert(upper).second) << "[" << name << "] twice";
    if (upper == "DEVICES") inDevices = true;
    if (upper == "ODBC") inDevices = false;
    const bool disk = upper.size() >= 6 && upper.compare(0, 4, "DISK") == 0 && upper[5] == ':';
    if (inDevices && upper != "DEVICES")
      ++devices;
    else
      EXPECT_TRUE(own.count(upper) || disk) << "[" << name << "] is not a section of the program";
  }
  for (const char* forged : {"HOSTILEFORGED", "HOSTILEINJECTED", "HOSTILEUSER", "HOSTILEFORGEDPRINTER", "HOSTILESHORTCUT", "HOSTILEENV"})
    EXPECT_FALSE(seen.count(forged)) << "[" << forged << "] forged";
  for (const std::string& title : own) EXPECT_TRUE(seen.count(title)) << "[" << title << "] missing";
  EXPECT_EQ(Keys(File(), "Devices")["Count"], std::to_string(devices));

  for (const std::string& name : names) {
    const std::vector<std::string> lines = SectionLines(File(), name);
    std::set<std::string> keys;
    for (const std::string& line : lines) EXPECT_TRUE(keys.insert(Upper(line.substr(0, line.find('=')))).second) << "[" << name << "] " << line.substr(0, 100);
  }
  for (const char* section : {"HKLM Run", "HKCU Run", "Run Once", "User Startup", "Printers"}) {
    std::map<std::string, std::string> keys = Keys(File(), section);
    EXPECT_EQ(keys["Count"], std::to_string(keys.size() - 1)) << section;
  }
}

// Names that could be taken for the report's structure are written by the one rule; the others
// as they are; each value under its own key.
TEST_F(HostileRegistry, NamesFromOutsideAreWrittenByTheOneRule) {
  std::map<std::string, std::string> run = Keys(File(), "HKLM Run");
  const std::pair<std::string, std::string> machine[] = {
      {"%%5BHostileForged%5D", "forged.exe"},      {"%Count", "999"},
      {"%Key%3DHostileForged", "key.exe"},         {"%%3BHostileComment", "comment.exe"},
      {"%%25HostilePercent%25", "percent.exe"},    {"%%20HostilePadded%20", "padded.exe"},
      {"%", "default.exe"},                        {"HostileTab Name", "tab.exe"},
      {"%HostileLine  %5BHostileInjected%5D", "line.exe"}, {Narrow(kLongValueName), "long.exe"},
      {"HostileView32", "view32.exe"},             {"%Hostile32%3DForged", "forged32.exe"},
      {"HostileDword", ""}};
  for (const auto& [key, value] : machine) EXPECT_EQ(run.count(key) ? run[key] : "<missing>", value) << key.substr(0, 60);
  std::map<std::string, std::string> user = Keys(File(), "HKCU Run");
  EXPECT_EQ(user["%%5BHostileUser%5D"], "user.exe");
  EXPECT_EQ(user["%Count"], "user999.exe");
  std::map<std::string, std::string> once = Keys(File(), "Run Once");
  EXPECT_EQ(once["HostileOnce"], "once-user.exe");
  EXPECT_EQ(once["%HostileOnce#2"], "once-machine.exe");
  std::map<std::string, std::string> printers = Keys(File(), "Printers");
  EXPECT_TRUE(printers.count("%%5BHostileForgedPrinter%5D on LPT1:"));
  EXPECT_TRUE(printers.count("%HostilePrinter%3D1 on LPT1:"));
  const std::vector<std::string> names = SectionNames(File());
  for (const char* device : {"%Hostile%5DDevice", "%HKLM Run", "Hostile Twin", "%Hostile Twin#2", "%machine", "%"})
    EXPECT_EQ(Count(names, device), 1) << device;
  EXPECT_EQ(Keys(File(), "User Startup")["%%5BHostileShortcut%5D"], "C:\\windows\\notepad.exe /hostile");
  EXPECT_EQ(Keys(File(), "Machine")["Computer"], kLongDescription);
  const std::vector<std::string> software = SectionLines(File(), "Installed Software");
  for (const char* name : {"Hostile [App]=1", "Hostile Longest Key Name", "Hostile App 32"})
    EXPECT_EQ(std::count_if(software.begin(), software.end(),
                            [&](const std::string& l) { return l.substr(l.find('=') + 1) == name; }),
              1)
        << name;
}

// The dialog lists the names as they are.
TEST_F(HostileRegistry, TheDialogListsThePlantedEntries) {
  for (const std::string row : {"[HostileForged]=forged.exe", "Count=999", "Key=HostileForged=key.exe", " HostilePadded =padded.exe",
                                "HostileTab Name=tab.exe", "HostileLine  [HostileInjected]=line.exe", "HostileView32=view32.exe"})
    EXPECT_EQ(Count(gSeen.StartupRows, row), 1) << row;
  EXPECT_EQ(Count(gSeen.StartupRows, Narrow(kLongValueName) + "=long.exe"), 1);
  for (const char* name : {"Hostile [App]=1", "Hostile Longest Key Name", "Hostile App 32"}) EXPECT_EQ(Count(gSeen.Software, name), 1) << name;
}

// The description of 3,000 characters: a shortened tab, a file name Windows can hold (it made
// the save dialog overrun), the whole text in the report; then one of 300.
TEST_F(HostileRegistry, CaptionsAndProposedFileNamesAreBounded) {
  EXPECT_EQ(gSeen.MachineTab.substr(0, 4), " DDD");
  EXPECT_EQ(gSeen.MachineTab.substr(gSeen.MachineTab.size() - 4), "... ");
  EXPECT_LT(gSeen.MachineTab.size(), 40u);
  EXPECT_EQ(gSeen.LongTopicName, std::string(60, 'D') + ".txt");
  EXPECT_EQ(gSeen.MachineTopic.substr(0, 11), "[Machine]\r\n");
  EXPECT_NE(gSeen.MachineTopic.find("\r\nComputer=" + kLongDescription + "\r\n"), std::string::npos);
  EXPECT_EQ(gSeen.MidTopicName, std::string(60, 'M') + ".txt");
}

TEST_F(HostileRegistry, NoBoxAppearsAndTheGatheringEndsWithinABound) {
  for (const std::string& box : gSeen.Boxes) ADD_FAILURE() << "a box: " << box;
  EXPECT_LT(gSeen.OpenSeconds, 20.0);
  EXPECT_LT(gSeen.RefreshSeconds, 20.0);
}

TEST_F(HostileRegistry, NoProgramIsStarted) {
  EXPECT_FALSE(gSeen.MarkerLeft);
}

// A wrong type costs the value alone; the environment is read whole; names are read as they are
// stored, in both views, and shown in the code page without look-alikes.
TEST_F(HostileRegistry, NothingIsLostAndNothingInvented) {
  // The variables that look like the report's lines come after the long one, or beyond the
  // first 4,096 characters of the block.
  std::map<std::string, std::string> env = Keys(File(), "Environment");
  EXPECT_EQ(env["%%5BHostileEnv%5D"], "1");
  EXPECT_EQ(env["%%3BHostileEnv"], "2");
  EXPECT_EQ(env["%%3DHostileHidden"], "3");
  EXPECT_EQ(env["HostileLongEnv"].size(), kLongEnv);
  for (const char* name : {"PATH", "SystemRoot"}) EXPECT_TRUE(env.count(name) || env.count(Upper(name))) << name;
  std::map<std::string, std::string> folders = Keys(File(), "Folders");
  EXPECT_FALSE(folders["ProgramFiles"].empty());
  EXPECT_FALSE(folders["CommonFiles"].empty());
  EXPECT_TRUE(Keys(File(), "Time Zone").count("TimeZone"));
  EXPECT_EQ(Keys(File(), "Operating System")["RegUser"], "");
  const std::vector<std::string> media = SectionLines(File(), "Media");
  for (const char* name : {"Hostile Sound [Card]=1", "Hostile Greek Media"})
    EXPECT_EQ(std::count_if(media.begin(), media.end(), [&](const std::string& l) { return l.substr(l.find('=') + 1) == name; }), 1)
        << name;
  for (const char* list : {"Direct3D", "DirectMusic"}) {
    const std::vector<std::string> lines = SectionLines(File(), list);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("Hostile Greek") != std::string::npos; }), 1)
        << list;
  }
  EXPECT_EQ(Count(SectionNames(File()), "Hostile Greek Device"), 1);
  const std::vector<std::string> software = SectionLines(File(), "Installed Software");
  for (const std::string& name : {std::string("Hostile Nul Hidden"), std::string("Hostile Nul Namesake"), Narrow(kChinese)})
    EXPECT_EQ(std::count_if(software.begin(), software.end(), [&](const std::string& l) { return l.substr(l.find('=') + 1) == name; }), 1)
        << name;
  // Both views: the entry of each is listed, the 32-bit one marked.
  std::map<std::string, std::string> run = Keys(File(), "HKLM Run");
  int both = 0;
  for (const auto& [key, value] : run) both += value == "both64.exe" || value == "both32.exe";
  EXPECT_EQ(both, 2);
  EXPECT_EQ(run["HostileBoth"], "both64.exe");
  // Greek and Chinese in the ANSI code page: a character it lacks is "?", never a look-alike.
  EXPECT_EQ(run[Narrow(kGreek)], "C:\\" + Narrow(kGreek) + "\\app.exe");
  EXPECT_EQ(run[Narrow(kChinese)], "C:\\" + Narrow(kChinese) + "\\app.exe");
}
