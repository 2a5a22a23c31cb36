#include "framework/Dialogs.h"

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
  EnterCriticalSection(&s.lock);
  s.hook.swap(hook);
  LeaveCriticalSection(&s.lock);
}  // the old hook is released outside the lock

int MessageBox(const std::string& text, const std::string& caption, UINT flags, HWND owner) {
  HookSlot& s = Slot();
  EnterCriticalSection(&s.lock);
  TMessageBoxHook hook = s.hook;
  LeaveCriticalSection(&s.lock);
  if (hook) return hook(text, caption, flags);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void ShowErrorBox(const std::string& text, const std::string& caption) {
  MessageBox(text, caption, MB_OK | MB_ICONERROR);
}
