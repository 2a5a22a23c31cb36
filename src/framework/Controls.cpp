#include "framework/Controls.h"
#include <windowsx.h>
#include <algorithm>
#include <map>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

const TEnumInfo& AlignInfo() {
  static const TEnumInfo e{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
  return e;
}

const TEnumInfo& AlignmentInfo() {
  static const TEnumInfo e{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
  return e;
}

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

namespace {
TMousePosSource g_mousePos = nullptr;

// BeginPaint and EndPaint around one scope: a paint that throws still ends the paint.
class PaintScope {
 public:
  explicit PaintScope(HWND h) : FWindow(h), FDC(BeginPaint(h, &FPaint)) {}
  ~PaintScope() { EndPaint(FWindow, &FPaint); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC DC() const { return FDC; }

 private:
  HWND FWindow;
  PAINTSTRUCT FPaint;
  HDC FDC;
};

// SaveDC and RestoreDC around one scope.
class SavedDC {
 public:
  explicit SavedDC(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}
  ~SavedDC() {
    if (FSaved) RestoreDC(FDC, FSaved);
  }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

 private:
  HDC FDC;
  int FSaved;
};

// The off-screen bitmap the custom controls paint into. Paints come one at a time on the window
// thread, so one bitmap as large as the largest control painted lately serves them all; it is
// let go once no control has painted for a second or two, so that a window left alone, hidden or
// not, holds none.
class TPaintBuffer {
 public:
  // A bitmap of at least w x h, or null when it is in use (a paint within a paint) or serves
  // another thread; Give it back after the paint.
  TBitmap* Take(int w, int h) {
    DWORD thread = GetCurrentThreadId();
    if (FBusy || (FThread && FThread != thread)) return nullptr;
    if (!FBitmap) FBitmap = std::make_unique<TBitmap>();
    if (FBitmap->Width() < w || FBitmap->Height() < h) {
      int nw = std::max(w, FBitmap->Width()), nh = std::max(h, FBitmap->Height());
      FBitmap->SetSize(0, 0);  // nothing of the old picture is needed
      FBitmap->SetSize(nw, nh);
    }
    if (!FTimer) {
      FTimer = SetTimer(nullptr, 0, kCheckMs, Expire);
      if (!FTimer) return nullptr;
    }
    FThread = thread;
    FBusy = true;
    FUsed = true;
    return FBitmap.get();
  }
  void Give() { FBusy = false; }

 private:
  static constexpr UINT kCheckMs = 1000;
  static void CALLBACK Expire(HWND, UINT, UINT_PTR, DWORD);
  std::unique_ptr<TBitmap> FBitmap;
  UINT_PTR FTimer = 0;
  DWORD FThread = 0;
  bool FBusy = false;
  bool FUsed = false;
};

TPaintBuffer g_paintBuffer;

void CALLBACK TPaintBuffer::Expire(HWND, UINT, UINT_PTR, DWORD) {
  TPaintBuffer& b = g_paintBuffer;
  if (b.FBusy) return;
  if (b.FUsed) {
    b.FUsed = false;  // painted since the last look: kept for another round
    return;
  }
  KillTimer(nullptr, b.FTimer);
  b.FTimer = 0;
  b.FThread = 0;
  b.FBitmap.reset();
}

// A canvas drawing on dc for one scope, and on nothing after it.
class CanvasOn {
 public:
  CanvasOn(TCanvas& canvas, HDC dc) : FCanvas(canvas) { canvas.SetHandle(dc); }
  ~CanvasOn() { FCanvas.SetHandle(nullptr); }
  CanvasOn(const CanvasOn&) = delete;
  CanvasOn& operator=(const CanvasOn&) = delete;

 private:
  TCanvas& FCanvas;
};
}  // namespace

bool MousePos(POINT& p) {
  POINT q;
  if (!(g_mousePos ? g_mousePos : GetCursorPos)(&q)) return false;
  p = q;
  return true;
}

TMousePosSource SetMousePosSource(TMousePosSource source) {
  TMousePosSource old = g_mousePos;
  g_mousePos = source;
  return old;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  return s;
}

// ---------------------------------------------------------------- TControl

VELMORA_CLASS_INFO(TControl) {
  b.Int("Left", &TControl::Left, &TControl::SetLeft);
  b.Int("Top", &TControl::Top, &TControl::SetTop);
  b.Int("Width", &TControl::Width, &TControl::SetWidth);
  b.Int("Height", &TControl::Height, &TControl::SetHeight);
  b.Enum("Align", &TControl::Align, &TControl::SetAlign, AlignInfo());
  b.Bool("Visible", &TControl::Visible, &TControl::SetVisible);
  b.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled);
  b.Int("Color", &TControl::Color, &TControl::SetColor, &ColorIdents());
  b.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
  b.Object("Font", &TControl::FontPtr);
  b.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont);
  b.Int("Cursor", &TControl::Cursor, &TControl::SetCursor, &CursorIdents());
  b.Str("Hint", &TControl::Hint, &TControl::SetHint);
  b.Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
  b.Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint);
  b.Str("Caption", &TControl::Caption, &TControl::SetCaption);
  b.Ref<TPopupMenu>("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  b.Event("OnClick", &TControl::OnClick);
  b.Event("OnDblClick", &TControl::OnDblClick);
  b.Event("OnMouseDown", &TControl::OnMouseDown);
  b.Event("OnMouseUp", &TControl::OnMouseUp);
  b.Event("OnMouseMove", &TControl::OnMouseMove);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FColor(clBtnFace), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) {
    if (!FChangingParentFont) FParentFont = false;
    FontChanged();
  };
}

