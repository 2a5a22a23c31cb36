// The compiler's runtime asks for three wide-character kernel functions that Windows 95, 98 and
// Me do not implement. The program answers those imports itself with the ANSI functions, so the
// loader never looks for them and they work on every system. Linked into the executables
// directly (not from the library) so that these definitions come before the system's.
#include <windows.h>

namespace {

// The runtime only passes short ASCII names (a DLL name, an unnamed semaphore).
bool Narrow(LPCWSTR w, char* out, int size) {
  return WideCharToMultiByte(CP_ACP, 0, w, -1, out, size, nullptr, nullptr) != 0;
}

HANDLE WINAPI CreateSemaphoreAnsi(LPSECURITY_ATTRIBUTES sa, LONG initial, LONG maximum, LPCWSTR name) {
  char buf[MAX_PATH];
  if (name && !Narrow(name, buf, sizeof buf)) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  return CreateSemaphoreA(sa, initial, maximum, name ? buf : nullptr);
}

HMODULE WINAPI GetModuleHandleAnsi(LPCWSTR name) {
  char buf[MAX_PATH];
  if (!name) return GetModuleHandleA(nullptr);
  return Narrow(name, buf, sizeof buf) ? GetModuleHandleA(buf) : nullptr;
}

HMODULE WINAPI LoadLibraryAnsi(LPCWSTR name) {
  char buf[MAX_PATH];
  if (!name || !Narrow(name, buf, sizeof buf)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadLibraryA(buf);
}

}  // namespace

// The import slots the runtime's dllimport calls go through.
extern "C" {
__attribute__((used)) void* velmora_imp_CreateSemaphoreW __asm__("__imp__CreateSemaphoreW@16") =
    reinterpret_cast<void*>(&CreateSemaphoreAnsi);
__attribute__((used)) void* velmora_imp_GetModuleHandleW __asm__("__imp__GetModuleHandleW@4") =
    reinterpret_cast<void*>(&GetModuleHandleAnsi);
__attribute__((used)) void* velmora_imp_LoadLibraryW __asm__("__imp__LoadLibraryW@4") =
    reinterpret_cast<void*>(&LoadLibraryAnsi);
}
