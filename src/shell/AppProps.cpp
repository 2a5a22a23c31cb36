#include "shell/AppProps.h"
#include "shell/AppComponents.h"

const TEnumInfo& BiDiModeInfo() {
  static const TEnumInfo e{"TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"}};
  return e;
}

VELMORA_CLASS_INFO(TApplicationProperties) {
  using P = TApplicationProperties;
  b.Str("About", &P::About, &P::SetAbout);
  b.Bool("Chained", &P::Chained, &P::SetChained);
  b.Str("HelpFile", &P::HelpFile, &P::SetHelpFile);
  b.Str("Title", &P::Title, &P::SetTitle);
  b.Bool("Hidden", &P::Hidden, &P::SetHidden);
  b.Int("HintColor", &P::HintColor, &P::SetHintColor, &ColorIdents());
  b.Int("HintHidePause", &P::HintHidePause, &P::SetHintHidePause);
  b.Int("HintPause", &P::HintPause, &P::SetHintPause);
  b.Int("HintShortPause", &P::HintShortPause, &P::SetHintShortPause);
  b.Bool("ShowHint", &P::ShowHint, &P::SetShowHint);
  b.Bool("ShowMainForm", &P::ShowMainForm, &P::SetShowMainForm);
  b.Bool("UpdateFormatSettings", &P::UpdateFormatSettings, &P::SetUpdateFormatSettings);
  b.Bool("UpdateMetricSettings", &P::UpdateMetricSettings, &P::SetUpdateMetricSettings);
  b.Enum("BiDiMode", &P::BiDiMode, &P::SetBiDiMode, BiDiModeInfo());
  b.Bool("HintShortCuts", &P::HintShortCuts, &P::SetHintShortCuts);
  b.Bool("MouseDragImmediate", &P::MouseDragImmediate, &P::SetMouseDragImmediate);
  b.Int("MouseDragThreshold", &P::MouseDragThreshold, &P::SetMouseDragThreshold);
  b.Str("BiDiKeyboard", &P::BiDiKeyboard, &P::SetBiDiKeyboard);
  b.Str("NonBiDiKeyboard", &P::NonBiDiKeyboard, &P::SetNonBiDiKeyboard);
  b.Creatable();
}

void RegisterAppPropsClasses() { RegisterComponentClass(TApplicationProperties::StaticClassInfo()); }

TApplicationProperties::TApplicationProperties(TComponent* AOwner) : TCustomApplicationEvents(AOwner) {}

TApplicationProperties::~TApplicationProperties() = default;

std::string TApplicationProperties::HelpFile() const { return Application ? Application->HelpFile() : std::string(); }

void TApplicationProperties::SetHelpFile(const std::string& v) {
  if (Application) Application->SetHelpFile(v);
}

std::string TApplicationProperties::Title() const { return Application ? Application->Title() : std::string(); }

void TApplicationProperties::SetTitle(const std::string& v) {
  if (Application) Application->SetTitle(v);
}

void TApplicationProperties::Loaded() {
  TCustomApplicationEvents::Loaded();
  if (!Application) return;
  TApplication& a = *Application;
  a.HintColor = FHintColor;
  a.HintHidePause = FHintHidePause;
  a.HintPause = FHintPause;
  a.HintShortPause = FHintShortPause;
  // A duplicate start that is ending keeps its main window hidden.
  if (!EndingDuplicate()) a.SetShowMainForm(FShowMainForm);
  a.SetShowHint(FShowHint);
  if (FHidden && a.Handle()) {
    // No taskbar button: a hidden tool window instead of the application window.
    HWND h = a.Handle();
    ShowWindow(h, SW_HIDE);
    SetWindowLongA(h, GWL_EXSTYLE, (GetWindowLongA(h, GWL_EXSTYLE) & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  }
}
