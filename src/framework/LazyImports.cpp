#include "framework/LazyImports.h"
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <ole2.h>
#include <oleauto.h>
#include <winnetwk.h>
#include <winsock.h>
#include <winspool.h>
#include <winver.h>
#include <atomic>
#include <type_traits>

namespace {

struct TLazyLibrary {
  const char* Name;
  std::atomic<HMODULE> Module{nullptr};
};

TLazyLibrary comctl32{"comctl32.dll"}, comdlg32{"comdlg32.dll"}, mpr{"mpr.dll"}, ole32{"ole32.dll"},
    oleaut32{"oleaut32.dll"}, version{"version.dll"}, winmm{"winmm.dll"}, winspool{"winspool.drv"},
    wsock32{"wsock32.dll"};

// The library stays loaded once it is: nothing here can tell when its last object has gone.
FARPROC Resolve(TLazyLibrary& lib, const char* function) {
  HMODULE m = lib.Module.load();
  if (!m) {
    m = LoadLibraryA(lib.Name);
    if (!m) return nullptr;
    lib.Module.store(m);
  }
  return GetProcAddress(m, function);
}

// The first call of a function: resolve it, put it into its import slot so that later calls go
// straight to the system, and pass the call on.
template <class F>
struct TLazy;
template <class R, class... A>
struct TLazy<R(WINAPI*)(A...)> {
  template <TLazyLibrary& L, const char* Name, void*& Slot, auto Fail>
  static R WINAPI Call(A... a) {
    auto f = reinterpret_cast<R(WINAPI*)(A...)>(reinterpret_cast<void*>(Resolve(L, Name)));
    if (!f) {
      if constexpr (std::is_void_v<R>)
        return;
      else
        return static_cast<R>(Fail);
    }
    Slot = reinterpret_cast<void*>(f);
    return f(a...);
  }
};

}  // namespace

// library, function, bytes of arguments (the import's decoration), value when it cannot be had
#define VELMORA_LAZY_IMPORTS(X)                                  \
  X(comctl32, InitCommonControls, 0, 0)                          \
  X(comctl32, ImageList_AddMasked, 12, -1)                       \
  X(comctl32, ImageList_Create, 20, nullptr)                     \
  X(comctl32, ImageList_Destroy, 4, FALSE)                       \
  X(comctl32, ImageList_Draw, 24, FALSE)                         \
  X(comctl32, ImageList_GetIcon, 12, nullptr)                    \
  X(comctl32, ImageList_GetIconSize, 12, FALSE)                  \
  X(comctl32, ImageList_GetImageCount, 4, 0)                     \
  X(comctl32, ImageList_Remove, 8, FALSE)                        \
  X(comctl32, ImageList_ReplaceIcon, 12, -1)                     \
  X(comdlg32, GetSaveFileNameA, 4, FALSE)                        \
  X(comdlg32, PrintDlgA, 4, FALSE)                               \
  X(mpr, WNetGetConnectionA, 12, ERROR_NOT_SUPPORTED)            \
  X(ole32, CLSIDFromProgID, 8, E_FAIL)                           \
  X(ole32, CoCreateInstance, 20, E_FAIL)                         \
  X(ole32, CoInitialize, 4, E_FAIL)                              \
  X(ole32, CoTaskMemFree, 4, 0)                                  \
  X(ole32, CoUninitialize, 0, 0)                                 \
  X(oleaut32, SysStringLen, 4, 0)                                \
  X(oleaut32, VariantChangeType, 16, E_FAIL)                     \
  X(oleaut32, VariantClear, 4, E_FAIL)                           \
  X(oleaut32, VariantInit, 4, 0)                                 \
  X(version, GetFileVersionInfoA, 16, FALSE)                     \
  X(version, GetFileVersionInfoSizeA, 8, 0)                      \
  X(version, VerQueryValueA, 16, FALSE)                          \
  X(winmm, auxGetDevCapsA, 12, MMSYSERR_NODRIVER)                \
  X(winmm, auxGetNumDevs, 0, 0)                                  \
  X(winmm, midiInGetDevCapsA, 12, MMSYSERR_NODRIVER)             \
  X(winmm, midiInGetNumDevs, 0, 0)                               \
  X(winmm, midiOutGetDevCapsA, 12, MMSYSERR_NODRIVER)            \
  X(winmm, midiOutGetNumDevs, 0, 0)                              \
  X(winmm, mixerGetDevCapsA, 12, MMSYSERR_NODRIVER)              \
  X(winmm, mixerGetNumDevs, 0, 0)                                \
  X(winmm, waveInGetDevCapsA, 12, MMSYSERR_NODRIVER)             \
  X(winmm, waveInGetNumDevs, 0, 0)                               \
  X(winmm, waveOutGetDevCapsA, 12, MMSYSERR_NODRIVER)            \
  X(winmm, waveOutGetNumDevs, 0, 0)                              \
  X(winspool, EnumPrintersA, 28, FALSE)                          \
  X(wsock32, WSACleanup, 0, SOCKET_ERROR)                        \
  X(wsock32, WSAStartup, 8, WSASYSNOTREADY)                      \
  X(wsock32, gethostbyname, 4, nullptr)                          \
  X(wsock32, gethostname, 8, SOCKET_ERROR)                       \
  X(wsock32, inet_ntoa, 4, nullptr)

// The import slot "__imp__<function>@<bytes>" that the calls go through, first holding the stub.
#define VELMORA_LAZY_SLOT(lib, fn, bytes, fail)                                                       \
  extern "C" void* velmora_lazy_##fn __asm__("__imp__" #fn "@" #bytes);                             \
  namespace {                                                                                       \
  constexpr char kLazyName_##fn[] = #fn;                                                            \
  }                                                                                                 \
  extern "C" {                                                                                      \
  __attribute__((used)) void* velmora_lazy_##fn =                                                   \
      reinterpret_cast<void*>(&TLazy<decltype(&::fn)>::Call<lib, kLazyName_##fn, velmora_lazy_##fn, fail>); \
  }
VELMORA_LAZY_IMPORTS(VELMORA_LAZY_SLOT)

// Some headers declare the functions without the import attribute: such calls go to
// "_<function>@<bytes>", which jumps through the slot as the system's import library would.
#define VELMORA_LAZY_THUNK(lib, fn, bytes, fail)              \
  __asm__(".section .text$velmora_lazy_" #fn ",\"x\"\n"      \
          ".globl _" #fn "@" #bytes "\n"                      \
          "_" #fn "@" #bytes ":\n"                            \
          "  jmp *__imp__" #fn "@" #bytes "\n"                \
          ".text\n");
VELMORA_LAZY_IMPORTS(VELMORA_LAZY_THUNK)

std::span<const TLazyImport> LazyImports() {
#define VELMORA_LAZY_ENTRY(lib, fn, bytes, fail) {lib.Name, #fn},
  static const TLazyImport table[] = {VELMORA_LAZY_IMPORTS(VELMORA_LAZY_ENTRY)};
#undef VELMORA_LAZY_ENTRY
  return table;
}
