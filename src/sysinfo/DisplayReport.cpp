// The display class's table, capability tables and report lines.
#include "sysinfo/KSI_Display.h"
#include "sysinfo/ReportText.h"

namespace {
struct TCapMember {
  const char* Name;
  const char* Label;
  uint32_t Bit;
};
struct TCapTable {
  const char* Title;
  const TCapMember* Members;
  int Count;
  bool WholeValue;  // the set stays empty when the value is 0
};

const TCapMember kCurve[] = {
    {"ccCircles", "Circles", 0x1},
    {"ccPieWedges", "Pie Wedges", 0x2},
    {"ccChords", "Chords", 0x4},
    {"ccEllipses", "Ellipses", 0x8},
    {"ccWideBorders", "Wide Borders", 0x10},
    {"ccStyledBorders", "Styled Borders", 0x20},
    {"ccWideStyledBorders", "Wide and Styled Borders", 0x40},
    {"ccInteriors", "Interiors", 0x80},
    {"ccRoundedRects", "Rounded Rectangles", 0x100},
};
const TCapMember kLine[] = {
    {"lcPolylines", "Polylines", 0x2},
    {"lcMarkers", "Markers", 0x4},
    {"lcMultipleMarkers", "Multiple Markers", 0x8},
    {"lcWideLines", "Wide Lines", 0x10},
    {"lcStyledLines", "Styled Lines", 0x20},
    {"lcWideStyledLines", "Wide and Styled Lines", 0x40},
    {"lcInteriors", "Interiors", 0x80},
};
const TCapMember kPolygon[] = {
    {"pcAltFillPolygons", "Alternate Fill Polygons", 0x1},
    {"pcRectangles", "Rectangles", 0x2},
    {"pcWindingFillPolygons", "Winding Fill Polygons", 0x4},
    {"pcSingleScanlines", "Single Scanlines", 0x8},
    {"pcWideBorders", "Wide Borders", 0x10},
    {"pcStyledBorders", "Styled Borders", 0x20},
    {"pcWideStyledBorders", "Wide and Styled Borders", 0x40},
    {"pcInteriors", "Interiors", 0x80},
};
const TCapMember kRaster[] = {
    {"rcRequiresBanding", "Requires Banding", 0x2},
    {"rcTranserBitmaps", "Can Transer Bitmaps", 0x1},
    {"rcBitmaps64K", "Supports Bitmaps > 64K", 0x8},
    {"rcSetGetDIBits", "Supports SetDIBits and GetDIBits", 0x80},
    {"rcSetDIBitsToDevice", "Supports SetDIBitsToDevice", 0x200},
    {"rcFloodfills", "Can Perform Floodfills", 0x1000},
    {"rcWindows2xFeatures", "Supports Windows 2.0 Features", 0x10},
    {"rcPaletteBased", "Palette Based", 0x100},
    {"rcScaling", "Scaling", 0x4},
    {"rcStretchBlt", "Supports StretchBlt", 0x800},
    {"rcStretchDIBits", "Supports StretchDIBits", 0x2000},
};
const TCapMember kText[] = {
    {"tcCharOutPrec", "Capable of Character Output Precision", 0x1},
    {"tcStrokeOutPrec", "Capable of Stroke Output Precision", 0x2},
    {"tcStrokeClipPrec", "Capable of Stroke Clip Precision", 0x4},
    {"tcCharRotation90", "Supports 90 Degree Character Rotation", 0x8},
    {"tcCharRotationAny", "Supports Character Rotation to Any Angle", 0x10},
    {"tcScaleIndependent", "X And Y Scale Independent", 0x20},
    {"tcDoubledCharScaling", "Supports Doubled Character Scaling", 0x40},
    {"tcIntMultiScaling", "Supports Integer Multiples Only When Scaling", 0x80},
    {"tcAnyMultiExactScaling", "Supports Any Multiples For Exact Character Scaling", 0x100},
    {"tcDoubleWeightChars", "Supports Double Weight Characters", 0x200},
    {"tcItalics", "Supports Italics", 0x400},
    {"tcUnderlines", "Supports Underlines", 0x800},
    {"tcStrikeouts", "Supports Strikeouts", 0x1000},
    {"tcRasterFonts", "Supports Raster Fonts", 0x2000},
    {"tcVectorFonts", "Supports Vector Fonts", 0x4000},
    {"tcNoScrollUsingBlts", "Cannot Scroll Using Blts", 0x10000},
};

template <size_t N>
constexpr int Count(const TCapMember (&)[N]) {
  return static_cast<int>(N);
}
const TCapTable kCaps[ckCount] = {
    {"Curve Capabilities", kCurve, Count(kCurve), true},
    {"Line Capabilities", kLine, Count(kLine), true},
    {"Polygonal Capabilities", kPolygon, Count(kPolygon), true},
    {"Raster Capabilities", kRaster, Count(kRaster), false},
    {"Text Capabilities", kText, Count(kText), false},
};

TEnumInfo MakeEnumInfo(const char* type, TCapKind kind) {
  TEnumInfo info{type, {}};
  for (int i = 0; i < kCaps[kind].Count; ++i) info.Names.push_back(kCaps[kind].Members[i].Name);
  return info;
}
}  // namespace

