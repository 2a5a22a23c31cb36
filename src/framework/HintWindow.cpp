#include "framework/HintWindow.h"
#include "framework/Forms.h"

VELMORA_CLASS_INFO(THintWindow) {}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = clInfoBk;
  Font().SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  // Owned by the application's window: no taskbar button of its own.
  p.WndParent = Application ? Application->Handle() : nullptr;
  p.ClassStyle |= CS_SAVEBITS;
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
  RECT r{0, 0, maxWidth, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  ::DrawTextA(dc, hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(RECT r, const std::string& hint) {
  SetCaption(hint);
  // Keep the hint on the screen.
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (r.right > sw) OffsetRect(&r, sw - r.right, 0);
  if (r.bottom > sh) OffsetRect(&r, 0, sh - r.bottom);
  if (r.left < 0) OffsetRect(&r, -r.left, 0);
  if (r.top < 0) OffsetRect(&r, 0, -r.top);
  SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  HWND h = Handle();
  SetWindowPos(h, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  InvalidateRect(h, nullptr, FALSE);
  UpdateWindow(h);
}

void THintWindow::ReleaseHint() {
  if (HandleAllocated()) ShowWindow(FHandle, SW_HIDE);
  FVisible = false;
}

void THintWindow::Paint() {
  RECT r = ClientRect();
  Canvas().Brush().SetColor(Color());
  Canvas().FillRect(r);
  r.left += 2;
  r.top += 1;
  Canvas().Brush().SetStyle(bsClear);
  Canvas().DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}
