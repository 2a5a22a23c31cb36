#include "instruments/MtProgressBar.h"
#include <climits>
#include "framework/Events.h"
#include "instruments/MtSysUtils.h"

const TEnumInfo& MtFillTypeInfo() {
  static const TEnumInfo e{"TMtFillType", {"pfPlain", "pfGradient", "pfBitmap"}};
  return e;
}

VELMORA_CLASS_INFO(TMtProgressBar) {
  b.Object("Bevel", &TMtProgressBar::BevelPtr);
  b.Int("MaxValue", &TMtProgressBar::MaxValue, &TMtProgressBar::SetMaxValue);
  b.Int("MinValue", &TMtProgressBar::MinValue, &TMtProgressBar::SetMinValue);
  b.Int("Position", &TMtProgressBar::Position, &TMtProgressBar::SetPosition);
  b.Int("StartColor", &TMtProgressBar::StartColor, &TMtProgressBar::SetStartColor, &ColorIdents());
  b.Int("EndColor", &TMtProgressBar::EndColor, &TMtProgressBar::SetEndColor, &ColorIdents());
  b.Bool("Smooth", &TMtProgressBar::Smooth, &TMtProgressBar::SetSmooth);
  b.Enum("Orientation", &TMtProgressBar::Orientation, &TMtProgressBar::SetOrientation, MtOrientationInfo());
  b.Int("Step", &TMtProgressBar::Step, &TMtProgressBar::SetStep);
  b.Enum("FillType", &TMtProgressBar::FillType, &TMtProgressBar::SetFillType, MtFillTypeInfo());
  b.Event("OnChange", &TMtProgressBar::OnChange);
  b.Creatable();
}

TMtProgressBar::TMtProgressBar(TComponent* AOwner) : TMtGraphicImageControl(AOwner), FBevel(std::make_unique<TMtBevel>()) {
  FColor = clBlack;
  FParentColor = false;
  // It paints its whole rectangle: nothing under it needs painting first.
  FOpaque = true;
  FWidth = 200;
  FHeight = 16;
  FBevel->SetInnerStyle(TMtBevelStyle::bsNone);
  FBevel->SetInnerSpace(0);
  FBevel->SetOuterStyle(TMtBevelStyle::bsLowered);
  FBevel->SetOuterOutline(TMtOutlineStyle::osNone);
  FBevel->OnChange = [this](TObject*) { UpdateControlCanvas(); };
  FBitmap.OnChange = [this](TObject*) {
    if (FFillType == pfBitmap) FFillStale = true;
    UpdateControlCanvas();
  };
}

TMtProgressBar::~TMtProgressBar() {
  FBevel->OnChange = nullptr;
  FBitmap.OnChange = nullptr;
}

void TMtProgressBar::Change() {
  if (OnChange) CallGuarded(this, [&] { OnChange(this); });
}

void TMtProgressBar::SetPosition(int32_t v) {
  AdjustRange(v, FMinValue, FMaxValue);
  if (v == FPosition) return;
  FPosition = v;
  UpdateControlCanvas();
  Change();
}

void TMtProgressBar::StepIt() {
  int64_t next = static_cast<int64_t>(FPosition) + FStep;
  SetPosition(static_cast<int32_t>(next < INT32_MIN ? INT32_MIN : next > INT32_MAX ? INT32_MAX : next));
}

void TMtProgressBar::SetMinValue(int32_t v) {
  if (v == FMinValue || v >= FMaxValue) return;
  FMinValue = v;
  if (FPosition < v) {
    FPosition = v;
    UpdateControlCanvas();
    Change();
  } else {
    UpdateControlCanvas();
  }
}

void TMtProgressBar::SetMaxValue(int32_t v) {
  if (v == FMaxValue || v <= FMinValue) return;
  FMaxValue = v;
  if (FPosition > v) {
    FPosition = v;
    UpdateControlCanvas();
    Change();
  } else {
    UpdateControlCanvas();
  }
}

void TMtProgressBar::SetStartColor(TColor v) {
  if (v == FStartColor) return;
  FStartColor = v;
  FFillStale = true;
  UpdateControlCanvas();
}

void TMtProgressBar::SetEndColor(TColor v) {
  if (v == FEndColor) return;
  FEndColor = v;
  FFillStale = true;
  UpdateControlCanvas();
}

void TMtProgressBar::SetFillType(TMtFillType v) {
  if (v == FFillType || v < pfPlain || v > pfBitmap) return;
  FFillType = v;
  FFillStale = true;
  UpdateControlCanvas();
}

void TMtProgressBar::SetSmooth(bool v) {
  if (v == FSmooth) return;
  FSmooth = v;
  UpdateControlCanvas();
}

void TMtProgressBar::SetOrientation(TMtOrientation v) {
  if (v == FOrientation || (v != voVertical && v != voHorizontal)) return;
  FOrientation = v;
  FFillStale = true;
  if (!Loading()) SetBounds(FLeft, FTop, FHeight, FWidth);
  UpdateControlCanvas();
}

// The plain fill is the system's highlight colour, and the gradient's ends may be system colours.
void TMtProgressBar::SysColorChanged() {
  FFillStale = true;
  UpdateControlCanvas();
}

void TMtProgressBar::UpdateFill() {
  int w = RectWidth(FInterior), h = RectHeight(FInterior);
  if (!FFillStale && FFill.Width() == w && FFill.Height() == h) return;
  FFill.SetSize(w, h);
  FFillStale = false;
  if (FFill.Empty()) return;
  TCanvas& c = FFill.Canvas();
  RECT all{0, 0, w, h};
  if (FFillType == pfGradient) {
    if (FOrientation == voHorizontal)
      DrawGradient(c, all, FStartColor, FEndColor, gdHorizontal, 1);
    else
      DrawGradient(c, all, FEndColor, FStartColor, gdVertical, 1);
  } else if (FFillType == pfBitmap && !FBitmap.Empty()) {
    for (int y = 0; y < h; y += FBitmap.Height())
      for (int x = 0; x < w; x += FBitmap.Width()) c.Draw(x, y, FBitmap);
  } else {
    c.Brush().SetColor(clHighlight);
    c.Brush().SetStyle(bsSolid);
    c.FillRect(all);
  }
}

void TMtProgressBar::Paint() {
  ClearBitmapCanvas();
  TCanvas& c = BitmapCanvas();
  FInterior = RECT{0, 0, FWidth, FHeight};
  FBevel->Paint(c, FInterior);
  UpdateFill();
  if (!FFill.Empty()) {
    bool vertical = FOrientation == voVertical;
    int32_t p = PercentOf(static_cast<int64_t>(FPosition) - FMinValue, static_cast<int64_t>(FMaxValue) - FMinValue);
    int32_t filled = ValueOfPercent(p, vertical ? RectHeight(FInterior) : RectWidth(FInterior));
    DWORD mode = c.CopyMode;
    c.CopyMode = SRCCOPY;
    for (const mt::Block& b : mt::BarBlocks(FInterior.left, FInterior.top, FInterior.right, FInterior.bottom, filled,
                                            FSmooth, vertical))
      c.CopyRect(RECT{b.Left, b.Top, b.Right, b.Bottom}, FFill.Canvas(),
                 RECT{b.SrcX, b.SrcY, b.SrcX + b.SrcW, b.SrcY + b.SrcH});
    c.CopyMode = mode;
  }
  inherited::Paint();
}
