// Startup programs of the running system: Run keys, Startup folders and WIN.INI.
#include "sysinfo/KSI_Startup.h"
#include <windows.h>
#include <shlobj.h>
#include <algorithm>
#include <cwchar>
#include <vector>
#include "framework/Handles.h"
#include "framework/TypeInfo.h"
#include "probes/OsKind.h"
#include "sysinfo/KSI_OS.h"
#include "sysinfo/SysInfoWin.h"

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

TRegName FolderPath(int csidl) {
  TRegName path = ShellFolder(csidl);
  if (!path.Text.empty() && path.Text.back() == '\\') path.Text.pop_back();
  if (!path.Wide.empty() && path.Wide.back() == L'\\') path.Wide.pop_back();
  return path;
}

// The shortcut's target and arguments as stored; empty when it cannot be read. Nothing is
// resolved: that could rewrite the file or start a search for a target that moved.
std::string ShortcutCommand(const TRegName& file) {
  if (!IsDiskFile(file)) return {};
  TComPtr<IPersistFile> persist;
  if (!file.Wide.empty()) {
    TComPtr<IShellLinkW> link;
    if (FAILED(CreateInProcess(CLSID_ShellLink, IID_IShellLinkW, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())) ||
        FAILED(persist->Load(file.Wide.c_str(), STGM_READ)))
      return {};
    WCHAR path[MAX_PATH + 1] = {};
    WCHAR args[1024] = {};
    if (FAILED(link->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY)) ||
        FAILED(link->GetArguments(args, 1023)))
      return {};
    return AnsiText(path, wcsnlen(path, MAX_PATH)) + " " + AnsiText(args, wcsnlen(args, 1023));
  }
  TComPtr<IShellLinkA> link;
  std::vector<WCHAR> wide(file.Text.size() + 1);
  if (FAILED(CreateInProcess(CLSID_ShellLink, IID_IShellLinkA, link.put_void())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())) ||
      MultiByteToWideChar(CP_ACP, 0, file.Text.c_str(), -1, wide.data(), static_cast<int>(wide.size())) <= 0 ||
      FAILED(persist->Load(wide.data(), STGM_READ)))
    return {};
  char path[MAX_PATH + 1] = {};
  char args[1024] = {};
  if (FAILED(link->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY)) ||
      FAILED(link->GetArguments(args, sizeof args - 1)))
    return {};
  return std::string(path, strnlen(path, MAX_PATH)) + " " + std::string(args, strnlen(args, sizeof args - 1));
}

// The shortcuts of a folder: ordinary and archive files, not hidden or system ones.
void ReadFolder(TStartup& startup, TStartupLocation where, int csidl) {
  const TRegName folder = FolderPath(csidl);
  if (!IsDiskFolder(folder)) return;
  constexpr DWORD kSkipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  const TSysApi& api = SysApi();
  if (!folder.Wide.empty() && api.FindFirstFileW && api.FindNextFileW) {
    WIN32_FIND_DATAW f;
    FindHandle h(api.FindFirstFileW((folder.Wide + L"\\*.lnk").c_str(), &f));
    if (!h) return;
    do {
      if (f.dwFileAttributes & kSkipped) continue;
      const std::wstring name(f.cFileName, wcsnlen(f.cFileName, MAX_PATH));
      const TRegName file{folder.Text + "\\" + AnsiText(name), folder.Wide + L"\\" + name};
      startup.Add(where, ShortcutEntryName(AnsiText(name)), ShortcutCommand(file));
    } while (api.FindNextFileW(h.get(), &f));
    return;
  }
  WIN32_FIND_DATAA f;
  FindHandle h(FindFirstFileA((folder.Text + "\\*.lnk").c_str(), &f));
  if (!h) return;
  do {
    if (f.dwFileAttributes & kSkipped) continue;
    const std::string name(f.cFileName, strnlen(f.cFileName, sizeof f.cFileName));
    startup.Add(where, ShortcutEntryName(name), ShortcutCommand({folder.Text + "\\" + name, {}}));
  } while (FindNextFileA(h.get(), &f));
}

// All lines of a WIN.INI section, "key=value" each.
std::vector<std::string> ProfileSection(const char* section) {
  std::vector<char> buf(4096);
  for (int attempt = 0; attempt < 6; ++attempt) {
    const DWORD n = GetProfileSectionA(section, buf.data(), static_cast<DWORD>(buf.size()));
    if (n + 2 < buf.size()) {
      std::vector<std::string> lines;
      for (size_t i = 0; i < n && buf[i];) {
        lines.emplace_back(buf.data() + i);
        i += lines.back().size() + 1;
      }
      return lines;
    }
    buf.resize(buf.size() * 4);
  }
  return {};
}
}  // namespace

void TStartup::GetInfo() {
  Clear();
  GatherGuarded("TStartup.GetInfo", [this] {
    const struct {
      HKEY Root;
      const char* Path;
      TStartupLocation Where;
    } keys[] = {{HKEY_CURRENT_USER, kRun, slUserRun},
                {HKEY_LOCAL_MACHINE, kRun, slMachineRun},
                {HKEY_CURRENT_USER, kRunOnce, slRunOnce},
                {HKEY_LOCAL_MACHINE, kRunOnce, slRunOnce}};
    for (const auto& k : keys) {
      if (k.Root == HKEY_CURRENT_USER) {
        // A value that is not text gets an empty command line; the others still count.
        for (TRegValue& v : TSysKey(k.Root, k.Path).Values()) Add(k.Where, v.Name.Text, v.Text);
        continue;
      }
      // The machine's keys of 64-bit Windows in both views: an entry that both list runs twice.
      std::vector<std::string> shown64;
      for (const TViewKey& view : OpenMachineViews(k.Path))
        for (TRegValue& v : view.Key->Values()) {
          const std::string name =
              view.View == rv32 ? ShownFor32BitView(v.Name.Text, shown64) : v.Name.Text;
          if (view.View == rv64) shown64.push_back(name);
          Add(k.Where, name, v.Text);
        }
    }

    {
      TComScope com;
      ReadFolder(*this, slCommonStartup, CSIDL_COMMON_STARTUP);
      ReadFolder(*this, slUserStartup, CSIDL_STARTUP);
    }

    for (const std::string& line : ProfileSection("windows")) {
      const std::string key = TrimControls(line.substr(0, line.find('=')));
      const char* name = SameText(key, "run") ? "run" : SameText(key, "load") ? "load" : nullptr;
      if (!name) continue;
      const std::string command = WinIniCommand(ProfileText("windows", name).Text);
      if (!command.empty()) Add(slWinIni, name, command);
    }
  });
}