const TEnumInfo& CapEnumInfo(TCapKind kind) {
  static const TEnumInfo infos[ckCount] = {
      MakeEnumInfo("TCurveCap", ckCurve), MakeEnumInfo("TLineCap", ckLine),
      MakeEnumInfo("TPolygonCap", ckPolygon), MakeEnumInfo("TRasterCap", ckRaster),
      MakeEnumInfo("TTextCap", ckText)};
  return infos[kind < ckCount ? kind : ckCurve];
}

VELMORA_CLASS_INFO(TDisplay) {
  using T = TDisplay;
  b.Str("Adapter", &T::Adapter, &T::SetAdapter);
  b.Str("DAC", &T::DAC, &T::SetDAC);
  b.Str("Chipset", &T::Chipset, &T::SetChipset);
  b.Int("Memory", &T::Memory, &T::SetMemory);
  b.Int("HorzRes", &T::HorzRes, &T::SetHorzRes);
  b.Int("VertRes", &T::VertRes, &T::SetVertRes);
  b.Int("ColorDepth", &T::ColorDepth, &T::SetColorDepth);
  b.Str("BIOSVersion", &T::BIOSVersion, &T::SetBIOSVersion);
  b.Str("BIOSDate", &T::BIOSDate, &T::SetBIOSDate);
  b.Str("Technology", &T::Technology, &T::SetTechnology);
  b.Int("PixelWidth", &T::PixelWidth, &T::SetPixelWidth);
  b.Int("PixelHeight", &T::PixelHeight, &T::SetPixelHeight);
  b.Int("PixelDiagonal", &T::PixelDiagonal, &T::SetPixelDiagonal);
  b.Set("RasterCaps", &T::RasterCaps, &T::SetRasterCaps, CapEnumInfo(ckRaster));
  b.Set("CurveCaps", &T::CurveCaps, &T::SetCurveCaps, CapEnumInfo(ckCurve));
  b.Set("LineCaps", &T::LineCaps, &T::SetLineCaps, CapEnumInfo(ckLine));
  b.Set("PolygonCaps", &T::PolygonCaps, &T::SetPolygonCaps, CapEnumInfo(ckPolygon));
  b.Set("TextCaps", &T::TextCaps, &T::SetTextCaps, CapEnumInfo(ckText));
  b.Strings("Modes", &T::Modes);
  b.Int("FontResolution", &T::FontResolution, &T::SetFontResolution);
}

const char* CapSectionTitle(TCapKind kind) { return kind < ckCount ? kCaps[kind].Title : ""; }

TCapSet CapSetFromValue(TCapKind kind, uint32_t value) {
  if (kind >= ckCount) return 0;
  const TCapTable& t = kCaps[kind];
  TCapSet set = 0;
  if (t.WholeValue && value == 0) return set;
  for (int i = 0; i < t.Count; ++i)
    if (value & t.Members[i].Bit) set |= 1u << i;
  return set;
}

void WriteCapLines(TStrings& lines, TCapKind kind, TCapSet set) {
  if (kind >= ckCount) return;
  const TCapTable& t = kCaps[kind];
  for (int i = 0; i < t.Count; ++i) AddBool(lines, t.Members[i].Label, (set >> i) & 1u);
}

const char* TechnologyText(int code) {
  static const char* const texts[] = {"Vector Plotter", "Raster Display", "Raster Printer",
                                      "Raster Camera",  "Character Stream", "Metafile",
                                      "Display File"};
  return code >= 0 && code <= 6 ? texts[code] : nullptr;
}

std::string VideoModeText(uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  return std::to_string(width) + " x " + std::to_string(height) + " - " +
         std::to_string(bitsPerPixel) + " bit";
}

TCapSet TDisplay::Caps(TCapKind kind) const {
  switch (kind) {
    case ckCurve: return FCurveCaps;
    case ckLine: return FLineCaps;
    case ckPolygon: return FPolygonCaps;
    case ckRaster: return FRasterCaps;
    case ckText: return FTextCaps;
    default: return 0;
  }
}

void TDisplay::ReportCaps(TStrings& report, TCapKind kind) const {
  AddSection(report, CapSectionTitle(kind));
  WriteCapLines(report, kind, Caps(kind));
}

void TDisplay::Report(TStrings& report) const {
  auto number = [&report](const char* key, int64_t v) { AddValue(report, key, v); };
  AddSection(report, "Display");
  AddValue(report, "Adapter", FAdapter);
  AddValue(report, "Chipset", FChipset);
  AddValue(report, "DAC", FDAC);
  number("Memory", FMemory);
  AddValue(report, "BIOSVersion", FBIOSVersion);
  AddValue(report, "BIOSDate", FBIOSDate);
  AddValue(report, "Technology", FTechnology);
  number("HorzRes", FHorzRes);
  number("VertRes", FVertRes);
  number("ColorDepth", FColorDepth);
  number("PixelWidth", FPixelWidth);
  number("PixelHeight", FPixelHeight);
  number("PixelDiag", FPixelDiagonal);
  number("FontRes", FFontResolution);
  AddSection(report, "Video Modes");
  WriteList(report, "Count", "Mode", *FModes);
  for (int k = 0; k < ckCount; ++k) ReportCaps(report, static_cast<TCapKind>(k));
}
