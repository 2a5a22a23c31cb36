#include "shell/TrayIcon.h"
#include "framework/Events.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/Timer.h"

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

TTrayIcon::TTrayIcon(TComponent* AOwner) : TNotifyIconComponent(AOwner, 1, WM_TRAYNOTIFY) {
  // The cycle tick shows its image itself, after OnCycle.
  Tray().Icon().OnChange = [this](TObject*) {
    if (!FCycling) UpdateTrayIcon();
  };
  // In the tray unless the description says otherwise; nothing is shown before there is an image.
  Tray().SetVisible(true);
  FCycleTimer = std::make_unique<TTimer>(nullptr);
  FCycleTimer->SetEnabled(false);
  FCycleTimer->SetInterval(0);
  FCycleTimer->SetOnTimer([this](TObject*) { CycleTimerTick(); });
}

TTrayIcon::~TTrayIcon() {
  RemoveTrayIcon();
  FCycleTimer.reset();
}

bool TTrayIcon::AddTrayIcon() { return Tray().SetVisible(true); }

bool TTrayIcon::RemoveTrayIcon() { return Tray().SetVisible(false); }

bool TTrayIcon::UpdateTrayIcon() { return Tray().Apply(); }

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

void TTrayIcon::SetIcon(const TIcon& icon) { Tray().Icon().Assign(icon); }

void TTrayIcon::SetIconVisible(bool v) {
  if (v)
    AddTrayIcon();
  else
    RemoveTrayIcon();
}

void TTrayIcon::SetIconList(TImageList* v) {
  if (v == FIconList) return;
  FIconList = v;
  if (v) v->FreeNotification(this);
}

void TTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FIconList) FIconList = nullptr;
}

void TTrayIcon::Loaded() {
  inherited::Loaded();
  if (FStartMinimized && Application) {
    Application->SetShowMainForm(false);
    if (Application->Handle()) ShowWindow(Application->Handle(), SW_HIDE);
  }
  UpdateTrayIcon();
}

void TTrayIcon::ShowMenuAtCursor() { Tray().ShowMenu(); }

void TTrayIcon::EnterTray() {
  TNotifyIcon::HideApplication();
  AddTrayIcon();
}

void TTrayIcon::CycleTimerTick() {
  int count = FIconList ? FIconList->Count() : 0;
  if (count <= 0) return;
  if (FCycleIndex >= count) FCycleIndex = 0;  // the list shrank meanwhile
  int current = FCycleIndex;
  FCycling = true;
  Tray().Icon().SetHandle(ImageList_GetIcon(FIconList->Handle(), current, ILD_NORMAL));
  FCycling = false;
  DoCycle(current);
  UpdateTrayIcon();
  FCycleIndex = current + 1 < count ? current + 1 : 0;
}

void TTrayIcon::DoCycle(int Current) {
  if (OnCycle) CallGuarded(this, [&] { OnCycle(this, Current); });
}
