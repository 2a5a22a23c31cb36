// A stand-in for the HTML Help viewer (hhctrl.ocx), put beside a copy of velmora.exe by the help
// test: each call is written as a line "<command> <file>" to helpcalls.txt in its own folder.
#include <windows.h>
#include <cstdio>
#include <string>

static HMODULE g_self = nullptr;

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = self;
  return TRUE;
}

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpA(HWND, LPCSTR file, UINT command, DWORD_PTR) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(g_self, path, MAX_PATH);
  std::string record(path, n);
  record = record.substr(0, record.find_last_of('\\') + 1) + "helpcalls.txt";
  if (FILE* f = std::fopen(record.c_str(), "ab")) {
    std::fprintf(f, "%u %s\n", command, file ? file : "");
    std::fclose(f);
  }
  return nullptr;
}