TControl::~TControl() {
  if (Application) Application->ControlDestroyed(this);
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* value) {
  if (value == FParent) return;
  if (value == this) throw Exception("A control cannot be its own parent");
  if (FParent) FParent->RemoveControl(this);
  if (value) {
    value->InsertControl(this);
    ParentFontChanged();
    ParentColorChanged();
  }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  RequestAlign();
  BoundsChanged();
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone && !Loading()) FParent->AlignControls();
}

void TControl::SetAlign(TAlign v) {
  if (v == FAlign) return;
  FAlign = v;
  if (FParent && !Loading()) FParent->AlignControls();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  if (!Loading()) VisibleChanged();
}

void TControl::VisibleChanged() {
  if (FParent) {
    if (FParent->HandleAllocated()) {
      RECT r = BoundsRect();
      InvalidateRect(FParent->Handle(), &r, TRUE);
    }
    if (FAlign != alNone) FParent->AlignControls();
  }
}

void TControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  if (!Loading()) EnabledChanged();
}

void TControl::SetColor(TColor v) {
  FParentColor = false;
  if (v == FColor) return;
  FColor = v;
  if (!Loading()) ColorChanged();
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* c : w->FControls) c->ParentColorChanged();
}

void TControl::SetParentColor(bool v) {
  if (v == FParentColor) return;
  FParentColor = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || !FParent) return;
  TColor c = FParent->Color();
  if (c == FColor) return;
  FColor = c;
  if (!Loading()) ColorChanged();
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* ch : w->FControls) ch->ParentColorChanged();
}

void TControl::SetParentFont(bool v) {
  if (v == FParentFont) return;
  FParentFont = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FChangingParentFont = true;
  FFont->Assign(FParent->Font());
  FChangingParentFont = false;
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* ch : w->FControls) ch->ParentFontChanged();
}

void TControl::SetShowHint(bool v) {
  FParentShowHint = false;
  FShowHint = v;
}

void TControl::SetParentShowHint(bool v) {
  FParentShowHint = v;
  if (v && FParent) FShowHint = FParent->ShowHint();
}

void TControl::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  if (!Loading()) TextChanged();
}

