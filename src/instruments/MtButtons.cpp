#include "instruments/MtButtons.h"
#include "framework/Accelerators.h"
#include "framework/Events.h"
#include "instruments/MtDrawLogic.h"

const TEnumInfo& MtShadowStyleInfo() {
  static const TEnumInfo e{"TMtShadowStyle", {"ssRectangle", "ssRoundRect"}};
  return e;
}
const TEnumInfo& MtShadowDirectionInfo() {
  static const TEnumInfo e{"TMtShadowDirection", {"sdTopLeft", "sdTopRight", "sdBottomLeft", "sdBottomRight"}};
  return e;
}
const TEnumInfo& MtTextAlignInfo() {
  static const TEnumInfo e{"TMtTextAlign",
                           {"vtaLeft", "vtaCenter", "vtaRight", "vtaTopLeft", "vtaTop", "vtaTopRight", "vtaBottomLeft",
                            "vtaBottom", "vtaBottomRight"}};
  return e;
}

VELMORA_CLASS_INFO(TMtShadowBrush) {}
VELMORA_CLASS_INFO(TMtShadowPen) {}

VELMORA_CLASS_INFO(TMtShadowButton) {
  b.Object("Brush", &TMtShadowButton::BrushPtr);
  b.Object("Pen", &TMtShadowButton::PenPtr);
  b.Int("Depth", &TMtShadowButton::Depth, &TMtShadowButton::SetDepth);
  b.Int("DepthAdjust", &TMtShadowButton::DepthAdjust, &TMtShadowButton::SetDepthAdjust);
  b.Int("ShadowColor", &TMtShadowButton::ShadowColor, &TMtShadowButton::SetShadowColor, &ColorIdents());
  b.Int("ShadowOutline", &TMtShadowButton::ShadowOutline, &TMtShadowButton::SetShadowOutline, &ColorIdents());
  b.Enum("Style", &TMtShadowButton::Style, &TMtShadowButton::SetStyle, MtShadowStyleInfo());
  b.Enum("Direction", &TMtShadowButton::Direction, &TMtShadowButton::SetDirection, MtShadowDirectionInfo());
  b.Enum("TextAlign", &TMtShadowButton::TextAlign, &TMtShadowButton::SetTextAlign, MtTextAlignInfo());
  b.Int("DisabledTextColor", &TMtShadowButton::DisabledTextColor, &TMtShadowButton::SetDisabledTextColor,
        &ColorIdents());
  b.Bool("Transparent", &TMtShadowButton::Transparent, &TMtShadowButton::SetTransparent);
  b.Bool("TabStop", &TMtShadowButton::TabStop, &TMtShadowButton::SetTabStop);
  b.Creatable();
}

TMtShadowButton::TMtShadowButton(TComponent* AOwner)
    : TMtGraphicImageControl(AOwner),
      FBrush(std::make_unique<TMtShadowBrush>()),
      FPen(std::make_unique<TMtShadowPen>()) {
  FBrush->OnChange = [this](TObject*) { UpdateControlCanvas(); };
  FPen->OnChange = [this](TObject*) { UpdateControlCanvas(); };
  FParentFont = false;
  Font().SetColor(clWhite);
  FOpaque = true;
  SetBounds(FLeft, FTop, 110, 30);
}

TMtShadowButton::~TMtShadowButton() {
  delete FProxy;
  FProxy = nullptr;
}

void TMtShadowButton::SetTabStop(bool v) {
  if (v == FTabStop) return;
  FTabStop = v;
  if (!Loading()) UpdateProxy();
}

