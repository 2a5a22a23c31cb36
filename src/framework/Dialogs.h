// Message boxes, with a hook that tests set so that no box ever waits for a click.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

// Note: <windows.h> renames MessageBox to MessageBoxA; this overload is renamed with it, so
// callers just write MessageBox(text, caption, flags) as long as that macro is left alone.
// Returns the button pressed (IDOK, IDYES, ...), or 0 when the box could not be shown.
int MessageBox(const std::string& text, const std::string& caption, UINT flags,
               HWND owner = nullptr);
// An error box: MB_OK | MB_ICONERROR, without owner unless a window of this thread gathers
// (below).
void ShowErrorBox(const std::string& text, const std::string& caption);
// While a window gathers, the error boxes of its thread are owned by it: it is disabled under
// them and cannot be closed meanwhile. Returns the owner it replaces (nullptr: none).
HWND SetErrorBoxOwner(HWND owner);
// The owner the next error box of this thread gets (nullptr: none).
HWND ErrorBoxOwner();

// While set, boxes go to the hook instead of the screen and its result is returned.
using TMessageBoxHook =
    std::function<int(const std::string& text, const std::string& caption, UINT flags)>;
void SetMessageBoxHook(TMessageBoxHook hook);

#include "framework/Classes.h"

enum TOpenOption { ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofPathMustExist, ofFileMustExist, ofNoReadOnlyReturn,
                   ofEnableSizing };
using TOpenOptions = uint32_t;
const TEnumInfo& OpenOptionInfo();

// The system's "Save As" box.
class TSaveDialog : public TComponent {
  VELMORA_CLASS(TSaveDialog, TComponent)

 public:
  explicit TSaveDialog(TComponent* AOwner);
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& v) { FFileName = v; }
  const std::string& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const std::string& v) { FDefaultExt = v; }
  // "Description|pattern|Description|pattern".
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& v) { FFilter = v; }
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int v) { FFilterIndex = v; }
  const std::string& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const std::string& v) { FInitialDir = v; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions v) { FOptions = v; }
  // Shows the box owned by owner (the active window when null); true when the user chose a
  // file, whose full path is then FileName.
  bool Execute(HWND owner = nullptr);

 private:
  std::string FFileName, FDefaultExt, FFilter, FInitialDir, FTitle;
  int FFilterIndex = 1;
  TOpenOptions FOptions = 0;
};

// While set, Execute asks the hook instead of showing the box: it may change the file name and
// returns what the user would have answered.
using TSaveDialogHook = std::function<bool(TSaveDialog& dialog)>;
void SetSaveDialogHook(TSaveDialogHook hook);

// The system's printer set-up box.
class TPrinterSetupDialog : public TComponent {
  VELMORA_CLASS(TPrinterSetupDialog, TComponent)

 public:
  explicit TPrinterSetupDialog(TComponent* AOwner) : TComponent(AOwner) {}
  bool Execute(HWND owner = nullptr);
};

void RegisterDialogClasses();