void TControl::SetPopupMenu(TPopupMenu* v) {
  if (v == FPopupMenu) return;
  FPopupMenu = v;
  if (v) v->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Loaded() {
  TComponent::Loaded();
  // What the description set while loading is applied now, in one go.
  if (FParentFont) ParentFontChanged();
  if (FParentColor) ParentColorChanged();
  if (FParentShowHint && FParent) FShowHint = FParent->ShowHint();
}

void TControl::Invalidate() {}

void TControl::Repaint() {
  Invalidate();
  if (FParent) FParent->Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& v = FParent->FControls;
  std::erase(v, this);
  v.push_back(this);
  Invalidate();
}

TWinControl* TControl::WindowedHost(POINT* offset) {
  POINT o{0, 0};
  TControl* c = this;
  while (c && !dynamic_cast<TWinControl*>(c)) {
    o.x += c->FLeft;
    o.y += c->FTop;
    c = c->FParent;
  }
  if (offset) *offset = o;
  return static_cast<TWinControl*>(c);
}

POINT TControl::ClientToScreen(POINT p) const {
  POINT o;
  TWinControl* w = const_cast<TControl*>(this)->WindowedHost(&o);
  p.x += o.x;
  p.y += o.y;
  if (w && w->HandleAllocated()) ::ClientToScreen(w->FHandle, &p);
  return p;
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT o;
  TWinControl* w = const_cast<TControl*>(this)->WindowedHost(&o);
  if (w && w->HandleAllocated()) ::ScreenToClient(w->FHandle, &p);
  p.x -= o.x;
  p.y -= o.y;
  return p;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) FMouseDownInside = true;
  if (OnMouseDown) CallGuarded(this, [&] { OnMouseDown(this, button, shift, x, y); });
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FMouseDownInside) {
    FMouseDownInside = false;
    RECT r = ClientRect();
    POINT p{x, y};
    if (PtInRect(&r, p)) Click();
  }
  if (OnMouseUp) CallGuarded(this, [&] { OnMouseUp(this, button, shift, x, y); });
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) CallGuarded(this, [&] { OnMouseMove(this, shift, x, y); });
}

void TControl::Click() {
  if (OnClick) CallGuarded(this, [&] { OnClick(this); });
}

void TControl::DblClick() {
  if (OnDblClick) CallGuarded(this, [&] { OnDblClick(this); });
}

bool TControl::ShowPopupMenu(POINT screen) {
  if (!FPopupMenu || !FPopupMenu->AutoPopup()) return false;
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(screen.x, screen.y);
  return true;
}

// ---------------------------------------------------------------- TGraphicControl

VELMORA_CLASS_INFO(TGraphicControl) {}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

void TGraphicControl::PaintOn(HDC dc) {
  CanvasOn on(FCanvas, dc);
  FCanvas.Font().Assign(Font());
  Paint();
}

void TGraphicControl::Invalidate() {
  if (FParent && FParent->HandleAllocated() && FVisible) {
    RECT r = BoundsRect();
    InvalidateRect(FParent->FHandle, &r, TRUE);
  }
}

// ---------------------------------------------------------------- TWinControl

VELMORA_CLASS_INFO(TWinControl) { b.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop); }

static const char kControlProp[] = "VelmoraControl";
static thread_local TWinControl* s_creating = nullptr;

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  if (TForm* f = ParentForm(this); f && f != this) f->ControlGone(this);
  // Children that are not owned by this control lose their parent, not their life.
  while (!FControls.empty()) RemoveControl(FControls.back());
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND h) {
  if (!h) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(h, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  if (reinterpret_cast<WNDPROC>(GetClassLongA(h, GCL_WNDPROC)) != StdWndProc) return nullptr;
  return static_cast<TWinControl*>(GetPropA(h, kControlProp));
}

HWND TWinControl::Handle() {
  if (!FHandle) {
    // A parent that has no window yet creates its children with its own, this one among them.
    if (FParent) FParent->HandleNeeded();
    if (!FHandle) CreateWnd();
  }
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = FCaption;
  p.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (FVisible) p.Style |= WS_VISIBLE;
  if (!FEnabled) p.Style |= WS_DISABLED;
  if (FTabStop) p.Style |= WS_TABSTOP;
  p.X = FLeft;
  p.Y = FTop;
  p.Width = FWidth;
  p.Height = FHeight;
  if (FParent) p.WndParent = FParent->Handle();
}

namespace {
struct ClassEntry {
  WNDPROC defProc;
};
std::map<std::string, ClassEntry>& ClassTable() {
  static std::map<std::string, ClassEntry> t;
  return t;
}
}  // namespace

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && NeedsControlParent()) p.ExStyle |= WS_EX_CONTROLPARENT;
  if (!p.WndParent && (p.Style & WS_CHILD)) throw Exception(std::string("Control '") + Name() + "' has no parent window");
  HINSTANCE inst = GetModuleHandleA(nullptr);
  std::string cls = ClassName();
  auto& table = ClassTable();
  auto it = table.find(cls);
  if (it == table.end()) {
    WNDCLASSA wc{};
    WNDPROC def = DefWindowProcA;
    if (p.SysClassName) {
      if (!GetClassInfoA(nullptr, p.SysClassName, &wc)) throw Exception(std::string("Window class ") + p.SysClassName + " not found");
      def = wc.lpfnWndProc;
    } else {
      wc.style = p.ClassStyle;
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    }
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = cls.c_str();
    if (!wc.hIcon && !p.SysClassName) wc.hIcon = LoadIconA(inst, "MAINICON");
    if (!RegisterClassA(&wc)) throw Exception("Cannot register window class " + cls);
    it = table.emplace(cls, ClassEntry{def}).first;
  }
  FDefWndProc = it->second.defProc;
  TWinControl* prev = s_creating;
  s_creating = this;
  HWND h = CreateWindowExA(p.ExStyle, cls.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height, p.WndParent,
                           nullptr, inst, nullptr);
  s_creating = prev;
  if (!h) throw Exception("Cannot create window " + cls);
  FHandle = h;
  if (p.SysClassName) {
    FAppliedFont = FFont->Handle();
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(FAppliedFont), 0);
  }
  CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (!w->FHandle) w->CreateWnd();
}

