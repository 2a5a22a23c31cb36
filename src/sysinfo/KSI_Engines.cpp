// Database engine versions of the running system: file versions and automation objects.
#include "sysinfo/KSI_Engines.h"
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <vector>
#include "sysinfo/SysInfoWin.h"

namespace {
// The wide functions of the version library: NT's (95 has none worth the name), looked up when
// first needed.
struct TVersionW {
  DWORD(WINAPI* InfoSize)(LPCWSTR, LPDWORD) = nullptr;
  BOOL(WINAPI* Info)(LPCWSTR, DWORD, DWORD, LPVOID) = nullptr;
  BOOL(WINAPI* Query)(LPCVOID, LPCWSTR, LPVOID*, PUINT) = nullptr;
};
const TVersionW& VersionW() {
  static const TVersionW api = [] {
    TVersionW a;
    if (HMODULE m = LoadLibraryA("version.dll")) {  // kept, as the lazily loaded one is
      a.InfoSize = reinterpret_cast<decltype(a.InfoSize)>(reinterpret_cast<void*>(GetProcAddress(m, "GetFileVersionInfoSizeW")));
      a.Info = reinterpret_cast<decltype(a.Info)>(reinterpret_cast<void*>(GetProcAddress(m, "GetFileVersionInfoW")));
      a.Query = reinterpret_cast<decltype(a.Query)>(reinterpret_cast<void*>(GetProcAddress(m, "VerQueryValueW")));
    }
    return a;
  }();
  return api;
}

// The version resource of a file the registry names: read only from a regular file on a disk,
// never from a device, a pipe or a folder (which read as a missing file does).
std::string FileVersion(const TRegName& stored) {
  TRegName file;
  if (stored.Text.empty() && stored.Wide.empty()) return {};
  if (!DiskFileToRead(stored, file)) return {};
  const TVersionW& w = VersionW();
  const bool wide = !file.Wide.empty() && w.InfoSize && w.Info && w.Query;
  if (!wide) file.Wide.clear();
  DWORD handle = 0;
  const DWORD size = wide ? w.InfoSize(file.Wide.c_str(), &handle) : GetFileVersionInfoSizeA(file.Text.c_str(), &handle);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!(wide ? w.Info(file.Wide.c_str(), 0, size, data.data())
             : GetFileVersionInfoA(file.Text.c_str(), 0, size, data.data())))
    return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  char root[] = "\\";
  if (!(wide ? w.Query(data.data(), L"\\", reinterpret_cast<void**>(&info), &len)
             : VerQueryValueA(data.data(), root, reinterpret_cast<void**>(&info), &len)) ||
      !info || len < sizeof(VS_FIXEDFILEINFO))
    return {};
  return FileVersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

// A running object would be another program's: asking it could wait on that program for as
// long as it likes. Only in-process servers are asked, and only from files on a disk.
TComPtr<IDispatch> EngineObject(const wchar_t* progId) {
  TComPtr<IDispatch> disp;
  CLSID clsid;
  if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)) &&
      FAILED(CreateInProcess(clsid, IID_IDispatch, disp.put_void())))
    disp.reset();
  return disp;
}

// The "Version" property of the first of the objects that exists. An object that cannot tell
// its version counts as not installed: there is nothing to report, and no error to show.
std::string AutomationVersion(std::initializer_list<const wchar_t*> progIds) {
  for (const wchar_t* progId : progIds) {
    TComPtr<IDispatch> disp = EngineObject(progId);
    if (!disp) continue;
    std::string version;
    wchar_t name[] = L"Version";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    if (SUCCEEDED(disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
      DISPPARAMS none = {nullptr, nullptr, 0, 0};
      VARIANT v;
      VariantInit(&v);
      if (SUCCEEDED(disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                 &v, nullptr, nullptr)) &&
          SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)) && v.bstrVal)
        version = AnsiText(v.bstrVal, SysStringLen(v.bstrVal));
      VariantClear(&v);
    }
    return version;
  }
  return {};
}
}  // namespace

void TEngines::GetInfo() {
  GatherGuarded("TEngines.GetInfo", [this] {
    FODBC.clear();
    FBDE.clear();
    FDAO.clear();
    FADO.clear();
    const TSysKey bde(HKEY_LOCAL_MACHINE, "SOFTWARE\\Borland\\Database Engine");
    TRegName folder;
    if (bde.ReadStored("DLLPATH", folder) && !folder.Text.empty()) {
      const bool slash = folder.Text.back() == '\\';
      folder.Text += slash ? "IDAPI32.DLL" : "\\IDAPI32.DLL";
      if (!folder.Wide.empty()) folder.Wide += slash ? L"IDAPI32.DLL" : L"\\IDAPI32.DLL";
      FBDE = FileVersion(folder);
    }
    const TSysKey odbc(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList");
    TRegName odbcFile;
    if (odbc.ReadStored("ODBC32.DLL", odbcFile)) FODBC = FileVersion(odbcFile);

    TComScope com;
    FDAO = AutomationVersion({L"DAO.DBEngine.36", L"DAO.DBEngine.35", L"DAO.DBEngine"});
    FADO = AutomationVersion({L"adodb.connection"});
  });
}
