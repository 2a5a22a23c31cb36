// Forms (top-level windows read from their descriptions) and the application object.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/Controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = uint32_t;
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

const TEnumInfo& FormBorderStyleInfo();
const TEnumInfo& BorderIconInfo();
const TEnumInfo& PositionInfo();
const TEnumInfo& WindowStateInfo();

class TForm : public TWinControl {
  VELMORA_CLASS(TForm, TWinControl)

 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons v);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition v) { FPosition = v; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState v);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool v) { FKeyPreview = v; }
  // The page of the help file about this window ("wizard.htm"): F1 opens it, or the help's
  // contents when there is none.
  const std::string& HelpTopic() const { return FHelpTopic; }
  void SetHelpTopic(const std::string& v) { FHelpTopic = v; }
  void ShowHelp();

  RECT ClientRect() const override;
  // A window taller than the screen's work area is made as tall as the work area and its
  // contents scroll (keeping their designed size): the part shown, and the contents' height (0
  // while all of it shows).
  RECT AlignRect() const override;
  int ScrollPos() const { return FScrollPos; }
  int ScrollHeight() const { return FScrollHeight; }
  void ScrollTo(int pos);
  // Scrolls so that a control of the window shows (one that takes the focus does so itself).
  void ScrollInView(TControl* c);
  void SetClientWidth(int v) override;
  void SetClientHeight(int v) override;
  int StoredClientWidth() const { return ClientWidth(); }
  int StoredClientHeight() const { return ClientHeight(); }

  void Show();
  void Hide();
  bool Showing() const override;
  // Asks OnCloseQuery, then OnClose decides: hide, free, minimise or nothing. Closing the main
  // form ends the application.
  void Close();
  bool CloseQuery();
  // Frees the form once the messages already waiting have been handled.
  void Release();
  bool Active() const;
  void BringToFront();

  // Shows the form with the application's other windows disabled and returns the modal result
  // once something sets it (a button's ModalResult, or closing: mrCancel).
  int ShowModal();
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int v) { FModalResult = v; }
  // The buttons that Enter and Esc press in a dialog form (set by the buttons themselves).
  TWinControl* DefaultButton = nullptr;
  TWinControl* CancelButton = nullptr;
  // The button Enter presses now: the focused push button while it has the focus, else the
  // default button (when it shows and is enabled); null when there is none.
  TControl* EnterButton();
  // Presses EnterButton; false when there is none.
  bool PressEnterButton();
  // Shows the default look on the button that Enter presses now (after a focus or default
  // change).
  void UpdateDefaultLook();

  // The control that has the focus within this form, or that gets it when the form is next
  // activated; null when the focus rests on the form itself.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* c);
  // Told by the form's controls: one took the focus; one is being destroyed.
  void ControlFocused(TWinControl* c);
  void ControlGone(TWinControl* c);

  TNotifyEvent OnCreate, OnShow, OnHide, OnDestroy, OnActivate, OnDeactivate, OnResize, OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  // Reads the description resource of that name, then raises OnCreate.
  void LoadDescription(const std::string& resourceName);
  // The same from a description's text (name is what errors call it).
  void LoadDescriptionText(const std::string& text, const std::string& name);
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void VisibleChanged() override;
  void Loaded() override;
  void PaintWindow(HDC dc) override;
  void DoShow();
  void DoHide();
  // Outer size for a client size with the present style.
  SIZE FrameExtra() const;

 private:
  void ApplyPosition();
  // Fits the window (its intended place and size) into the work area.
  void FitWorkArea(int& x, int& y, int& w, int& h);
  void UpdateScrollBar();
  bool ScrollMessage(UINT msg, WPARAM wp);
  // Gives an existing window the style of the present border style and icons.
  void ApplyBorder();
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons = (1u << biSystemMenu) | (1u << biMinimize) | (1u << biMaximize);
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  int FPixelsPerInch = 96;
  bool FKeyPreview = false;
  bool FPositioned = false;
  int FLoadClientWidth = -1, FLoadClientHeight = -1;
  int FModalResult = 0;
  bool FModal = false;
  bool FReleasePending = false;
  std::string FHelpTopic;
  int FScrollPos = 0, FScrollHeight = 0;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FDefaultLook = nullptr;  // the button drawn as the default one
};

// The form a control sits on (the control itself when it is one), or null.
TForm* ParentForm(TControl* c);

// The control with the focus in the active window of the program (or the one that active form
// gives the focus to), or null.
TWinControl* ScreenActiveControl();

// Dialog navigation: the next window that Tab (or Shift+Tab, backward) reaches in root after
// from: the visible, enabled windows with WS_TABSTOP, in z-order, stepping into visible, enabled
// control parents (after the control parent itself when it is a tab stop too). From a window
// that is no tab stop it starts where that window stands in the same order; from nothing or the
// root, at the first (last) one. Null when there is no tab stop.
HWND NextTabStop(HWND root, HWND from, bool backward);

// Modal results: the ids of the standard dialog buttons.
enum : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY, mrIgnore = IDIGNORE,
             mrYes = IDYES, mrNo = IDNO };
