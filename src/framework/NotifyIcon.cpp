#include "framework/NotifyIcon.h"
#include <shellapi.h>
#include <cstring>
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/UtilityWindow.h"

static_assert(sizeof(TNotifyIconData) == 88, "the record as Windows 95 and NT 4.0 know it");

BOOL WINAPI SystemShellNotify(DWORD message, TNotifyIconData* data) {
  return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(data));
}

UINT TaskbarCreatedMessage() {
  static const UINT msg = RegisterWindowMessageA("TaskbarCreated");
  return msg;
}

TNotifyIcon::TShellNotify TNotifyIcon::ShellNotify = &SystemShellNotify;

TNotifyIcon::TNotifyIcon(TComponent& component, THost& host, UINT id, UINT callbackMessage)
    : FComponent(component), FHost(host) {
  FWindow = std::make_unique<TUtilityWindow>(
      [this](HWND, UINT msg, WPARAM wp, LPARAM lp) { return WindowMessage(msg, wp, lp); });
  FData.cbSize = sizeof FData;
  FData.hWnd = FWindow->Handle();
  FData.uID = id;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = callbackMessage;
  FIcon.OnChange = [this](TObject*) { Apply(); };
  // The application window tells of its minimising and of the session's end, among others.
  if (Application) {
    Application->HookMainWindow(this, [this](UINT msg, WPARAM wp, LPARAM, LRESULT&) { return AppWindowMessage(msg, wp); });
    FHooked = true;
  }
}

TNotifyIcon::~TNotifyIcon() {
  *FAlive = false;
  FIcon.OnChange = nullptr;
  if (FAsked) Shell(NIM_DELETE);
  if (FHooked && Application) Application->UnhookMainWindow(this);
}

HWND TNotifyIcon::Handle() const { return FWindow ? FWindow->Handle() : nullptr; }

bool TNotifyIcon::Shell(DWORD message) {
  FData.hIcon = FIcon.Handle();
  return ShellNotify && ShellNotify(message, &FData);
}

bool TNotifyIcon::Apply() {
  if (FComponent.Loading() || FSessionGone) return false;
  if (!FVisible) {
    // Removed also after a refused add: the shell may have taken the icon all the same.
    bool removed = FAsked && Shell(NIM_DELETE);
    FAdded = FAsked = false;
    return removed;
  }
  if (FIcon.Empty()) return false;  // a blank slot in the tray helps nobody
  // A change the shell refuses (the icon went with a restarted taskbar) becomes an add.
  if (FAdded && Shell(NIM_MODIFY)) return true;
  FAsked = true;
  FAdded = Shell(NIM_ADD);
  return FAdded;
}

void TNotifyIcon::Restore() {
  FAdded = FAsked = false;
  Apply();
}

bool TNotifyIcon::SetVisible(bool v) {
  FVisible = v;
  return Apply();
}

void TNotifyIcon::BuildTip() {
  std::memset(FData.szTip, 0, sizeof FData.szTip);
  // The field keeps its terminating zero: longer hints are cut.
  if (FShowHint && !FHint.empty()) std::strncpy(FData.szTip, FHint.c_str(), sizeof FData.szTip - 1);
  Apply();
}

void TNotifyIcon::SetHint(const std::string& v) {
  if (v == FHint) return;
  FHint = v;
  BuildTip();
}

void TNotifyIcon::SetShowHint(bool v) {
  if (v == FShowHint) return;
  FShowHint = v;
  BuildTip();
}

void TNotifyIcon::SetPopupMenu(TPopupMenu* v) {
  // The old menu keeps its link: it may still name this component as the one it popped up for.
  FPopupMenu = v;
  if (v) v->FreeNotification(&FComponent);
}

