// Controls: graphic controls (no window, painted by their parent) and windowed controls (an
// HWND whose window class is named after the component's class).
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/AlignLayout.h"
#include "framework/Classes.h"
#include "framework/Graphics.h"
#include "framework/MessageHooks.h"

class TWinControl;
class TPopupMenu;
struct THintInfo;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = uint32_t;
enum : uint32_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
const TEnumInfo& AlignInfo();
const TEnumInfo& AlignmentInfo();

// Private messages of the framework.
enum : UINT {
  CM_BASE = WM_APP + 0x3000,
  CM_MOUSEENTER,
  CM_MOUSELEAVE,
  CN_COMMAND,  // WM_COMMAND reflected to the control that sent it
  CN_NOTIFY,   // WM_NOTIFY reflected likewise
  CM_RELEASE,  // a form frees itself
  CN_CTLCOLOR,  // WM_CTLCOLOR* reflected to the system control that asks for its colours
  CN_DRAWITEM,  // WM_DRAWITEM reflected to the owner-drawn control
  CM_ACTIVATE,    // the application became active (raised after the system's notice)
  CM_DEACTIVATE,  // and inactive
  CM_SESSIONEND,  // to the application window's hooks: the session ends (wParam TRUE; lParam
                  // TRUE once it is certain), or goes on after all (FALSE); see
                  // TApplication::SessionMessage
};

TShiftState KeysToShiftState(WPARAM keys);
// The shift keys held now (for input that carries no key state, such as tray icons').
TShiftState KeyboardShiftState();

// The mouse pointer's screen position; false when the system cannot give it (while the
// workstation is locked, for one), and then p is left alone.
bool MousePos(POINT& p);
// Replaces GetCursorPos for MousePos (tests make it fail); null puts it back. Returns the
// previous source.
using TMousePosSource = BOOL(WINAPI*)(LPPOINT);
TMousePosSource SetMousePosSource(TMousePosSource source);

class TControl : public TComponent {
  VELMORA_CLASS(TControl, TComponent)

 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* value);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  // The client area in the control's own coordinates.
  virtual RECT ClientRect() const { return RECT{0, 0, FWidth, FHeight}; }
  int ClientWidth() const { return ClientRect().right; }
  int ClientHeight() const { return ClientRect().bottom; }
  virtual void SetClientWidth(int v) { SetWidth(v + FWidth - ClientWidth()); }
  virtual void SetClientHeight(int v) { SetHeight(v + FHeight - ClientHeight()); }

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and in every parent up to a window that shows.
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);

  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool v);
  TFont& Font() { return *FFont; }
  TFont* FontPtr() { return FFont.get(); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool v);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v) { FCursor = v; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v) { FHint = v; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);

  virtual void Invalidate();
  virtual void Update() {}
  void Repaint();
  void BringToFront();
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;
  // The nearest windowed control (this one or a parent) and this control's offset in it.
  TWinControl* WindowedHost(POINT* offset = nullptr);

  // Mouse input, in client coordinates; raised by the window that holds the control.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  // The capture taken for this control's press went elsewhere (another window, a message box,
  // cancel mode) before the button came up: no MouseUp will follow.
  virtual void MouseCaptureLost() {}
  virtual void Click();
  virtual void DblClick();
  // Shows the popup menu at a screen point; true when there was one to show.
  bool ShowPopupMenu(POINT screen);
  // Whether the control has a hint to show now, and a last say on it before it shows (its text
  // and position); false cancels it. Controls with hints of their own (per link) override them.
  virtual bool HasHint() const { return FShowHint && !FHint.empty(); }
  virtual bool HintShow(THintInfo&) { return true; }
  // An accelerator key (Alt and a letter) pressed in the control's window: true when the
  // control took it. Windowed controls ask their children.
  virtual bool DialogChar(char) { return false; }
  // The system colours changed: drop whatever was drawn or cached with the old ones. Windowed
  // controls pass it on to their children.
  virtual void SysColorChanged() { Invalidate(); }
  // The window the control shows in has been hidden: what only painting needs can go, the next
  // paint makes it again. Windowed controls pass it on to their children.
  virtual void WindowHidden() {}
  // The push button that Enter presses while this control has the focus (itself, for a button),
  // or null.
  virtual TControl* PushButton() { return nullptr; }

  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void BoundsChanged() {}
  virtual void FontChanged() { Invalidate(); }
  virtual void ColorChanged() { Invalidate(); }
  virtual void TextChanged() { Invalidate(); }
  virtual void VisibleChanged();
  virtual void EnabledChanged() { Invalidate(); }
  // The parent's font or colour changed; follow it when ParentFont/ParentColor are on.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  void RequestAlign();

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true, FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true, FParentFont = true, FShowHint = false, FParentShowHint = true;
  TCursor FCursor = crDefault;
  std::string FHint, FCaption;
  TPopupMenu* FPopupMenu = nullptr;
  std::unique_ptr<TFont> FFont;
  bool FMouseDownInside = false;

 private:
  bool FChangingParentFont = false;
  friend class TWinControl;
};

// A control without a window of its own: it paints on its parent.
class TGraphicControl : public TControl {
  VELMORA_CLASS(TGraphicControl, TControl)

 public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas& Canvas() { return FCanvas; }
  // Paints onto the given device context, whose origin is the control's top-left corner.
  void PaintOn(HDC dc);
  void Invalidate() override;