void TMtShadowButton::UpdateProxy() {
  if (!FTabStop) {
    delete FProxy;
    FProxy = nullptr;
    if (FFocused) {
      FFocused = false;
      UpdateControlCanvas();
    }
    return;
  }
  if (!FProxy) {
    FProxy = new TFocusProxy(this);
    FProxy->IsButton = true;
    FProxy->OnFocusChange = [this](bool focused) {
      FFocused = focused;
      if (!focused && FSpaceDown) {
        // The focus went while Space was held: no click.
        FSpaceDown = false;
        SetPressed(false);
      }
      UpdateControlCanvas();
    };
    FProxy->OnKey = [this](UINT msg, WPARAM key, LPARAM flags) { return ProxyKey(msg, key, flags); };
  }
  FProxy->Follow();
}

bool TMtShadowButton::ProxyKey(UINT msg, WPARAM key, LPARAM flags) {
  if (key != VK_SPACE) return false;
  if (msg == WM_KEYDOWN) {
    if (FEnabled && !FTracking && !FSpaceDown && !(flags & 0x40000000)) {  // not the key's repeats
      FSpaceDown = true;
      SetPressed(true);
    }
  } else if (FSpaceDown) {
    FSpaceDown = false;
    SetPressed(false);
    if (FEnabled) Click();
  }
  return true;
}

void TMtShadowButton::SetParent(TWinControl* value) {
  inherited::SetParent(value);
  if (FProxy) FProxy->Follow();
}

void TMtShadowButton::VisibleChanged() {
  inherited::VisibleChanged();
  if (FProxy) FProxy->Follow();
}

void TMtShadowButton::BoundsChanged() {
  inherited::BoundsChanged();
  if (FProxy) FProxy->Follow();
}

void TMtShadowButton::Loaded() {
  inherited::Loaded();
  UpdateProxy();
}

void TMtShadowButton::SetDepth(int v) {
  if (v > 2 && mt::ChangeValue(FDepth, v)) UpdateControlCanvas();
}
void TMtShadowButton::SetDepthAdjust(int v) {
  if (mt::ChangeValue(FDepthAdjust, v)) UpdateControlCanvas();
}
void TMtShadowButton::SetShadowColor(TColor v) {
  if (mt::ChangeValue(FShadowColor, v)) UpdateControlCanvas();
}
void TMtShadowButton::SetShadowOutline(TColor v) {
  if (mt::ChangeValue(FShadowOutline, v)) UpdateControlCanvas();
}
void TMtShadowButton::SetStyle(TMtShadowStyle v) {
  if ((v == ssRectangle || v == ssRoundRect) && mt::ChangeValue(FStyle, v)) UpdateControlCanvas();
}
void TMtShadowButton::SetDirection(TMtShadowDirection v) {
  if (v >= sdTopLeft && v <= sdBottomRight && mt::ChangeValue(FDirection, v)) UpdateControlCanvas();
}
void TMtShadowButton::SetTextAlign(TMtTextAlign v) {
  if (v >= vtaLeft && v <= vtaBottomRight && mt::ChangeValue(FTextAlign, v)) UpdateControlCanvas();
}
void TMtShadowButton::SetDisabledTextColor(TColor v) {
  if (mt::ChangeValue(FDisabledTextColor, v)) UpdateControlCanvas();
}

