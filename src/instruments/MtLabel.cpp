#include "instruments/MtLabel.h"
#include "instruments/MtDrawLogic.h"

const TEnumInfo& MtLabelStyleInfo() {
  static const TEnumInfo e{"TMtLabelStyle", {"lsNone", "lsRaised", "lsLowered", "lsShadow"}};
  return e;
}

VELMORA_CLASS_INFO(TMtLabel) {
  b.Enum("Alignment", &TMtLabel::Alignment, &TMtLabel::SetAlignment, AlignmentInfo());
  b.Int("ColorHighlight", &TMtLabel::ColorHighlight, &TMtLabel::SetColorHighlight, &ColorIdents());
  b.Int("ColorShadow", &TMtLabel::ColorShadow, &TMtLabel::SetColorShadow, &ColorIdents());
  b.Enum("Style", &TMtLabel::Style, &TMtLabel::SetStyle, MtLabelStyleInfo());
  b.Enum("Layout", &TMtLabel::Layout, &TMtLabel::SetLayout, TextLayoutInfo());
  b.Int("ShadowDepth", &TMtLabel::ShadowDepth, &TMtLabel::SetShadowDepth);
  b.Object("Bitmap", &TMtLabel::BitmapPtr);
  b.Int("Angle", &TMtLabel::Angle, &TMtLabel::SetAngle);
  b.Bool("Transparent", &TMtLabel::Transparent, &TMtLabel::SetTransparent);
  b.Bool("AutoSize", &TMtLabel::AutoSize, &TMtLabel::SetAutoSize);
  b.Creatable();
}

TMtLabel::TMtLabel(TComponent* AOwner) : TMtGraphicImageControl(AOwner), FFill(std::make_unique<TBitmap>()) {
  FFill->OnChange = [this](TObject*) { UpdateControlCanvas(); };
  FColor = clBtnFace;
  Font().SetName("Arial");
  Font().SetSize(14);
  FOpaque = true;
  SetBounds(FLeft, FTop, 100, 25);
}

void TMtLabel::SetAlignment(TAlignment v) {
  if (v >= taLeftJustify && v <= taCenter && mt::ChangeValue(FAlignment, v)) UpdateControlCanvas();
}
void TMtLabel::SetColorHighlight(TColor v) {
  if (mt::ChangeValue(FColorHighlight, v)) UpdateControlCanvas();
}
void TMtLabel::SetColorShadow(TColor v) {
  if (mt::ChangeValue(FColorShadow, v)) UpdateControlCanvas();
}
void TMtLabel::SetStyle(TMtLabelStyle v) {
  if (v >= lsNone && v <= lsShadow && mt::ChangeValue(FStyle, v)) UpdateControlCanvas();
}
void TMtLabel::SetLayout(TTextLayout v) {
  if (v >= tlTop && v <= tlBottom && mt::ChangeValue(FLayout, v)) UpdateControlCanvas();
}
void TMtLabel::SetShadowDepth(int v) {
  if (mt::ChangeValue(FShadowDepth, v)) UpdateControlCanvas();
}
void TMtLabel::SetAngle(int v) {
  if (v >= 0 && v <= 359 && mt::ChangeValue(FAngle, v)) UpdateControlBounds();
}

void TMtLabel::FontChanged() {
  UpdateControlBounds();
  DoFontChanged();
}

void TMtLabel::TextChanged() {
  UpdateControlBounds();
  DoTextChanged();
}

namespace {
// One line, the characters as they are: the caption is drawn with a plain text output.
constexpr UINT kMeasure = DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX;
}  // namespace

