// Application-wide settings as a component: applied to the application when the component has
// loaded, and the application's events (it is an application-events component).
#pragma once
#include "shell/AppEvents.h"

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
const TEnumInfo& BiDiModeInfo();

class TApplicationProperties : public TCustomApplicationEvents {
  VELMORA_CLASS(TApplicationProperties, TCustomApplicationEvents)

 public:
  explicit TApplicationProperties(TComponent* AOwner);
  ~TApplicationProperties() override;

  const std::string& About() const { return FAbout; }
  void SetAbout(const std::string& v) { FAbout = v; }
  // Off in any registered component: no application-events component receives an event.
  bool Chained() const { return FChained; }
  void SetChained(bool v) { FChained = v; }
  // Read from and written to the application itself.
  std::string HelpFile() const;
  void SetHelpFile(const std::string& v);
  std::string Title() const;
  void SetTitle(const std::string& v);

  bool Hidden() const { return FHidden; }
  void SetHidden(bool v) { FHidden = v; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor v) { FHintColor = v; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int v) { FHintHidePause = v; }
  int HintPause() const { return FHintPause; }
  void SetHintPause(int v) { FHintPause = v; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int v) { FHintShortPause = v; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool v) { FShowMainForm = v; }
  bool UpdateFormatSettings() const { return FUpdateFormatSettings; }
  void SetUpdateFormatSettings(bool v) { FUpdateFormatSettings = v; }
  bool UpdateMetricSettings() const { return FUpdateMetricSettings; }
  void SetUpdateMetricSettings(bool v) { FUpdateMetricSettings = v; }
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode v) { FBiDiMode = v; }
  bool HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(bool v) { FHintShortCuts = v; }
  bool MouseDragImmediate() const { return FMouseDragImmediate; }
  void SetMouseDragImmediate(bool v) { FMouseDragImmediate = v; }
  int MouseDragThreshold() const { return FMouseDragThreshold; }
  void SetMouseDragThreshold(int v) { FMouseDragThreshold = v; }
  const std::string& BiDiKeyboard() const { return FBiDiKeyboard; }
  void SetBiDiKeyboard(const std::string& v) { FBiDiKeyboard = v; }
  const std::string& NonBiDiKeyboard() const { return FNonBiDiKeyboard; }
  void SetNonBiDiKeyboard(const std::string& v) { FNonBiDiKeyboard = v; }

  void Loaded() override;

 protected:
  bool PassesEvents() const override { return FChained; }

 private:
  std::string FAbout;
  bool FChained = true;
  bool FHidden = false;
  TColor FHintColor = clInfoBk;
  int FHintHidePause = 2500, FHintPause = 500, FHintShortPause = 50;
  bool FShowHint = true, FShowMainForm = true, FUpdateFormatSettings = true, FUpdateMetricSettings = true;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FHintShortCuts = true, FMouseDragImmediate = true;
  int FMouseDragThreshold = 5;
  std::string FBiDiKeyboard, FNonBiDiKeyboard;
};

void RegisterAppPropsClasses();