const TIdentMap& ModalResultIdents();

class THintWindow;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

struct THintInfo {
  TControl* HintControl = nullptr;
  POINT HintPos{};
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  RECT CursorRect{};
  POINT CursorPos{};
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  std::string HintStr;
};

using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// Creates the window that shows hints; replaced by a flat-style one where the program wants it.
using THintWindowFactory = std::function<THintWindow*(TComponent* owner)>;

class TApplication : public TComponent {
  VELMORA_CLASS(TApplication, TComponent)

 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize();
  HWND Handle() const { return FHandle; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v);
  const std::string& HelpFile() const { return FHelpFile; }
  void SetHelpFile(const std::string& v) { FHelpFile = v; }
  // Opens the help file at one of its pages, or at its contents when topic is empty. A help file
  // named without a folder is the one beside the program.
  void ShowHelp(const std::string& topic);
  // Shows the help instead of the system's viewer (tests record what was asked); empty for the
  // viewer.
  std::function<void(const std::string& file, const std::string& topic)> HelpViewer;
  std::string ExeName() const;
  HICON Icon() const { return FIcon; }

  TForm* MainForm() const { return FMainForm; }
  // Takes ownership of a form created by the caller; the first one becomes the main form.
  void AddForm(TForm* f);
  void Run();
  // Ends the message loop once the messages already waiting have been handled.
  void Terminate();
  bool Terminated() const { return FTerminated; }
  void ProcessMessages();
  void HandleMessage();
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool v) { FShowMainForm = v; }
  void Minimize();
  void Restore();
  bool Minimized() const { return FHandle && IsIconic(FHandle); }
  bool Active() const { return FActive; }
  void BringToFront();

  // Failures escaping event handlers come here: OnException, or dropped when none is bound.
  void HandleException(TObject* Sender, const std::exception& E);

  // Hints.
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  int HintPause = 500, HintShortPause = 50, HintHidePause = 2500;
  TColor HintColor = clInfoBk;
  THintWindowFactory HintWindowClass;
  void CancelHint();
  void ActivateHint(POINT cursor);
  // The control under the mouse changed (graphic or windowed); drives hover and hints.
  void MouseOver(TControl* c);
  void ControlDestroyed(TControl* c);
  // Restarts the hint of the control under the mouse (a control whose hint changed with the
  // pointer's position, such as a link's target).
  void ResetHint();
  TControl* MouseControl() const { return FMouseControl; }

  TNotifyEvent OnActivate, OnDeactivate, OnMinimize, OnRestore, OnHint;
  TExceptionEvent OnException;
  TShowHintEvent OnShowHint;
  TMessageEvent OnMessage;
  TIdleEvent OnIdle;

  // Components that watch the application window join this list instead of replacing its
  // window procedure, so they may come and go in any order (see TMessageHooks).
  void HookMainWindow(const void* key, TMessageHook hook) { FHooks.Add(key, std::move(hook)); }  // key: usually `this`
  void UnhookMainWindow(const void* key) { FHooks.Remove(key); }
  LRESULT AppWndProc(UINT msg, WPARAM wp, LPARAM lp);

  // WM_QUERYENDSESSION and WM_ENDSESSION, from whichever of the program's windows gets them
  // first. The session's end is a close: Windows may end the process as soon as they have been
  // answered, so the components store what they must before that (CM_SESSIONEND to the
  // application window's hooks, once per notice, lParam TRUE at WM_ENDSESSION) and the message
  // loop is ended. The answer to the query is yes. A session end that is called off
  // (WM_ENDSESSION with FALSE after the query) tells the hooks again, with wParam FALSE, so that
  // they take back what they let go.
  LRESULT SessionMessage(UINT msg, WPARAM wp);
  bool SessionEnding() const { return FSessionState != 0; }

 protected:
  // The hint window and the main form may go before the application does.
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMessageHooks FHooks;
  void Idle();
  bool DialogKey(MSG& m);
  static bool IsFormWindow(HWND h);
  void TurnPage(TForm* form, bool forward);
  void ShowRestoredMainForm();
  void DoMouseIdle();
  bool DialogChar(HWND target, char key);
  void HintTimerExpired();
  void StartHintTimer(UINT ms, int kind);
  void StopHintTimer();
  static LRESULT CALLBACK AppWndProcStatic(HWND h, UINT msg, WPARAM wp, LPARAM lp);

  HWND FHandle = nullptr;
  HICON FIcon = nullptr;
  std::string FTitle, FHelpFile;
  TForm* FMainForm = nullptr;
  bool FTerminated = false, FShowMainForm = true, FActive = false, FShowHint = true, FRestoring = false;
  TControl* FMouseControl = nullptr;
  TControl* FHintControl = nullptr;
  THintWindow* FHintWindow = nullptr;
  bool FHintActive = false;
  int FHintTimerKind = 0;  // 1: waiting to show, 2: waiting to hide
  int FSessionState = 0;   // 1: asked whether it may end, 2: ending
};

extern TApplication* Application;

// The module's own resource text (RCDATA), or throws.
std::string LoadResourceText(const std::string& name);

void RegisterFormClasses();
