#include "instruments/MtLcd.h"
#include "framework/Events.h"
#include "instruments/MtMath.h"

const TEnumInfo& MtNumStyleInfo() {
  static const TEnumInfo e{"TMtNumStyle", {"ns13x24", "ns11x20", "ns7x13", "ns12x17", "ns5x7"}};
  return e;
}
const TEnumInfo& MtNumAlignmentInfo() {
  static const TEnumInfo e{"TMtNumAlignment", {"naLeftJustify", "naCenter", "naRightJustify"}};
  return e;
}

VELMORA_CLASS_INFO(TMtCustomNum) {}

VELMORA_CLASS_INFO(TMtNum) {
  b.Int("Digits", &TMtNum::Digits, &TMtNum::SetDigits);
  b.Int("Value", &TMtNum::Value, &TMtNum::SetValue);
  b.Int("Spacing", &TMtNum::Spacing, &TMtNum::SetSpacing);
  b.Enum("Style", &TMtNum::Style, &TMtNum::SetStyle, MtNumStyleInfo());
  b.Bool("LeadingZero", &TMtNum::LeadingZero, &TMtNum::SetLeadingZero);
  b.Object("Palette", &TMtNum::PalettePtr);
  b.Enum("Alignment", &TMtNum::Alignment, &TMtNum::SetAlignment, MtNumAlignmentInfo());
  b.Int("Max", &TMtNum::Max, &TMtNum::SetMax);
  b.Int("Min", &TMtNum::Min, &TMtNum::SetMin);
  b.Bool("ZeroBlank", &TMtNum::ZeroBlank, &TMtNum::SetZeroBlank);
  b.Bool("Transparent", &TMtNum::Transparent, &TMtNum::SetTransparent);
  b.Bool("AutoSize", &TMtNum::AutoSize, &TMtNum::SetAutoSize);
  b.Event("OnChange", static_cast<TNotifyEvent TMtNum::*>(&TMtNum::OnChange));
  b.Creatable();
}

namespace {
const char* const kDigitResources[] = {"NUM13X24", "NUM11X20", "NUM7X13", "NUM12X17", "NUM5X7"};
// As the pictures are stored: unlit segments grey, lit ones silver.
constexpr TColor kUnlit = clGray, kLit = clSilver;
}  // namespace

TMtCustomNum::TMtCustomNum(TComponent* AOwner) : TMtGraphicImageControl(AOwner), FPalette(std::make_unique<TMtPalette>()) {
  FColor = clBlack;
  FParentColor = false;
  FOpaque = true;
  FWidth = 100;
  FHeight = 26;
  FPalette->OnChange = [this](TObject*) {
    LoadDigits();
    UpdateControlCanvas();
  };
  LoadDigits();
}

TMtCustomNum::~TMtCustomNum() { FPalette->OnChange = nullptr; }

void TMtCustomNum::LoadDigits() {
  // A missing picture leaves the number blank rather than failing the window.
  if (!FDigitBitmap.LoadFromResourceName(GetModuleHandleA(nullptr), kDigitResources[FStyle])) FDigitBitmap.SetSize(0, 0);
  FPalette->RecolorBitmap(FDigitBitmap, kUnlit, kLit);
  FCellWidth = FDigitBitmap.Width() / 13;
  FCellHeight = FDigitBitmap.Height();
}

// Palette colours may be system colours: the digits are recoloured with the new ones.
void TMtCustomNum::SysColorChanged() {
  LoadDigits();
  UpdateControlCanvas();
}

void TMtCustomNum::SetDigits(int v) {
  if (v == FDigits || v < 1 || v > 16) return;
  FDigits = v;
  UpdateControlBounds();
}

void TMtCustomNum::SetValue(int32_t v) {
  AdjustRange(v, FMin, FMax);
  if (v == FValue) return;
  FValue = v;
  UpdateControlCanvas();
  if (OnChange) CallGuarded(this, [&] { OnChange(this); });
}

void TMtCustomNum::SetSpacing(int v) {
  if (v == FSpacing) return;
  FSpacing = v;
  UpdateControlBounds();
}

void TMtCustomNum::SetStyle(TMtNumStyle v) {
  if (v == FStyle || v < ns13x24 || v > ns5x7) return;
  FStyle = v;
  LoadDigits();
  UpdateControlBounds();
}

void TMtCustomNum::SetLeadingZero(bool v) {
  if (v == FLeadingZero) return;
  FLeadingZero = v;
  UpdateControlCanvas();
}

void TMtCustomNum::SetAlignment(TMtNumAlignment v) {
  if (v == FAlignment || v < naLeftJustify || v > naRightJustify) return;
  FAlignment = v;
  UpdateControlCanvas();
}

void TMtCustomNum::SetMax(int32_t v) {
  if (v == FMax || v <= FMin) return;
  FMax = v;
  UpdateControlCanvas();
}

void TMtCustomNum::SetMin(int32_t v) {
  if (v == FMin || v >= FMax) return;
  FMin = v;
  UpdateControlCanvas();
}

void TMtCustomNum::SetZeroBlank(bool v) {
  if (v == FZeroBlank) return;
  FZeroBlank = v;
  UpdateControlCanvas();
}

bool TMtCustomNum::CanAutoSize(int& width, int& height) {
  if (FAlign == alNone || FAlign == alLeft || FAlign == alRight)
    width = mt::NumContentWidth(FDigits, Signed(), FCellWidth, FSpacing);
  if (FAlign == alNone || FAlign == alTop || FAlign == alBottom) height = FCellHeight;
  return true;
}

void TMtCustomNum::Paint() {
  ClearBitmapCanvas();
  if (FCellWidth > 0 && FCellHeight > 0) {
    int w = mt::NumContentWidth(FDigits, Signed(), FCellWidth, FSpacing);
    int cw = ClientWidth();
    int x = FAlignment == naLeftJustify ? 0 : FAlignment == naRightJustify ? cw - w : (cw - w) / 2;
    int y = (FHeight - FCellHeight) / 2;
    TCanvas& c = BitmapCanvas();
    HDC digits = FDigitBitmap.Canvas().Handle();
    for (int cell : mt::NumCells(FValue, FDigits, FLeadingZero, FZeroBlank, Signed())) {
      // Black lets the background show between the segments.
      c.TransparentCopy(RECT{x, y, x + FCellWidth, y + FCellHeight}, digits,
                        RECT{cell * FCellWidth, 0, (cell + 1) * FCellWidth, FCellHeight}, 0);
      x += FCellWidth + FSpacing;
    }
  }
  inherited::Paint();
}
