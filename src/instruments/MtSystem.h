// Shared instrument components: the bitmap list, and the base of the instruments' icons in the
// notification area.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "framework/NotifyIcon.h"
#include "instruments/MtClasses.h"
#include "instruments/MtControls.h"

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
// menu. The icon is shown while Visible and not empty.
class TMtCustomTrayIcon : public TNotifyIconComponent<TMtComponent> {
  VELMORA_CLASS(TMtCustomTrayIcon, TNotifyIconComponent<TMtComponent>)

 public:
  explicit TMtCustomTrayIcon(TComponent* AOwner);
  ~TMtCustomTrayIcon() override;

  // Any change of the icon updates the notification icon.
  TIcon& Icon() { return Tray().Icon(); }
  bool Visible() const { return Tray().Visible(); }
  void SetVisible(bool v);
  bool HideTaskBtn() const { return Tray().MinimizeToTray(); }
  void SetHideTaskBtn(bool v) { Tray().SetMinimizeToTray(v); }
  bool LeftBtnPopup() const { return Tray().LeftPopup(); }
  void SetLeftBtnPopup(bool v) { Tray().SetLeftPopup(v); }

  // Registers the icon again, as after the shell has restarted. The icon does it by itself on
  // the shell's "TaskbarCreated" broadcast.
  void RestoreIcon() { Tray().Restore(); }

  // The callback message of the icon.
  static constexpr UINT WM_NOTIFYICON = WM_USER + 68;

 private:
  void EnterTray() override;
};