namespace {
mt::ShadowRects Rects(int w, int h, int pen, int depth, int adjust, TMtShadowDirection d, bool pressed) {
  return mt::ShadowButtonRects(w, h, pen, depth, adjust, static_cast<mt::ShadowDirection>(d), pressed);
}
RECT ToRect(const mt::IntRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
}  // namespace

RECT TMtShadowButton::HitRect() const {
  return ToRect(Rects(FWidth, FHeight, FPen->Width(), FDepth, FDepthAdjust, FDirection, FPressed).Text);
}

void TMtShadowButton::Paint() {
  ClearBitmapCanvas();
  TCanvas& c = BitmapCanvas();
  mt::ShadowRects r = Rects(FWidth, FHeight, FPen->Width(), FDepth, FDepthAdjust, FDirection, FPressed);
  auto shape = [&](mt::IntRect s) {
    if (FStyle == ssRectangle) {
      c.Rectangle(s.Left, s.Top, s.Right, s.Bottom);
    } else {
      int e = mt::RoundCorner(s);
      c.RoundRect(s.Left, s.Top, s.Right, s.Bottom, e, e);
    }
  };
  c.Pen().SetColor(FShadowOutline);
  c.Pen().SetWidth(1);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetMode(pmCopy);
  c.Brush().SetColor(FShadowColor);
  c.Brush().SetStyle(bsSolid);
  shape(r.Shadow);
  c.Pen().Assign(*FPen);
  c.Brush().Assign(*FBrush);
  mt::IntRect face = r.Face;
  if (FPen->Width() == 0) {  // a zero-width pen still draws a pixel: keep the face inside
    --face.Right;
    --face.Bottom;
  }
  shape(face);
  c.Brush().SetStyle(bsClear);
  c.Font().Assign(Font());
  if (!FEnabled) c.Font().SetColor(FDisabledTextColor);
  static const UINT align[] = {DT_LEFT | DT_VCENTER,   DT_CENTER | DT_VCENTER, DT_RIGHT | DT_VCENTER,
                               DT_LEFT | DT_TOP,       DT_CENTER | DT_TOP,     DT_RIGHT | DT_TOP,
                               DT_LEFT | DT_BOTTOM,    DT_CENTER | DT_BOTTOM,  DT_RIGHT | DT_BOTTOM};
  RECT text = ToRect(r.Text);
  c.DrawText(FCaption, text, DT_SINGLELINE | align[FTextAlign]);
  // The keyboard's mark: a dotted frame inside the face.
  if (FFocused && FEnabled) {
    RECT mark = text;
    InflateRect(&mark, -2, -2);
    if (mark.right > mark.left && mark.bottom > mark.top) c.DrawFocusRect(mark);
  }
  inherited::Paint();
}

void TMtShadowButton::SetPressed(bool v) {
  if (mt::ChangeValue(FPressed, v)) UpdateControlCanvas();
}

void TMtShadowButton::EndTracking() {
  FTracking = false;
  FMouseDownInside = false;
  SetPressed(false);
}

void TMtShadowButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // Presses on the shadow or the margin around the face do nothing.
  RECT hit = HitRect();
  if (button == mbLeft && FEnabled && PtInRect(&hit, POINT{x, y})) {
    FTracking = true;
    SetPressed(true);
    // A button that is a tab stop takes the focus when it is pressed, as a push button does.
    if (FProxy && FProxy->CanFocus() && !FFocused) FProxy->SetFocus();
  }
  inherited::MouseDown(button, shift, x, y);
}

void TMtShadowButton::MouseMove(TShiftState shift, int x, int y) {
  if (FTracking) {
    RECT hit = HitRect();
    SetPressed(PtInRect(&hit, POINT{x, y}) != FALSE);
  }
  inherited::MouseMove(shift, x, y);
}

void TMtShadowButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  // Only the tracking decides on a click, not the release inside the control's rectangle.
  bool click = button == mbLeft && FTracking && FPressed;
  if (button == mbLeft) EndTracking();
  if (click) Click();
  if (OnMouseUp) CallGuarded(this, [&] { OnMouseUp(this, button, shift, x, y); });
}

void TMtShadowButton::MouseCaptureLost() { EndTracking(); }

bool TMtShadowButton::DialogChar(char key) {
  if (!FEnabled || !FVisible || !IsAccel(key, FCaption)) return false;
  if (FProxy && FProxy->CanFocus()) FProxy->SetFocus();
  Click();
  return true;
}

void TMtShadowButton::EnabledChanged() {
  if (!FEnabled) EndTracking();
  if (FProxy) FProxy->Follow();
  UpdateControlCanvas();
}

// Repainted at once rather than invalidated as well.
void TMtShadowButton::FontChanged() {
  UpdateControlCanvas();
  DoFontChanged();
}

void TMtShadowButton::TextChanged() {
  UpdateControlCanvas();
  DoTextChanged();
}
