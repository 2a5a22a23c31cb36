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

std::string Shown(const char* text, size_t max) { return std::string(text, strnlen(text, max)); }
std::string Shown(const wchar_t* text, size_t max) { return AnsiText(text, wcsnlen(text, max)); }

// The shortcut's target and arguments as stored; empty when it cannot be read. Nothing is
// resolved: that could rewrite the file or start a search for a target that moved.
template <class Link, class C>
std::string LinkCommand(REFIID iid, const std::wstring& file) {
  TComPtr<Link> link;
  TComPtr<IPersistFile> persist;
  if (FAILED(CreateInProcess(CLSID_ShellLink, iid, link.put_void())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())) ||
      FAILED(persist->Load(file.c_str(), STGM_READ)))
    return {};
  C path[MAX_PATH + 1] = {};
  C args[1024] = {};
  if (FAILED(link->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY)) || FAILED(link->GetArguments(args, 1023)))
    return {};
  return Shown(path, MAX_PATH) + " " + Shown(args, 1023);
}

std::string ShortcutCommand(const TRegName& file) {
  if (!IsDiskFile(file)) return {};
  if (!file.Wide.empty()) return LinkCommand<IShellLinkW, WCHAR>(IID_IShellLinkW, file.Wide);
  std::vector<WCHAR> wide(file.Text.size() + 1);
  if (MultiByteToWideChar(CP_ACP, 0, file.Text.c_str(), -1, wide.data(), static_cast<int>(wide.size())) <= 0) return {};
  return LinkCommand<IShellLinkA, char>(IID_IShellLinkA, wide.data());
}

// The shortcuts of a folder: ordinary and archive files, not hidden or system ones.
template <class Data, class C, class First, class Next>
void ReadShortcuts(TStartup& startup, TStartupLocation where, const TRegName& folder,
                   const std::basic_string<C>& stored, First first, Next next) {
  constexpr DWORD kSkipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  const C pattern[] = {'\\', '*', '.', 'l', 'n', 'k', 0};
  Data f;
  FindHandle h(first((stored + pattern).c_str(), &f));
  if (!h) return;
  do {
    if (f.dwFileAttributes & kSkipped) continue;
    const TRegName name = StoredText(std::basic_string<C>(f.cFileName, std::find(f.cFileName, f.cFileName + MAX_PATH, 0)));
    TRegName file{folder.Text + "\\" + name.Text, {}};
    if (!folder.Wide.empty()) file.Wide = folder.Wide + L"\\" + name.Wide;
    startup.Add(where, ShortcutEntryName(name.Text), ShortcutCommand(file));
  } while (next(h.get(), &f));
}

void ReadFolder(TStartup& startup, TStartupLocation where, int csidl) {
  const TRegName folder = FolderPath(csidl);
  if (!IsDiskFolder(folder)) return;
  const TSysApi& api = SysApi();
  if (!folder.Wide.empty() && api.FindFirstFileW && api.FindNextFileW)
    ReadShortcuts<WIN32_FIND_DATAW, wchar_t>(startup, where, folder, folder.Wide, api.FindFirstFileW, api.FindNextFileW);
  else
    ReadShortcuts<WIN32_FIND_DATAA, char>(startup, where, {folder.Text, {}}, folder.Text, FindFirstFileA, FindNextFileA);
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
