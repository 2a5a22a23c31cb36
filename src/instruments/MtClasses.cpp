#include "instruments/MtClasses.h"
#include <algorithm>
#include "framework/Exception.h"
#include "framework/Files.h"
#include "instruments/MtBitmapStream.h"
#include "instruments/MtSysUtils.h"

const TEnumInfo& MtOrientationInfo() {
  static const TEnumInfo e{"TMtOrientation", {"voVertical", "voHorizontal"}};
  return e;
}
const TEnumInfo& MtBevelStyleInfo() {
  static const TEnumInfo e{"TMtBevelStyle", {"bsNone", "bsLowered", "bsRaised"}};
  return e;
}
const TEnumInfo& MtOutlineStyleInfo() {
  static const TEnumInfo e{"TMtOutlineStyle", {"osOuter", "osInner", "osNone"}};
  return e;
}

VELMORA_CLASS_INFO(TMtPersistent) {}

VELMORA_CLASS_INFO(TMtBevel) {
  const TIdentMap* colors = &ColorIdents();
  b.Int("BorderWidth", &TMtBevel::BorderWidth, &TMtBevel::SetBorderWidth);
  b.Int("BorderColor", &TMtBevel::BorderColor, &TMtBevel::SetBorderColor, colors);
  b.Int("InnerShadow", &TMtBevel::InnerShadow, &TMtBevel::SetInnerShadow, colors);
  b.Int("InnerHighlight", &TMtBevel::InnerHighlight, &TMtBevel::SetInnerHighlight, colors);
  b.Int("InnerWidth", &TMtBevel::InnerWidth, &TMtBevel::SetInnerWidth);
  b.Enum("InnerStyle", &TMtBevel::InnerStyle, &TMtBevel::SetInnerStyle, MtBevelStyleInfo());
  b.Enum("InnerOutline", &TMtBevel::InnerOutline, &TMtBevel::SetInnerOutline, MtOutlineStyleInfo());
  b.Int("InnerSpace", &TMtBevel::InnerSpace, &TMtBevel::SetInnerSpace);
  b.Int("InnerColor", &TMtBevel::InnerColor, &TMtBevel::SetInnerColor, colors);
  b.Int("OuterShadow", &TMtBevel::OuterShadow, &TMtBevel::SetOuterShadow, colors);
  b.Int("OuterHighlight", &TMtBevel::OuterHighlight, &TMtBevel::SetOuterHighlight, colors);
  b.Int("OuterWidth", &TMtBevel::OuterWidth, &TMtBevel::SetOuterWidth);
  b.Enum("OuterStyle", &TMtBevel::OuterStyle, &TMtBevel::SetOuterStyle, MtBevelStyleInfo());
  b.Enum("OuterOutline", &TMtBevel::OuterOutline, &TMtBevel::SetOuterOutline, MtOutlineStyleInfo());
  b.Int("OuterSpace", &TMtBevel::OuterSpace, &TMtBevel::SetOuterSpace);
  b.Int("OuterColor", &TMtBevel::OuterColor, &TMtBevel::SetOuterColor, colors);
  b.Bool("Visible", &TMtBevel::Visible, &TMtBevel::SetVisible);
}

VELMORA_CLASS_INFO(TMtPalette) {
  b.Int("Low", &TMtPalette::Low, &TMtPalette::SetLow, &ColorIdents());
  b.Int("High", &TMtPalette::High, &TMtPalette::SetHigh, &ColorIdents());
}

VELMORA_CLASS_INFO(TMtPaletteEx) {
  b.Int("Low1", &TMtPaletteEx::Low1, &TMtPaletteEx::SetLow1, &ColorIdents());
  b.Int("High1", &TMtPaletteEx::High1, &TMtPaletteEx::SetHigh1, &ColorIdents());
  b.Int("Low2", &TMtPaletteEx::Low2, &TMtPaletteEx::SetLow2, &ColorIdents());
  b.Int("High2", &TMtPaletteEx::High2, &TMtPaletteEx::SetHigh2, &ColorIdents());
}

VELMORA_CLASS_INFO(TMtBitmaps) {}

// ---------------------------------------------------------------- TMtPersistent

void TMtPersistent::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TMtPersistent::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

