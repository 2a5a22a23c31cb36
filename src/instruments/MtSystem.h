// Shared instrument components: the bitmap list, and the base of the instruments' icons in the
// notification area.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <memory>
#include <optional>
#include <string>
#include "framework/NotifyIcon.h"
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

class TPopupMenu;
class TUtilityWindow;

using TMtNotifyIconData = TNotifyIconData;

// A set of bitmaps that several controls use; every change tells them through their links.
class TMtBitmapList : public TMtSharedComponent {
  VELMORA_CLASS(TMtBitmapList, TMtSharedComponent)

 public:
  explicit TMtBitmapList(TComponent* AOwner);
  ~TMtBitmapList() override;
  TMtBitmaps& Bitmaps() { return *FBitmaps; }
  TMtBitmaps* BitmapsPtr() { return FBitmaps.get(); }
  void SetBitmaps(const TMtBitmaps* value) { FBitmaps->Assign(value); }
  // Null outside 0..Count-1.
  TBitmap* GetBitmap(int Index) const { return FBitmaps->Bitmaps(Index); }
  TNotifyEvent OnChange;

 protected:
  // After the links have been told: raises OnChange.
  virtual void Changed();

 private:
  std::unique_ptr<TMtBitmaps> FBitmaps;
};

// One icon in the notification area with its tooltip, its mouse messages as events and a popup
// menu. The icon is shown while Visible and not empty; only an add the shell accepted counts,
// so a refused one (no taskbar yet) is tried again at the next change or when the taskbar comes.
class TMtCustomTrayIcon : public TMtComponent {
  VELMORA_CLASS(TMtCustomTrayIcon, TMtComponent)

 public:
  explicit TMtCustomTrayIcon(TComponent* AOwner);
  ~TMtCustomTrayIcon() override;

  // Any change of the icon updates the notification icon.
  TIcon& Icon() { return FIcon; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);
  bool HideTaskBtn() const { return FHideTaskBtn; }
  void SetHideTaskBtn(bool v) { FHideTaskBtn = v; }
  bool LeftBtnPopup() const { return FLeftBtnPopup; }
  void SetLeftBtnPopup(bool v) { FLeftBtnPopup = v; }

  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // The icon is registered with the shell.
  bool Added() const { return FAdded; }
  // Registers the icon again, as after the shell has restarted. The icon does it by itself on
  // the shell's "TaskbarCreated" broadcast.
  void RestoreIcon();
  // The hidden window the shell reports to, and the record last handed to the shell.
  HWND Handle() const;
  const TMtNotifyIconData& IconData() const { return FData; }

  // The callback message of the icon.
  static constexpr UINT WM_NOTIFYICON = WM_USER + 68;
  // The shell's entry point; tests put a recorder here.
  using TShellNotify = BOOL(WINAPI*)(DWORD message, TMtNotifyIconData* data);
  static TShellNotify ShellNotify;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Shows, changes or removes the notification icon to match Visible and the icon.
  void UpdateNotifyIcon();
  void ShowMenu();

 private:
  std::optional<LRESULT> WindowMessage(UINT msg, WPARAM wp, LPARAM lp);
  void MouseMessage(UINT mouseMsg);
  bool Shell(DWORD message);
  void BuildTip();

  TIcon FIcon;
  TMtNotifyIconData FData{};
  std::unique_ptr<TUtilityWindow> FWindow;
  bool FAdded = false;
  bool FEnabled = true, FVisible = false, FShowHint = false, FHideTaskBtn = false, FLeftBtnPopup = false;
  std::string FHint;
  TPopupMenu* FPopupMenu = nullptr;
  bool FClicked = false;
  bool FHooked = false;
  bool FSessionGone = false;  // taken out of the tray because the session ends
  // Gone with this object: handlers may free it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
