#include "shell/TrayIcon.h"
#include <shellapi.h>
#include <cstring>
#include "framework/Events.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/Timer.h"
#include "framework/UtilityWindow.h"

TTrayIcon::TShellNotify TTrayIcon::ShellNotify = SystemShellNotify;

VELMORA_CLASS_INFO(TTrayIcon) {
  using T = TTrayIcon;
  b.Bool("DesignPreview", &T::DesignPreview, &T::SetDesignPreview);
  b.Ref<TImageList>("IconList", &T::IconList, &T::SetIconList);
  b.Bool("CycleIcons", &T::CycleIcons, &T::SetCycleIcons);
  b.Int("CycleInterval", &T::CycleInterval, &T::SetCycleInterval);
  b.Bool("Enabled", &T::Enabled, &T::SetEnabled);
  b.Str("Hint", &T::Hint, &T::SetHint);
  b.Bool("ShowHint", &T::ShowHint, &T::SetShowHint);
  b.Object("Icon", &T::Icon);
  b.Bool("IconVisible", &T::IconVisible, &T::SetIconVisible);
  b.Ref<TPopupMenu>("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
  b.Bool("LeftPopup", &T::LeftPopup, &T::SetLeftPopup);
  b.Bool("StartMinimized", &T::StartMinimized, &T::SetStartMinimized);
  b.Bool("MinimizeToTray", &T::MinimizeToTray, &T::SetMinimizeToTray);
  b.Event("OnClick", &T::OnClick);
  b.Event("OnDblClick", &T::OnDblClick);
  b.Event("OnMouseDown", &T::OnMouseDown);
  b.Event("OnMouseUp", &T::OnMouseUp);
  b.Event("OnMouseMove", &T::OnMouseMove);
  b.Event("OnCycle", &T::OnCycle);
  b.Creatable();
}

void RegisterTrayIconClasses() { RegisterComponentClass(TTrayIcon::StaticClassInfo()); }

TTrayIcon::TTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
  FIcon.OnChange = [this](TObject*) {
    if (!Loading() && !FCycling) UpdateTrayIcon();
  };
  FWindow = std::make_unique<TUtilityWindow>(
      [this](HWND, UINT msg, WPARAM wp, LPARAM lp) { return TrayMessageHandler(msg, wp, lp); });
  FData.cbSize = sizeof FData;
  FData.hWnd = FWindow->Handle();
  FData.uID = 1;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = WM_TRAYNOTIFY;
  FCycleTimer = std::make_unique<TTimer>(nullptr);
  FCycleTimer->SetEnabled(false);
  FCycleTimer->SetInterval(0);
  FCycleTimer->SetOnTimer([this](TObject*) { CycleTimerTick(); });
  if (Application) {
    Application->HookMainWindow(this, [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
      return AppWindowFilter(msg, wp, lp, result);
    });
    FHooked = true;
  }
}

TTrayIcon::~TTrayIcon() {
  RemoveTrayIcon();
  FWindow.reset();
  FCycleTimer.reset();
  if (FHooked && Application) Application->UnhookMainWindow(this);
}

HWND TTrayIcon::Handle() const { return FWindow ? FWindow->Handle() : nullptr; }

bool TTrayIcon::PrepareIconData() {
  FData.hIcon = FIcon.Handle();
  std::memset(FData.szTip, 0, sizeof FData.szTip);
  // The field keeps its terminating zero: longer hints are cut.
  if (FShowHint && !FHint.empty()) std::strncpy(FData.szTip, FHint.c_str(), sizeof FData.szTip - 1);
  return true;
}

bool TTrayIcon::Shell(DWORD message) {
  // While the session ends the icon stays out of the tray, whatever asks for it.
  if (FSessionGone && message != NIM_DELETE) return false;
  return PrepareIconData() && ShellNotify && ShellNotify(message, &FData);
}

bool TTrayIcon::AddTrayIcon() {
  if (!FPreviewChanging) FIconVisible = true;
  return Shell(NIM_ADD);
}

bool TTrayIcon::RemoveTrayIcon() {
  if (!FPreviewChanging) FIconVisible = false;
  return Shell(NIM_DELETE);
}

bool TTrayIcon::UpdateTrayIcon() { return Shell(NIM_MODIFY); }

void TTrayIcon::SetDesignPreview(bool v) {
  // A preview in a form designer; nothing to show while the program runs.
  FDesignPreview = v;
}

void TTrayIcon::SetCycleIcons(bool v) {
  FCycleIcons = v;
  if (v) FCycleIndex = 0;
  FCycleTimer->SetEnabled(v);
}

void TTrayIcon::SetCycleInterval(int v) {
  FCycleInterval = v;
  FCycleTimer->SetInterval(v > 0 ? static_cast<unsigned>(v) : 0);
}

void TTrayIcon::SetHint(const std::string& v) {
  FHint = v;
  if (!Loading()) UpdateTrayIcon();
}

void TTrayIcon::SetShowHint(bool v) {
  FShowHint = v;
  if (!Loading()) UpdateTrayIcon();
}

void TTrayIcon::SetIcon(const TIcon& icon) { FIcon.Assign(icon); }

void TTrayIcon::SetIconVisible(bool v) {
  if (Loading()) {
    FIconVisible = v;
    return;
  }
  if (v)
    AddTrayIcon();
  else
    RemoveTrayIcon();
}

void TTrayIcon::SetPopupMenu(TPopupMenu* v) {
  if (v == FPopupMenu) return;
  FPopupMenu = v;
  if (v) v->FreeNotification(this);
}

void TTrayIcon::SetIconList(TImageList* v) {
  if (v == FIconList) return;
  FIconList = v;
  if (v) v->FreeNotification(this);
}

void TTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (AComponent == FIconList) FIconList = nullptr;
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (FStartMinimized && Application) {
    Application->SetShowMainForm(false);
    if (Application->Handle()) ShowWindow(Application->Handle(), SW_HIDE);
  }
  UpdateTrayIcon();
  SetIconVisible(FIconVisible);
}

std::optional<LRESULT> TTrayIcon::TrayMessageHandler(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TRAYNOTIFY) {
    TrayMouse(static_cast<UINT>(lp));
    return 0;
  }
  if (msg == WM_QUERYENDSESSION || msg == WM_ENDSESSION) {
    if (Application) return Application->SessionMessage(msg, wp);
    return msg == WM_QUERYENDSESSION ? 1 : 0;
  }
  // The shell restarted: without this a program hidden in the tray has no way back.
  if (msg == TaskbarCreatedMessage()) {
    if (FIconVisible) AddTrayIcon();
    return 0;
  }
  return std::nullopt;
}

void TTrayIcon::TrayMouse(UINT mouseMsg) {
  if (!FEnabled) return;
  TShiftState shift = KeyboardShiftState();
  POINT p{0, 0};
  GetCursorPos(&p);
  switch (mouseMsg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, p.x, p.y);
      break;
    case WM_LBUTTONDOWN:
      MouseDown(mbLeft, shift | ssLeft, p.x, p.y);
      FLeftPressed = true;
      if (FLeftPopup) ShowMenuAtCursor();
      break;
    case WM_LBUTTONUP:
      if (FLeftPressed) {
        FLeftPressed = false;
        Click();
      }
      MouseUp(mbLeft, shift | ssLeft, p.x, p.y);
      break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      if (FPopupMenu && FPopupMenu->AutoPopup() && !FLeftPopup) ClickDefaultItem();
      break;
    case WM_RBUTTONDOWN:
      MouseDown(mbRight, shift | ssRight, p.x, p.y);
      ShowMenuAtCursor();
      break;
    case WM_RBUTTONUP:
      MouseUp(mbRight, shift | ssRight, p.x, p.y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift | ssMiddle, p.x, p.y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift | ssMiddle, p.x, p.y);
      break;
  }
}

void TTrayIcon::ClickDefaultItem() {
  TMenuItem* items = FPopupMenu->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (items->Items(i)->Default()) {
      items->Items(i)->Click();
      return;
    }
}

void TTrayIcon::ShowMenuAtCursor() {
  POINT p;
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || !GetCursorPos(&p)) return;
  std::weak_ptr<bool> alive = FAlive;
  if (Application) Application->ProcessMessages();
  if (alive.expired() || !FPopupMenu) return;  // freed by what was waiting
  // The owner's thread in the foreground: the menu closes when the user clicks elsewhere.
  auto* owner = dynamic_cast<TWinControl*>(Owner());
  HWND h = owner ? owner->Handle() : nullptr;
  if (h) SetForegroundWindow(h);
  // The screen's focused control keeps the focus behind the menu.
  if (TWinControl* c = ScreenActiveControl(); c && c->CanFocus()) c->SetFocus();
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(p.x, p.y);
  // The next menu then opens and closes normally.
  if (h && !alive.expired()) PostMessageA(h, WM_NULL, 0, 0);
}

bool TTrayIcon::AppWindowFilter(UINT msg, WPARAM wp, LPARAM, LRESULT&) {
  if (msg == CM_SESSIONEND) {
    // The session ends: the icon leaves the tray now, since the process may be ended any moment
    // after. If the session goes on after all, it comes back.
    if (wp && !FSessionGone) {
      if (FIconVisible) Shell(NIM_DELETE);
      FSessionGone = true;
    } else if (!wp && FSessionGone) {
      FSessionGone = false;
      if (FIconVisible) Shell(NIM_ADD);
    }
    return false;
  }
  if (msg == WM_SIZE && wp == SIZE_MINIMIZED && FMinimizeToTray) EnterTray();
  return false;
}

void TTrayIcon::EnterTray() {
  if (Application) {
    // Hiding the application window takes its taskbar button away.
    if (Application->Handle()) ShowWindow(Application->Handle(), SW_HIDE);
    TForm* main = Application->MainForm();
    if (main && main->HandleAllocated()) ShowWindow(main->Handle(), SW_HIDE);
  }
  AddTrayIcon();
}

void TTrayIcon::CycleTimerTick() {
  int count = FIconList ? FIconList->Count() : 0;
  if (count <= 0) return;
  if (FCycleIndex >= count) FCycleIndex = 0;  // the list shrank meanwhile
  int current = FCycleIndex;
  FCycling = true;
  FIcon.SetHandle(ImageList_GetIcon(FIconList->Handle(), current, ILD_NORMAL));
  FCycling = false;
  DoCycle(current);
  UpdateTrayIcon();
  FCycleIndex = current + 1 < count ? current + 1 : 0;
}

void TTrayIcon::Click() {
  if (OnClick) CallGuarded(this, [&] { OnClick(this); });
}

void TTrayIcon::DblClick() {
  if (OnDblClick) CallGuarded(this, [&] { OnDblClick(this); });
}

void TTrayIcon::DoCycle(int Current) {
  if (OnCycle) CallGuarded(this, [&] { OnCycle(this, Current); });
}

void TTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) CallGuarded(this, [&] { OnMouseDown(this, Button, Shift, X, Y); });
}

void TTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) CallGuarded(this, [&] { OnMouseUp(this, Button, Shift, X, Y); });
}

void TTrayIcon::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) CallGuarded(this, [&] { OnMouseMove(this, Shift, X, Y); });
}