// Holds an update open for a scope, so that a failure in the middle still closes it.
class UpdateScope {
 public:
  explicit UpdateScope(TMtPersistent& p) : FObject(p) { p.BeginUpdate(); }
  ~UpdateScope() { FObject.EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  TMtPersistent& FObject;
};

// ---------------------------------------------------------------- TMtBevel

void TMtBevel::SetBorderWidth(int v) {
  if (v >= 0) SetField(FBorderWidth, v);
}
void TMtBevel::SetInnerWidth(int v) {
  if (v >= 1) SetField(FInnerWidth, v);
}
void TMtBevel::SetInnerSpace(int v) {
  if (v >= 0) SetField(FInnerSpace, v);
}
void TMtBevel::SetOuterWidth(int v) {
  if (v >= 1) SetField(FOuterWidth, v);
}
void TMtBevel::SetOuterSpace(int v) {
  if (v >= 0) SetField(FOuterSpace, v);
}

void TMtBevel::Assign(const TMtBevel& s) {
  if (this == &s) return;
  UpdateScope update(*this);
  SetBorderWidth(s.FBorderWidth);
  SetBorderColor(s.FBorderColor);
  SetInnerShadow(s.FInnerShadow);
  SetInnerHighlight(s.FInnerHighlight);
  SetInnerWidth(s.FInnerWidth);
  SetInnerStyle(s.FInnerStyle);
  SetInnerOutline(s.FInnerOutline);
  SetInnerSpace(s.FInnerSpace);
  SetInnerColor(s.FInnerColor);
  SetOuterShadow(s.FOuterShadow);
  SetOuterHighlight(s.FOuterHighlight);
  SetOuterWidth(s.FOuterWidth);
  SetOuterStyle(s.FOuterStyle);
  SetOuterOutline(s.FOuterOutline);
  SetOuterSpace(s.FOuterSpace);
  SetOuterColor(s.FOuterColor);
  SetVisible(s.FVisible);
}

void TMtBevel::Paint(TCanvas& Canvas, RECT& Rect) const {
  if (!FVisible) return;
  DrawFrame3D(Canvas, Rect, FBorderColor, FBorderColor, FBorderWidth);
  auto ring = [&](TMtOutlineStyle outline, TMtBevelStyle style, int width, TColor shadow, TColor highlight,
                  int space, TColor color) {
    if (outline == TMtOutlineStyle::osOuter) DrawFrame3D(Canvas, Rect, clBlack, clBlack, 1);
    if (style == TMtBevelStyle::bsRaised) DrawFrame3D(Canvas, Rect, highlight, shadow, width);
    if (style == TMtBevelStyle::bsLowered) DrawFrame3D(Canvas, Rect, shadow, highlight, width);
    if (outline == TMtOutlineStyle::osInner) DrawFrame3D(Canvas, Rect, clBlack, clBlack, 1);
    DrawFrame3D(Canvas, Rect, color, color, space);
  };
  ring(FOuterOutline, FOuterStyle, FOuterWidth, FOuterShadow, FOuterHighlight, FOuterSpace, FOuterColor);
  ring(FInnerOutline, FInnerStyle, FInnerWidth, FInnerShadow, FInnerHighlight, FInnerSpace, FInnerColor);
}

// ---------------------------------------------------------------- palettes

void TMtPalette::Assign(const TMtPalette& s) {
  if (this == &s) return;
  UpdateScope update(*this);
  SetLow(s.FLow);
  SetHigh(s.FHigh);
}

void TMtPalette::RecolorBitmap(TBitmap& Bitmap, TColor DarkColor, TColor LightColor) const {
  // In memory the pixels are 0x00RRGGBB: compare and replace in that order.
  auto memory = [](TColor c) {
    COLORREF v = ResolveColor(c);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  };
  uint32_t dark = memory(DarkColor), light = memory(LightColor), low = memory(FLow), high = memory(FHigh);
  for (int y = 0; y < Bitmap.Height(); ++y) {
    uint32_t* row = Bitmap.ScanLine(y);
    for (int x = 0; x < Bitmap.Width(); ++x) {
      uint32_t p = row[x] & 0xFFFFFF;
      // Decided on the original pixel: a dark pixel turned Low is not then taken for light.
      if (p == dark)
        row[x] = low;
      else if (p == light)
        row[x] = high;
    }
  }
}

void TMtPaletteEx::Assign(const TMtPaletteEx& s) {
  if (this == &s) return;
  UpdateScope update(*this);
  SetLow1(s.FLow1);
  SetHigh1(s.FHigh1);
  SetLow2(s.FLow2);
  SetHigh2(s.FHigh2);
}

// ---------------------------------------------------------------- TMtBitmaps

namespace {
// The largest bitmap-list file read: far beyond any real list, small enough to hold in memory.
constexpr size_t kMaxStreamFile = 64u * 1024 * 1024;

[[noreturn]] void InvalidFormat() { throw Exception("Invalid file format"); }
}  // namespace

TMtBitmaps::TMtBitmaps() = default;
TMtBitmaps::~TMtBitmaps() = default;

int TMtBitmaps::Add(const TBitmap& Bitmap) {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(Bitmap);
  FItems.push_back(std::move(copy));
  Changed();
  return Count() - 1;
}

void TMtBitmaps::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

TBitmap* TMtBitmaps::Bitmaps(int Index) const {
  return Index >= 0 && Index < Count() ? FItems[Index].get() : nullptr;
}

void TMtBitmaps::Assign(const TMtBitmaps* source) {
  if (source == this) return;
  UpdateScope update(*this);
  Clear();
  if (source)
    for (const auto& b : source->FItems) Add(*b);
}

void TMtBitmaps::ReadData(const uint8_t* data, size_t size, bool append) {
  std::vector<mt::BmpSpan> spans;
  if (!mt::SplitBitmapStream(data, size, spans)) InvalidFormat();
  // Every picture is decoded before the list changes.
  std::vector<std::unique_ptr<TBitmap>> read;
  read.reserve(spans.size());
  for (const mt::BmpSpan& s : spans) {
    auto b = std::make_unique<TBitmap>();
    try {
      b->LoadFromBmp(data + s.Offset, s.Size);
    } catch (const Exception&) {
      InvalidFormat();
    }
    read.push_back(std::move(b));
  }
  UpdateScope update(*this);
  if (!append) Clear();
  for (auto& b : read) FItems.push_back(std::move(b));
  if (!read.empty()) Changed();
}

std::vector<uint8_t> TMtBitmaps::WriteData() const {
  std::vector<std::vector<uint8_t>> files;
  files.reserve(FItems.size());
  for (const auto& b : FItems) files.push_back(b->SaveToBmp());
  return mt::JoinBitmapStream(files);
}

void TMtBitmaps::LoadFromFile(const std::string& Name) {
  std::vector<uint8_t> data = ReadWholeFile(Name, kMaxStreamFile);
  ReadData(data.data(), data.size(), true);
}

void TMtBitmaps::SaveToFile(const std::string& Name) const { WriteWholeFile(Name, WriteData()); }

const TEnumInfo& MtTickMarksInfo() {
  static const TEnumInfo e{"TMtTickMarks", {"tmNone", "tmBoth", "tmBottomRight", "tmTopLeft"}};
  return e;
}