void TWinControl::DestroyWnd() {
  if (FHandle) DestroyWindow(FHandle);
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
  FHandle = nullptr;
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* c = static_cast<TWinControl*>(GetPropA(h, kControlProp));
  if (!c && s_creating) {
    c = s_creating;
    c->FHandle = h;
    SetPropA(h, kControlProp, c);
  }
  if (!c) return DefWindowProcA(h, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    LRESULT r = c->DefaultHandler(msg, wp, lp);
    RemovePropA(h, kControlProp);
    c->FHandle = nullptr;
    return r;
  }
  LRESULT result = 0;
  // Nothing may unwind through the system's code: failures go to the application.
  CallGuarded(c, [&] {
    if (!c->FHooks.Call(c, msg, wp, lp, result)) result = c->WndProc(msg, wp, lp);
  });
  return result;
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(FDefWndProc ? FDefWndProc : DefWindowProcA, FHandle, msg, wp, lp);
}

HBRUSH TWinControl::BackgroundBrush() {
  if (FBrushDirty || !FBrush.get()) {
    FBrush.reset(CreateSolidBrush(ColorToRGB(FColor)));
    FBrushDirty = false;
  }
  return FBrush.get();
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* c : FControls) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->Visible()) continue;
    RECT b = g->BoundsRect();
    if (!RectVisible(dc, &b)) continue;
    SavedDC saved(dc);
    IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);
    OffsetViewportOrgEx(dc, b.left, b.top, nullptr);
    g->PaintOn(dc);
  }
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (!dynamic_cast<TGraphicControl*>(c) || !c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}

