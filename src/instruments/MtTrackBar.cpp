#include "instruments/MtTrackBar.h"
#include <algorithm>
#include "framework/Events.h"
#include "instruments/MtDrawLogic.h"
#include "instruments/MtSystem.h"

const TEnumInfo& MtTrackStyleInfo() {
  static const TEnumInfo e{"TMtTrackStyle", {"psBottomLeft", "psTopRight"}};
  return e;
}
const TEnumInfo& MtTrackOptionInfo() {
  static const TEnumInfo e{"TMtTrackOption",
                           {"toActiveClick", "toMouseClip", "toHandPoint", "toFixedPoints", "toThumbOpaque"}};
  return e;
}

TClipCursorFn& MtClipCursor() {
  static TClipCursorFn fn = &ClipCursor;
  return fn;
}

VELMORA_CLASS_INFO(TMtTrackBar) {
  const TIdentMap* colors = &ColorIdents();
  b.Int("MaxValue", &TMtTrackBar::MaxValue, &TMtTrackBar::SetMaxValue);
  b.Int("MinValue", &TMtTrackBar::MinValue, &TMtTrackBar::SetMinValue);
  b.Int("Position", &TMtTrackBar::Position, &TMtTrackBar::SetPosition);
  b.Enum("Orientation", &TMtTrackBar::Orientation, &TMtTrackBar::SetOrientation, MtOrientationInfo());
  b.Enum("Style", &TMtTrackBar::Style, &TMtTrackBar::SetStyle, MtTrackStyleInfo());
  b.Set("Options", &TMtTrackBar::Options, &TMtTrackBar::SetOptions, MtTrackOptionInfo());
  b.Int("Frequency", &TMtTrackBar::Frequency, &TMtTrackBar::SetFrequency);
  b.Int("BorderWidth", &TMtTrackBar::BorderWidth, &TMtTrackBar::SetBorderWidth);
  b.Object("GutterBevel", &TMtTrackBar::GutterBevelPtr);
  b.Int("GutterWidth", &TMtTrackBar::GutterWidth, &TMtTrackBar::SetGutterWidth);
  b.Int("GutterColor", &TMtTrackBar::GutterColor, &TMtTrackBar::SetGutterColor, colors);
  b.Enum("TickMarks", &TMtTrackBar::TickMarks, &TMtTrackBar::SetTickMarks, MtTickMarksInfo());
  b.Int("TickColor", &TMtTrackBar::TickColor, &TMtTrackBar::SetTickColor, colors);
  b.Int("ThumbStates", &TMtTrackBar::ThumbStates, &TMtTrackBar::SetThumbStates);
  b.Int("BackImageIndex", &TMtTrackBar::BackImageIndex, &TMtTrackBar::SetBackImageIndex);
  b.Int("ThumbImageIndex", &TMtTrackBar::ThumbImageIndex, &TMtTrackBar::SetThumbImageIndex);
  b.Ref<TMtBitmapList>("BitmapList", &TMtTrackBar::BitmapList, &TMtTrackBar::SetBitmapList);
  b.Int("ScaleOffset", &TMtTrackBar::ScaleOffset, &TMtTrackBar::SetScaleOffset);
  b.Int("FocusColor", &TMtTrackBar::FocusColor, &TMtTrackBar::SetFocusColor, colors);
  b.Int("FocusOffset", &TMtTrackBar::FocusOffset, &TMtTrackBar::SetFocusOffset);
  b.Event("OnChange", &TMtTrackBar::OnChange);
  b.Event("OnEnter", &TMtTrackBar::OnEnter);
  b.Event("OnExit", &TMtTrackBar::OnExit);
  b.Event("OnKeyDown", &TMtTrackBar::OnKeyDown);
  b.Event("OnKeyUp", &TMtTrackBar::OnKeyUp);
  b.Event("OnKeyPress", &TMtTrackBar::OnKeyPress);
  b.Creatable();
}

