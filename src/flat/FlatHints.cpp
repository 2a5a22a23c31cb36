#include "flat/FlatHints.h"
#include "flat/FlatUtils.h"
#include "framework/Events.h"

VELMORA_CLASS_INFO(TFlatHint) {
  b.Int("ColorBackground", &TFlatHint::ColorBackground, &TFlatHint::SetColorBackground, &ColorIdents());
  b.Int("ColorBorder", &TFlatHint::ColorBorder, &TFlatHint::SetColorBorder, &ColorIdents());
  b.Int("ColorArrowBackground", &TFlatHint::ColorArrowBackground, &TFlatHint::SetColorArrowBackground, &ColorIdents());
  b.Int("ColorArrow", &TFlatHint::ColorArrow, &TFlatHint::SetColorArrow, &ColorIdents());
  b.Int("MaxHintWidth", &TFlatHint::MaxHintWidth, &TFlatHint::SetMaxHintWidth);
  b.Object("Font", &TFlatHint::FontPtr);
  b.Event("OnShowHint", &TFlatHint::OnShowHint);
  b.Creatable();
}

TFlatHint::TFlatHint(TComponent* AOwner)
    : TComponent(AOwner), FFont(std::make_unique<TFont>()), FSelf(std::make_shared<TFlatHint*>(this)) {
  if (!Application) return;
  Application->HintWindowClass = [](TComponent* owner) -> THintWindow* { return new TFlatHintWindow(owner); };
  // Off and on again: the hint window of the old class goes, the next hint makes a flat one.
  Application->SetShowHint(false);
  Application->SetShowHint(true);
  std::weak_ptr<TFlatHint*> self = FSelf;
  Application->OnShowHint = [self](std::string& text, bool& canShow, THintInfo& info) {
    auto p = self.lock();
    if (p && *p && (*p)->OnShowHint) (*p)->OnShowHint(text, canShow, info);
  };
  Application->HintShortPause = 25;
  Application->HintPause = 500;
  Application->HintHidePause = 5000;
}

TFlatHint::~TFlatHint() { *FSelf = nullptr; }

// ---------------------------------------------------------------- TFlatHintWindow

VELMORA_CLASS_INFO(TFlatHintWindow) {}

TFlatHintWindow::TFlatHintWindow(TComponent* AOwner) : THintWindow(AOwner) { Font().SetColor(clWindowText); }

void TFlatHintWindow::CreateParams(TCreateParams& p) {
  THintWindow::CreateParams(p);
  p.Style = WS_POPUP;  // the frame is drawn, not the system's
}

void TFlatHintWindow::TakeSettings() {
  TFlatHint* h = nullptr;
  if (TForm* main = Application ? Application->MainForm() : nullptr)
    for (int i = 0; i < main->ComponentCount() && !h; ++i) h = dynamic_cast<TFlatHint*>(main->Components(i));
  if (!h) return;  // the defaults of a flat hint stand
  FColorBackground = h->ColorBackground();
  FColorBorder = h->ColorBorder();
  FColorArrowBackground = h->ColorArrowBackground();
  FColorArrow = h->ColorArrow();
  FMaxHintWidth = h->MaxHintWidth();
  FParentFont = false;
  Font().Assign(h->Font());
}

RECT TFlatHintWindow::CalcHintRect(int, const std::string& hint) {
  TakeSettings();
  RECT r{0, 0, flat::HintTextWidth(FMaxHintWidth), 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  DrawTextA(dc, hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  flat::Size s = flat::HintWindowSize({r.right - r.left, r.bottom - r.top});
  return RECT{0, 0, s.W, s.H};
}

void TFlatHintWindow::ActivateHint(RECT rect, const std::string& hint) {
  SetCaption(hint);
  flat::Size size{rect.right - rect.left, rect.bottom - rect.top};
  POINT p;
  if (!GetCursorPos(&p)) p = POINT{rect.left, rect.top};
  flat::Point pointer{p.x, p.y};
  FQuadrant = flat::HintQuadrant(pointer, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  flat::Point at = flat::HintPosition(FQuadrant, pointer, size);
  SetBounds(at.X, at.Y, size.W, size.H);
  HWND h = Handle();
  SetWindowPos(h, HWND_TOPMOST, at.X, at.Y, size.W, size.H, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  InvalidateRect(h, nullptr, FALSE);
  UpdateWindow(h);
}

void TFlatHintWindow::Paint() {
  TCanvas& c = Canvas();
  const flat::Size client{ClientWidth(), ClientHeight()};
  auto toRect = [](flat::Rect r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; };
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(FColorArrowBackground);
  c.FillRect(toRect(flat::HintArrowStrip(FQuadrant, client)));
  RECT text = toRect(flat::HintTextArea(FQuadrant, client));
  c.Brush().SetColor(FColorBackground);
  c.FillRect(text);
  c.Brush().SetColor(FColorBorder);
  c.FrameRect(RECT{0, 0, client.W, client.H});

  auto arrow = flat::HintArrow(FQuadrant, client);
  POINT pts[18];
  for (int i = 0; i < 18; ++i) pts[i] = POINT{arrow[i].X, arrow[i].Y};
  c.Pen().SetColor(FColorArrow);
  c.Polyline(pts, 18);

  InflateRect(&text, -3, -1);
  c.Brush().SetStyle(bsClear);
  // The area is exactly as wide as the measured text: a last glyph whose ink reaches past its
  // advance (fonts put in for MS Sans Serif do) would be cut off at its edge.
  c.DrawText(Caption(), text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP);
}