bool TWinControl::HandleMouse(UINT msg, WPARAM wp, LPARAM lp) {
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  TControl* target = FCaptureControl;
  if (!target) target = ControlAtPos(p);
  if (!target) target = this;
  int x = p.x, y = p.y;
  if (target != this) {
    x -= target->Left();
    y -= target->Top();
  }
  TShiftState shift = KeysToShiftState(wp);
  bool own = FDefWndProc == DefWindowProcA;
  auto down = [&](TMouseButton b, bool dbl) {
    if (b == mbLeft && (target != this || own)) {
      FCaptureControl = target;
      SetCapture(FHandle);
    }
    if (Application) Application->CancelHint();
    target->MouseDown(b, shift | (dbl ? ssDouble : 0), x, y);
    // A system control reports its own clicks (BN_CLICKED and the like).
    if (target == this && !own) FMouseDownInside = false;
    if (dbl) target->DblClick();
  };
  auto up = [&](TMouseButton b) {
    if (b == mbLeft && FCaptureControl) {
      FCaptureControl = nullptr;
      if (GetCapture() == FHandle) ReleaseCapture();
    }
    target->MouseUp(b, shift, x, y);
  };
  switch (msg) {
    case WM_LBUTTONDOWN: down(mbLeft, false); return true;
    case WM_LBUTTONDBLCLK: down(mbLeft, true); return true;
    case WM_RBUTTONDOWN: down(mbRight, false); return true;
    case WM_RBUTTONDBLCLK: down(mbRight, true); return true;
    case WM_MBUTTONDOWN: down(mbMiddle, false); return true;
    case WM_MBUTTONDBLCLK: down(mbMiddle, true); return true;
    case WM_LBUTTONUP: up(mbLeft); return true;
    case WM_RBUTTONUP: up(mbRight); return true;
    case WM_MBUTTONUP: up(mbMiddle); return true;
    case WM_MOUSEMOVE:
      if (Application) Application->MouseOver(FCaptureControl ? FCaptureControl : target);
      target->MouseMove(shift, x, y);
      return true;
  }
  return false;
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  bool own = FDefWndProc == DefWindowProcA;
  switch (msg) {
    case WM_ERASEBKGND:
      if (own) {
        RECT r;
        GetClientRect(FHandle, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, BackgroundBrush());
        return 1;
      }
      break;
    case WM_PAINT:
      if (own) {
        PaintScope paint(FHandle);
        PaintWindow(paint.DC());
        PaintControls(paint.DC());
        return 0;
      }
      break;
    case WM_SIZE:
    case WM_MOVE: {
      LRESULT r = DefaultHandler(msg, wp, lp);
      UpdateWindowBounds();
      if (msg == WM_SIZE) AlignControls();
      return r;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      HandleMouse(msg, wp, lp);
      if (own) return 0;
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != FHandle && FCaptureControl) {
        TControl* lost = FCaptureControl;
        FCaptureControl = nullptr;
        lost->MouseCaptureLost();
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == FHandle) {
        POINT p;
        if (!MousePos(p)) break;
        ::ScreenToClient(FHandle, &p);
        TControl* c = ControlAtPos(p, true);
        if (!c) c = this;
        if (c->Cursor() != crDefault) {
          ::SetCursor(CursorHandle(c->Cursor()));
          return TRUE;
        }
      }
      break;
    case WM_CONTEXTMENU: {
      POINT sp{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (sp.x == -1 && sp.y == -1) {
        sp = POINT{0, 0};
        ::ClientToScreen(FHandle, &sp);
      }
      POINT cp = sp;
      ::ScreenToClient(FHandle, &cp);
      TControl* c = ControlAtPos(cp);
      if (!c) c = this;
      for (TControl* t = c; t; t = t->Parent())
        if (t->ShowPopupMenu(sp)) return 0;
      break;
    }
    case WM_SETFOCUS:
      // The form remembers where the focus is, to put it back when it is activated again.
      if (TForm* f = ParentForm(this); f && f != this) f->ControlFocused(this);
      break;
    case WM_COMMAND:
      if (lp)
        if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lp)); c && c != this) return c->WndProc(CN_COMMAND, wp, lp);
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (TWinControl* c = FromHandle(hdr->hwndFrom); c && c != this) return c->WndProc(CN_NOTIFY, wp, lp);
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lp)); c && c != this) return c->WndProc(CN_CTLCOLOR, wp, lp);
      break;
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (dis->CtlType != ODT_MENU)
        if (TWinControl* c = FromHandle(dis->hwndItem); c && c != this) return c->WndProc(CN_DRAWITEM, wp, lp);
      break;
    }
    case WM_SYSCOLORCHANGE:
      SysColorChanged();
      break;
    case CN_CTLCOLOR: {
      // A system control paints with its own Color and font colour.
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, ColorToRGB(FFont->Color()));
      SetBkColor(dc, ColorToRGB(FColor));
      return reinterpret_cast<LRESULT>(BackgroundBrush());
    }
  }
  return DefaultHandler(msg, wp, lp);
}

void TWinControl::UpdateWindowBounds() {
  if (!FHandle || FSettingBounds) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  if (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD) MapWindowPoints(HWND_DESKTOP, GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
  if (IsIconic(FHandle)) return;
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool resized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle) {
    FSettingBounds = true;
    SetWindowPos(FHandle, nullptr, FLeft, FTop, FWidth, FHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    FSettingBounds = false;
  }
  RequestAlign();
  if (resized) AlignControls();
  BoundsChanged();
}

RECT TWinControl::ClientRect() const {
  if (FHandle) {
    RECT r;
    GetClientRect(FHandle, &r);
    return r;
  }
  return RECT{0, 0, FWidth, FHeight};
}

void TWinControl::AlignControls() {
  if (Loading() || FAlignLevel > 0) {
    FAlignPending = true;
    return;
  }
  FAlignPending = false;
  std::vector<TAlignItem> items;
  std::vector<TControl*> ctls;
  for (TControl* c : FControls) {
    if (c->Align() == alNone) continue;
    items.push_back({c->Align(), c->Visible(), c->Left(), c->Top(), c->Width(), c->Height()});
    ctls.push_back(c);
  }
  if (items.empty()) return;
  RECT r = AlignRect();
  AlignItems(items, TAlignRect{r.left, r.top, r.right, r.bottom});
  ++FAlignLevel;  // the children's moves must not start another pass
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].Visible) ctls[i]->SetBounds(items[i].Left, items[i].Top, items[i].Width, items[i].Height);
  --FAlignLevel;
}

