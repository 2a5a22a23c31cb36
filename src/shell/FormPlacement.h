// Window placement persistence: a form's position and state (and, for TFormStorage, chosen
// properties of its components) saved when it closes and put back when it is first shown.
#pragma once
#include <windows.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include "framework/Forms.h"
#include "framework/Strings.h"
#include "shell/FormProps.h"
#include "shell/PlacementLogic.h"

class TWindowHook;

enum TPlacementOption { fpState, fpPosition, fpActiveControl };
using TPlacementOptions = uint32_t;
enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };

const TEnumInfo& PlacementOptionInfo();
const TEnumInfo& PlacementRegRootInfo();

// Size limits of a window; 0 means no limit.
class TWinMinMaxInfo : public TPersistent {
  VELMORA_CLASS(TWinMinMaxInfo, TPersistent)

 public:
  enum Index { MaxPosLeft, MaxPosTop, MaxSizeHeight, MaxSizeWidth, MaxTrackHeight, MaxTrackWidth, MinTrackHeight, MinTrackWidth };
  int Value(int i) const { return FValues[i]; }
  void SetValue(int i, int v);
  void Assign(const TWinMinMaxInfo& other);
  bool DefaultMinMaxInfo() const;  // every entry 0
  std::function<void()> OnChange;

  // One getter and setter per entry for the class table.
  template <int I>
  int Get() const { return FValues[I]; }
  template <int I>
  void Set(int v) { SetValue(I, v); }

 private:
  int FValues[8] = {};
};

class TFormPlacement : public TComponent {
  VELMORA_CLASS(TFormPlacement, TComponent)

 public:
  explicit TFormPlacement(TComponent* AOwner);
  ~TFormPlacement() override;

  bool Active() const { return FActive; }
  void SetActive(bool v) { FActive = v; }
  const std::string& IniFileName() const { return FIniFileName; }
  void SetIniFileName(const std::string& v) { FIniFileName = v; }
  const std::string& IniSection() const { return FIniSection; }
  void SetIniSection(const std::string& v) { FIniSection = v; }
  TWinMinMaxInfo* MinMaxInfo() { return &FMinMaxInfo; }
  TPlacementOptions Options() const { return FOptions; }
  void SetOptions(TPlacementOptions v) { FOptions = v; }
  bool PreventResize() const { return FPreventResize; }
  void SetPreventResize(bool v);
  TPlacementRegRoot RegistryRoot() const { return FRegistryRoot; }
  void SetRegistryRoot(TPlacementRegRoot v) { FRegistryRoot = v; }
  bool UseRegistry() const { return FUseRegistry; }
  void SetUseRegistry(bool v) { FUseRegistry = v; }
  int Version() const { return FVersion; }
  void SetVersion(int v) { FVersion = v; }

  // The key below the root (or the ini file) and the section that are used.
  std::string StoreName() const;
  std::string SectionName() const;

  // Saves now (does nothing while Active and not yet restored: a window that was never shown
  // keeps the stored data). Failures are raised.
  void SaveFormPlacement();
  // Restores now; marks the placement restored on every path.
  void RestoreFormPlacement();
  bool Restored() const { return FWasRestored; }
  // While the stored values are being put back (their setters run as they are read).
  bool Restoring() const { return FRestoring; }

  TNotifyEvent OnSavePlacement, OnRestorePlacement;

 protected:
  void Loaded() override;
  TForm* Form() const;
  // What a derived storage keeps beside the placement.
  virtual void SaveExtra(TPropStore&) {}
  virtual void RestoreExtra(TPropStore&) {}

 private:
  std::unique_ptr<TPropStore> OpenStore(bool forWrite) const;
  void WritePlacementValues(TPropStore& store);
  void ReadPlacementValues(TPropStore& store);
  void AdjustMaxPosition();
  void UpdateWindowHook();
  void ApplyPreventResize();
  void HookAfter(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void SessionEnds();

  bool FActive = true;
  std::string FIniFileName, FIniSection;
  TWinMinMaxInfo FMinMaxInfo;
  TPlacementOptions FOptions = 0;
  bool FPreventResize = false;
  TPlacementRegRoot FRegistryRoot = prCurrentUser;
  bool FUseRegistry = false;
  int FVersion = 0;

  bool FWasRestored = false, FWasSaved = false, FSavingOnDestroy = false, FRestoring = false;
  bool FDefMaximize = false;
  bool FChained = false;
  bool FSessionHooked = false;
  TNotifyEvent FSaveFormShow, FSaveFormDestroy;
  TCloseQueryEvent FSaveFormCloseQuery;
  std::unique_ptr<TWindowHook> FHook;
};

// A value kept by name beside the placement.
using TStoredValueEvent = std::function<void(TObject* Sender, std::string& Value)>;
class TStoredValue : public TCollectionItem {
  VELMORA_CLASS(TStoredValue, TCollectionItem)

 public:
  using TCollectionItem::TCollectionItem;
  const std::string& Name() const { return FName; }
  void SetName(const std::string& v) { FName = v; }
  const std::string& Value() const { return FValue; }
  void SetValue(const std::string& v) { FValue = v; }
  const std::string& KeyString() const { return FKeyString; }
  void SetKeyString(const std::string& v) { FKeyString = v; }
  TStoredValueEvent OnSave, OnRestore;

 private:
  std::string FName, FValue, FKeyString;
};

class TFormStorage : public TFormPlacement {
  VELMORA_CLASS(TFormStorage, TFormPlacement)

 public:
  explicit TFormStorage(TComponent* AOwner);
  TStrings* StoredProps() { return &FStoredProps; }
  TCollection* StoredValues() { return &FStoredValues; }

 protected:
  void SaveExtra(TPropStore& store) override;
  void RestoreExtra(TPropStore& store) override;

 private:
  TStringList FStoredProps;
  TCollection FStoredValues;
};

// Where windows may be placed: the work areas of all monitors, or the desktop's work area where
// the system has no monitor functions (Windows 95, NT 4.0). The monitor functions are looked up
// at run time; tests may take them away.
struct TMonitorApi {
  BOOL(WINAPI* Enum)(HDC, const RECT*, BOOL(CALLBACK*)(HANDLE, HDC, RECT*, LPARAM), LPARAM) = nullptr;
  BOOL(WINAPI* GetInfo)(HANDLE, void*) = nullptr;
};
TMonitorApi& MonitorApi();
std::vector<placement::Rect> WorkAreas();

void RegisterPlacementClasses();
