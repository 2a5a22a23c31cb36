#include "framework/CheckLst.h"
#include <windowsx.h>

VELMORA_CLASS_INFO(TCheckListBox) {
  b.Event("OnClickCheck", &TCheckListBox::OnClickCheck);
  b.Creatable();
}

TCheckListBox::TCheckListBox(TComponent* AOwner) : TListBox(AOwner) {}

bool TCheckListBox::Checked(int i) const { return i >= 0 && i < static_cast<int>(FChecked.size()) && FChecked[i]; }

void TCheckListBox::SetChecked(int i, bool v) {
  if (i < 0 || i >= FItems->Count()) return;
  if (static_cast<int>(FChecked.size()) < FItems->Count()) FChecked.resize(static_cast<size_t>(FItems->Count()));
  if (FChecked[i] == v) return;
  FChecked[i] = v;
  if (FHandle) {
    RECT r;
    if (SendMessageA(FHandle, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) != LB_ERR) InvalidateRect(FHandle, &r, FALSE);
  }
}

void TCheckListBox::CreateParams(TCreateParams& p) {
  TListBox::CreateParams(p);
  p.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
}

void TCheckListBox::CreateWnd() {
  TListBox::CreateWnd();
  // Room for the check box and the font.
  TEXTMETRICA tm{};
  HDC dc = GetDC(FHandle);
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(FHandle, dc);
  int h = std::max<int>(tm.tmHeight + 2, 15);
  SendMessageA(FHandle, LB_SETITEMHEIGHT, 0, h);
}

void TCheckListBox::ItemsChanged() {
  // The marks follow the item count; new items come unchecked.
  FChecked.resize(static_cast<size_t>(FItems->Count()), false);
  TListBox::ItemsChanged();
}

void TCheckListBox::Toggle(int i) {
  if (i < 0 || i >= FItems->Count()) return;
  SetChecked(i, !Checked(i));
  if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::DrawItem(const DRAWITEMSTRUCT& d) {
  if (static_cast<int>(d.itemID) < 0 || static_cast<int>(d.itemID) >= FItems->Count()) return;
  HDC dc = d.hDC;
  RECT r = d.rcItem;
  int h = r.bottom - r.top;
  int box = std::min(13, h - 2);
  RECT cb{r.left + 2, r.top + (h - box) / 2, r.left + 2 + box, r.top + (h - box) / 2 + box};
  RECT back{r.left, r.top, cb.right + 2, r.bottom};
  FillRect(dc, &back, BackgroundBrush());
  DrawFrameControl(dc, &cb, DFC_BUTTON, DFCS_BUTTONCHECK | (Checked(static_cast<int>(d.itemID)) ? DFCS_CHECKED : 0));
  RECT t{cb.right + 2, r.top, r.right, r.bottom};
  bool sel = (d.itemState & ODS_SELECTED) != 0;
  HBRUSH selBrush = GetSysColorBrush(COLOR_HIGHLIGHT);
  FillRect(dc, &t, sel ? selBrush : BackgroundBrush());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, sel ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(Font().Color()));
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  RECT tt = t;
  tt.left += 1;
  const std::string& s = (*FItems)[static_cast<int>(d.itemID)];
  ::DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &tt, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, old);
  if (d.itemState & ODS_FOCUS) DrawFocusRect(dc, &t);
}

LRESULT TCheckListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      LRESULT r = TListBox::WndProc(msg, wp, lp);
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      DWORD hit = static_cast<DWORD>(SendMessageA(FHandle, LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y)));
      if (HIWORD(hit) == 0) {
        int i = LOWORD(hit);
        RECT ir;
        SendMessageA(FHandle, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&ir));
        if (p.x < ir.left + 17) Toggle(i);
      }
      return r;
    }
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        Toggle(ItemIndex());
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == ' ') return 0;
      break;
  }
  return TListBox::WndProc(msg, wp, lp);
}

void RegisterCheckListClasses() { RegisterComponentClass(TCheckListBox::StaticClassInfo()); }
