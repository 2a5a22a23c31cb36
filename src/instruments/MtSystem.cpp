#include "instruments/MtSystem.h"
#include <cstring>
#include "framework/Events.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/UtilityWindow.h"
#include "instruments/MtMath.h"

VELMORA_CLASS_INFO(TMtBitmapList) {
  b.Object("Bitmaps", &TMtBitmapList::BitmapsPtr);
  b.Event("OnChange", &TMtBitmapList::OnChange);
  b.Creatable();
}

TMtBitmapList::TMtBitmapList(TComponent* AOwner) : TMtSharedComponent(AOwner), FBitmaps(std::make_unique<TMtBitmaps>()) {
  FBitmaps->OnChange = [this](TObject*) {
    NotifyClients();
    Changed();
  };
}

TMtBitmapList::~TMtBitmapList() { FBitmaps->OnChange = nullptr; }

void TMtBitmapList::Changed() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TMtCustomTrayIcon

VELMORA_CLASS_INFO(TMtCustomTrayIcon) {}

TMtCustomTrayIcon::TShellNotify TMtCustomTrayIcon::ShellNotify = &SystemShellNotify;

TMtCustomTrayIcon::TMtCustomTrayIcon(TComponent* AOwner) : TMtComponent(AOwner) {
  FWindow = std::make_unique<TUtilityWindow>(
      [this](HWND, UINT msg, WPARAM wp, LPARAM lp) { return WindowMessage(msg, wp, lp); });
  FData.cbSize = sizeof FData;
  FData.hWnd = FWindow->Handle();
  FData.uID = 0;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = WM_NOTIFYICON;
  FIcon.OnChange = [this](TObject*) { UpdateNotifyIcon(); };
  // Watches the application window for its minimising, among the others that do.
  if (Application) {
    Application->HookMainWindow(this, [this](UINT msg, WPARAM wp, LPARAM, LRESULT&) {
      if (msg == CM_SESSIONEND) {
        // The session ends: no icon of a process that may be gone any moment stays behind. If
        // it goes on after all, the icon comes back.
        FSessionGone = wp != 0;
        if (FSessionGone) {
          if (FAdded) Shell(NIM_DELETE);
          FAdded = false;
        } else {
          UpdateNotifyIcon();
        }
        return false;
      }
      if (msg == WM_SIZE && wp == SIZE_MINIMIZED && FHideTaskBtn) {
        ShowWindow(Application->Handle(), SW_HIDE);
        if (TForm* main = Application->MainForm(); main && main->HandleAllocated()) ShowWindow(main->Handle(), SW_HIDE);
        SetVisible(true);
      }
      return false;
    });
    FHooked = true;
  }
}

TMtCustomTrayIcon::~TMtCustomTrayIcon() {
  *FAlive = false;
  SetVisible(false);
  FIcon.OnChange = nullptr;
  if (FHooked && Application) Application->UnhookMainWindow(this);
}

HWND TMtCustomTrayIcon::Handle() const { return FWindow ? FWindow->Handle() : nullptr; }

bool TMtCustomTrayIcon::Shell(DWORD message) {
  FData.hIcon = FIcon.Handle();
  return ShellNotify && ShellNotify(message, &FData);
}

void TMtCustomTrayIcon::UpdateNotifyIcon() {
  if (FSessionGone) return;  // no icon again while the session ends
  if (!FVisible) {
    // Removed whatever the icon holds, so that nothing of ours stays in the tray.
    if (FAdded) {
      Shell(NIM_DELETE);
      FAdded = false;
    }
    return;
  }
  if (FIcon.Empty()) return;
  // A modify the shell refuses (the icon is gone with a restarted taskbar) becomes an add.
  if (FAdded && Shell(NIM_MODIFY)) return;
  FAdded = Shell(NIM_ADD);
}

void TMtCustomTrayIcon::RestoreIcon() {
  FAdded = false;
  UpdateNotifyIcon();
}

void TMtCustomTrayIcon::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  UpdateNotifyIcon();
}