void TWinControl::EnableAlign() {
  if (--FAlignLevel == 0 && FAlignPending) AlignControls();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  AlignControls();
}

void TWinControl::InsertControl(TControl* c) {
  c->FParent = this;
  FControls.push_back(c);
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (FHandle && !w->FHandle && !Loading()) w->CreateWnd();
    UpdateControlParent();
  }
  if (c->Align() != alNone && !c->Loading()) AlignControls();
}

void TWinControl::MoveControlAfter(TControl* c, TControl* after) {
  auto from = std::find(FControls.begin(), FControls.end(), c);
  if (from == FControls.end() || c == after || std::find(FControls.begin(), FControls.end(), after) == FControls.end())
    return;
  FControls.erase(from);
  auto to = std::find(FControls.begin(), FControls.end(), after);
  FControls.insert(to + 1, c);
  auto* w = dynamic_cast<TWinControl*>(c);
  if (!w || !w->FHandle) return;
  // The window takes its place among its siblings' windows: after the last windowed control
  // that now comes before it, or first.
  HWND before = HWND_TOP;
  for (TControl* x : FControls) {
    if (x == c) break;
    if (auto* xw = dynamic_cast<TWinControl*>(x); xw && xw->FHandle) before = xw->FHandle;
  }
  SetWindowPos(w->FHandle, before, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TWinControl::NeedsControlParent() const {
  for (TControl* c : FControls)
    if (dynamic_cast<TWinControl*>(c)) return true;
  return false;
}

void TWinControl::UpdateControlParent() {
  if (!FHandle || !(GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD)) return;
  LONG ex = GetWindowLongA(FHandle, GWL_EXSTYLE);
  LONG want = NeedsControlParent() ? ex | WS_EX_CONTROLPARENT : ex;
  if (want != ex) SetWindowLongA(FHandle, GWL_EXSTYLE, want);
}

void TWinControl::RemoveControl(TControl* c) {
  if (FCaptureControl == c) FCaptureControl = nullptr;
  c->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  std::erase(FControls, c);
  c->FParent = nullptr;
  if (c->Align() != alNone && !Destroying()) AlignControls();
}

void TWinControl::ReadChild(TComponent* child) {
  if (auto* c = dynamic_cast<TControl*>(child)) c->SetParent(this);
}

bool TWinControl::DialogChar(char key) {
  for (TControl* c : FControls)
    if (c->Visible() && c->Enabled() && c->DialogChar(key)) return true;
  return false;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

bool TWinControl::Showing() const { return FHandle && IsWindowVisible(FHandle); }

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  TForm* f = ParentForm(this);
  if (f && f != this && !f->Showing()) {
    // Not on the screen yet: the form focuses it once it is activated.
    f->SetActiveControl(this);
    return;
  }
  if (Handle()) ::SetFocus(FHandle);
}

void TWinControl::SetTabStop(bool v) {
  if (v == FTabStop) return;
  FTabStop = v;
  if (!FHandle) return;
  LONG style = GetWindowLongA(FHandle, GWL_STYLE);
  SetWindowLongA(FHandle, GWL_STYLE, v ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

bool TWinControl::CanFocus() const {
  if (!FHandle) return false;
  for (const TWinControl* c = this; c; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return IsWindowVisible(FHandle) && IsWindowEnabled(FHandle);
}

void TWinControl::VisibleChanged() {
  if (FHandle) ShowWindow(FHandle, FVisible ? SW_SHOW : SW_HIDE);
  if (FParent && FAlign != alNone) FParent->AlignControls();
}

void TWinControl::EnabledChanged() {
  if (FHandle) EnableWindow(FHandle, FEnabled);
  Invalidate();
}

void TWinControl::TextChanged() {
  if (FHandle) SetWindowTextA(FHandle, FCaption.c_str());
  Invalidate();
}

void TWinControl::FontChanged() {
  if (FHandle && FDefWndProc != DefWindowProcA) {
    FAppliedFont = FFont->Handle();
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FAppliedFont), TRUE);
  }
  Invalidate();
  for (TControl* c : FControls) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
  FBrushDirty = true;
  Invalidate();
}

void TWinControl::SysColorChanged() {
  FBrushDirty = true;
  Invalidate();
  // Windows tells top-level windows only; child windows (system controls among them) hear it
  // from their parent, graphic children are told directly.
  for (TControl* c : FControls) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->FHandle)
      SendMessageA(w->FHandle, WM_SYSCOLORCHANGE, 0, 0);
    else
      c->SysColorChanged();
  }
}

void TWinControl::WindowHidden() {
  for (TControl* c : FControls) c->WindowHidden();
}

// ---------------------------------------------------------------- TCustomControl

VELMORA_CLASS_INFO(TCustomControl) {}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomControl::PaintTo(TBitmap& bmp) {
  if (bmp.Width() != FWidth || bmp.Height() != FHeight) bmp.SetSize(FWidth, FHeight);
  PaintOn(bmp.Canvas().Handle());
}

void TCustomControl::PaintOn(HDC dc) {
  RECT r{0, 0, FWidth, FHeight};
  FillRect(dc, &r, BackgroundBrush());
  {
    CanvasOn on(FCanvas, dc);
    FCanvas.Font().Assign(Font());
    FCanvas.Brush().SetColor(FColor);
    FCanvas.Brush().SetStyle(bsSolid);
    Paint();
  }
  PaintControls(dc);
}

LRESULT TCustomControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT: {
      PaintScope paint(FHandle);
      if (FWidth > 0 && FHeight > 0) {
        TBitmap* shared = g_paintBuffer.Take(FWidth, FHeight);
        struct TGiveBack {
          bool Taken;
          ~TGiveBack() {
            if (Taken) g_paintBuffer.Give();
          }
        } giveBack{shared != nullptr};
        TBitmap own;
        if (!shared) own.SetSize(FWidth, FHeight);
        TBitmap& bmp = shared ? *shared : own;
        HDC dc = bmp.Canvas().Handle();
        {
          // Each paint starts from the context as it was, whatever the last one left in it,
          // and sees only its own size of a larger bitmap.
          SavedDC saved(dc);
          IntersectClipRect(dc, 0, 0, FWidth, FHeight);
          PaintOn(dc);
        }
        BitBlt(paint.DC(), 0, 0, FWidth, FHeight, dc, 0, 0, SRCCOPY);
      }
      return 0;
    }
  }
  return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TFocusProxy