 protected:
  virtual void Paint() {}
  TCanvas FCanvas;
};

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0, ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  UINT ClassStyle = CS_DBLCLKS;
  const char* SysClassName = nullptr;  // a system class to build on (BUTTON, EDIT, ...)
};

class TWinControl : public TControl {
  VELMORA_CLASS(TWinControl, TControl)

 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  HWND Handle();  // created when first needed
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  void DestroyHandle();
  // The control of a window of this process made by this framework, else null (another
  // program's window may carry the same property, with a pointer that means nothing here).
  static TWinControl* FromHandle(HWND h);

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int i) const { return FControls[i]; }
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  // Moves c (a child) to stand right after another child: the tab order of windowed children
  // and the painting order of graphic ones.
  void MoveControlAfter(TControl* c, TControl* after);
  // The visible, enabled child (graphic or windowed) at a client point, or null.
  TControl* ControlAtPos(POINT p, bool allowDisabled = false);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  RECT ClientRect() const override;
  // The part of the client area that aligned children fill.
  virtual RECT AlignRect() const { return ClientRect(); }
  void AlignControls();
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();

  void Invalidate() override;
  void Update() override;
  bool Showing() const override;
  bool Focused() const;
  // Takes the keyboard focus; on a form that is not on the screen yet, the form remembers it and
  // gives it the focus when it is activated.
  virtual void SetFocus();
  bool TabStop() const { return FTabStop; }
  virtual void SetTabStop(bool v);
  // Whether Tab may stop here now: a tab stop with a window that shows and is enabled.
  bool CanFocus() const;
  // A push button shows itself as the window's default (Enter presses it) or not.
  virtual void SetDefaultLook(bool) {}

  void ReadChild(TComponent* child) override;
  bool DialogChar(char key) override;
  void SysColorChanged() override;
  void WindowHidden() override;

  // Ctrl+Tab (forward) and Ctrl+Shift+Tab: a control with pages turns to the next or previous
  // one and returns true.
  virtual bool TurnPage(bool forward) { return false; }
  // Components that watch this control's window join here (see TMessageHooks); the hooks see
  // each message before WndProc.
  void HookWindow(const void* key, TMessageHook hook) { FHooks.Add(key, std::move(hook)); }
  void UnhookWindow(const void* key) { FHooks.Remove(key); }

  // The window procedure; derived controls handle their messages and pass the rest on.
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  // What the window class would do with the message.
  LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);

 protected:
  void Loaded() override;
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateChildHandles();
  virtual void DestroyWnd();
  void VisibleChanged() override;
  void EnabledChanged() override;
  void TextChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  // Paints the window's own face (not its graphic children) on a device context.
  virtual void PaintWindow(HDC dc);
  // Paints the visible graphic children in order onto dc, whose origin is the client origin.
  void PaintControls(HDC dc);
  // Handles a mouse message for this window or the graphic child under the pointer.
  bool HandleMouse(UINT msg, WPARAM wp, LPARAM lp);
  void UpdateWindowBounds();
  // A child window whose children take the focus is a control parent: dialog navigation steps
  // into it.
  bool NeedsControlParent() const;
  void UpdateControlParent();
  bool FBrushDirty = true;
  HBRUSH BackgroundBrush();

  std::vector<TControl*> FControls;
  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  bool FTabStop = false;
  int FAlignLevel = 0;
  bool FAlignPending = false;
  bool FSettingBounds = false;
  GdiObject<HBRUSH> FBrush;
  HFONT FAppliedFont = nullptr;
  TControl* FCaptureControl = nullptr;

 private:
  TMessageHooks FHooks;
  static LRESULT CALLBACK StdWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  friend class TControl;
  friend class TGraphicControl;
};

// A windowed control that draws itself: everything is painted into an off-screen bitmap of the
// control's size and copied to the screen in one block copy.
class TCustomControl : public TWinControl {
  VELMORA_CLASS(TCustomControl, TWinControl)

 public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas& Canvas() { return FCanvas; }
  // Paints the control and its graphic children into bmp (sized to the control): for tests and
  // for the off-screen paint.
  void PaintTo(TBitmap& bmp);
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  virtual void Paint() {}
  TCanvas FCanvas;

 private:
  // The background, Paint and the graphic children, on a context whose origin is the control's.
  void PaintOn(HDC dc);
};

// A window of no size that takes the keyboard focus for a graphic control, so that a control
// without a window of its own can be a tab stop. The graphic control owns it and keeps it beside
// itself (same parent, visible and enabled as it is).
class TFocusProxy : public TWinControl {
  VELMORA_CLASS(TFocusProxy, TWinControl)

 public:
  explicit TFocusProxy(TGraphicControl* forControl);
  TGraphicControl* For() const { return FFor; }
  // Follows the graphic control's parent, place, visibility and state.
  void Follow();
  // The graphic control is a push button: Enter presses it while the proxy has the focus.
  bool IsButton = false;
  // The focus came (true) or went (false).
  std::function<void(bool)> OnFocusChange;
  // WM_KEYDOWN and WM_KEYUP; true when the key was taken.
  std::function<bool(UINT msg, WPARAM key, LPARAM flags)> OnKey;

  TControl* PushButton() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  TGraphicControl* FFor;
};

// Draws a 3-D frame of the given width inside r and shrinks r by it.
void Frame3D(TCanvas& canvas, RECT& r, TColor topLeft, TColor bottomRight, int width);

void RegisterControlClasses();
