#include "wizard/AutoRun.h"
#include <windows.h>
#include "framework/Registry.h"
#include "probes/Kestrix_Routines.h"

const TEnumInfo& AutoExecKindInfo() {
  static const TEnumInfo e{"TAutoExecKind", {"aekMachineRun", "aekMachineRunOnce", "aekUserRun", "aekUserRunOnce",
                                             "aekServiceRun", "aekServiceRunOnce"}};
  return e;
}

VELMORA_CLASS_INFO(TAutoRun) {
  b.Bool("AutoRun", &TAutoRun::AutoRun, &TAutoRun::SetAutoRun);
  b.Str("FileName", &TAutoRun::FileName, &TAutoRun::SetFileName);
  b.Enum("Kind", &TAutoRun::Kind, &TAutoRun::SetKind, AutoExecKindInfo());
  b.Creatable();
}

void RegisterAutoRunClasses() { RegisterComponentClass(TAutoRun::StaticClassInfo()); }

namespace {
// Services start from the registry on Windows 9x only.
bool Skipped(TAutoExecKind kind) { return autorun::KindIsService(kind) && IsNT(); }

HKEY RootOf(TAutoExecKind kind) { return autorun::KindIsUser(kind) ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
}  // namespace

TAutoRun::TAutoRun(TComponent* AOwner) : TComponent(AOwner) {
  char buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  FFileName.assign(buf, n < MAX_PATH ? n : 0);
}

template <class T>
void TAutoRun::Change(T& field, const T& value) {
  if (field == value) return;
  if (Loading()) {
    field = value;
    return;
  }
  RemoveAutoRun();
  field = value;
  ApplyAutoRun();
}

void TAutoRun::SetAutoRun(bool v) { Change(FAutoRun, v); }
void TAutoRun::SetFileName(const std::string& v) { Change(FFileName, v); }

void TAutoRun::SetKind(TAutoExecKind v) {
  if (static_cast<int>(v) < 0 || static_cast<int>(v) > aekServiceRunOnce) return;
  Change(FKind, v);
}

void TAutoRun::Loaded() {
  TComponent::Loaded();
  if (FAutoRun) WriteAutoRun();
}

bool TAutoRun::RemoveAutoRun() {
  if (Skipped(FKind)) return true;
  try {
    TRegistry reg;
    reg.SetRootKey(RootOf(FKind));
    if (!reg.OpenKey(autorun::KindKeyPath(FKind), false)) return false;
    std::string name = autorun::ValueName(FFileName);
    return !reg.ValueExists(name) || reg.DeleteValue(name);
  } catch (...) {
    return false;
  }
}

bool TAutoRun::Exists() const {
  if (Skipped(FKind)) return false;
  try {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(RootOf(FKind));
    return reg.OpenKeyReadOnly(autorun::KindKeyPath(FKind)) && reg.ValueExists(autorun::ValueName(FFileName));
  } catch (...) {
    return false;
  }
}

void TAutoRun::ApplyAutoRun() {
  RemoveAutoRun();
  if (FAutoRun) WriteAutoRun();
}

bool TAutoRun::WriteAutoRun() {
  if (Skipped(FKind)) return false;
  // Every failure is silent: without the right to write there the entry is simply not made.
  try {
    TRegistry reg;
    reg.SetRootKey(RootOf(FKind));
    if (!reg.OpenKey(autorun::KindKeyPath(FKind), true)) return false;
    reg.WriteString(autorun::ValueName(FFileName), autorun::CommandLine(FFileName));
    return true;
  } catch (...) {
    return false;
  }
}
