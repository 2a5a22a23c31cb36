// An icon in the notification area, as every tray component of the program shows one: the
// shell's record and entry point, keeping the shell's icon in step with the component, its
// return after the taskbar restarts and its leaving at the session's end, the mouse messages as
// events and the popup menu at the pointer.
#pragma once
#include <windows.h>
#include <memory>
#include <optional>
#include <string>
#include "framework/Bitmaps.h"
#include "framework/Controls.h"
#include "framework/Events.h"

class TPopupMenu;
class TUtilityWindow;

// The shell's icon record as Windows 95 and NT 4.0 know it (a 64-character tip, 88 bytes); the
// later shells take it by its size.
struct TNotifyIconData {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};

// Shell_NotifyIconA with that record.
BOOL WINAPI SystemShellNotify(DWORD message, TNotifyIconData* data);
// The message the shell sends every top-level window when the taskbar has been (re)created.
UINT TaskbarCreatedMessage();

// One icon in the notification area, owned by the component that shows it. The shell holds the
// icon while it is visible, has an image and the session is not ending; a refused add or change
// is tried again at the next change and when the taskbar comes back.
class TNotifyIcon {
 public:
  // What the icon asks of the component that shows it.
  class THost {
   public:
    virtual void Click() = 0;
    virtual void DblClick() = 0;
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) = 0;
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) = 0;
    virtual void MouseMove(TShiftState Shift, int X, int Y) = 0;
    // The application was minimised while MinimizeToTray is on.
    virtual void EnterTray() = 0;

   protected:
    ~THost() = default;
  };

  // id and callbackMessage go into the record; several icons of one program do not clash since
  // each has its own window.
  TNotifyIcon(TComponent& component, THost& host, UINT id, UINT callbackMessage);
  ~TNotifyIcon();
  TNotifyIcon(const TNotifyIcon&) = delete;
  TNotifyIcon& operator=(const TNotifyIcon&) = delete;

  // Any change of the image updates the shell's icon (unless the component replaces OnChange).
  TIcon& Icon() { return FIcon; }
  bool Visible() const { return FVisible; }
  // Shows or removes the icon; returns what Apply returns.
  bool SetVisible(bool v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);
  bool LeftPopup() const { return FLeftPopup; }
  void SetLeftPopup(bool v) { FLeftPopup = v; }
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool v) { FMinimizeToTray = v; }

  // Brings the shell's icon in step: removed when hidden, added or changed when shown (a change
  // the shell refuses becomes an add). Nothing while the component loads, while the image is
  // empty or while the session ends. Returns whether the shell accepted the call made (false
  // when none was needed).
  bool Apply();
  // Adds the icon again, as after the taskbar has restarted.
  void Restore();
  // The shell accepted the icon and has not lost it since, as far as is known.
  bool Added() const { return FAdded; }
  // The popup menu at the pointer, with the menu's window in the foreground.
  void ShowMenu();
  // Hides the application's window (and with it the taskbar button) and the main form.
  static void HideApplication();
  // The component forwards its Notification here: a menu being destroyed is let go.
  void Removed(TComponent* AComponent);

  // The hidden window the shell reports to, and the record last handed to the shell.
  HWND Handle() const;
  const TNotifyIconData& Data() const { return FData; }

  // The shell's entry point; tests put a recorder here (a refused icon, the records sent).
  using TShellNotify = BOOL(WINAPI*)(DWORD message, TNotifyIconData* data);
  static TShellNotify ShellNotify;

 private:
  std::optional<LRESULT> WindowMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool AppWindowMessage(UINT msg, WPARAM wp);
  void MouseMessage(UINT mouseMsg);
  void ClickDefaultItem();
  bool Shell(DWORD message);
  void BuildTip();

  TComponent& FComponent;
  THost& FHost;
  TIcon FIcon;
  TNotifyIconData FData{};
  std::unique_ptr<TUtilityWindow> FWindow;
  bool FVisible = false, FEnabled = true, FShowHint = false, FLeftPopup = false, FMinimizeToTray = false;
  std::string FHint;
  TPopupMenu* FPopupMenu = nullptr;
  bool FAdded = false;
  bool FAsked = false;        // an add went out since the last delete: the shell may hold the icon
  bool FSessionGone = false;  // taken out of the tray because the session ends
  bool FLeftPressed = false;  // a left press is waiting for its release to make a click
  bool FHooked = false;
  // Gone with this object: handlers may free the component.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// A component showing one such icon: the events and the properties every tray component has.
// Base is the component's framework base class.
template <class Base>
class TNotifyIconComponent : public Base, protected TNotifyIcon::THost {
 public:
  TNotifyIconComponent(TComponent* AOwner, UINT id, UINT callbackMessage)
      : Base(AOwner), FTray(*this, *this, id, callbackMessage) {}

  bool Enabled() const { return FTray.Enabled(); }
  void SetEnabled(bool v) { FTray.SetEnabled(v); }
  const std::string& Hint() const { return FTray.Hint(); }
  void SetHint(const std::string& v) { FTray.SetHint(v); }
  bool ShowHint() const { return FTray.ShowHint(); }
  void SetShowHint(bool v) { FTray.SetShowHint(v); }
  TPopupMenu* PopupMenu() const { return FTray.PopupMenu(); }
  void SetPopupMenu(TPopupMenu* v) { FTray.SetPopupMenu(v); }
  // The icon is registered with the shell.
  bool Added() const { return FTray.Added(); }
  HWND Handle() const { return FTray.Handle(); }
  const TNotifyIconData& IconData() const { return FTray.Data(); }

  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  TNotifyIcon& Tray() { return FTray; }
  const TNotifyIcon& Tray() const { return FTray; }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    Base::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove) FTray.Removed(AComponent);
  }
  void Click() override {
    if (OnClick) CallGuarded(this, [&] { OnClick(this); });
  }
  void DblClick() override {
    if (OnDblClick) CallGuarded(this, [&] { OnDblClick(this); });
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    if (OnMouseDown) CallGuarded(this, [&] { OnMouseDown(this, Button, Shift, X, Y); });
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    if (OnMouseUp) CallGuarded(this, [&] { OnMouseUp(this, Button, Shift, X, Y); });
  }
  void MouseMove(TShiftState Shift, int X, int Y) override {
    if (OnMouseMove) CallGuarded(this, [&] { OnMouseMove(this, Shift, X, Y); });
  }

 private:
  TNotifyIcon FTray;
};