SIZE TMtLabel::CaptionSize() {
  TCanvas c;
  c.Font().Assign(Font());
  RECT r{0, 0, 0, 0};
  c.DrawText(FCaption, r, kMeasure);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

bool TMtLabel::CanAutoSize(int& width, int& height) {
  SIZE s = CaptionSize();
  mt::IntPoint p = mt::LabelPreferredSize(FAngle, s.cx, s.cy);
  if (FAlign == alNone || FAlign == alLeft || FAlign == alRight) width = p.X;
  if (FAlign == alNone || FAlign == alTop || FAlign == alBottom) height = p.Y;
  return true;
}

void TMtLabel::Paint() {
  ClearBitmapCanvas();
  TCanvas& c = BitmapCanvas();
  c.Font().Assign(Font());
  RECT measured{0, 0, 0, 0};
  c.DrawText(FCaption, measured, kMeasure);
  int w = measured.right - measured.left, h = measured.bottom - measured.top;
  c.Font().SetOrientation(FAngle * 10);
  static const mt::HAlign aligns[] = {mt::HAlign::Left, mt::HAlign::Right, mt::HAlign::Center};
  static const mt::VLayout layouts[] = {mt::VLayout::Top, mt::VLayout::Center, mt::VLayout::Bottom};
  mt::IntPoint o = mt::LabelOrigin(FAngle, w, h, FWidth, FHeight, aligns[FAlignment], layouts[FLayout]);
  TColor text = Font().Color();
  auto out = [&](int dx, int dy, TColor color) {
    c.Font().SetColor(color);
    c.TextOut(o.X + dx, o.Y + dy, FCaption);
  };
  if (FStyle == lsNone) {
    // The caption's own background in the label's colour, unless the label is see-through.
    c.Brush().SetColor(FColor);
    c.Brush().SetStyle(Transparent() ? bsClear : bsSolid);
    out(0, 0, text);
  } else {
    c.Brush().SetStyle(bsClear);
    if (FStyle == lsRaised || FStyle == lsLowered) {
      bool raised = FStyle == lsRaised;
      out(1, 1, raised ? FColorShadow : FColorHighlight);
      out(-1, -1, raised ? FColorHighlight : FColorShadow);
    } else {
      out(FShadowDepth, FShadowDepth, FColorShadow);
    }
    out(0, 0, text);
  }
  if (!FFill->Empty()) PaintBitmapFill(o.X, o.Y);
  inherited::Paint();
}

void TMtLabel::PaintBitmapFill(int x, int y) {
  int w = FWidth, h = FHeight;
  if (w <= 0 || h <= 0) return;
  // The caption's shape: set bits where the text is.
  MemoryDC maskDC = MemoryDC::Create();
  BitmapHandle mask(CreateBitmap(w, h, 1, 1, nullptr));
  if (!maskDC || !mask) return;
  SelectedObject selMask(maskDC.get(), mask.get());
  RECT all{0, 0, w, h};
  FillRect(maskDC.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  {
    SelectedObject selFont(maskDC.get(), BitmapCanvas().Font().Handle());
    SetBkMode(maskDC.get(), TRANSPARENT);
    SetTextColor(maskDC.get(), RGB(255, 255, 255));
    TextOutA(maskDC.get(), x, y, FCaption.data(), static_cast<int>(FCaption.size()));
  }
  // The picture stretched over the label, turned into (picture xor label) and kept only under
  // the text; xor-ing that onto the label leaves the picture there and the label elsewhere.
  TBitmap fill;
  fill.SetSize(w, h);
  fill.Canvas().StretchDraw(all, *FFill);
  HDC f = fill.Canvas().Handle(), d = BitmapCanvas().Handle();
  BitBlt(f, 0, 0, w, h, d, 0, 0, SRCINVERT);
  COLORREF oldText = SetTextColor(f, RGB(0, 0, 0)), oldBk = SetBkColor(f, RGB(255, 255, 255));
  BitBlt(f, 0, 0, w, h, maskDC.get(), 0, 0, SRCAND);
  SetTextColor(f, oldText);
  SetBkColor(f, oldBk);
  BitBlt(d, 0, 0, w, h, f, 0, 0, SRCINVERT);
}
