#include "framework/Canvas.h"
#include <climits>
#include <vector>
#include "framework/Bitmaps.h"

static uint32_t SystemColor(int index) { return GetSysColor(index); }
static SystemColorSource systemColors = &SystemColor;

COLORREF ColorToRGB(TColor c) { return ColorRGB(c, systemColors); }

SystemColorSource SetSystemColorSource(SystemColorSource source) {
  SystemColorSource old = systemColors;
  systemColors = source ? source : &SystemColor;
  return old;
}

// ---- Enumerations ----

const TEnumInfo& FontStyleInfo() {
  static const TEnumInfo info{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
  return info;
}
const TEnumInfo& PenStyleInfo() {
  static const TEnumInfo info{"TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot",
                                            "psDashDotDot", "psClear", "psInsideFrame"}};
  return info;
}
const TEnumInfo& PenModeInfo() {
  static const TEnumInfo info{
      "TPenMode",
      {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
       "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
       "pmNotMask", "pmXor", "pmNotXor"}};
  return info;
}
const TEnumInfo& BrushStyleInfo() {
  static const TEnumInfo info{"TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                              "bsFDiagonal", "bsBDiagonal", "bsCross",
                                              "bsDiagCross"}};
  return info;
}

// Charset names a description may write for Font.Charset.
static const TIdentMap& CharsetIdents() {
  static const TIdentMap map{{
      {"ANSI_CHARSET", ANSI_CHARSET},
      {"DEFAULT_CHARSET", DEFAULT_CHARSET},
      {"SYMBOL_CHARSET", SYMBOL_CHARSET},
      {"MAC_CHARSET", MAC_CHARSET},
      {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
      {"HANGEUL_CHARSET", HANGEUL_CHARSET},
      {"JOHAB_CHARSET", JOHAB_CHARSET},
      {"GB2312_CHARSET", GB2312_CHARSET},
      {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
      {"GREEK_CHARSET", GREEK_CHARSET},
      {"TURKISH_CHARSET", TURKISH_CHARSET},
      {"VIETNAMESE_CHARSET", VIETNAMESE_CHARSET},
      {"HEBREW_CHARSET", HEBREW_CHARSET},
      {"ARABIC_CHARSET", ARABIC_CHARSET},
      {"BALTIC_CHARSET", BALTIC_CHARSET},
      {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
      {"THAI_CHARSET", THAI_CHARSET},
      {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
      {"OEM_CHARSET", OEM_CHARSET},
  }};
  return map;
}

int PenModeToROP2(TPenMode mode) {
  static const int codes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                              R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                              R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return mode >= pmBlack && mode <= pmNotXor ? codes[mode] : R2_COPYPEN;
}

// ---- Class tables ----

VELMORA_CLASS_INFO(TGraphicsObject) {}

VELMORA_CLASS_INFO(TFont) {
  b.Str("Name", &TFont::Name, &TFont::SetName);
  b.Int("Height", &TFont::Height, &TFont::SetHeight);
  b.Int("Size", &TFont::Size, &TFont::SetSize);
  b.Set("Style", &TFont::Style, &TFont::SetStyle, FontStyleInfo());
  b.Int("Color", &TFont::Color, &TFont::SetColor, &ColorIdents());
  b.Int("Charset", &TFont::Charset, &TFont::SetCharset, &CharsetIdents());
  b.Int("Orientation", &TFont::Orientation, &TFont::SetOrientation);
}

VELMORA_CLASS_INFO(TPen) {
  b.Int("Color", &TPen::Color, &TPen::SetColor, &ColorIdents());
  b.Int("Width", &TPen::Width, &TPen::SetWidth);
  b.Enum("Style", &TPen::Style, &TPen::SetStyle, PenStyleInfo());
  b.Enum("Mode", &TPen::Mode, &TPen::SetMode, PenModeInfo());
}

VELMORA_CLASS_INFO(TBrush) {
  b.Int("Color", &TBrush::Color, &TBrush::SetColor, &ColorIdents());
  b.Enum("Style", &TBrush::Style, &TBrush::SetStyle, BrushStyleInfo());
}

// ---- Shared fonts ----

namespace {
// Controls of one font share one font object: a dialog of a hundred labels in one face holds one,
// not a hundred (on Windows 9x fonts come out of a small heap that all programs share). Fonts
// are made and let go on more than one thread, so the list is locked.
struct SharedFont {
  std::string name;
  int height, style, charset, orientation;
  long refs;
  FontHandle handle;
};

class FontCache {
 public:
  FontCache() { InitializeCriticalSection(&FLock); }
  HFONT Acquire(const LOGFONTA& lf, const std::string& name, int style);
  void Release(HFONT h);
  long Count() {
    CriticalSectionLock lock(FLock);
    return static_cast<long>(FFonts.size());
  }

 private:
  CRITICAL_SECTION FLock;
  std::vector<SharedFont> FFonts;
};

HFONT FontCache::Acquire(const LOGFONTA& lf, const std::string& name, int style) {
  CriticalSectionLock lock(FLock);
  for (SharedFont& f : FFonts)
    if (f.height == lf.lfHeight && f.style == style && f.charset == lf.lfCharSet && f.orientation == lf.lfEscapement &&
        f.name == name) {
      ++f.refs;
      return f.handle.get();
    }
  FontHandle h(CreateFontIndirectA(&lf));
  if (!h) return nullptr;
  HFONT result = h.get();
  FFonts.push_back(SharedFont{name, static_cast<int>(lf.lfHeight), style, lf.lfCharSet,
                              static_cast<int>(lf.lfEscapement), 1, std::move(h)});
  return result;
}

void FontCache::Release(HFONT h) {
  CriticalSectionLock lock(FLock);
  for (size_t i = 0; i < FFonts.size(); ++i)
    if (FFonts[i].handle.get() == h) {
      if (--FFonts[i].refs == 0) FFonts.erase(FFonts.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

// Never destroyed: fonts of static objects may be let go after the program's end has begun.
FontCache& Fonts() {
  static FontCache* cache = new FontCache;
  return *cache;
}
}  // namespace

long HeldFonts() { return Fonts().Count(); }

// ---- TFont ----

// Stores a differing value; the canvas holding the font lets go of the old handle first.
template <class T>
void TFont::Set(T& field, const T& value, bool affectsHandle) {
  if (field == value) return;
  if (affectsHandle) Changing();
  field = value;
  if (affectsHandle) ReleaseHandle();
  Changed();
}

int TFont::Size() const { return MulDiv(-FHeight, 72, FontPixelsPerInch); }

void TFont::SetName(const std::string& value) { Set(FName, value); }
void TFont::SetHeight(int value) { Set(FHeight, value); }
void TFont::SetSize(int value) { SetHeight(-MulDiv(value, FontPixelsPerInch, 72)); }
void TFont::SetStyle(TFontStyles value) {
  Set(FStyle, value & (FontStyleBit(fsBold) | FontStyleBit(fsItalic) | FontStyleBit(fsUnderline) |
                       FontStyleBit(fsStrikeOut)));
}
void TFont::SetColor(TColor value) { Set(FColor, value, false); }
void TFont::SetCharset(int value) {
  if (value < 0 || value > 255) return;  // LOGFONT holds a byte
  Set(FCharset, value);
}
void TFont::SetOrientation(int value) { Set(FOrientation, value); }

bool TFont::Equals(const TFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor &&
         FCharset == o.FCharset && FOrientation == o.FOrientation;
}

void TFont::Assign(const TFont& s) {
  if (this == &s || Equals(s)) return;
  bool handle = FName != s.FName || FHeight != s.FHeight || FStyle != s.FStyle ||
                FCharset != s.FCharset || FOrientation != s.FOrientation;
  if (handle) Changing();
  FName = s.FName;
  FHeight = s.FHeight;
  FStyle = s.FStyle;
  FColor = s.FColor;
  FCharset = s.FCharset;
  FOrientation = s.FOrientation;
  if (handle) ReleaseHandle();
  Changed();
}

TFont::~TFont() { ReleaseHandle(); }

void TFont::ReleaseHandle() {
  if (FHandle) Fonts().Release(FHandle);
  FHandle = nullptr;
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTA lf{};
    lf.lfHeight = FHeight;
    lf.lfEscapement = FOrientation;
    lf.lfOrientation = FOrientation;
    lf.lfWeight = (FStyle & FontStyleBit(fsBold)) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (FStyle & FontStyleBit(fsItalic)) ? 1 : 0;
    lf.lfUnderline = (FStyle & FontStyleBit(fsUnderline)) ? 1 : 0;
    lf.lfStrikeOut = (FStyle & FontStyleBit(fsStrikeOut)) ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(FCharset);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    // Face names longer than LOGFONT holds are cut rather than overrun.
    lstrcpynA(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
    FHandle = Fonts().Acquire(lf, lf.lfFaceName, static_cast<int>(FStyle));
    // Out of GDI resources: draw with the system font rather than with nothing.
    if (!FHandle) return static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  }
  return FHandle;
}

// ---- TPen ----

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  Changing();
  FColor = value;
  FHandle.reset();
  Changed();
}

void TPen::SetWidth(int value) {
  if (value < 0) value = 0;
  if (value == FWidth) return;
  Changing();
  FWidth = value;
  FHandle.reset();
  Changed();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == FStyle || value < psSolid || value > psInsideFrame) return;
  Changing();
  FStyle = value;
  FHandle.reset();
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == FMode || value < pmBlack || value > pmNotXor) return;
  FMode = value;  // a drawing mode of the context, not of the pen handle
  Changed();
}

void TPen::Assign(const TPen& s) {
  if (this == &s) return;
  if (FColor == s.FColor && FWidth == s.FWidth && FStyle == s.FStyle && FMode == s.FMode) return;
  Changing();
  FColor = s.FColor;
  FWidth = s.FWidth;
  FStyle = s.FStyle;
  FMode = s.FMode;
  FHandle.reset();
  Changed();
}

HPEN TPen::Handle() {
  // A system colour may have changed since the handle was made (a new colour scheme).
  COLORREF rgb = ColorToRGB(FColor);
  if (FHandle && rgb != FHandleRGB) {
    Changing();
    FHandle.reset();
  }
  if (!FHandle) {
    static const int styles[] = {PS_SOLID,      PS_DASH, PS_DOT,         PS_DASHDOT,
                                 PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    FHandleRGB = rgb;
    FHandle.reset(CreatePen(styles[FStyle], FWidth, rgb));
    if (!FHandle) return static_cast<HPEN>(GetStockObject(BLACK_PEN));
  }
  return FHandle.get();
}

// ---- TBrush ----

void TBrush::SetColor(TColor value) {
  if (value == FColor) return;
  Changing();
  FColor = value;
  FHandle.reset();
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == FStyle || value < bsSolid || value > bsDiagCross) return;
  Changing();
  FStyle = value;
  FHandle.reset();
  Changed();
}

void TBrush::Assign(const TBrush& s) {
  if (this == &s || (FColor == s.FColor && FStyle == s.FStyle)) return;
  Changing();
  FColor = s.FColor;
  FStyle = s.FStyle;
  FHandle.reset();
  Changed();
}

HBRUSH TBrush::Handle() {
  if (FStyle == bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  COLORREF c = ColorToRGB(FColor);
  if (FHandle && c != FHandleRGB) {  // the system colour changed
    Changing();
    FHandle.reset();
  }
  if (!FHandle) {
    static const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                  HS_BDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};
    FHandleRGB = c;
    FHandle.reset(FStyle == bsSolid ? CreateSolidBrush(c)
                                    : CreateHatchBrush(hatches[FStyle - bsHorizontal], c));
    if (!FHandle) return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  return FHandle.get();
}

// ---- TCanvas ----

TCanvas::TCanvas() {
  FFont.FOnChanging = [this] { DeselectFont(); };
  FPen.FOnChanging = [this] { DeselectPen(); };
  FBrush.FOnChanging = [this] { DeselectBrush(); };
}

TCanvas::~TCanvas() { Deselect(); }

HDC TCanvas::Handle() const { return const_cast<TCanvas*>(this)->NeedAll(); }

void TCanvas::SetHandle(HDC dc) {
  if (dc == FDC) return;
  Deselect();
  FDC = dc;
}

void TCanvas::DeselectFont() {
  if (FDC && FOldFont) SelectObject(FDC, FOldFont);
  FOldFont = nullptr;
  FSelFont = nullptr;
}
void TCanvas::DeselectPen() {
  if (FDC && FOldPen) SelectObject(FDC, FOldPen);
  FOldPen = nullptr;
  FSelPen = nullptr;
}
void TCanvas::DeselectBrush() {
  if (FDC && FOldBrush) SelectObject(FDC, FOldBrush);
  FOldBrush = nullptr;
  FSelBrush = nullptr;
}
void TCanvas::Deselect() {
  DeselectFont();
  DeselectPen();
  DeselectBrush();
}

HDC TCanvas::NeedFont() {
  if (!FDC) return nullptr;
  HFONT h = FFont.Handle();
  if (h != FSelFont) {
    HGDIOBJ old = SelectObject(FDC, h);
    if (!FOldFont) FOldFont = old;
    FSelFont = h;
  }
  SetTextColor(FDC, ColorToRGB(FFont.Color()));
  return FDC;
}

HDC TCanvas::NeedPen() {
  if (!FDC) return nullptr;
  HPEN h = FPen.Handle();
  if (h != FSelPen) {
    HGDIOBJ old = SelectObject(FDC, h);
    if (!FOldPen) FOldPen = old;
    FSelPen = h;
  }
  SetROP2(FDC, PenModeToROP2(FPen.Mode()));
  return FDC;
}

HDC TCanvas::NeedBrush() {
  if (!FDC) return nullptr;
  HBRUSH h = FBrush.Handle();
  if (h != FSelBrush) {
    HGDIOBJ old = SelectObject(FDC, h);
    if (!FOldBrush) FOldBrush = old;
    FSelBrush = h;
  }
  // A solid brush also fills the gaps of dashed lines; hatches keep the background between them.
  if (FBrush.Style() == bsSolid) {
    SetBkColor(FDC, ColorToRGB(FBrush.Color()));
    SetBkMode(FDC, OPAQUE);
  } else {
    SetBkMode(FDC, TRANSPARENT);
  }
  return FDC;
}

HDC TCanvas::NeedAll() {
  NeedFont();
  NeedPen();
  return NeedBrush();
}

void TCanvas::ApplyTextColors() {
  NeedFont();
  NeedBrush();
  if (!FDC) return;
  if (FBrush.Style() == bsClear) {
    SetBkMode(FDC, TRANSPARENT);
  } else {
    SetBkColor(FDC, ColorToRGB(FBrush.Color()));
    SetBkMode(FDC, OPAQUE);
  }
}

void TCanvas::MoveTo(int x, int y) { PenPos = {x, y}; }

void TCanvas::LineTo(int x, int y) {
  if (NeedPen() && NeedBrush()) {
    MoveToEx(FDC, PenPos.x, PenPos.y, nullptr);
    ::LineTo(FDC, x, y);
  }
  PenPos = {x, y};
}

void TCanvas::Polyline(const POINT* points, int n) {
  if (!points || n < 2 || !NeedPen() || !NeedBrush()) return;
  ::Polyline(FDC, points, n);
}

void TCanvas::Polygon(const POINT* points, int n) {
  if (!points || n < 2 || !NeedPen() || !NeedBrush()) return;
  ::Polygon(FDC, points, n);
}

void TCanvas::Rectangle(int l, int t, int r, int b) {
  if (NeedPen() && NeedBrush()) ::Rectangle(FDC, l, t, r, b);
}

void TCanvas::RoundRect(int l, int t, int r, int b, int ellipseW, int ellipseH) {
  if (NeedPen() && NeedBrush()) ::RoundRect(FDC, l, t, r, b, ellipseW, ellipseH);
}

void TCanvas::Ellipse(int l, int t, int r, int b) {
  if (NeedPen() && NeedBrush()) ::Ellipse(FDC, l, t, r, b);
}

void TCanvas::FillRect(const RECT& r) {
  if (NeedBrush()) ::FillRect(FDC, &r, FBrush.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
  if (!NeedBrush()) return;
  BrushHandle b(CreateSolidBrush(ColorToRGB(FBrush.Color())));
  if (b) ::FrameRect(FDC, &r, b.get());
}

void TCanvas::DrawFocusRect(const RECT& r) {
  HDC dc = Handle();
  if (!dc) return;
  // Black and white dots whatever the colours last used on this canvas.
  COLORREF text = SetTextColor(dc, RGB(0, 0, 0)), back = SetBkColor(dc, RGB(255, 255, 255));
  ::DrawFocusRect(dc, &r);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  if (!FDC) return;
  ApplyTextColors();
  int n = static_cast<int>(text.size());
  ::TextOutA(FDC, x, y, text.data(), n);
  SIZE sz{0, 0};
  if (n) GetTextExtentPoint32A(FDC, text.data(), n, &sz);
  PenPos = {x + sz.cx, y};
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& text) {
  if (!FDC) return;
  ApplyTextColors();
  UINT options = ETO_CLIPPED;
  if (FBrush.Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(FDC, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
}

// A screen-compatible context with a font selected, for measuring without a context of one's own.
namespace {
class MeasuringDC {
 public:
  explicit MeasuringDC(HFONT font) : FDC(MemoryDC::Create()), FSel(FDC.get(), font) {}
  HDC get() const { return FDC.get(); }

 private:
  MemoryDC FDC;
  SelectedObject FSel;
};
}  // namespace

int TCanvas::DrawText(const std::string& text, RECT& r, UINT flags) {
  // DT_MODIFYSTRING may write up to four characters more than the text.
  std::vector<char> buf(text.begin(), text.end());
  buf.resize(text.size() + 5, '\0');
  int n = static_cast<int>(text.size());
  if (!FDC) {
    if (!(flags & DT_CALCRECT)) return 0;
    MeasuringDC m(FFont.Handle());
    return m.get() ? ::DrawTextA(m.get(), buf.data(), n, &r, flags) : 0;
  }
  ApplyTextColors();
  return ::DrawTextA(FDC, buf.data(), n, &r, flags);
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE sz{0, 0};
  int n = static_cast<int>(text.size());
  if (NeedFont()) {
    GetTextExtentPoint32A(FDC, text.data(), n, &sz);
  } else {
    MeasuringDC m(FFont.Handle());
    if (m.get()) GetTextExtentPoint32A(m.get(), text.data(), n, &sz);
  }
  return sz;
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
  if (graphic.Empty()) return;
  RECT r{x, y, x + graphic.Width(), y + graphic.Height()};
  graphic.Draw(*this, r);
}

void TCanvas::StretchDraw(const RECT& dest, TGraphic& graphic) {
  if (!graphic.Empty()) graphic.Draw(*this, dest);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& src, const RECT& srcRect) {
  // Raster operations with a pattern use the brush.
  if (!NeedBrush() || !src.FDC) return;
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
  if (dw == sw && dh == sh) {
    BitBlt(FDC, dest.left, dest.top, dw, dh, src.FDC, srcRect.left, srcRect.top, CopyMode);
  } else {
    int old = SetStretchBltMode(FDC, COLORONCOLOR);
    StretchBlt(FDC, dest.left, dest.top, dw, dh, src.FDC, srcRect.left, srcRect.top, sw, sh,
               CopyMode);
    SetStretchBltMode(FDC, old);
  }
}

void TCanvas::BrushCopy(const RECT& dest, TBitmap& src, const RECT& srcRect,
                        TColor transparentColor) {
  if (src.Empty()) return;
  HDC s = src.Canvas().Handle();
  if (transparentColor == clNone) {
    DWORD mode = CopyMode;
    CopyMode = SRCCOPY;
    CopyRect(dest, src.Canvas(), srcRect);
    CopyMode = mode;
    return;
  }
  TransparentCopy(dest, s, srcRect, ColorToRGB(transparentColor));
}

void TCanvas::TransparentCopy(const RECT& dest, HDC src, const RECT& sr, COLORREF transparent) {
  if (!FDC || !src) return;
  int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  if (sw <= 0 || sh <= 0 || dw == 0 || dh == 0) return;

  // Mask: 1 where the source has the transparent colour (colour-to-monochrome conversion sets
  // the bits that match the source's background colour).
  MemoryDC maskDC = MemoryDC::Create();
  BitmapHandle mask(CreateBitmap(sw, sh, 1, 1, nullptr));
  MemoryDC imageDC = MemoryDC::Create();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = sw;
  bi.bmiHeader.biHeight = sh;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle image(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!maskDC || !mask || !imageDC || !image) return;
  SelectedObject selMask(maskDC.get(), mask.get());
  SelectedObject selImage(imageDC.get(), image.get());

  COLORREF oldBk = SetBkColor(src, transparent);
  BitBlt(maskDC.get(), 0, 0, sw, sh, src, sr.left, sr.top, SRCCOPY);
  SetBkColor(src, oldBk);

  // The source with its transparent pixels made black (mask 1 -> background black, AND).
  BitBlt(imageDC.get(), 0, 0, sw, sh, src, sr.left, sr.top, SRCCOPY);
  SetBkColor(imageDC.get(), RGB(0, 0, 0));
  SetTextColor(imageDC.get(), RGB(255, 255, 255));
  BitBlt(imageDC.get(), 0, 0, sw, sh, maskDC.get(), 0, 0, SRCAND);

  // Destination: black out the opaque pixels (mask 0 -> text black, AND), then OR the image in.
  COLORREF oldText = SetTextColor(FDC, RGB(0, 0, 0));
  oldBk = SetBkColor(FDC, RGB(255, 255, 255));
  if (dw == sw && dh == sh) {
    BitBlt(FDC, dest.left, dest.top, dw, dh, maskDC.get(), 0, 0, SRCAND);
    BitBlt(FDC, dest.left, dest.top, dw, dh, imageDC.get(), 0, 0, SRCPAINT);
  } else {
    int old = SetStretchBltMode(FDC, COLORONCOLOR);
    StretchBlt(FDC, dest.left, dest.top, dw, dh, maskDC.get(), 0, 0, sw, sh, SRCAND);
    StretchBlt(FDC, dest.left, dest.top, dw, dh, imageDC.get(), 0, 0, sw, sh, SRCPAINT);
    SetStretchBltMode(FDC, old);
  }
  SetTextColor(FDC, oldText);
  SetBkColor(FDC, oldBk);
}

TColor TCanvas::Pixel(int x, int y) {
  if (!FDC) return clNone;
  COLORREF c = GetPixel(FDC, x, y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (FDC) ::SetPixel(FDC, x, y, ColorToRGB(color));
}