TMtTrackBar::TMtTrackBar(TComponent* AOwner)
    : TMtCustomImageControl(AOwner), FGutterBevel(std::make_unique<TMtBevel>()) {
  FGutterBevel->SetInnerStyle(TMtBevelStyle::bsNone);
  FGutterBevel->SetInnerSpace(0);
  FGutterBevel->SetInnerOutline(TMtOutlineStyle::osNone);
  FGutterBevel->SetOuterStyle(TMtBevelStyle::bsLowered);
  FGutterBevel->SetOuterSpace(0);
  FGutterBevel->SetOuterOutline(TMtOutlineStyle::osNone);
  FGutterBevel->OnChange = [this](TObject*) { UpdateControlCanvas(); };
  FLink.OnChange = [this](TObject*) {
    LoadThumb();
    UpdateControlCanvas();
  };
  SetBounds(FLeft, FTop, 175, 45);
  LoadThumb();
}

TMtTrackBar::~TMtTrackBar() {
  // Whatever else happens, the user's cursor is not left confined.
  if (FClipped) MtClipCursor()(nullptr);
}

// ---------------------------------------------------------------- properties

void TMtTrackBar::Changed() {
  if (OnChange) CallGuarded(this, [&] { OnChange(this); });
}

void TMtTrackBar::SetPosition(int32_t v) {
  v = mt::TrackLimit(v, FMinValue, FMaxValue);
  if (v == FPosition) return;
  FPosition = v;
  UpdateControlCanvas();
  Changed();
}

void TMtTrackBar::SetMinValue(int32_t v) {
  if (v == FMinValue) return;
  FMinValue = v;
  bool moved = FPosition < v;
  if (moved) FPosition = v;
  UpdateControlCanvas();
  if (moved) Changed();
}

void TMtTrackBar::SetMaxValue(int32_t v) {
  if (v == FMaxValue) return;
  FMaxValue = v;
  bool moved = FPosition > v;
  if (moved) FPosition = v;
  UpdateControlCanvas();
  if (moved) Changed();
}

void TMtTrackBar::SetOrientation(TMtOrientation v) {
  if ((v != voVertical && v != voHorizontal) || v == FOrientation) return;
  FOrientation = v;
  if (!Loading()) SetBounds(FLeft, FTop, FHeight, FWidth);
  LoadThumb();
  UpdateControlCanvas();
}

