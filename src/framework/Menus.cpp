#include "framework/Menus.h"
#include <algorithm>
#include "framework/Events.h"
#include "framework/Forms.h"

VELMORA_CLASS_INFO(TMenuItem) {
  b.Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  b.Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked);
  b.Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled);
  b.Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible);
  b.Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault);
  b.Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  b.Event("OnClick", &TMenuItem::OnClick);
  b.Creatable();
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  while (!FItems.empty()) Remove(FItems.back());
  if (FParent) FParent->Remove(this);
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->FParent) item->FParent->Remove(item);
  item->FParent = this;
  FItems.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  std::erase(FItems, item);
  item->FParent = nullptr;
}

void TMenuItem::ReadChild(TComponent* child) {
  if (auto* m = dynamic_cast<TMenuItem*>(child)) Add(m);
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) CallGuarded(this, [&] { OnClick(this); });
}

VELMORA_CLASS_INFO(TPopupMenu) {
  b.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup);
  b.Event("OnPopup", &TPopupMenu::OnPopup);
  b.Creatable();
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() { delete FItems; }

void TPopupMenu::ReadChild(TComponent* child) {
  if (auto* m = dynamic_cast<TMenuItem*>(child)) FItems->Add(m);
}

void TPopupMenu::SetPopupComponent(TComponent* c) {
  if (FPopupComponent == c) return;
  FPopupComponent = c;
  if (c) c->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

namespace {
// Builds the system menu for an item's children; ids index into the flat list of items.
HMENU BuildMenu(TMenuItem* parent, std::vector<TMenuItem*>& ids) {
  HMENU m = CreatePopupMenu();
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* it = parent->Items(i);
    if (!it->Visible()) continue;
    if (it->IsLine()) {
      AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (it->Checked() ? MF_CHECKED : 0) | (it->Enabled() ? 0 : MF_GRAYED);
    if (it->Count() > 0) {
      AppendMenuA(m, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(BuildMenu(it, ids)), it->Caption().c_str());
    } else {
      ids.push_back(it);
      AppendMenuA(m, flags, ids.size(), it->Caption().c_str());
      if (it->Default()) SetMenuDefaultItem(m, static_cast<UINT>(ids.size()), FALSE);
    }
  }
  return m;
}
}  // namespace

HWND TPopupMenu::OwnerWindow() const {
  // The menu needs a window of this thread to report to.
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    return Application->MainForm()->Handle();
  return Application ? Application->Handle() : nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) CallGuarded(this, [&] { OnPopup(this); });
  std::vector<TMenuItem*> ids;
  HMENU m = BuildMenu(FItems, ids);
  UINT cmd = TrackPopupMenu(m, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, OwnerWindow(), nullptr);
  DestroyMenu(m);
  if (cmd > 0 && cmd <= ids.size()) ids[cmd - 1]->Click();
}

void RegisterMenuClasses() {
  RegisterComponentClass(TMenuItem::StaticClassInfo());
  RegisterComponentClass(TPopupMenu::StaticClassInfo());
}
