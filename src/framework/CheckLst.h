// A list box with a check box before each item.
#pragma once
#include <vector>
#include "framework/StdCtrls.h"

class TCheckListBox : public TListBox {
  VELMORA_CLASS(TCheckListBox, TListBox)

 public:
  explicit TCheckListBox(TComponent* AOwner);
  bool Checked(int i) const;
  void SetChecked(int i, bool v);
  // Raised after the user toggled an item's check box (by mouse or space bar).
  TNotifyEvent OnClickCheck;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void ItemsChanged() override;

 private:
  void Toggle(int i);
  void DrawItem(const DRAWITEMSTRUCT& d);
  std::vector<bool> FChecked;
};

void RegisterCheckListClasses();
