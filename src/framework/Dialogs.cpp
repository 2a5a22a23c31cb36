#include "framework/Dialogs.h"
#include <atomic>
#include "framework/Handles.h"

namespace {

// Boxes may be asked for from any thread; the hook is swapped by tests on the window thread.
struct HookSlot {
  CRITICAL_SECTION lock;
  TMessageBoxHook hook;
  HookSlot() { InitializeCriticalSection(&lock); }
};

HookSlot& Slot() {
  static HookSlot* s = new HookSlot;  // never freed: boxes may be shown during exit
  return *s;
}

}  // namespace

void SetMessageBoxHook(TMessageBoxHook hook) {
  HookSlot& s = Slot();
  {
    CriticalSectionLock lock(s.lock);
    s.hook.swap(hook);
  }
}  // the old hook is released outside the lock

int MessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner) {
  HookSlot& s = Slot();
  TMessageBoxHook hook;
  {
    CriticalSectionLock lock(s.lock);
    hook = s.hook;  // a copy may throw: the lock is left all the same
  }
  if (hook) return hook(text, caption, flags);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

namespace {
std::atomic<HWND> gErrorBoxOwner{nullptr};  // set and cleared on its window's thread
}  // namespace

HWND SetErrorBoxOwner(HWND owner) {
  return gErrorBoxOwner.exchange(owner);
}

HWND ErrorBoxOwner() {
  HWND owner = gErrorBoxOwner;
  // A box of another thread must not tie that thread's input to this window.
  if (!owner || !IsWindow(owner) || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId())
    return nullptr;
  return owner;
}

void ShowErrorBox(const std::string& text, const std::string& caption) {
  MessageBox(text, caption, MB_OK | MB_ICONERROR, ErrorBoxOwner());
}

// ---------------------------------------------------------------- common dialogs

#include <commdlg.h>
#include <vector>

const TEnumInfo& OpenOptionInfo() {
  static const TEnumInfo e{"TOpenOption", {"ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofPathMustExist",
                                           "ofFileMustExist", "ofNoReadOnlyReturn", "ofEnableSizing"}};
  return e;
}

VELMORA_CLASS_INFO(TSaveDialog) {
  b.Str("FileName", &TSaveDialog::FileName, &TSaveDialog::SetFileName);
  b.Str("DefaultExt", &TSaveDialog::DefaultExt, &TSaveDialog::SetDefaultExt);
  b.Str("Filter", &TSaveDialog::Filter, &TSaveDialog::SetFilter);
  b.Int("FilterIndex", &TSaveDialog::FilterIndex, &TSaveDialog::SetFilterIndex);
  b.Str("InitialDir", &TSaveDialog::InitialDir, &TSaveDialog::SetInitialDir);
  b.Str("Title", &TSaveDialog::Title, &TSaveDialog::SetTitle);
  b.Set("Options", &TSaveDialog::Options, &TSaveDialog::SetOptions, OpenOptionInfo());
  b.Creatable();
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}

namespace {
TSaveDialogHook& SaveHook() {
  static TSaveDialogHook h;
  return h;
}
}  // namespace

void SetSaveDialogHook(TSaveDialogHook hook) { SaveHook() = std::move(hook); }

bool TSaveDialog::Execute(HWND owner) {
  if (SaveHook()) return SaveHook()(*this);
  // The filter's pairs are separated by zeros and end with two.
  std::string filter = FFilter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');
  std::vector<char> file(4096, '\0');
  // Some versions of the dialog copy the proposed name into a buffer of MAX_PATH characters of
  // their own: a longer one is cut, at a character's start.
  size_t proposed = 0;
  for (const char* p = FFileName.c_str(); *p;) {
    const char* next = CharNextA(p);
    if (static_cast<size_t>(next - FFileName.c_str()) > MAX_PATH - 1) break;
    proposed = static_cast<size_t>(next - FFileName.c_str());
    p = next;
  }
  FFileName.copy(file.data(), proposed);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;  // the size every version knows (no Windows 2000 additions)
  ofn.hwndOwner = owner ? owner : GetActiveWindow();
  ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
  ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
  ofn.lpstrDefExt = FDefaultExt.empty() ? nullptr : FDefaultExt.c_str();
  static const DWORD flags[] = {OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY, OFN_NOCHANGEDIR, OFN_PATHMUSTEXIST,
                                OFN_FILEMUSTEXIST, OFN_NOREADONLYRETURN, 0x00800000 /* OFN_ENABLESIZING */};
  ofn.Flags = OFN_EXPLORER;
  for (int i = 0; i < 7; ++i)
    if (FOptions & (1u << i)) ofn.Flags |= flags[i];
  if (!GetSaveFileNameA(&ofn)) return false;
  FFileName = file.data();
  FFilterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

VELMORA_CLASS_INFO(TPrinterSetupDialog) { b.Creatable(); }

bool TPrinterSetupDialog::Execute(HWND owner) {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner ? owner : GetActiveWindow();
  pd.Flags = PD_PRINTSETUP;
  BOOL ok = PrintDlgA(&pd);
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
  return ok != FALSE;
}

void RegisterDialogClasses() {
  RegisterComponentClass(TSaveDialog::StaticClassInfo());
  RegisterComponentClass(TPrinterSetupDialog::StaticClassInfo());
}
