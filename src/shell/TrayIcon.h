// The program's icon in the notification area: its tooltip, its mouse messages as events, a
// popup menu at the cursor, hiding the program into the tray instead of minimising it, and
// cycling through the images of an image list.
#pragma once
#include <windows.h>
#include <memory>
#include "framework/NotifyIcon.h"

class TImageList;
class TTimer;

using TCycleEvent = std::function<void(TObject* Sender, int Current)>;

class TTrayIcon : public TNotifyIconComponent<TComponent> {
  VELMORA_CLASS(TTrayIcon, TNotifyIconComponent<TComponent>)

 public:
  explicit TTrayIcon(TComponent* AOwner);
  ~TTrayIcon() override;

  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool v);
  TImageList* IconList() const { return FIconList; }
  void SetIconList(TImageList* v);
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool v);
  int CycleInterval() const { return FCycleInterval; }
  void SetCycleInterval(int v);
  TIcon* Icon() { return &Tray().Icon(); }
  // A copy of the given icon.
  void SetIcon(const TIcon& icon);
  bool IconVisible() const { return Tray().Visible(); }
  void SetIconVisible(bool v);
  bool LeftPopup() const { return Tray().LeftPopup(); }
  void SetLeftPopup(bool v) { Tray().SetLeftPopup(v); }
  bool StartMinimized() const { return FStartMinimized; }
  void SetStartMinimized(bool v) { FStartMinimized = v; }
  bool MinimizeToTray() const { return Tray().MinimizeToTray(); }
  void SetMinimizeToTray(bool v) { Tray().SetMinimizeToTray(v); }

  // The shell operations; each returns whether the shell accepted the call it made.
  virtual bool AddTrayIcon();
  virtual bool RemoveTrayIcon();
  virtual bool UpdateTrayIcon();
  void ShowMenuAtCursor();

  TCycleEvent OnCycle;

  // The callback message of the icon.
  static constexpr UINT WM_TRAYNOTIFY = WM_USER + 1024;

  void Loaded() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoCycle(int Current);
  // Hides the program into the tray.
  void EnterTray() override;

 private:
  void CycleTimerTick();

  bool FDesignPreview = false, FCycleIcons = false;
  bool FStartMinimized = false;
  int FCycleInterval = 0;
  TImageList* FIconList = nullptr;
  std::unique_ptr<TTimer> FCycleTimer;
  int FCycleIndex = 0;
  bool FCycling = false;
};

void RegisterTrayIconClasses();
