// Popup menus and their items.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Classes.h"

class TMenuItem : public TComponent {
  VELMORA_CLASS(TMenuItem, TComponent)

 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }
  bool IsLine() const { return FCaption == "-"; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool v) { FChecked = v; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  bool Default() const { return FDefault; }
  void SetDefault(bool v) { FDefault = v; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v) { FHint = v; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int i) const { return FItems[i]; }
  TMenuItem* Parent() const { return FParent; }
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  void ReadChild(TComponent* child) override;
  virtual void Click();

  TNotifyEvent OnClick;

 private:
  std::string FCaption, FHint;
  bool FChecked = false, FEnabled = true, FVisible = true, FDefault = false;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
};

class TPopupMenu : public TComponent {
  VELMORA_CLASS(TPopupMenu, TComponent)

 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  TMenuItem* Items() const { return FItems; }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool v) { FAutoPopup = v; }
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* c);
  // Shows the menu at a screen point and returns when it closes; the chosen item's click runs
  // before that.
  virtual void Popup(int x, int y);
  // The window the shown menu reports to: the main form's, else the application's.
  HWND OwnerWindow() const;
  void ReadChild(TComponent* child) override;

  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TMenuItem* FItems;
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
};

void RegisterMenuClasses();
