// Database engine versions of the running system: file versions and automation objects.
#include "sysinfo/KSI_Engines.h"
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <vector>
#include "sysinfo/SysInfoWin.h"

namespace {
std::string FileVersion(const std::string& path) {
  if (path.empty()) return {};
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  char root[] = "\\";
  if (!VerQueryValueA(data.data(), root, reinterpret_cast<void**>(&info), &len) || !info ||
      len < sizeof(VS_FIXEDFILEINFO))
    return {};
  return FileVersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

std::string Narrow(const wchar_t* w, UINT length) {
  if (!w || length == 0) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(length), s.data(), n, nullptr, nullptr);
  return s;
}

IDispatch* EngineObject(const wchar_t* progId) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(progId, &clsid))) return nullptr;
  IDispatch* disp = nullptr;
  IUnknown* running = nullptr;
  if (SUCCEEDED(GetActiveObject(clsid, nullptr, &running)) && running) {
    running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp));
    running->Release();
  }
  if (!disp &&
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(&disp))))
    disp = nullptr;
  return disp;
}

// The "Version" property of the first of the objects that exists. An object that cannot tell
// its version counts as not installed: there is nothing to report, and no error to show.
std::string AutomationVersion(std::initializer_list<const wchar_t*> progIds) {
  for (const wchar_t* progId : progIds) {
    IDispatch* disp = EngineObject(progId);
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
        version = Narrow(v.bstrVal, SysStringLen(v.bstrVal));
      VariantClear(&v);
    }
    disp->Release();
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
    TSysKey bde(HKEY_LOCAL_MACHINE, "SOFTWARE\\Borland\\Database Engine");
    std::string folder = bde.Text("DLLPATH");
    if (!folder.empty()) {
      if (folder.back() != '\\') folder += '\\';
      FBDE = FileVersion(folder + "IDAPI32.DLL");
    }
    TSysKey odbc(HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Core\\FileList");
    FODBC = FileVersion(odbc.Text("ODBC32.DLL"));

    TComScope com;
    FDAO = AutomationVersion({L"DAO.DBEngine.36", L"DAO.DBEngine.35", L"DAO.DBEngine"});
    FADO = AutomationVersion({L"adodb.connection"});
  });
}