void TNotifyIcon::Removed(TComponent* AComponent) {
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TNotifyIcon::AppWindowMessage(UINT msg, WPARAM wp) {
  if (msg == CM_SESSIONEND) {
    // The session ends: the icon leaves the tray now, since the process may be ended any moment
    // after, and nothing brings it back meanwhile. If the session goes on after all, it returns.
    if (wp) {
      if (FAsked) Shell(NIM_DELETE);
      FAdded = FAsked = false;
      FSessionGone = true;
    } else if (FSessionGone) {
      FSessionGone = false;
      Apply();
    }
    return false;
  }
  if (msg == WM_SIZE && wp == SIZE_MINIMIZED && FMinimizeToTray) FHost.EnterTray();
  return false;
}

void TNotifyIcon::HideApplication() {
  if (!Application) return;
  // Hiding the application window takes its taskbar button away.
  if (Application->Handle()) ShowWindow(Application->Handle(), SW_HIDE);
  TForm* main = Application->MainForm();
  if (main && main->HandleAllocated()) ShowWindow(main->Handle(), SW_HIDE);
}

std::optional<LRESULT> TNotifyIcon::WindowMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == FData.uCallbackMessage) {
    if (FEnabled) MouseMessage(static_cast<UINT>(lp));
    return 0;
  }
  // The shell restarted: without this a program hidden in the tray has no way back.
  if (msg == TaskbarCreatedMessage()) {
    Restore();
    return 0;
  }
  if (msg == WM_QUERYENDSESSION || msg == WM_ENDSESSION) {
    if (Application) return Application->SessionMessage(msg, wp);
    return msg == WM_QUERYENDSESSION ? 1 : 0;
  }
  return std::nullopt;
}

void TNotifyIcon::MouseMessage(UINT mouseMsg) {
  // Each handler may free the component, and this with it.
  std::weak_ptr<bool> alive = FAlive;
  TShiftState shift = KeyboardShiftState();
  POINT p{0, 0};
  MousePos(p);
  switch (mouseMsg) {
    case WM_MOUSEMOVE:
      FHost.MouseMove(shift, p.x, p.y);
      break;
    case WM_LBUTTONDOWN:
      FHost.MouseDown(mbLeft, shift | ssLeft, p.x, p.y);
      if (alive.expired()) return;
      // A press that opens the menu makes no click: the menu takes the release.
      FLeftPressed = !FLeftPopup;
      if (FLeftPopup) ShowMenu();
      break;
    case WM_LBUTTONUP:
      if (FLeftPressed) {
        FLeftPressed = false;
        FHost.Click();
        if (alive.expired()) return;
      }
      FHost.MouseUp(mbLeft, shift | ssLeft, p.x, p.y);
      break;
    case WM_LBUTTONDBLCLK:
      // Only the left button's: the right one's press has opened the menu already.
      FHost.DblClick();
      if (!alive.expired()) ClickDefaultItem();
      break;
    case WM_RBUTTONDOWN:
      FHost.MouseDown(mbRight, shift | ssRight, p.x, p.y);
      if (!alive.expired()) ShowMenu();
      break;
    case WM_RBUTTONUP:
      FHost.MouseUp(mbRight, shift | ssRight, p.x, p.y);
      break;
    case WM_MBUTTONDOWN:
      FHost.MouseDown(mbMiddle, shift | ssMiddle, p.x, p.y);
      break;
    case WM_MBUTTONUP:
      FHost.MouseUp(mbMiddle, shift | ssMiddle, p.x, p.y);
      break;
  }
}

void TNotifyIcon::ClickDefaultItem() {
  // The menu's default item (drawn bold) is what a double-click on its icon does.
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || FLeftPopup) return;
  TMenuItem* items = FPopupMenu->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (items->Items(i)->Default()) {
      items->Items(i)->Click();
      return;
    }
}

void TNotifyIcon::ShowMenu() {
  POINT p;
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || !MousePos(p)) return;
  std::weak_ptr<bool> alive = FAlive;
  if (Application) Application->ProcessMessages();
  // What was waiting may have taken the menu or this icon away.
  if (alive.expired() || !FPopupMenu) return;
  TPopupMenu* menu = FPopupMenu;
  // The menu closes on a click elsewhere only while the window it reports to is in the
  // foreground.
  HWND window = menu->OwnerWindow();
  if (window) SetForegroundWindow(window);
  // The window's focused control keeps the focus behind the menu.
  if (TWinControl* c = ScreenActiveControl(); c && c->CanFocus()) c->SetFocus();
  menu->SetPopupComponent(&FComponent);
  menu->Popup(p.x, p.y);
  // The next menu then opens and closes normally.
  if (window && IsWindow(window)) PostMessageA(window, WM_NULL, 0, 0);
}