VELMORA_CLASS_INFO(TFocusProxy) {}

TFocusProxy::TFocusProxy(TGraphicControl* forControl) : TWinControl(forControl), FFor(forControl) {
  FTabStop = true;
  FWidth = 0;
  FHeight = 0;
}

void TFocusProxy::Follow() {
  TWinControl* parent = FFor->Parent();
  if (parent != FParent) {
    if (FParent) FParent->RemoveControl(this);
    if (parent) {
      parent->InsertControl(this);
      parent->MoveControlAfter(this, FFor);
    }
  }
  SetBounds(FFor->Left(), FFor->Top(), 0, 0);
  SetVisible(FFor->Visible());
  SetEnabled(FFor->Enabled());
}

TControl* TFocusProxy::PushButton() { return IsButton && FFor->Visible() && FFor->Enabled() ? FFor : nullptr; }

LRESULT TFocusProxy::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      LRESULT r = TWinControl::WndProc(msg, wp, lp);
      if (OnFocusChange) OnFocusChange(msg == WM_SETFOCUS);
      return r;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (OnKey && OnKey(msg, wp, lp)) return 0;
      break;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

void Frame3D(TCanvas& canvas, RECT& r, TColor topLeft, TColor bottomRight, int width) {
  HDC dc = canvas.Handle();
  COLORREF tl = ColorToRGB(topLeft), br = ColorToRGB(bottomRight);
  for (int i = 0; i < width; ++i) {
    --r.right;
    --r.bottom;
    GdiObject<HPEN> ptl(CreatePen(PS_SOLID, 1, tl)), pbr(CreatePen(PS_SOLID, 1, br));
    HGDIOBJ old = SelectObject(dc, ptl.get());
    MoveToEx(dc, r.left, r.bottom, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    SelectObject(dc, pbr.get());
    LineTo(dc, r.right, r.bottom);
    LineTo(dc, r.left - 1, r.bottom);
    SelectObject(dc, old);
    ++r.left;
    ++r.top;
  }
}
