#include "instruments/MtTrayGauge.h"
#include <algorithm>
#include "framework/Events.h"
#include "framework/Menus.h"
#include "instruments/MtMath.h"

const TEnumInfo& MtGaugeStyleInfo() {
  static const TEnumInfo e{"TMtGaugeStyle", {"gsSingle", "gsDual"}};
  return e;
}

VELMORA_CLASS_INFO(TMtTrayGauge) {
  b.Object("Palette", &TMtTrayGauge::PalettePtr);
  b.Int("Max", &TMtTrayGauge::Max, &TMtTrayGauge::SetMax);
  b.Int("Min", &TMtTrayGauge::Min, &TMtTrayGauge::SetMin);
  b.Int("Position", &TMtTrayGauge::Position, &TMtTrayGauge::SetPosition);
  b.Enum("Style", &TMtTrayGauge::Style, &TMtTrayGauge::SetStyle, MtGaugeStyleInfo());
  b.Event("OnChange", &TMtTrayGauge::OnChange);
  b.Bool("Visible", &TMtTrayGauge::Visible, &TMtTrayGauge::SetVisible);
  b.Bool("Enabled", &TMtTrayGauge::Enabled, &TMtTrayGauge::SetEnabled);
  b.Str("Hint", &TMtTrayGauge::Hint, &TMtTrayGauge::SetHint);
  b.Bool("ShowHint", &TMtTrayGauge::ShowHint, &TMtTrayGauge::SetShowHint);
  b.Ref<TPopupMenu>("PopupMenu", &TMtTrayGauge::PopupMenu, &TMtTrayGauge::SetPopupMenu);
  b.Bool("HideTaskBtn", &TMtTrayGauge::HideTaskBtn, &TMtTrayGauge::SetHideTaskBtn);
  b.Bool("LeftBtnPopup", &TMtTrayGauge::LeftBtnPopup, &TMtTrayGauge::SetLeftBtnPopup);
  b.Event("OnClick", &TMtTrayGauge::OnClick);
  b.Event("OnDblClick", &TMtTrayGauge::OnDblClick);
  b.Event("OnMouseDown", &TMtTrayGauge::OnMouseDown);
  b.Event("OnMouseUp", &TMtTrayGauge::OnMouseUp);
  b.Event("OnMouseMove", &TMtTrayGauge::OnMouseMove);
  b.Creatable();
}

namespace {
constexpr int kFrameWidth = 15, kFrameHeight = 16, kIconSize = 16;
// The colours the strips are stored with: unlit stripes and lit levels.
constexpr TColor kDark = clGreen, kLight = clLime;

// A 16 x 16 icon of one 15 x 16 frame: every pixel of the frame opaque, the last column clear.
HICON FrameIcon(TBitmap& strip, int frame) {
  HDC screen = GetDC(nullptr);
  BitmapHandle color(CreateCompatibleBitmap(screen, kIconSize, kIconSize));
  ReleaseDC(nullptr, screen);
  // Monochrome rows are padded to 16 bits: one WORD per row, bit 15 - x for column x.
  WORD maskBits[kIconSize];
  for (WORD& row : maskBits) row = 0x0100;  // column 15 (the low bit of the second byte)
  BitmapHandle mask(CreateBitmap(kIconSize, kIconSize, 1, 1, maskBits));
  if (!color || !mask) return nullptr;
  MemoryDC dc = MemoryDC::Create();
  {
    SelectedObject sel(dc.get(), color.get());
    RECT clear{0, 0, kIconSize, kIconSize};
    FillRect(dc.get(), &clear, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    BitBlt(dc.get(), 0, 0, kFrameWidth, kFrameHeight, strip.Canvas().Handle(), frame * kFrameWidth, 0, SRCCOPY);
  }
  ICONINFO ii{};
  ii.fIcon = TRUE;
  ii.hbmMask = mask.get();
  ii.hbmColor = color.get();
  return CreateIconIndirect(&ii);
}
}  // namespace

TMtTrayGauge::TMtTrayGauge(TComponent* AOwner) : TMtCustomTrayIcon(AOwner), FPalette(std::make_unique<TMtPalette>()) {
  FPalette->OnChange = [this](TObject*) {
    if (Loading()) return;
    LoadStrip();
    UpdateImage(true);
  };
}

TMtTrayGauge::~TMtTrayGauge() {
  FPalette->OnChange = nullptr;
  // Out of the tray while this part of the object is still whole.
  SetVisible(false);
}

void TMtTrayGauge::Loaded() {
  inherited::Loaded();
  LoadStrip();
  UpdateImage(true);
}

void TMtTrayGauge::LoadStrip() {
  if (!FStrip.LoadFromResourceName(GetModuleHandleA(nullptr), FStripName)) FStrip.SetSize(0, 0);
  FPalette->RecolorBitmap(FStrip, kDark, kLight);
}

void TMtTrayGauge::UpdateImage(bool force) {
  if (Loading()) return;
  if (FStrip.Width() < 13 * kFrameWidth || FStrip.Height() < kFrameHeight) {
    FFrame = -1;
    Icon().SetHandle(nullptr);
    return;
  }
  int frame = mt::GaugeFrame(FPosition, FMin, FMax);
  // The same picture again needs no new icon, unless the shell has not taken it yet.
  if (!force && frame == FFrame && !Icon().Empty() && (Added() || !Visible())) return;
  FFrame = frame;
  // The new icon replaces (and frees) the one shown so far.
  Icon().SetHandle(FrameIcon(FStrip, frame));
}

void TMtTrayGauge::SetPosition(int32_t v) {
  if (v == FPosition) return;
  AdjustRange(v, FMin, FMax);
  FPosition = v;
  UpdateImage(false);
  if (OnChange) CallGuarded(this, [&] { OnChange(this); });
}

void TMtTrayGauge::SetMin(int32_t v) {
  if (v == FMin) return;
  FMin = static_cast<int32_t>(std::min<int64_t>(v, static_cast<int64_t>(FMax) - 1));
  AdjustRange(FPosition, FMin, FMax);
  UpdateImage(false);
}

void TMtTrayGauge::SetMax(int32_t v) {
  if (v == FMax) return;
  FMax = static_cast<int32_t>(std::max<int64_t>(v, static_cast<int64_t>(FMin) + 1));
  AdjustRange(FPosition, FMin, FMax);
  UpdateImage(false);
}

void TMtTrayGauge::SetStyle(TMtGaugeStyle v) {
  if (v == FStyle || (v != gsSingle && v != gsDual)) return;
  FStyle = v;
  FStripName = v == gsDual ? "ICLEVELS" : "ICGAUGE";
  if (Loading()) return;
  LoadStrip();
  UpdateImage(true);
}
