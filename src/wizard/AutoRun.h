// The logon entry: one registry value that makes the system start a program at logon (or once,
// or as a Windows 9x service), written and removed as the component's properties change.
#pragma once
#include <string>
#include "framework/Classes.h"
#include "wizard/AutoRunLogic.h"

const TEnumInfo& AutoExecKindInfo();

class TAutoRun : public TComponent {
  VELMORA_CLASS(TAutoRun, TComponent)

 public:
  explicit TAutoRun(TComponent* AOwner);

  bool AutoRun() const { return FAutoRun; }
  void SetAutoRun(bool v);
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& v);
  TAutoExecKind Kind() const { return FKind; }
  void SetKind(TAutoExecKind v);

  // Deletes the value of the present Kind and FileName; false when it was there and stays.
  bool RemoveAutoRun();
  // RemoveAutoRun, then writes the value when AutoRun is on.
  void ApplyAutoRun();
  // Whether the value of the present Kind and FileName is there now.
  bool Exists() const;

 protected:
  // Writes the value when AutoRun is on. Loading removes nothing: an entry that the user asked
  // for in an earlier session stays until the user unticks it.
  void Loaded() override;

 private:
  bool WriteAutoRun();
  // A change of one property: the entry of the old settings goes, the new one is applied.
  template <class T>
  void Change(T& field, const T& value);

  bool FAutoRun = false;
  std::string FFileName;
  TAutoExecKind FKind = aekMachineRun;
};

void RegisterAutoRunClasses();
