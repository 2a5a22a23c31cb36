#include "instruments/MtSystem.h"

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

TMtCustomTrayIcon::TMtCustomTrayIcon(TComponent* AOwner) : TNotifyIconComponent(AOwner, 0, WM_NOTIFYICON) {}

TMtCustomTrayIcon::~TMtCustomTrayIcon() { SetVisible(false); }

void TMtCustomTrayIcon::SetVisible(bool v) {
  if (v != Visible()) Tray().SetVisible(v);
}

void TMtCustomTrayIcon::EnterTray() {
  TNotifyIcon::HideApplication();
  SetVisible(true);
}