void TMtCustomTrayIcon::BuildTip() {
  std::memset(FData.szTip, 0, sizeof FData.szTip);
  std::string tip = mt::GaugeTip(FHint, FShowHint);
  std::memcpy(FData.szTip, tip.data(), tip.size());
  UpdateNotifyIcon();
}

void TMtCustomTrayIcon::SetHint(const std::string& v) {
  if (v == FHint) return;
  FHint = v;
  BuildTip();
}

void TMtCustomTrayIcon::SetShowHint(bool v) {
  if (v == FShowHint) return;
  FShowHint = v;
  BuildTip();
}

void TMtCustomTrayIcon::SetPopupMenu(TPopupMenu* v) {
  if (v == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = v;
  if (v) v->FreeNotification(this);
}

void TMtCustomTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

std::optional<LRESULT> TMtCustomTrayIcon::WindowMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFYICON) {
    if (FEnabled) MouseMessage(static_cast<UINT>(lp));
    return 0;
  }
  if (msg == TaskbarCreatedMessage()) {
    RestoreIcon();
    return 0;
  }
  if ((msg == WM_QUERYENDSESSION || msg == WM_ENDSESSION) && Application) return Application->SessionMessage(msg, wp);
  return std::nullopt;
}

void TMtCustomTrayIcon::MouseMessage(UINT mouseMsg) {
  std::shared_ptr<bool> alive = FAlive;
  POINT p{0, 0};
  GetCursorPos(&p);
  TShiftState shift = KeyboardShiftState();
  auto fire = [&](const auto& handler, auto... args) {
    if (*alive && handler) CallGuarded(this, [&] { handler(this, args...); });
  };
  switch (mouseMsg) {
    case WM_MOUSEMOVE:
      fire(OnMouseMove, shift, static_cast<int>(p.x), static_cast<int>(p.y));
      break;
    case WM_LBUTTONDOWN:
      fire(OnMouseDown, mbLeft, shift | ssLeft, static_cast<int>(p.x), static_cast<int>(p.y));
      if (!*alive) return;
      FClicked = true;
      if (FLeftBtnPopup) {
        FClicked = false;
        ShowMenu();
      }
      break;
    case WM_LBUTTONUP:
      if (FClicked) {
        FClicked = false;
        fire(OnClick);
      }
      fire(OnMouseUp, mbLeft, shift | ssLeft, static_cast<int>(p.x), static_cast<int>(p.y));
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      fire(OnDblClick);
      break;
    case WM_RBUTTONDOWN:
      fire(OnMouseDown, mbRight, shift | ssRight, static_cast<int>(p.x), static_cast<int>(p.y));
      if (*alive) ShowMenu();
      break;
    case WM_RBUTTONUP:
      fire(OnMouseUp, mbRight, shift | ssRight, static_cast<int>(p.x), static_cast<int>(p.y));
      break;
    case WM_MBUTTONDOWN:
      fire(OnMouseDown, mbMiddle, shift | ssMiddle, static_cast<int>(p.x), static_cast<int>(p.y));
      break;
    case WM_MBUTTONUP:
      fire(OnMouseUp, mbMiddle, shift | ssMiddle, static_cast<int>(p.x), static_cast<int>(p.y));
      break;
  }
}

void TMtCustomTrayIcon::ShowMenu() {
  if (!FPopupMenu) return;
  std::shared_ptr<bool> alive = FAlive;
  POINT p{0, 0};
  GetCursorPos(&p);
  if (Application) Application->ProcessMessages();
  // What the waiting messages did may have taken the menu or this icon away.
  if (!*alive || !FPopupMenu) return;
  HWND main = Application && Application->MainForm() && Application->MainForm()->HandleAllocated()
                  ? Application->MainForm()->Handle()
                  : nullptr;
  // The menu closes on a click elsewhere only when its window is in the foreground.
  if (main) SetForegroundWindow(main);
  // The window's focused control keeps the focus behind the menu.
  if (TWinControl* c = ScreenActiveControl(); c && c->CanFocus()) c->SetFocus();
  FPopupMenu->Popup(p.x, p.y);
  if (main) PostMessageA(main, WM_NULL, 0, 0);
}
