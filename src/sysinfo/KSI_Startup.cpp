// Startup programs of the running system: Run keys, Startup folders and WIN.INI.
#include "sysinfo/KSI_Startup.h"
#include <windows.h>
#include <shlobj.h>
#include <algorithm>
#include <vector>
#include "framework/Handles.h"
#include "framework/TypeInfo.h"
#include "probes/OsKind.h"
#include "sysinfo/KSI_OS.h"
#include "sysinfo/SysInfoWin.h"

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string FolderPath(int csidl) {
  std::string path = SpecialFolderPath(csidl);
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// The shortcut's target and arguments as stored; empty when it cannot be read. Nothing is
// resolved: that could rewrite the file or start a search for a target that moved.
std::string ShortcutCommand(const std::string& file) {
  std::string command;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return command;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    std::vector<WCHAR> wide(file.size() + 1);
    if (MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide.data(),
                            static_cast<int>(wide.size())) > 0 &&
        SUCCEEDED(persist->Load(wide.data(), STGM_READ))) {
      char path[MAX_PATH + 1] = {};
      char args[1024] = {};
      if (SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY)) &&
          SUCCEEDED(link->GetArguments(args, sizeof args - 1)))
        command = std::string(path) + " " + args;
    }
    persist->Release();
  }
  link->Release();
  return command;
}

void ReadFolder(TStartup& startup, TStartupLocation where, int csidl) {
  const std::string folder = FolderPath(csidl);
  if (folder.empty()) return;
  WIN32_FIND_DATAA f;
  FindHandle h(FindFirstFileA((folder + "\\*.lnk").c_str(), &f));
  if (!h) return;
  do {
    if (f.dwFileAttributes &
        (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY))
      continue;
    const std::string name(f.cFileName, strnlen(f.cFileName, sizeof f.cFileName));
    startup.Add(where, ShortcutEntryName(name), ShortcutCommand(folder + "\\" + name));
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
      // The machine's keys of 64-bit Windows in both views; an entry found in both (a key the
      // views share) is listed once.
      const std::vector<TRegView> views =
          k.Root == HKEY_LOCAL_MACHINE ? MachineViews() : std::vector<TRegView>{rvDefault};
      std::vector<std::pair<TRegName, std::string>> earlier;
      for (TRegView view : views) {
        TSysKey key(k.Root, k.Path, view);
        std::vector<std::pair<TRegName, std::string>> here;
        // A value that is not text gets an empty command line; the others still count.
        for (TRegValue& v : key.Values()) {
          std::pair<TRegName, std::string> entry{std::move(v.Name), std::move(v.Text)};
          if (std::find(earlier.begin(), earlier.end(), entry) != earlier.end()) continue;
          Add(k.Where, entry.first.Text, entry.second);
          here.push_back(std::move(entry));
        }
        earlier.insert(earlier.end(), here.begin(), here.end());
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
      char value[4096] = {};
      GetProfileStringA("windows", name, "", value, sizeof value);
      const std::string command = WinIniCommand(value);
      if (!command.empty()) Add(slWinIni, name, command);
    }
  });
}
