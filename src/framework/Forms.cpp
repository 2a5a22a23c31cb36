#include "framework/Forms.h"
#include <windowsx.h>
#include <algorithm>
#include "framework/Description.h"
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/HintWindow.h"

TApplication* Application = nullptr;

const TEnumInfo& FormBorderStyleInfo() {
  static const TEnumInfo e{"TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
  return e;
}
const TEnumInfo& BorderIconInfo() {
  static const TEnumInfo e{"TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
  return e;
}
const TEnumInfo& PositionInfo() {
  static const TEnumInfo e{"TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                                         "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};
  return e;
}
const TEnumInfo& WindowStateInfo() {
  static const TEnumInfo e{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};
  return e;
}

std::string LoadResourceText(const std::string& name) {
  HMODULE m = GetModuleHandleA(nullptr);
  HRSRC r = FindResourceA(m, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!r) throw Exception("Resource " + name + " not found");
  HGLOBAL g = LoadResource(m, r);
  const char* p = g ? static_cast<const char*>(LockResource(g)) : nullptr;
  if (!p) throw Exception("Resource " + name + " cannot be loaded");
  return std::string(p, SizeofResource(m, r));
}

// ---------------------------------------------------------------- TForm

VELMORA_CLASS_INFO(TForm) {
  b.Enum("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle, FormBorderStyleInfo());
  b.Set("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons, BorderIconInfo());
  b.Enum("Position", &TForm::Position, &TForm::SetPosition, PositionInfo());
  b.Enum("WindowState", &TForm::WindowState, &TForm::SetWindowState, WindowStateInfo());
  b.Int("ClientWidth", &TForm::StoredClientWidth, &TForm::SetClientWidth);
  b.Int("ClientHeight", &TForm::StoredClientHeight, &TForm::SetClientHeight);
  b.Int("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch);
  b.Bool("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview);
  b.Str("HelpTopic", &TForm::HelpTopic, &TForm::SetHelpTopic);
  b.Ref<TWinControl>("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
  b.Event("OnCreate", &TForm::OnCreate);
  b.Event("OnShow", &TForm::OnShow);
  b.Event("OnHide", &TForm::OnHide);
  b.Event("OnDestroy", &TForm::OnDestroy);
  b.Event("OnActivate", &TForm::OnActivate);
  b.Event("OnDeactivate", &TForm::OnDeactivate);
  b.Event("OnResize", &TForm::OnResize);
  b.Event("OnPaint", &TForm::OnPaint);
  b.Event("OnClose", &TForm::OnClose);
  b.Event("OnCloseQuery", &TForm::OnCloseQuery);
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FParentColor = false;
  FParentFont = false;
  FColor = clBtnFace;
}

TForm::~TForm() {
  MarkDestroying();
  if (OnDestroy) CallGuarded(this, [&] { OnDestroy(this); });
  if (Application) Application->CancelHint();
  // Components go while the window and the form are still whole.
  DestroyComponents();
  DestroyHandle();
}

void TForm::LoadDescription(const std::string& resourceName) {
  LoadDescriptionText(LoadResourceText(resourceName), resourceName);
}

void TForm::LoadDescriptionText(const std::string& text, const std::string& name) {
  ReadDescription(this, text, name);
  // A failure here ends the creation of the window.
  if (OnCreate) OnCreate(this);
}

void TForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  ApplyBorder();
}

void TForm::SetBorderIcons(TBorderIcons v) {
  if (v == FBorderIcons) return;
  FBorderIcons = v;
  ApplyBorder();
}

void TForm::ApplyBorder() {
  if (!FHandle) return;
  TCreateParams p;
  CreateParams(p);
  SetWindowLongA(FHandle, GWL_STYLE, (p.Style & ~WS_VISIBLE) | (GetWindowLongA(FHandle, GWL_STYLE) & WS_VISIBLE));
  SetWindowLongA(FHandle, GWL_EXSTYLE, p.ExStyle);
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.WndParent = Application ? Application->Handle() : nullptr;
  p.Style = WS_CLIPCHILDREN;
  p.ExStyle = 0;
  switch (FBorderStyle) {
    case bsNone: p.Style |= WS_POPUP; break;
    case bsSingle: p.Style |= WS_CAPTION; break;
    case bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: p.Style |= WS_POPUP | WS_CAPTION; p.ExStyle |= WS_EX_DLGMODALFRAME; break;
    case bsToolWindow: p.Style |= WS_CAPTION; p.ExStyle |= WS_EX_TOOLWINDOW; break;
    case bsSizeToolWin: p.Style |= WS_CAPTION | WS_THICKFRAME; p.ExStyle |= WS_EX_TOOLWINDOW; break;
  }
  if (FBorderStyle != bsNone && (FBorderIcons & (1u << biSystemMenu))) {
    p.Style |= WS_SYSMENU;
    bool boxes = FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin;
    if (boxes && (FBorderIcons & (1u << biMinimize))) p.Style |= WS_MINIMIZEBOX;
    if (boxes && (FBorderIcons & (1u << biMaximize))) p.Style |= WS_MAXIMIZEBOX;
    if ((FBorderIcons & (1u << biHelp)) && !(p.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) p.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (!FEnabled) p.Style |= WS_DISABLED;
  if (FScrollHeight) p.Style |= WS_VSCROLL;
}

SIZE TForm::FrameExtra() const {
  TCreateParams p;
  const_cast<TForm*>(this)->CreateParams(p);
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
  return SIZE{r.right - r.left - 100, r.bottom - r.top - 100};
}

RECT TForm::ClientRect() const {
  if (FHandle) return TWinControl::ClientRect();
  SIZE e = FrameExtra();
  if (FScrollHeight) e.cx += GetSystemMetrics(SM_CXVSCROLL);
  return RECT{0, 0, std::max(0, FWidth - static_cast<int>(e.cx)), std::max(0, FHeight - static_cast<int>(e.cy))};
}

void TForm::SetClientWidth(int v) {
  if (Loading()) {
    FLoadClientWidth = v;  // the border style may still change
    return;
  }
  SetWidth(v + FrameExtra().cx);
}

void TForm::SetClientHeight(int v) {
  if (Loading()) {
    FLoadClientHeight = v;
    return;
  }
  SetHeight(v + FrameExtra().cy);
}

void TForm::Loaded() {
  SIZE e = FrameExtra();
  if (FLoadClientWidth >= 0) FWidth = FLoadClientWidth + e.cx;
  if (FLoadClientHeight >= 0) FHeight = FLoadClientHeight + e.cy;
  TWinControl::Loaded();
}

void TForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (Application && Application->Icon()) SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Application->Icon()));
}

void TForm::ApplyPosition() {
  if (FPositioned) return;
  FPositioned = true;
  int x = FLeft, y = FTop;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
    case poMainFormCenter:
    case poOwnerFormCenter: {
      RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      TForm* ref = nullptr;
      if (FPosition == poMainFormCenter || FPosition == poOwnerFormCenter) {
        ref = FPosition == poOwnerFormCenter ? dynamic_cast<TForm*>(Owner()) : nullptr;
        if (!ref && Application) ref = Application->MainForm();
        if (ref == this) ref = nullptr;
      }
      if (ref) area = ref->BoundsRect();
      x = area.left + (area.right - area.left - FWidth) / 2;
      y = area.top + (area.bottom - area.top - FHeight) / 2;
      if (x < 0) x = 0;
      if (y < 0) y = 0;
      break;
    }
    default:
      break;
  }
  int w = FWidth, h = FHeight;
  FitWorkArea(x, y, w, h);
  SetBounds(x, y, w, h);
  UpdateScrollBar();
}

void TForm::FitWorkArea(int& x, int& y, int& w, int& h) {
  RECT wa{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  const TAlignRect area{wa.left, wa.top, wa.right, wa.bottom};
  TFitWindow f = FitWindow(x, y, w, h, area);
  x = f.X;
  y = f.Y;
  if (!f.Short || FScrollHeight) return;
  // The contents keep their size and scroll: the window gets a scroll bar beside them.
  FScrollHeight = ClientHeight();
  h = f.Height;
  w += GetSystemMetrics(SM_CXVSCROLL);
  x = FitWindow(x, y, w, h, area).X;
  if (FHandle) ShowScrollBar(FHandle, SB_VERT, TRUE);
}

RECT TForm::AlignRect() const {
  RECT r = ClientRect();
  if (FScrollHeight) {
    r.top = -FScrollPos;
    r.bottom = FScrollHeight - FScrollPos;
  }
  return r;
}

void TForm::UpdateScrollBar() {
  if (!FHandle || !FScrollHeight) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMax = FScrollHeight - 1;
  si.nPage = static_cast<UINT>(ClientHeight());
  si.nPos = FScrollPos;
  SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
}

void TForm::ScrollTo(int pos) {
  if (!FScrollHeight) return;
  pos = ClampScroll(pos, ClientHeight(), FScrollHeight);
  const int delta = pos - FScrollPos;
  if (delta == 0) return;
  FScrollPos = pos;
  // Aligned children follow the scrolled contents' rectangle; the others move by hand.
  DisableAlign();
  for (TControl* c : FControls)
    if (c->Align() == alNone) c->SetBounds(c->Left(), c->Top() - delta, c->Width(), c->Height());
  EnableAlign();
  AlignControls();
  UpdateScrollBar();
  Invalidate();
}

void TForm::ScrollInView(TControl* c) {
  if (!FScrollHeight || !FHandle || !c || c == this) return;
  RECT r = c->BoundsRect();
  POINT tl{r.left, r.top};
  if (TWinControl* host = c->Parent()) {
    if (!host->HandleAllocated()) return;
    MapWindowPoints(host->Handle(), FHandle, &tl, 1);
  }
  // In the contents' coordinates.
  const int top = tl.y + FScrollPos, bottom = top + (r.bottom - r.top);
  ScrollTo(ScrollToShow(FScrollPos, ClientHeight(), FScrollHeight, top, bottom));
}

bool TForm::ScrollMessage(UINT msg, WPARAM wp) {
  if (!FScrollHeight) return false;
  const int line = 16, page = std::max(line, ClientHeight() - line);
  if (msg == WM_MOUSEWHEEL) {
    ScrollTo(FScrollPos - static_cast<short>(HIWORD(wp)) * 3 * line / WHEEL_DELTA);
    return true;
  }
  switch (LOWORD(wp)) {
    case SB_LINEUP: ScrollTo(FScrollPos - line); break;
    case SB_LINEDOWN: ScrollTo(FScrollPos + line); break;
    case SB_PAGEUP: ScrollTo(FScrollPos - page); break;
    case SB_PAGEDOWN: ScrollTo(FScrollPos + page); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(FScrollHeight); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(FHandle, SB_VERT, &si);
      ScrollTo(si.nTrackPos);
      break;
    }
  }
  return true;
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TForm::Hide() { SetVisible(false); }

void TForm::BringToFront() {
  if (FHandle && FVisible) SetForegroundWindow(FHandle);
}

bool TForm::Showing() const { return FVisible && FHandle && IsWindowVisible(FHandle); }

void TForm::VisibleChanged() {
  bool isMain = Application && Application->MainForm() == this;
  if (FVisible) {
    HandleNeeded();
    ApplyPosition();
    DoShow();
    if (!FVisible) return;  // OnShow may hide it again
    int cmd = FWindowState == wsMaximized ? SW_SHOWMAXIMIZED : FWindowState == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOW;
    ShowWindow(FHandle, cmd);
    if (isMain && Application->Handle()) ShowWindow(Application->Handle(), SW_SHOWNA);
    UpdateWindow(FHandle);
  } else {
    DoHide();
    if (FHandle) ShowWindow(FHandle, SW_HIDE);
    if (isMain && Application->Handle()) ShowWindow(Application->Handle(), SW_HIDE);
  }
}

void TForm::DoShow() {
  if (OnShow) CallGuarded(this, [&] { OnShow(this); });
}

void TForm::DoHide() {
  if (OnHide) CallGuarded(this, [&] { OnHide(this); });
}

TWindowState TForm::WindowState() const {
  if (FHandle) {
    if (IsIconic(FHandle)) return wsMinimized;
    if (IsZoomed(FHandle)) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TForm::SetWindowState(TWindowState v) {
  FWindowState = v;
  // A window not shown yet takes the state when it is shown.
  if (FHandle && IsWindowVisible(FHandle) && !Loading()) {
    bool isMain = Application && Application->MainForm() == this;
    if (v == wsMinimized && isMain)
      Application->Minimize();
    else
      ShowWindow(FHandle, v == wsMaximized ? SW_MAXIMIZE : v == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
  }
}

bool TForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (FModal) {
    // ShowModal hides the form and its caller frees it.
    if (FModalResult == mrNone) FModalResult = mrCancel;
    return;
  }
  if (Application && Application->MainForm() == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caMinimize)
    SetWindowState(wsMinimized);
  else
    Release();
}

void TForm::Release() {
  if (FHandle) PostMessageA(FHandle, CM_RELEASE, 0, 0);
}

bool TForm::Active() const { return FHandle && GetActiveWindow() == FHandle; }

const TIdentMap& ModalResultIdents() {
  static const TIdentMap m{{{"mrNone", mrNone}, {"mrOk", mrOk}, {"mrCancel", mrCancel}, {"mrAbort", mrAbort},
                            {"mrRetry", mrRetry}, {"mrIgnore", mrIgnore}, {"mrYes", mrYes}, {"mrNo", mrNo}}};
  return m;
}

namespace {
struct DisabledWindows {
  HWND except;
  std::vector<HWND> list;
};
BOOL CALLBACK DisableWindow(HWND h, LPARAM lp) {
  auto* d = reinterpret_cast<DisabledWindows*>(lp);
  if (h != d->except && IsWindowVisible(h) && IsWindowEnabled(h)) {
    EnableWindow(h, FALSE);
    d->list.push_back(h);
  }
  return TRUE;
}
}  // namespace

int TForm::ShowModal() {
  if (FModal || FVisible) throw Exception("Cannot make a visible window modal");
  HandleNeeded();
  HWND active = GetActiveWindow();
  DisabledWindows d{FHandle, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&d));
  FModal = true;
  FModalResult = mrNone;
  auto restore = [&] {
    // The others are enabled before this one hides, so the activation goes back to them.
    for (HWND h : d.list)
      if (IsWindow(h)) EnableWindow(h, TRUE);
    FModal = false;
    Hide();
    if (active && IsWindow(active)) SetActiveWindow(active);
    if (auto* owner = dynamic_cast<TForm*>(Owner()); owner && owner->FReleasePending) {
      owner->FReleasePending = false;
      owner->Release();
    }
  };
  try {
    Show();
    while (FModalResult == mrNone && Application && !Application->Terminated()) Application->HandleMessage();
  } catch (...) {
    restore();
    throw;
  }
  if (FModalResult == mrNone) FModalResult = mrCancel;  // the application is ending
  restore();
  return FModalResult;
}

void TForm::PaintWindow(HDC) {
  if (OnPaint) CallGuarded(this, [&] { OnPaint(this); });
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SYSCOMMAND:
      if (Application && Application->MainForm() == this) {
        UINT cmd = wp & 0xFFF0;
        if (cmd == SC_MINIMIZE) {
          Application->Minimize();
          return 0;
        }
        if (cmd == SC_RESTORE && Application->Minimized()) {
          Application->Restore();
          return 0;
        }
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) {
        if (OnActivate) CallGuarded(this, [&] { OnActivate(this); });
      } else if (OnDeactivate) {
        CallGuarded(this, [&] { OnDeactivate(this); });
      }
      break;
    case WM_SIZE: {
      LRESULT r = TWinControl::WndProc(msg, wp, lp);
      if (FScrollHeight && wp != SIZE_MINIMIZED) {
        ScrollTo(FScrollPos);
        UpdateScrollBar();
      }
      if (OnResize && wp != SIZE_MINIMIZED) CallGuarded(this, [&] { OnResize(this); });
      return r;
    }
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
      if (lp == 0 || msg == WM_MOUSEWHEEL)
        if (ScrollMessage(msg, wp)) return 0;
      break;
    case WM_HELP:
      // F1 where the program's own loop does not see it (a menu, a message box), and the
      // caption's help button.
      ShowHelp();
      return TRUE;
    case WM_SHOWWINDOW:
      // Hidden (by the program, with its owner, into the tray): a window off the screen needs
      // no pictures kept for painting.
      if (!wp) WindowHidden();
      break;
    case CM_RELEASE:
      // A window this one owns may be running its modal loop (this one was closed from outside
      // meanwhile): freeing it now would free that window under its own loop. The release waits
      // for the loop's end.
      for (int i = 0; i < ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TForm*>(Components(i)); f && f->FModal) {
          FReleasePending = true;
          return 0;
        }
      delete this;
      return 0;
    case WM_SETFOCUS:
      // The form is activated: the focus goes on to the control that had it (or was given it
      // while the form was off the screen), else to the first tab stop, as in a dialog.
      if (FActiveControl && FActiveControl->CanFocus()) {
        ::SetFocus(FActiveControl->Handle());
        return 0;
      }
      if (HWND first = NextTabStop(FHandle, nullptr, false)) {
        ::SetFocus(first);
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
      if (Application) return Application->SessionMessage(msg, wp);
      break;
    case WM_COMMAND:
      // Enter and Esc in a dialog arrive as the standard button ids without a control.
      if (lp == 0 && HIWORD(wp) == 0) {
        TWinControl* b = LOWORD(wp) == IDOK ? DefaultButton : LOWORD(wp) == IDCANCEL ? CancelButton : nullptr;
        if (b) {
          if (b->Visible() && b->Enabled()) b->Click();
          return 0;
        }
        if (LOWORD(wp) == IDCANCEL && FModal) {
          FModalResult = mrCancel;
          return 0;
        }
      }
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

TForm* ParentForm(TControl* c) {
  while (c && !dynamic_cast<TForm*>(c)) c = c->Parent();
  return static_cast<TForm*>(c);
}

TControl* TForm::EnterButton() {
  HWND focus = GetFocus();
  if (focus && FHandle && IsChild(FHandle, focus))
    if (TWinControl* c = TWinControl::FromHandle(focus))
      if (TControl* b = c->PushButton(); b && b->Visible() && b->Enabled()) return b;
  if (DefaultButton && DefaultButton->Visible() && DefaultButton->Enabled()) return DefaultButton;
  return nullptr;
}

bool TForm::PressEnterButton() {
  TControl* b = EnterButton();
  if (!b) return false;
  b->Click();
  return true;
}

void TForm::UpdateDefaultLook() {
  // A focused push button is the default while it has the focus, as in Windows' dialogs.
  TWinControl* want = DefaultButton;
  if (FActiveControl)
    if (auto* b = dynamic_cast<TWinControl*>(FActiveControl->PushButton())) want = b;
  if (want == FDefaultLook) return;
  if (FDefaultLook) FDefaultLook->SetDefaultLook(false);
  FDefaultLook = want;
  if (want) want->SetDefaultLook(true);
}

void TForm::SetActiveControl(TWinControl* c) {
  if (c == this) c = nullptr;
  FActiveControl = c;
  UpdateDefaultLook();
}

void TForm::ControlFocused(TWinControl* c) {
  SetActiveControl(c);
  ScrollInView(c);
}

void TForm::ShowHelp() {
  if (Application) Application->ShowHelp(FHelpTopic);
}

void TForm::ControlGone(TWinControl* c) {
  if (FActiveControl == c) FActiveControl = nullptr;
  if (FDefaultLook == c) FDefaultLook = nullptr;
}

TWinControl* ScreenActiveControl() {
  auto* f = dynamic_cast<TForm*>(TWinControl::FromHandle(GetActiveWindow()));
  return f ? f->ActiveControl() : nullptr;
}

namespace {
// Every child window of parent in z-order, stepping into the usable control parents; each with
// whether Tab may stop there.
void CollectTabOrder(HWND parent, std::vector<std::pair<HWND, bool>>& out) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    LONG style = GetWindowLongA(h, GWL_STYLE);
    bool usable = (style & WS_VISIBLE) && !(style & WS_DISABLED);
    out.emplace_back(h, usable && (style & WS_TABSTOP));
    if (usable && (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) CollectTabOrder(h, out);
  }
}
}  // namespace

HWND NextTabStop(HWND root, HWND from, bool backward) {
  std::vector<std::pair<HWND, bool>> all;
  CollectTabOrder(root, all);
  const int n = static_cast<int>(all.size());
  int at = -1;
  // The window itself, or the nearest of its parents that the walk knows (the edit inside a
  // combo box stands where the combo box does).
  for (HWND h = from; h && h != root && at < 0; h = GetParent(h))
    for (int i = 0; i < n; ++i)
      if (all[i].first == h) {
        at = i;
        break;
      }
  if (at < 0) at = backward ? n : -1;
  for (int k = 1; k <= n; ++k) {
    int i = ((at + (backward ? -k : k)) % n + n) % n;
    if (all[i].second) return all[i].first;
  }
  return nullptr;
}

// ---------------------------------------------------------------- TApplication

VELMORA_CLASS_INFO(TApplication) {}

namespace {
const UINT_PTR kHintTimer = 1;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  Application = this;
  HintWindowClass = [](TComponent* owner) { return new THintWindow(owner); };
}

TApplication::~TApplication() {
  CancelHint();
  DestroyComponents();
  if (FMainForm) FMainForm = nullptr;
  if (FHandle) DestroyWindow(FHandle);
  SetExceptionSink(nullptr);
  if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
  if (FHandle) return;
  SetExceptionSink([this](TObject* s, const std::exception& e) { HandleException(s, e); });
  HINSTANCE inst = GetModuleHandleA(nullptr);
  FIcon = LoadIconA(inst, "MAINICON");
  WNDCLASSA wc{};
  wc.lpfnWndProc = AppWndProcStatic;
  wc.hInstance = inst;
  wc.hIcon = FIcon;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "TApplication";
  RegisterClassA(&wc);
  // The hidden application window owns every form and carries the taskbar button.
  FHandle = CreateWindowExA(0, "TApplication", FTitle.c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, inst, nullptr);
}

void TApplication::SetTitle(const std::string& v) {
  FTitle = v;
  if (FHandle) SetWindowTextA(FHandle, v.c_str());
}

std::string TApplication::ExeName() const {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return std::string(buf, n);
}

void TApplication::ShowHelp(const std::string& topic) {
  std::string file = FHelpFile;
  if (file.empty()) return;
  // A bare name is the file beside the program, wherever it was started from.
  if (file.find_first_of("\\/:") == std::string::npos) {
    std::string exe = ExeName();
    file = exe.substr(0, exe.find_last_of("\\:") + 1) + file;
  }
  if (HelpViewer) {
    HelpViewer(file, topic);
    return;
  }
  // The viewer is looked up when needed: it is not on every Windows 95 machine, and a missing
  // help file is its to report.
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
  static HMODULE lib = LoadLibraryA("hhctrl.ocx");
  auto fn = lib ? reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(lib, "HtmlHelpA"))) : nullptr;
  if (!fn) return;
  if (topic.empty())
    fn(nullptr, file.c_str(), 0x0001 /* HH_DISPLAY_TOC */, 0);
  else
    fn(nullptr, (file + "::/" + topic).c_str(), 0x0000 /* HH_DISPLAY_TOPIC */, 0);
}

void TApplication::AddForm(TForm* f) {
  if (!FMainForm) FMainForm = f;
}

void TApplication::Run() {
  if (FShowMainForm && FMainForm && !FTerminated) FMainForm->Show();
  while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::ProcessMessages() {
  MSG m;
  while (!FTerminated && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      FTerminated = true;
      break;
    }
    bool handled = false;
    if (OnMessage) OnMessage(m, handled);
    if (handled) continue;
    if (m.message == WM_SYSCHAR && DialogChar(m.hwnd, static_cast<char>(m.wParam))) continue;
    // The system posts this beside F1's key-down and makes it the help request (WM_HELP): the
    // key-down has opened the help already in the program's windows.
    if (m.message == 0x004D /* WM_KEYF1 */ && IsFormWindow(m.hwnd)) continue;
    if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST && DialogKey(m)) continue;
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN || m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN)
      CancelHint();
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

namespace {
// The top-level window of a window, and its form when the program made it.
HWND TopLevel(HWND h) {
  while (h && (GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) h = GetParent(h);
  return h;
}
TForm* FormOf(HWND h) { return dynamic_cast<TForm*>(TWinControl::FromHandle(TopLevel(h))); }
}  // namespace

bool TApplication::IsFormWindow(HWND h) { return FormOf(h) != nullptr; }

bool TApplication::DialogKey(MSG& m) {
  // Every form works as a dialog box for the keyboard: Tab and Shift+Tab, Enter, Esc, the arrows,
  // F1.
  HWND top = TopLevel(m.hwnd);
  auto* form = FormOf(m.hwnd);
  if (!form) return false;
  if (m.message == WM_KEYDOWN && m.wParam == VK_F1 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
    CallGuarded(form, [&] { form->ShowHelp(); });
    return true;
  }
  if (m.message == WM_KEYDOWN && (m.wParam == VK_TAB || m.wParam == VK_RETURN) && GetKeyState(VK_MENU) >= 0) {
    if (m.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
      TurnPage(form, GetKeyState(VK_SHIFT) >= 0);
      return true;
    }
    HWND focus = GetFocus();
    UINT code = focus && focus != top
                    ? static_cast<UINT>(SendMessageA(focus, WM_GETDLGCODE, m.wParam, reinterpret_cast<LPARAM>(&m)))
                    : 0;
    if (m.wParam == VK_TAB) {
      if (!(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) {
        if (HWND next = NextTabStop(top, focus, GetKeyState(VK_SHIFT) < 0)) {
          ::SetFocus(next);
          // A text field reached with Tab shows its text selected.
          if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(next, EM_SETSEL, 0, -1);
        }
        return true;
      }
    } else if (!(code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) {
      bool pressed = false;
      CallGuarded(form, [&] { pressed = form->PressEnterButton(); });
      if (pressed) return true;
    }
  }
  // The arrows, where the focused control has no use for them, step through the tab stops too
  // (the system's way would also stop on the chart and the other instruments, which show no
  // focus).
  const WPARAM k = m.wParam;
  if (m.message == WM_KEYDOWN && (k == VK_LEFT || k == VK_RIGHT || k == VK_UP || k == VK_DOWN) &&
      GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_CONTROL) >= 0) {
    HWND focus = GetFocus();
    if (focus && focus != top && IsChild(top, focus)) {
      UINT code = static_cast<UINT>(SendMessageA(focus, WM_GETDLGCODE, k, reinterpret_cast<LPARAM>(&m)));
      if (!(code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) {
        if (HWND next = NextTabStop(top, focus, k == VK_LEFT || k == VK_UP)) ::SetFocus(next);
        return true;
      }
    }
  }
  return IsDialogMessageA(top, &m) != FALSE;
}

namespace {
bool TurnFirstPageIn(TWinControl* c, bool forward) {
  if (c->TurnPage(forward)) return true;
  for (int i = 0; i < c->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(c->Controls(i)); w && w->Visible() && TurnFirstPageIn(w, forward)) return true;
  return false;
}
}  // namespace

void TApplication::TurnPage(TForm* form, bool forward) {
  // The pages around the focus turn; with the focus outside any, the form's first pages do.
  for (TWinControl* c = TWinControl::FromHandle(GetFocus()); c && c != form; c = c->Parent())
    if (c->TurnPage(forward)) return;
  TurnFirstPageIn(form, forward);
}

void TApplication::HandleMessage() {
  MSG m;
  if (PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) {
    ProcessMessages();
  } else {
    Idle();
    if (!FTerminated) WaitMessage();
  }
}

void TApplication::Idle() {
  DoMouseIdle();
  bool done = true;
  if (OnIdle) CallGuarded(this, [&] { OnIdle(this, done); });
}

void TApplication::DoMouseIdle() {
  POINT p;
  if (!MousePos(p)) return;
  HWND h = WindowFromPoint(p);
  TWinControl* w = TWinControl::FromHandle(h);
  TControl* c = nullptr;
  if (w) {
    POINT cp = p;
    ScreenToClient(h, &cp);
    c = w->ControlAtPos(cp, true);
    if (!c) c = w;
  }
  MouseOver(c);
}

static bool EffectiveShowHint(TControl* c) { return c && c->HasHint(); }

bool TApplication::DialogChar(HWND target, char key) {
  // The accelerators of the window the key went to, searched from its top-level form down.
  TWinControl* w = TWinControl::FromHandle(target);
  while (w && w->Parent()) w = w->Parent();
  bool taken = false;
  if (w) CallGuarded(w, [&] { taken = w->DialogChar(key); });
  return taken;
}

void TApplication::MouseOver(TControl* c) {
  if (c == FMouseControl) return;
  TControl* old = FMouseControl;
  FMouseControl = c;
  if (old) {
    old->MouseLeave();
    if (old->Parent() || dynamic_cast<TWinControl*>(old)) {
      if (auto* w = old->WindowedHost(); w && w->HandleAllocated()) PostMessageA(w->Handle(), CM_MOUSELEAVE, 0, 0);
    }
  }
  if (c) c->MouseEnter();
  ResetHint();
}

void TApplication::ResetHint() {
  if (!FShowHint) return;
  bool wasActive = FHintActive;
  CancelHint();
  if (EffectiveShowHint(FMouseControl)) {
    FHintControl = FMouseControl;
    StartHintTimer(wasActive ? HintShortPause : HintPause, 1);
  }
}

void TApplication::ControlDestroyed(TControl* c) {
  if (FMouseControl == c) FMouseControl = nullptr;
  if (FHintControl == c) CancelHint();
}

void TApplication::SetShowHint(bool v) {
  FShowHint = v;
  if (v) return;
  CancelHint();
  // The next hint makes a window of the class then in force.
  delete FHintWindow;
  FHintWindow = nullptr;
}

void TApplication::StartHintTimer(UINT ms, int kind) {
  FHintTimerKind = kind;
  if (FHandle) SetTimer(FHandle, kHintTimer, ms ? ms : 1, nullptr);
}

void TApplication::StopHintTimer() {
  FHintTimerKind = 0;
  if (FHandle) KillTimer(FHandle, kHintTimer);
}

void TApplication::CancelHint() {
  StopHintTimer();
  if (FHintWindow) FHintWindow->ReleaseHint();
  FHintActive = false;
  FHintControl = nullptr;
}

void TApplication::HintTimerExpired() {
  int kind = FHintTimerKind;
  StopHintTimer();
  if (kind == 1) {
    POINT p;
    if (MousePos(p)) ActivateHint(p);
  } else if (kind == 2) {
    if (FHintWindow) FHintWindow->ReleaseHint();
  }
}

void TApplication::ActivateHint(POINT cursor) {
  TControl* c = FHintControl;
  if (!c || !EffectiveShowHint(c)) return;
  THintInfo info;
  info.HintControl = c;
  info.CursorPos = c->ScreenToClient(cursor);
  info.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = HintColor;
  info.HideTimeout = HintHidePause;
  // The short hint is the text before a '|'.
  std::string hint = c->Hint();
  if (size_t bar = hint.find('|'); bar != std::string::npos) hint.resize(bar);
  info.HintStr = hint;
  info.HintPos = POINT{cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  bool canShow = c->HintShow(info);
  if (canShow && OnShowHint) CallGuarded(this, [&] { OnShowHint(info.HintStr, canShow, info); });
  if (!canShow || info.HintStr.empty()) return;
  if (!FHintWindow) {
    FHintWindow = HintWindowClass ? HintWindowClass(this) : nullptr;
    if (!FHintWindow) return;
    // Whoever owns it, its going must reach this pointer.
    FreeNotification(FHintWindow);
  }
  FHintWindow->SetColor(info.HintColor);
  RECT r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr);
  OffsetRect(&r, info.HintPos.x, info.HintPos.y);
  FHintWindow->ActivateHint(r, info.HintStr);
  FHintActive = true;
  FHintControl = c;
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, 2);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FHintWindow) {
    FHintWindow = nullptr;
    FHintActive = false;
  }
  if (AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::Minimize() {
  if (!FHandle || IsIconic(FHandle)) return;
  // Windows hides owned windows with their owner; not every system does it for a window of
  // no size, so the main form is hidden here too, and the program's other windows (a dialog
  // left open) go with it until it is restored.
  if (FMainForm && FMainForm->HandleAllocated()) ShowWindow(FMainForm->Handle(), SW_HIDE);
  ShowOwnedPopups(FHandle, FALSE);
  ShowWindow(FHandle, SW_MINIMIZE);
  if (OnMinimize) CallGuarded(this, [&] { OnMinimize(this); });
}

void TApplication::Restore() {
  if (!FHandle || !IsIconic(FHandle)) return;
  FRestoring = true;
  ShowWindow(FHandle, SW_RESTORE);
  FRestoring = false;
  ShowRestoredMainForm();
}

void TApplication::ShowRestoredMainForm() {
  // The windows that went with the application come back behind the main form.
  if (FHandle) ShowOwnedPopups(FHandle, TRUE);
  if (FMainForm && FMainForm->HandleAllocated() && FMainForm->Visible()) {
    ShowWindow(FMainForm->Handle(), SW_SHOW);
    SetActiveWindow(FMainForm->Handle());
  }
  if (OnRestore) CallGuarded(this, [&] { OnRestore(this); });
}

void TApplication::BringToFront() {
  if (FMainForm && FMainForm->HandleAllocated()) SetForegroundWindow(FMainForm->Handle());
}

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
  // Nobody bound: the failure is dropped and the program goes on.
  if (OnException) {
    try {
      OnException(Sender, E);
    } catch (...) {
    }
  }
}

LRESULT CALLBACK TApplication::AppWndProcStatic(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (Application && !Application->FHandle) Application->FHandle = h;  // messages of CreateWindow itself
  if (Application && Application->FHandle == h) {
    LRESULT r = 0;
    bool ok = false;
    CallGuarded(Application, [&] {
      if (!Application->FHooks.Call(Application, msg, wp, lp, r)) r = Application->AppWndProc(msg, wp, lp);
      ok = true;
    });
    if (ok) return r;
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

LRESULT TApplication::AppWndProc(UINT msg, WPARAM wp, LPARAM lp) {
  HWND h = FHandle;
  switch (msg) {
    case WM_ACTIVATEAPP:
      // The events follow once the system is done switching, in the order of the notices.
      FActive = wp != 0;
      if (!FActive) CancelHint();
      PostMessageA(h, FActive ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
      return 0;
    case CM_ACTIVATE:
      if (OnActivate) CallGuarded(this, [&] { OnActivate(this); });
      return 0;
    case CM_DEACTIVATE:
      if (OnDeactivate) CallGuarded(this, [&] { OnDeactivate(this); });
      return 0;
    case WM_SIZE:
      // Restored from outside (another copy's OpenIcon, say) rather than through Restore():
      // the main window comes back as Restore brings it.
      if (wp == SIZE_RESTORED && !FRestoring && FMainForm && FMainForm->HandleAllocated() && FMainForm->Visible() &&
          !IsWindowVisible(FMainForm->Handle()))
        ShowRestoredMainForm();
      break;
    case WM_ACTIVATE:
      // The taskbar button activates this window: hand the activation to the main form.
      if (LOWORD(wp) != WA_INACTIVE && FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->Handle()) &&
          !IsIconic(h))
        SetActiveWindow(FMainForm->Handle());
      return 0;
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return 0;
        case SC_RESTORE: Restore(); return 0;
      }
      break;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return 0;
    case WM_TIMER:
      if (wp == kHintTimer) {
        HintTimerExpired();
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
      return SessionMessage(msg, wp);
  }
  return DefWindowProcA(h, msg, wp, lp);
}

LRESULT TApplication::SessionMessage(UINT msg, WPARAM wp) {
  // Each top-level window of the program gets the notices; the first one to arrive acts.
  auto tell = [this](bool ending, bool certain) {
    LRESULT r = 0;
    FHooks.Call(this, CM_SESSIONEND, ending, certain, r);
  };
  if (msg == WM_QUERYENDSESSION) {
    if (FSessionState == 0) {
      FSessionState = 1;
      tell(true, false);
    }
    return TRUE;
  }
  if (msg != WM_ENDSESSION) return 0;
  if (wp) {
    if (FSessionState != 2) {
      FSessionState = 2;
      tell(true, true);
      Terminate();
    }
  } else if (FSessionState == 1) {
    FSessionState = 0;
    tell(false, false);
  }
  return 0;
}

void RegisterFormClasses() {}
