// The program's icon in the notification area: its tooltip, its mouse messages as events, a
// popup menu at the cursor, hiding the program into the tray instead of minimising it, and
// cycling through the images of an image list.
#pragma once
#include <windows.h>
#include <memory>
#include <optional>
#include "framework/Bitmaps.h"
#include "framework/Controls.h"
#include "framework/NotifyIcon.h"

class TImageList;
class TPopupMenu;
class TTimer;
class TUtilityWindow;

using TCycleEvent = std::function<void(TObject* Sender, int Current)>;

class TTrayIcon : public TComponent {
  VELMORA_CLASS(TTrayIcon, TComponent)

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
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  TIcon* Icon() { return &FIcon; }
  // A copy of the given icon.
  void SetIcon(const TIcon& icon);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool v);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);
  bool LeftPopup() const { return FLeftPopup; }
  void SetLeftPopup(bool v) { FLeftPopup = v; }
  bool StartMinimized() const { return FStartMinimized; }
  void SetStartMinimized(bool v) { FStartMinimized = v; }
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool v) { FMinimizeToTray = v; }

  // The shell operations; each returns whether the shell call succeeded.
  virtual bool AddTrayIcon();
  virtual bool RemoveTrayIcon();
  virtual bool UpdateTrayIcon();
  void ShowMenuAtCursor();

  // The hidden window the shell reports to.
  HWND Handle() const;
  // The record handed to the shell by the last call.
  const TNotifyIconData& IconData() const { return FData; }

  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TCycleEvent OnCycle;

  // The shell's entry point; tests put a recorder here (a refused icon, the records sent).
  using TShellNotify = BOOL(WINAPI*)(DWORD message, TNotifyIconData* data);
  static TShellNotify ShellNotify;

  // The callback message of the icon.
  static constexpr UINT WM_TRAYNOTIFY = WM_USER + 1024;

  void Loaded() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Click();
  virtual void DblClick();
  virtual void DoCycle(int Current);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  // Hides the program into the tray.
  virtual void EnterTray();

 private:
  bool PrepareIconData();
  bool Shell(DWORD message);
  std::optional<LRESULT> TrayMessageHandler(UINT msg, WPARAM wp, LPARAM lp);
  void TrayMouse(UINT mouseMsg);
  bool AppWindowFilter(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void CycleTimerTick();
  void ClickDefaultItem();

  bool FDesignPreview = false, FCycleIcons = false, FEnabled = true, FShowHint = false, FIconVisible = true;
  bool FLeftPopup = false, FStartMinimized = false, FMinimizeToTray = false;
  int FCycleInterval = 0;
  std::string FHint;
  TIcon FIcon;
  TPopupMenu* FPopupMenu = nullptr;
  TImageList* FIconList = nullptr;
  TNotifyIconData FData{};
  std::unique_ptr<TUtilityWindow> FWindow;
  std::unique_ptr<TTimer> FCycleTimer;
  int FCycleIndex = 0;
  bool FLeftPressed = false;
  bool FPreviewChanging = false;
  bool FCycling = false;
  bool FHooked = false;
  bool FSessionGone = false;  // taken out of the tray because the session ends
  // Gone with this object: tells a menu call whether it outlived its icon.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

void RegisterTrayIconClasses();