void TMtTrackBar::SetStyle(TMtTrackStyle v) {
  if ((v == psBottomLeft || v == psTopRight) && mt::ChangeValue(FStyle, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetOptions(TMtTrackOptions v) {
  if (mt::ChangeValue(FOptions, v & 0x1Fu)) UpdateControlCanvas();
}
void TMtTrackBar::SetFrequency(int32_t v) {
  if (v >= 1 && mt::ChangeValue(FFrequency, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetBorderWidth(int v) {
  if (mt::ChangeValue(FBorderWidth, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetGutterWidth(int v) {
  if (mt::ChangeValue(FGutterWidth, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetGutterColor(TColor v) {
  if (mt::ChangeValue(FGutterColor, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetTickMarks(TMtTickMarks v) {
  if (v >= tmNone && v <= tmTopLeft && mt::ChangeValue(FTickMarks, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetTickColor(TColor v) {
  if (mt::ChangeValue(FTickColor, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetBackImageIndex(int v) {
  if (mt::ChangeValue(FBackImageIndex, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetScaleOffset(int v) {
  if (mt::ChangeValue(FScaleOffset, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetFocusColor(TColor v) {
  if (mt::ChangeValue(FFocusColor, v)) UpdateControlCanvas();
}
void TMtTrackBar::SetFocusOffset(int v) {
  if (mt::ChangeValue(FFocusOffset, v)) UpdateControlCanvas();
}

void TMtTrackBar::SetThumbStates(int v) {
  // The thumb's cells divide its picture: no cells, or more than there are states, make no sense.
  if (v < 1 || v > 4 || v == FThumbStates) return;
  FThumbStates = v;
  if (!Loading()) LoadThumb();
  UpdateControlCanvas();
}

void TMtTrackBar::SetThumbImageIndex(int v) {
  if (v == FThumbImageIndex) return;
  FThumbImageIndex = v;
  LoadThumb();
  UpdateControlCanvas();
}

void TMtTrackBar::SetBitmapList(TMtBitmapList* v) {
  if (v == FBitmapList) return;
  if (FBitmapList) {
    FBitmapList->RemoveLink(&FLink);
    FBitmapList->RemoveFreeNotification(this);
  }
  FBitmapList = v;
  if (v) {
    v->InsertLink(&FLink);
    v->FreeNotification(this);
  }
  LoadThumb();
  UpdateControlCanvas();
}

void TMtTrackBar::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FBitmapList) {
    FBitmapList = nullptr;
    LoadThumb();
    UpdateControlCanvas();
  }
}

void TMtTrackBar::LoadThumb() {
  TBitmap* own = FBitmapList ? FBitmapList->GetBitmap(FThumbImageIndex) : nullptr;
  if (own && !own->Empty()) {
    FThumb.Assign(*own);
  } else if (!FThumb.LoadFromResourceName(GetModuleHandleA(nullptr),
                                          FOrientation == voVertical ? "MTTB_VERT" : "MTTB_HORI")) {
    FThumb.SetSize(0, 0);
  }
  FThumbWidth = FThumb.Width() / FThumbStates;
  FThumbHeight = FThumb.Height();
}

void TMtTrackBar::Loaded() {
  inherited::Loaded();
  LoadThumb();
}

void TMtTrackBar::BoundsChanged() {
  inherited::BoundsChanged();
  UpdateControlCanvas();
}

void TMtTrackBar::EnabledChanged() {
  // Disabled, the bar shows its disabled thumb, whatever the pointer did last.
  if (!FEnabled) {
    EndDrag();
    FHover = false;
  }
  inherited::EnabledChanged();
  UpdateControlCanvas();
}

// ---------------------------------------------------------------- geometry and painting

mt::TrackLayout TMtTrackBar::Layout() const {
  mt::TrackLayout l;
  l.ClientWidth = FWidth;
  l.ClientHeight = FHeight;
  l.BorderWidth = FBorderWidth;
  l.Vertical = FOrientation == voVertical;
  l.TopRight = FStyle == psTopRight;
  l.ThumbWidth = FThumbWidth;
  l.ThumbHeight = FThumbHeight;
  return l;
}

RECT TMtTrackBar::ThumbRect() const {
  mt::TrackRect r = mt::TrackThumbRect(Layout(), FPosition, FMinValue, FMaxValue);
  return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

namespace {
// Coordinates of any size as GDI takes them (16 bits on Windows 9x); beyond that nothing shows.
int Gdi(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -32768, 32767)); }
}  // namespace

void TMtTrackBar::PaintTicks(TCanvas& c, const RECT& gutter) {
  if (FTickMarks == tmNone) return;
  bool vertical = FOrientation == voVertical;
  std::vector<mt::TrackTick> ticks = mt::TrackTicks(Layout(), FMinValue, FMaxValue, FFrequency);
  c.Pen().SetColor(FTickColor);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetMode(pmCopy);
  // Each tick runs from the base line away from the gutter, its last pixel left out.
  auto side = [&](int64_t base, int sign) {
    for (const mt::TrackTick& t : ticks) {
      int64_t tip = base + sign * (t.End ? 4 : 3);
      int from = Gdi(std::min(base, tip)), to = Gdi(std::max(base, tip)), at = Gdi(t.At);
      if (vertical) {
        c.MoveTo(from, at);
        c.LineTo(to, at);
      } else {
        c.MoveTo(at, from);
        c.LineTo(at, to);
      }
    }
  };
  if (FTickMarks == tmBoth || FTickMarks == tmTopLeft)
    side(static_cast<int64_t>(vertical ? gutter.left : gutter.top) - FScaleOffset, -1);
  if (FTickMarks == tmBoth || FTickMarks == tmBottomRight)
    side(static_cast<int64_t>(vertical ? gutter.right : gutter.bottom) + FScaleOffset, 1);
}

void TMtTrackBar::Paint() {
  if (Bitmap().Width() != FWidth || Bitmap().Height() != FHeight) Bitmap().SetSize(FWidth, FHeight);
  if (Bitmap().Empty()) return;
  TCanvas& c = BitmapCanvas();
  RECT client{0, 0, FWidth, FHeight};
  TBitmap* back = FBitmapList ? FBitmapList->GetBitmap(FBackImageIndex) : nullptr;
  if (back && !back->Empty()) {
    c.StretchDraw(client, *back);
  } else {
    c.Brush().SetColor(FColor);
    c.Brush().SetStyle(bsSolid);
    c.FillRect(client);
  }

  bool vertical = FOrientation == voVertical;
  int64_t bw = FBorderWidth, gw = FGutterWidth;
  RECT gutter = vertical ? RECT{Gdi((FWidth - gw) / 2), Gdi(bw), Gdi((FWidth - gw) / 2 + gw), Gdi(FHeight - bw)}
                         : RECT{Gdi(bw), Gdi((FHeight - gw) / 2), Gdi(FWidth - bw), Gdi((FHeight - gw) / 2 + gw)};
  PaintTicks(c, gutter);
  if (FGutterBevel->Visible()) {
    FGutterBevel->Paint(c, gutter);
    if (gutter.right > gutter.left && gutter.bottom > gutter.top) {
      c.Brush().SetColor(FGutterColor);
      c.Brush().SetStyle(bsSolid);
      c.FillRect(gutter);
    }
  }

  if (FFocused && FFocusOffset >= 0) {
    RECT f = client;
    InflateRect(&f, -std::min(FFocusOffset, 32767), -std::min(FFocusOffset, 32767));
    if (f.right > f.left && f.bottom > f.top) {
      c.Brush().SetColor(FFocusColor);
      c.Brush().SetStyle(bsSolid);
      c.FrameRect(f);
    }
  }

  if (FThumbWidth > 0 && FThumbHeight > 0) {
    int cell = FHover && !FDragging ? 3 : FDragging ? 2 : FEnabled ? 0 : 1;
    if (cell >= FThumbStates) cell = 0;
    RECT t = ThumbRect();
    RECT dest{Gdi(t.left), Gdi(t.top), Gdi(static_cast<int64_t>(t.left) + FThumbWidth),
              Gdi(static_cast<int64_t>(t.top) + FThumbHeight)};
    RECT src{cell * FThumbWidth, 0, (cell + 1) * FThumbWidth, FThumbHeight};
    if (Has(toThumbOpaque)) {
      c.CopyRect(dest, FThumb.Canvas(), src);
    } else {
      // The thumb's own background colour (its bottom-left pixel) lets the bar show through.
      c.BrushCopy(dest, FThumb, src, static_cast<TColor>(FThumb.PixelRGB(0, FThumbHeight - 1)));
    }
  }
  inherited::Paint();
}

// ---------------------------------------------------------------- mouse

void TMtTrackBar::MoveThumbTo(int p) {
  SetPosition(mt::TrackPositionAt(Layout(), p, FMinValue, FMaxValue, Has(toFixedPoints), FFrequency));
}

void TMtTrackBar::EndDrag() {
  if (FClipped) {
    FClipped = false;
    MtClipCursor()(nullptr);
  }
  if (FDragging) {
    FDragging = false;
    UpdateControlCanvas();
  }
}

void TMtTrackBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FEnabled) {
    if (FTabStop && HandleAllocated() && GetFocus() != FHandle) SetFocus();
    bool vertical = FOrientation == voVertical;
    RECT t = ThumbRect();
    if (PtInRect(&t, POINT{x, y})) {
      FDragging = true;
      FGrab = vertical ? y - t.top : x - t.left;
      if (Has(toMouseClip) && HandleAllocated()) {
        POINT origin = ClientToScreen(POINT{0, 0});
        RECT area{origin.x, origin.y, origin.x + FWidth, origin.y + FHeight};
        FClipped = MtClipCursor()(&area) != FALSE;
      }
      UpdateControlCanvas();
    } else if (Has(toActiveClick)) {
      MoveThumbTo(vertical ? y - FThumbHeight / 2 : x - FThumbWidth / 2);
    }
  }
  inherited::MouseDown(button, shift, x, y);
}

void TMtTrackBar::MouseMove(TShiftState shift, int x, int y) {
  if (FDragging) {
    MoveThumbTo((FOrientation == voVertical ? y : x) - FGrab);
  } else {
    RECT t = ThumbRect();
    bool over = PtInRect(&t, POINT{x, y}) != FALSE;
    if (over != FHover) {
      FHover = over;
      UpdateControlCanvas();
    }
  }
  inherited::MouseMove(shift, x, y);
}

void TMtTrackBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) EndDrag();
  inherited::MouseUp(button, shift, x, y);
}

void TMtTrackBar::MouseCaptureLost() { EndDrag(); }

void TMtTrackBar::MouseLeave() {
  inherited::MouseLeave();
  if (FHover && !FDragging) {
    FHover = false;
    UpdateControlCanvas();
  }
}

// ---------------------------------------------------------------- keyboard and messages

void TMtTrackBar::KeyDown(WORD key, TShiftState shift) {
  if (!(shift & (ssShift | ssCtrl | ssAlt))) {
    static const struct {
      WORD vk;
      mt::TrackKey key;
    } keys[] = {{VK_HOME, mt::TrackKey::Home}, {VK_END, mt::TrackKey::End},   {VK_LEFT, mt::TrackKey::Left},
                {VK_RIGHT, mt::TrackKey::Right}, {VK_UP, mt::TrackKey::Up},     {VK_DOWN, mt::TrackKey::Down},
                {VK_PRIOR, mt::TrackKey::PageUp}, {VK_NEXT, mt::TrackKey::PageDown}};
    for (const auto& k : keys) {
      int32_t to;
      if (k.vk == key && mt::TrackKeyPosition(k.key, Layout(), FPosition, FMinValue, FMaxValue, FFrequency, to))
        SetPosition(to);
    }
  }
  if (OnKeyDown) CallGuarded(this, [&] { OnKeyDown(this, key, shift); });
}

namespace {
TShiftState KeyShift() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}
}  // namespace

LRESULT TMtTrackBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      KeyDown(static_cast<WORD>(wp), KeyShift());
      return 0;
    case WM_SYSKEYDOWN:
      if (OnKeyDown) {
        WORD key = static_cast<WORD>(wp);
        CallGuarded(this, [&] { OnKeyDown(this, key, KeyShift()); });
      }
      break;  // Alt+F4 and the menu keys still work
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (OnKeyUp) {
        WORD key = static_cast<WORD>(wp);
        CallGuarded(this, [&] { OnKeyUp(this, key, KeyShift()); });
      }
      if (msg == WM_KEYUP) return 0;
      break;
    case WM_CHAR:
      if (OnKeyPress) {
        char key = static_cast<char>(wp);
        CallGuarded(this, [&] { OnKeyPress(this, key); });
      }
      return 0;
    case WM_SETFOCUS:
      FFocused = true;
      UpdateControlCanvas();
      if (OnEnter) CallGuarded(this, [&] { OnEnter(this); });
      break;
    case WM_KILLFOCUS:
      FFocused = false;
      EndDrag();
      UpdateControlCanvas();
      if (OnExit) CallGuarded(this, [&] { OnExit(this); });
      break;
    case WM_CANCELMODE:
      EndDrag();
      break;  // the default handling lets the capture go
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == FHandle && Has(toHandPoint)) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(FHandle, &p);
        RECT t = ThumbRect();
        if (PtInRect(&t, p)) {
          ::SetCursor(CursorHandle(crMtHandPoint));
          return TRUE;
        }
      }
      break;
  }
  return inherited::WndProc(msg, wp, lp);
}
