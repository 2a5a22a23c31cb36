// Fonts, pens, brushes and the canvas that draws with them on a device context.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include "framework/Classes.h"
#include "framework/Colors.h"
#include "framework/GdiObjects.h"

class TCanvas;
class TGraphic;
class TBitmap;

// How many font objects the program's fonts share now: one for each set of values in use.
long HeldFonts();

// Screen resolution the font sizes are converted with (the classic small-fonts setting).
constexpr int FontPixelsPerInch = 96;

// Base of fonts, pens and brushes: a change notice, and a notice just before a change that a
// canvas uses to take the object out of its device context before the old handle is freed.
class TGraphicsObject : public TPersistent {
  VELMORA_CLASS(TGraphicsObject, TPersistent)

 public:
  TNotifyEvent OnChange;

 protected:
  void Changing() {
    if (FOnChanging) FOnChanging();
  }
  void Changed() {
    if (OnChange) OnChange(this);
  }

 private:
  friend class TCanvas;
  std::function<void()> FOnChanging;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = uint32_t;  // bit (1 << fsBold) ...
constexpr TFontStyles FontStyleBit(TFontStyle s) { return TFontStyles{1} << s; }
const TEnumInfo& FontStyleInfo();

class TFont : public TGraphicsObject {
  VELMORA_CLASS(TFont, TGraphicsObject)

 public:
  TFont() = default;
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const std::string& Name() const { return FName; }
  int Height() const { return FHeight; }  // pixels; negative = character height, as in LOGFONT
  int Size() const;                       // points, from Height at 96 pixels per inch
  TFontStyles Style() const { return FStyle; }
  TColor Color() const { return FColor; }
  int Charset() const { return FCharset; }
  int Orientation() const { return FOrientation; }  // escapement, tenths of a degree

  void SetName(const std::string& value);
  void SetHeight(int value);
  void SetSize(int value);
  void SetStyle(TFontStyles value);
  void SetColor(TColor value);
  void SetCharset(int value);
  void SetOrientation(int value);

  // Copies all values; raises OnChange once, and only when something differed.
  void Assign(const TFont& source);
  bool Equals(const TFont& other) const;

  // Made on first use from the values, or shared with every other font of the same values,
  // and let go when one of them changes. The object goes with the last font using it.
  HFONT Handle();

 private:
  template <class T>
  void Set(T& field, const T& value, bool affectsHandle = true);

  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  TFontStyles FStyle = 0;
  TColor FColor = clWindowText;
  int FCharset = DEFAULT_CHARSET;
  int FOrientation = 0;
  HFONT FHandle = nullptr;  // shared, counted
  void ReleaseHandle();
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
const TEnumInfo& PenStyleInfo();
const TEnumInfo& PenModeInfo();
int PenModeToROP2(TPenMode mode);  // the SetROP2 code

class TPen : public TGraphicsObject {
  VELMORA_CLASS(TPen, TGraphicsObject)

 public:
  TPen() = default;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  TColor Color() const { return FColor; }
  int Width() const { return FWidth; }
  TPenStyle Style() const { return FStyle; }
  TPenMode Mode() const { return FMode; }
  void SetColor(TColor value);
  void SetWidth(int value);  // negative widths are taken as 0 (one pixel, like 1)
  void SetStyle(TPenStyle value);  // values outside the enumeration are ignored
  void SetMode(TPenMode value);    // likewise
  void Assign(const TPen& source);
  HPEN Handle();  // made again when a system colour has changed

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  PenHandle FHandle;
  COLORREF FHandleRGB = 0;  // the colour the handle was made with
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                   bsDiagCross };
const TEnumInfo& BrushStyleInfo();

class TBrush : public TGraphicsObject {
  VELMORA_CLASS(TBrush, TGraphicsObject)

 public:
  TBrush() = default;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  TColor Color() const { return FColor; }
  TBrushStyle Style() const { return FStyle; }
  void SetColor(TColor value);
  void SetStyle(TBrushStyle value);  // values outside the enumeration are ignored
  void Assign(const TBrush& source);
  // bsClear gives the stock null brush. Made again when a system colour has changed.
  HBRUSH Handle();

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  BrushHandle FHandle;
  COLORREF FHandleRGB = 0;  // the colour the handle was made with
};

// Draws on a device context it does not own with its own font, pen and brush, which it selects
// into the context when a call needs them (again after they change) and takes out again when
// the context is replaced. Without a context the drawing calls do nothing and the measuring
// calls use a screen-compatible context of their own.
class TCanvas {
 public:
  TCanvas();
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The context with the font, pen and brush selected (for direct GDI calls).
  HDC Handle() const;
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return FDC != nullptr; }

  TFont& Font() { return FFont; }
  TPen& Pen() { return FPen; }
  TBrush& Brush() { return FBrush; }

  DWORD CopyMode = SRCCOPY;
  POINT PenPos{0, 0};

  void MoveTo(int x, int y);
  void LineTo(int x, int y);  // the end point is not drawn
  void Polyline(const POINT* points, int n);
  void Polygon(const POINT* points, int n);
  void Rectangle(int l, int t, int r, int b);
  void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void RoundRect(int l, int t, int r, int b, int ellipseW, int ellipseH);
  void Ellipse(int l, int t, int r, int b);
  void Ellipse(const RECT& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
  void FillRect(const RECT& r);   // with the brush
  void FrameRect(const RECT& r);  // one pixel, in the brush colour
  // The dotted frame of the control that has the keyboard focus (drawn by inverting pixels).
  void DrawFocusRect(const RECT& r);
  // Transparent background when the brush is bsClear, else opaque in the brush colour.
  void TextOut(int x, int y, const std::string& text);
  // As TextOut, clipped to r (and the background of r filled when opaque).
  void TextRect(const RECT& r, int x, int y, const std::string& text);
  // DrawTextA with the canvas font; returns the text height (r is updated by DT_CALCRECT).
  int DrawText(const std::string& text, RECT& r, UINT flags);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  SIZE TextExtent(const std::string& text);

  void Draw(int x, int y, TGraphic& graphic);
  void StretchDraw(const RECT& dest, TGraphic& graphic);
  // Block copy with CopyMode (stretched when the sizes differ).
  void CopyRect(const RECT& dest, TCanvas& src, const RECT& srcRect);
  // Copy in which source pixels of transparentColor leave the destination as it is (clNone:
  // a plain copy). Done with masks, since TransparentBlt is missing on Windows 95 and NT 4.0.
  void BrushCopy(const RECT& dest, TBitmap& src, const RECT& srcRect, TColor transparentColor);
  // The same with any source context.
  void TransparentCopy(const RECT& dest, HDC src, const RECT& srcRect, COLORREF transparent);

  TColor Pixel(int x, int y);  // clNone outside the context's surface or without a context
  void SetPixel(int x, int y, TColor color);

 protected:
  // Select what a drawing call needs; each returns the context (null: nothing to draw on).
  HDC NeedPen();
  HDC NeedBrush();
  HDC NeedFont();
  HDC NeedAll();

 private:
  void Deselect();
  void DeselectFont();
  void DeselectPen();
  void DeselectBrush();
  void ApplyTextColors();

  HDC FDC = nullptr;
  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  // What this canvas has selected into FDC, and what was there before.
  HFONT FSelFont = nullptr;
  HPEN FSelPen = nullptr;
  HBRUSH FSelBrush = nullptr;
  HGDIOBJ FOldFont = nullptr;
  HGDIOBJ FOldPen = nullptr;
  HGDIOBJ FOldBrush = nullptr;
};
