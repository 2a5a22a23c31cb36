#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>
#include "framework/Exception.h"
#include "framework/Graphics.h"
#include "framework/ImgList.h"

namespace {

// A w x h bitmap filled with one colour.
void Fill(TBitmap& b, int w, int h, TColor c) {
  b.SetSize(w, h);
  b.Canvas().Brush().SetStyle(bsSolid);
  b.Canvas().Brush().SetColor(c);
  RECT r{0, 0, w, h};
  b.Canvas().FillRect(r);
}

// Pixels of the rectangle that differ from c.
int CountOther(const TBitmap& b, const RECT& r, uint32_t c) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (b.PixelRGB(x, y) != c) ++n;
  return n;
}

// A 4-bit bottom-up BMP file of w x h pixels whose pixel (x, y) has palette index idx(x, y).
template <class F>
std::vector<uint8_t> Bmp4(int w, int h, const std::vector<uint32_t>& palette, F idx) {
  int stride = ((w * 4 + 31) / 32) * 4;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;
  ih.biPlanes = 1;
  ih.biBitCount = 4;
  ih.biCompression = BI_RGB;
  ih.biClrUsed = static_cast<DWORD>(palette.size());
  fh.bfType = 0x4D42;
  fh.bfOffBits = static_cast<DWORD>(sizeof fh + sizeof ih + palette.size() * 4);
  fh.bfSize = fh.bfOffBits + stride * h;
  std::vector<uint8_t> out(fh.bfSize);
  std::memcpy(out.data(), &fh, sizeof fh);
  std::memcpy(out.data() + sizeof fh, &ih, sizeof ih);
  std::memcpy(out.data() + sizeof fh + sizeof ih, palette.data(), palette.size() * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t& byte = out[fh.bfOffBits + (h - 1 - y) * stride + x / 2];
      byte |= static_cast<uint8_t>(idx(x, y) << (x % 2 ? 0 : 4));
    }
  return out;
}

}  // namespace

TEST(GraphicsCanvas, ShapesLinesAndPixelsLandOnExactPixels) {
  TBitmap b;
  Fill(b, 20, 20, clWhite);
  TCanvas& c = b.Canvas();

  c.Pen().SetColor(clRed);
  c.Brush().SetColor(clBlue);
  c.Rectangle(2, 2, 10, 10);
  EXPECT_EQ(b.PixelRGB(2, 2), 0x0000FFu);  // COLORREF order: red is 0x0000FF
  EXPECT_EQ(b.PixelRGB(9, 9), 0x0000FFu);
  EXPECT_EQ(b.PixelRGB(5, 5), 0xFF0000u);
  EXPECT_EQ(b.PixelRGB(10, 10), 0xFFFFFFu);  // right and bottom edges are exclusive
  EXPECT_EQ(b.ScanLine(2)[2], 0x00FF0000u);  // memory order is BGRX

  c.Pen().SetColor(clGreen);
  c.MoveTo(0, 15);
  c.LineTo(12, 15);
  EXPECT_EQ(b.PixelRGB(0, 15), 0x008000u);
  EXPECT_EQ(b.PixelRGB(11, 15), 0x008000u);
  EXPECT_EQ(b.PixelRGB(12, 15), 0xFFFFFFu);  // the end point is not drawn
  EXPECT_EQ(c.PenPos.x, 12);

  c.Brush().SetColor(clMaroon);
  c.FrameRect(RECT{12, 2, 18, 8});
  EXPECT_EQ(b.PixelRGB(12, 2), 0x000080u);
  EXPECT_EQ(b.PixelRGB(17, 7), 0x000080u);
  EXPECT_EQ(b.PixelRGB(14, 4), 0xFFFFFFu);

  c.SetPixel(19, 19, clAqua);
  EXPECT_EQ(c.Pixel(19, 19), clAqua);
  EXPECT_EQ(c.Pixel(25, 3), clNone);
  EXPECT_EQ(b.PixelRGB(25, 3), CLR_INVALID);
  EXPECT_EQ(b.ScanLine(20), nullptr);

  // Without a context nothing is drawn and nothing fails.
  TCanvas none;
  none.Rectangle(0, 0, 5, 5);
  none.TextOut(0, 0, "x");
  EXPECT_EQ(none.Pixel(0, 0), clNone);
  EXPECT_GT(none.TextHeight("Ag"), 0);  // measured on a context of its own
}

TEST(GraphicsCanvas, PenWidthAndModes) {
  TBitmap b;
  Fill(b, 20, 20, clWhite);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clBlack);
  c.Pen().SetWidth(3);
  c.MoveTo(2, 10);
  c.LineTo(18, 10);
  for (int y : {9, 10, 11}) EXPECT_EQ(b.PixelRGB(10, y), 0u) << y;
  EXPECT_EQ(b.PixelRGB(10, 8), 0xFFFFFFu);
  EXPECT_EQ(b.PixelRGB(10, 12), 0xFFFFFFu);

  // Xor twice restores the picture.
  Fill(b, 20, 20, RGBColor(0x12, 0x34, 0x56));
  c.Pen().SetWidth(1);
  c.Pen().SetColor(clWhite);
  c.Pen().SetMode(pmXor);
  c.MoveTo(0, 5);
  c.LineTo(20, 5);
  EXPECT_EQ(b.PixelRGB(7, 5), 0xA9CBEDu);
  c.MoveTo(0, 5);
  c.LineTo(20, 5);
  EXPECT_EQ(b.PixelRGB(7, 5), 0x563412u);
  c.Pen().SetMode(static_cast<TPenMode>(99));  // not a mode: ignored
  EXPECT_EQ(c.Pen().Mode(), pmXor);
  c.Pen().SetWidth(-4);
  EXPECT_EQ(c.Pen().Width(), 0);
}

TEST(GraphicsCanvas, TextBackgroundFollowsTheBrush) {
  TBitmap b;
  Fill(b, 60, 30, clYellow);
  TCanvas& c = b.Canvas();
  c.Font().SetColor(clBlack);
  c.Font().SetHeight(-16);
  SIZE sz = c.TextExtent("Wg");
  ASSERT_GT(sz.cx, 0);
  ASSERT_GT(sz.cy, 0);
  RECT box{2, 2, 2 + sz.cx, 2 + sz.cy};

  c.Brush().SetStyle(bsClear);
  c.TextOut(2, 2, "Wg");
  int ink = CountOther(b, box, 0x00FFFFu);
  EXPECT_GT(ink, 0);
  EXPECT_LT(ink, sz.cx * sz.cy);  // the yellow shows between the letters
  EXPECT_EQ(CountOther(b, RECT{0, 0, 60, 30}, 0x00FFFFu), ink);  // nothing outside the box

  Fill(b, 60, 30, clYellow);
  c.Brush().SetColor(clBlue);
  c.TextOut(2, 2, "Wg");
  int yellow = sz.cx * sz.cy - CountOther(b, box, 0x00FFFFu);
  EXPECT_EQ(yellow, 0);  // opaque: the whole cell is painted
  EXPECT_EQ(b.PixelRGB(2, 2 + sz.cy / 2 + 1), 0xFF0000u);

  EXPECT_EQ(c.TextWidth(""), 0);
  EXPECT_GT(c.TextWidth("WWW"), c.TextWidth("W"));
}

TEST(GraphicsCanvas, DrawTextStaysInItsRectangle) {
  TBitmap b;
  Fill(b, 80, 40, clWhite);
  TCanvas& c = b.Canvas();
  c.Font().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);
  RECT calc{0, 0, 0, 0};
  int h = c.DrawText("Hello", calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(h, 0);
  EXPECT_EQ(calc.bottom, h);
  EXPECT_EQ(calc.right, c.TextWidth("Hello"));

  RECT r{10, 10, 70, 30};
  c.DrawText("Hello", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  int inside = CountOther(b, r, 0xFFFFFFu);
  EXPECT_GT(inside, 0);
  EXPECT_EQ(CountOther(b, RECT{0, 0, 80, 40}, 0xFFFFFFu), inside);

  // Measuring works before the canvas has a context, and a clipped ellipsis never overruns.
  TCanvas loose;
  RECT m{0, 0, 0, 0};
  EXPECT_GT(loose.DrawText("Hello", m, DT_CALCRECT | DT_SINGLELINE), 0);
  EXPECT_GT(m.right, 0);
  RECT narrow{0, 0, 12, 20};
  c.DrawText("A rather long caption", narrow, DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE);
}

TEST(GraphicsCanvas, CopyRectCopiesAndStretches) {
  TBitmap src;
  Fill(src, 2, 2, clRed);
  src.Canvas().SetPixel(1, 0, clLime);
  src.Canvas().SetPixel(0, 1, clBlue);

  TBitmap dst;
  Fill(dst, 8, 8, clWhite);
  dst.Canvas().CopyRect(RECT{1, 1, 3, 3}, src.Canvas(), RECT{0, 0, 2, 2});
  EXPECT_EQ(dst.PixelRGB(1, 1), 0x0000FFu);
  EXPECT_EQ(dst.PixelRGB(2, 1), 0x00FF00u);
  EXPECT_EQ(dst.PixelRGB(1, 2), 0xFF0000u);
  EXPECT_EQ(dst.PixelRGB(0, 0), 0xFFFFFFu);
  EXPECT_EQ(dst.PixelRGB(3, 3), 0xFFFFFFu);

  // Twice the size: every source pixel becomes a 2 x 2 block.
  dst.Canvas().StretchDraw(RECT{4, 4, 8, 8}, src);
  for (int y = 4; y < 6; ++y)
    for (int x = 4; x < 6; ++x) {
      EXPECT_EQ(dst.PixelRGB(x, y), 0x0000FFu);
      EXPECT_EQ(dst.PixelRGB(x + 2, y), 0x00FF00u);
      EXPECT_EQ(dst.PixelRGB(x, y + 2), 0xFF0000u);
    }

  dst.Canvas().CopyMode = NOTSRCCOPY;
  dst.Canvas().CopyRect(RECT{0, 0, 1, 1}, src.Canvas(), RECT{0, 0, 1, 1});
  EXPECT_EQ(dst.PixelRGB(0, 0), 0xFFFF00u);
}

TEST(GraphicsCanvas, TransparentCopiesKeepTheDestinationUnderTheKeyColour) {
  // 3 x 3 fuchsia with a red centre and a lime bottom-right corner.
  TBitmap src;
  Fill(src, 3, 3, clFuchsia);
  src.Canvas().SetPixel(1, 1, clRed);
  src.Canvas().SetPixel(2, 2, clLime);

  TBitmap dst;
  Fill(dst, 10, 10, clBlue);
  dst.Canvas().BrushCopy(RECT{0, 0, 3, 3}, src, RECT{0, 0, 3, 3}, clFuchsia);
  EXPECT_EQ(dst.PixelRGB(1, 1), 0x0000FFu);
  EXPECT_EQ(dst.PixelRGB(2, 2), 0x00FF00u);
  EXPECT_EQ(CountOther(dst, RECT{0, 0, 3, 3}, 0xFF0000u), 2);

  // Stretched: the centre becomes a 2 x 2 block, the key colour still keeps the blue.
  dst.Canvas().BrushCopy(RECT{4, 4, 10, 10}, src, RECT{0, 0, 3, 3}, clFuchsia);
  EXPECT_EQ(dst.PixelRGB(6, 6), 0x0000FFu);
  EXPECT_EQ(dst.PixelRGB(7, 7), 0x0000FFu);
  EXPECT_EQ(dst.PixelRGB(4, 4), 0xFF0000u);
  EXPECT_EQ(CountOther(dst, RECT{4, 4, 10, 10}, 0xFF0000u), 8);

  // clNone: a plain copy.
  dst.Canvas().BrushCopy(RECT{0, 0, 3, 3}, src, RECT{0, 0, 3, 3}, clNone);
  EXPECT_EQ(dst.PixelRGB(0, 0), 0xFF00FFu);

  // A transparent bitmap keys on its bottom-left pixel unless told otherwise.
  Fill(dst, 10, 10, clBlue);
  EXPECT_EQ(src.TransparentColor(), clFuchsia);
  src.SetTransparent(true);
  dst.Canvas().Draw(5, 5, src);
  EXPECT_EQ(dst.PixelRGB(6, 6), 0x0000FFu);
  EXPECT_EQ(dst.PixelRGB(5, 5), 0xFF0000u);
  src.SetTransparentColor(clRed);
  dst.Canvas().Draw(0, 0, src);
  EXPECT_EQ(dst.PixelRGB(1, 1), 0xFF0000u);
  EXPECT_EQ(dst.PixelRGB(0, 0), 0xFF00FFu);
}

TEST(GraphicsFont, ChangesRecreateTheHandleAndEqualValuesAreIgnored) {
  TFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Color(), clWindowText);
  EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
  int changes = 0;
  f.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &f);
    ++changes;
  };
  // A face of its own: fonts of the same values share one object with others of the process.
  f.SetName("Velmora Test Face");
  changes = 0;
  HFONT h1 = f.Handle();
  ASSERT_NE(h1, nullptr);
  EXPECT_EQ(f.Handle(), h1);
  f.SetHeight(-11);
  f.SetName("Velmora Test Face");
  f.SetStyle(0);
  EXPECT_EQ(changes, 0);

  f.SetSize(14);
  EXPECT_EQ(f.Height(), -19);
  EXPECT_EQ(f.Size(), 14);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(GetObjectType(h1), 0u);  // the old handle was freed
  HFONT h2 = f.Handle();
  LOGFONTA lf{};
  ASSERT_TRUE(GetObjectA(h2, sizeof lf, &lf));
  EXPECT_EQ(lf.lfHeight, -19);

  f.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsItalic));
  f.SetOrientation(900);
  ASSERT_TRUE(GetObjectA(f.Handle(), sizeof lf, &lf));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_EQ(lf.lfEscapement, 900);
  f.SetCharset(300);  // does not fit a LOGFONT: ignored
  EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
  f.SetName(std::string(60, 'A'));  // longer than LOGFONT holds: cut, not overrun
  EXPECT_NE(f.Handle(), nullptr);

  TFont g;
  changes = 0;
  f.Assign(g);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(f.Equals(g));
  f.Assign(g);
  EXPECT_EQ(changes, 1);
}

TEST(GraphicsFont, FontsOfTheSameValuesShareOneObjectThatGoesWithTheLast) {
  long before = HeldFonts(), gdi = HeldGdiObjects();
  auto a = std::make_unique<TFont>(), b = std::make_unique<TFont>();
  a->SetName("Arial");
  b->SetName("Arial");
  a->SetHeight(-23);
  b->SetHeight(-23);
  HFONT h = a->Handle();
  EXPECT_EQ(b->Handle(), h);
  EXPECT_EQ(HeldFonts(), before + 1);
  EXPECT_EQ(HeldGdiObjects(), gdi + 1);
  // Colour is no part of the object; style, size, face, charset and angle are.
  b->SetColor(clRed);
  EXPECT_EQ(b->Handle(), h);
  for (auto change : std::initializer_list<std::function<void(TFont&)>>{
           [](TFont& f) { f.SetStyle(FontStyleBit(fsBold)); }, [](TFont& f) { f.SetHeight(-24); },
           [](TFont& f) { f.SetName("Courier New"); }, [](TFont& f) { f.SetCharset(SYMBOL_CHARSET); },
           [](TFont& f) { f.SetOrientation(900); }}) {
    TFont c;
    c.Assign(*a);
    EXPECT_EQ(c.Handle(), h);
    change(c);
    EXPECT_NE(c.Handle(), h);
    EXPECT_EQ(HeldFonts(), before + 2);
  }
  EXPECT_EQ(HeldFonts(), before + 1);
  // Selected in a context through one canvas while the other font lets go: still there.
  TBitmap bmp;
  bmp.SetSize(8, 8);
  bmp.Canvas().Font().Assign(*a);
  bmp.Canvas().TextOut(0, 0, "x");
  EXPECT_EQ(GetCurrentObject(bmp.Canvas().Handle(), OBJ_FONT), h);
  a.reset();
  b.reset();
  EXPECT_NE(GetObjectType(h), 0u);
  bmp.Canvas().TextOut(0, 0, "y");
  bmp.Canvas().Font().SetHeight(-11);
  EXPECT_EQ(GetObjectType(h), 0u);  // the last one gone
  bmp.Canvas().TextOut(0, 0, "z");
  EXPECT_EQ(HeldFonts(), before + 1);  // the canvas's new one
}

TEST(GraphicsFont, ClassTablesSetPropertiesByName) {
  TFont f;
  auto set = [](TObject& o, const char* prop, const char* text) {
    const PropInfo* p = o.ClassInfo().FindProp(prop);
    ASSERT_NE(p, nullptr) << prop;
    SetPropText(o, *p, text);
  };
  set(f, "Style", "[fsBold,fsUnderline]");
  set(f, "Color", "clLime");
  set(f, "Charset", "ANSI_CHARSET");
  set(f, "Name", "Arial");
  EXPECT_EQ(f.Style(), FontStyleBit(fsBold) | FontStyleBit(fsUnderline));
  EXPECT_EQ(f.Color(), clLime);
  EXPECT_EQ(f.Charset(), ANSI_CHARSET);
  EXPECT_EQ(GetPropText(f, *f.ClassInfo().FindProp("Color")), "clLime");
  TPen p;
  set(p, "Mode", "pmNotXor");
  set(p, "Color", "clBtnShadow");
  EXPECT_EQ(p.Mode(), pmNotXor);
  EXPECT_EQ(p.Color(), clBtnShadow);
  TBrush br;
  set(br, "Style", "bsClear");
  EXPECT_EQ(br.Style(), bsClear);
  EXPECT_THROW(set(br, "Style", "bsPlaid"), Exception);
}

TEST(GraphicsCanvas, ReselectsAfterAChangeAndNeverFreesASelectedHandle) {
  TBitmap b;
  Fill(b, 10, 10, clWhite);
  TCanvas& c = b.Canvas();
  c.Font().SetName("Velmora Test Face");  // an object of its own, not shared
  int small = c.TextHeight("Ag");
  HFONT before = static_cast<HFONT>(GetCurrentObject(c.Handle(), OBJ_FONT));
  c.Font().SetHeight(-30);
  EXPECT_EQ(GetObjectType(before), 0u);  // taken out of the context, then freed
  EXPECT_GT(c.TextHeight("Ag"), small);
  EXPECT_EQ(GetCurrentObject(c.Handle(), OBJ_FONT), c.Font().Handle());

  HPEN pen = c.Pen().Handle();
  c.Pen().SetColor(clRed);
  EXPECT_EQ(GetObjectType(pen), 0u);
  c.SetPixel(0, 0, clWhite);
  c.MoveTo(0, 0);
  c.LineTo(1, 0);
  EXPECT_EQ(b.PixelRGB(0, 0), 0x0000FFu);

  // Handing the canvas another context gives the first one its own objects back.
  MemoryDC other = MemoryDC::Create();
  HGDIOBJ stockFont = GetCurrentObject(other.get(), OBJ_FONT);
  TCanvas oc;
  oc.SetHandle(other.get());
  oc.TextWidth("x");
  EXPECT_NE(GetCurrentObject(other.get(), OBJ_FONT), stockFont);
  oc.SetHandle(nullptr);
  EXPECT_EQ(GetCurrentObject(other.get(), OBJ_FONT), stockFont);
}

TEST(GraphicsColors, SystemColoursResolveAtDrawingTime) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ColorToRGB(clLime), 0x00FF00u);
  TBitmap b;
  Fill(b, 2, 2, clWindow);
  EXPECT_EQ(b.PixelRGB(1, 1), GetSysColor(COLOR_WINDOW));

  // A new colour scheme shows at the next drawing call, without the property being set again.
  static uint32_t face;
  face = 0x123456;
  SystemColorSource old = SetSystemColorSource([](int i) { return i == COLOR_BTNFACE ? face : 0u; });
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clBtnFace);
  c.Pen().SetColor(clBtnFace);
  c.FillRect(RECT{0, 0, 2, 2});
  EXPECT_EQ(b.PixelRGB(0, 0), 0x123456u);
  HBRUSH first = c.Brush().Handle();
  face = 0x654321;
  c.FillRect(RECT{0, 0, 2, 2});
  c.MoveTo(0, 1);
  c.LineTo(2, 1);
  EXPECT_EQ(b.PixelRGB(0, 0), 0x654321u);
  EXPECT_EQ(b.PixelRGB(1, 1), 0x654321u);
  EXPECT_EQ(GetObjectType(first), 0u);  // the stale brush left the context and was freed
  SetSystemColorSource(old);
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
}

TEST(GraphicsBitmap, SizingAssignAndBmpRoundTrip) {
  long bytes = HeldBitmapBytes();
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Handle(), nullptr);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  Fill(b, 4, 3, clRed);
  b.Canvas().SetPixel(3, 2, clLime);
  b.SetSize(6, 5);  // keeps the picture it had
  EXPECT_EQ(HeldBitmapBytes(), bytes + 6 * 5 * 4);
  EXPECT_EQ(b.PixelRGB(0, 0), 0x0000FFu);
  EXPECT_EQ(b.PixelRGB(3, 2), 0x00FF00u);
  b.SetSize(6, 5);
  EXPECT_EQ(changes, 2);
  b.SetSize(-3, 5);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(HeldBitmapBytes(), bytes);
  EXPECT_THROW(b.SetSize(100000, 100000), Exception);
  Fill(b, 4, 3, clRed);
  b.Canvas().SetPixel(3, 2, clLime);

  TBitmap copy;
  copy.Assign(b);
  EXPECT_EQ(copy.Width(), 4);
  EXPECT_EQ(copy.PixelRGB(3, 2), 0x00FF00u);

  std::vector<uint8_t> file = b.SaveToBmp();
  std::vector<uint8_t> two = file;
  Fill(copy, 1, 1, clBlue);
  std::vector<uint8_t> second = copy.SaveToBmp();
  two.insert(two.end(), second.begin(), second.end());
  TBitmap r;
  size_t used = r.LoadFromBmp(two.data(), two.size());
  EXPECT_EQ(used, file.size());
  EXPECT_EQ(r.Width(), 4);
  EXPECT_EQ(r.Height(), 3);
  EXPECT_EQ(r.PixelRGB(0, 0), 0x0000FFu);
  EXPECT_EQ(r.PixelRGB(3, 2), 0x00FF00u);
  EXPECT_EQ(r.LoadFromBmp(two.data() + used, two.size() - used), two.size() - used);
  EXPECT_EQ(r.PixelRGB(0, 0), 0xFF0000u);

  // A 16-colour picture keeps its exact colours (the instrument bitmaps are stored that way).
  std::vector<uint32_t> pal{0x000000, 0x808080, 0xC0C0C0, 0x008000};  // RGBQUAD: 0x00RRGGBB
  auto bmp = Bmp4(5, 2, pal, [](int x, int y) { return (x + y) % 4; });
  r.LoadFromBmp(bmp.data(), bmp.size());
  EXPECT_EQ(r.PixelRGB(0, 0), 0x000000u);
  EXPECT_EQ(r.PixelRGB(1, 0), 0x808080u);
  EXPECT_EQ(r.PixelRGB(1, 1), 0xC0C0C0u);
  EXPECT_EQ(r.PixelRGB(3, 0), 0x008000u);  // RGBQUAD green stays green in COLORREF order
}

TEST(GraphicsBitmap, DamagedBitmapDataIsRefused) {
  std::vector<uint32_t> pal{0, 0xFFFFFF};
  auto good = Bmp4(8, 8, pal, [](int, int) { return 1; });
  TBitmap b;
  Fill(b, 2, 2, clRed);

  auto expectInvalid = [&](std::vector<uint8_t> data, const char* what) {
    EXPECT_THROW(b.LoadFromBmp(data.data(), data.size()), Exception) << what;
  };
  expectInvalid({}, "empty");
  expectInvalid(std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated pixels");
  expectInvalid(std::vector<uint8_t>(good.begin(), good.begin() + 30), "truncated header");
  auto patch = [&](size_t at, int32_t v) {
    auto d = good;
    std::memcpy(d.data() + at, &v, 4);
    return d;
  };
  expectInvalid(patch(0, 0x12345678), "not BM");
  expectInvalid(patch(18, 0x7FFFFFFF), "huge width");
  expectInvalid(patch(18, -8), "negative width");
  expectInvalid(patch(22, 0), "zero height");
  expectInvalid(patch(46, 4000), "colour table past the end");
  expectInvalid(patch(10, 0x7FFFFFF0), "pixels past the end");
  expectInvalid(patch(14, 0x7FFFFFF0), "header size past the end");
  EXPECT_THROW(b.LoadFromFile("Z:\\no\\such\\file.bmp"), Exception);
  EXPECT_FALSE(b.LoadFromResourceName(GetModuleHandleA(nullptr), "NOSUCHBITMAP"));

  // Files round trip; a top-down file loads right side up.
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string name = std::string(dir) + "velmora_graphics_test.bmp";
  Fill(b, 3, 2, clYellow);
  b.SaveToFile(name);
  TBitmap l;
  l.LoadFromFile(name);
  DeleteFileA(name.c_str());
  EXPECT_EQ(l.PixelRGB(2, 1), 0x00FFFFu);
  auto down = Bmp4(2, 2, pal, [](int, int y) { return y == 0 ? 1 : 0; });
  int32_t negative = -2;
  std::memcpy(down.data() + 22, &negative, 4);  // rows now read top first
  l.LoadFromBmp(down.data(), down.size());
  EXPECT_EQ(l.PixelRGB(0, 0), 0u);
  EXPECT_EQ(l.PixelRGB(0, 1), 0xFFFFFFu);
}

TEST(GraphicsBitmap, RunLengthPicturesDecodeWithinTheirData) {
  auto rle = [](int bpp, int w, int h, std::vector<uint8_t> data) {
    std::vector<uint32_t> pal{0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = static_cast<WORD>(bpp);
    ih.biCompression = bpp == 8 ? BI_RLE8 : BI_RLE4;
    ih.biSizeImage = static_cast<DWORD>(data.size());
    ih.biClrUsed = 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih + 16;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + data.size());
    std::vector<uint8_t> out(fh.bfOffBits);
    std::memcpy(out.data(), &fh, sizeof fh);
    std::memcpy(out.data() + sizeof fh, &ih, sizeof ih);
    std::memcpy(out.data() + sizeof fh + sizeof ih, pal.data(), 16);
    out.insert(out.end(), data.begin(), data.end());
    return out;
  };
  TBitmap b;
  // RLE8, bottom row: 2 x index 1, then 3 absolute pixels 2 3 2 (padded); end of line; next
  // row: a run of 200 that must be clipped to the width; end of bitmap.
  auto r8 = rle(8, 5, 2, {2, 1, 0, 3, 2, 3, 2, 0, 0, 0, 200, 3, 0, 1});
  b.LoadFromBmp(r8.data(), r8.size());
  EXPECT_EQ(b.PixelRGB(0, 1), 0x0000FFu);  // palette 0xFF0000 is red in RGBQUAD order
  EXPECT_EQ(b.PixelRGB(2, 1), 0x00FF00u);
  EXPECT_EQ(b.PixelRGB(3, 1), 0xFF0000u);
  EXPECT_EQ(b.PixelRGB(4, 0), 0xFF0000u);
  // RLE4: a run of 4 alternating 1 and 2, then an absolute run that claims more than is there.
  auto r4 = rle(4, 4, 1, {4, 0x12, 0, 60, 0x33});
  b.LoadFromBmp(r4.data(), r4.size());
  EXPECT_EQ(b.PixelRGB(0, 0), 0x0000FFu);
  EXPECT_EQ(b.PixelRGB(1, 0), 0x00FF00u);
  EXPECT_EQ(b.PixelRGB(3, 0), 0x00FF00u);
  // A delta that jumps far outside the picture just ends the drawing.
  auto jump = rle(8, 2, 2, {0, 2, 250, 250, 5, 1});
  b.LoadFromBmp(jump.data(), jump.size());
  EXPECT_EQ(b.PixelRGB(0, 0), 0u);
  // Headers that claim more pixels and a longer file than there are: the bytes used stop at the
  // end of the input, so a caller stepping to a next picture stays inside it.
  const DWORD claim = 1u << 20;
  std::memcpy(jump.data() + 2, &claim, 4);
  std::memcpy(jump.data() + 34, &claim, 4);
  EXPECT_EQ(b.LoadFromBmp(jump.data(), jump.size()), jump.size());
}

TEST(GraphicsPicture, LoadsTheProgramIconByResourceName) {
  TPicture p;
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  const PropInfo* prop = p.ClassInfo().FindProp("Resource");
  ASSERT_NE(prop, nullptr);
  SetPropText(p, *prop, "MAINICON");
  auto* icon = dynamic_cast<TIcon*>(p.Graphic());
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(icon->Handle(), nullptr);
  EXPECT_GT(p.Width(), 0);
  EXPECT_EQ(p.Width(), p.Height());
  EXPECT_EQ(p.Resource(), "MAINICON");
  EXPECT_EQ(changes, 1);
  SetPropText(p, *prop, "MAINICON");
  EXPECT_EQ(changes, 1);

  try {
    p.SetResource("NOSUCHPICTURE");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Resource NOSUCHPICTURE not found");
  }
  EXPECT_EQ(p.Graphic(), icon);  // unchanged

  // Drawn on a bitmap, the icon leaves its mark; a copy holds its own handle.
  TBitmap b;
  Fill(b, 40, 40, clFuchsia);
  b.Canvas().Draw(0, 0, *p.Graphic());
  EXPECT_GT(CountOther(b, RECT{0, 0, p.Width(), p.Height()}, 0xFF00FFu), 0);
  TPicture q;
  q.Assign(p);
  ASSERT_NE(q.Graphic(), nullptr);
  EXPECT_NE(static_cast<TIcon*>(q.Graphic())->Handle(), icon->Handle());
  EXPECT_EQ(q.Width(), p.Width());

  TIcon small;
  EXPECT_TRUE(small.LoadFromResourceName(GetModuleHandleA(nullptr), "MAINICON", 16));
  EXPECT_EQ(small.Width(), 16);
  HICON h = small.ReleaseHandle();
  EXPECT_TRUE(small.Empty());
  DestroyIcon(h);

  // Without an icon of that name the picture takes the bitmap: the check boxes of user32.
  HMODULE user = GetModuleHandleA("user32.dll");
  p.LoadFromResourceName(user, "#32759");  // OBM_CHECKBOXES
  auto* boxes = dynamic_cast<TBitmap*>(p.Graphic());
  ASSERT_NE(boxes, nullptr);
  HBITMAP system = LoadBitmapA(nullptr, MAKEINTRESOURCEA(32759));
  BITMAP bm{};
  ASSERT_TRUE(GetObjectA(system, sizeof bm, &bm));
  DeleteObject(system);
  EXPECT_EQ(boxes->Width(), bm.bmWidth);
  EXPECT_EQ(boxes->Height(), bm.bmHeight);
  EXPECT_EQ(p.Resource(), "#32759");

  p.SetResource("");
  EXPECT_EQ(p.Graphic(), nullptr);
  EXPECT_NE(p.Bitmap(), nullptr);
  EXPECT_TRUE(p.Bitmap()->Empty());
}

TEST(GraphicsPicture, AResourcePictureLetGoIsReadAgainQuietlyWithItsSettings) {
  TPicture p;
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.SetResource("OPTWATERMARK");
  auto* b = dynamic_cast<TBitmap*>(p.Graphic());
  ASSERT_NE(b, nullptr);
  const int w = p.Width(), h = p.Height();
  const uint32_t corner = b->PixelRGB(0, 0), middle = b->PixelRGB(w / 2, h / 2);
  b->SetTransparent(true);
  changes = 0;
  long bytes = HeldBitmapBytes();
  p.Unload();
  EXPECT_EQ(HeldBitmapBytes(), bytes - w * h * 4);
  EXPECT_EQ(p.Resource(), "OPTWATERMARK");
  EXPECT_EQ(p.Width(), w);  // read again
  b = dynamic_cast<TBitmap*>(p.Graphic());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(p.Height(), h);
  EXPECT_TRUE(b->Transparent());
  EXPECT_EQ(b->PixelRGB(0, 0), corner);
  EXPECT_EQ(b->PixelRGB(w / 2, h / 2), middle);
  EXPECT_EQ(changes, 0);
  b->SetTransparent(false);  // it is still the picture's own graphic
  EXPECT_EQ(changes, 1);

  // Read from another module, it is read from there again.
  p.LoadFromResourceName(GetModuleHandleA("user32.dll"), "#32759");  // OBM_CHECKBOXES
  int boxes = p.Width();
  p.Unload();
  EXPECT_EQ(p.Width(), boxes);
  // Let go and then cleared, or made in code: nothing comes back, nothing is lost.
  p.Unload();
  p.Clear();
  EXPECT_EQ(p.Graphic(), nullptr);
  p.Bitmap()->SetSize(2, 3);
  p.Unload();
  EXPECT_EQ(p.Height(), 3);
}

TEST(GraphicsCursors, NumbersGiveCursors) {
  EXPECT_NE(CursorHandle(crHandPoint), nullptr);
  EXPECT_NE(BuiltInHandCursor(), nullptr);
  EXPECT_EQ(BuiltInHandCursor(), BuiltInHandCursor());
  EXPECT_EQ(CursorHandle(crNone), nullptr);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_EQ(CursorHandle(crDefault), arrow);
  EXPECT_EQ(CursorHandle(12345), arrow);
  EXPECT_EQ(CursorHandle(crIBeam), LoadCursorA(nullptr, IDC_IBEAM));
  RegisterCursor(99, BuiltInHandCursor());
  EXPECT_EQ(CursorHandle(99), BuiltInHandCursor());
  RegisterCursor(99, nullptr);
  EXPECT_EQ(CursorHandle(99), arrow);
  int64_t v = 0;
  ASSERT_TRUE(CursorIdents().ToInt("crHandPoint", v));
  EXPECT_EQ(v, crHandPoint);
}

TEST(GraphicsImageList, PicturesAddedBeforeTheListIsMadeKeepTheirCellsAndMask) {
  // Two 4 x 4 cells: a red square on the key colour, then a blue one.
  TBitmap strip;
  Fill(strip, 8, 4, clLime);
  strip.Canvas().Brush().SetColor(clRed);
  strip.Canvas().FillRect(RECT{1, 1, 3, 3});
  strip.Canvas().Brush().SetColor(clBlue);
  strip.Canvas().FillRect(RECT{4, 0, 8, 4});
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  EXPECT_EQ(list.AddMasked(strip), 0);
  TBitmap one;
  Fill(one, 4, 4, clYellow);
  EXPECT_EQ(list.AddMasked(one, clNone), 2);
  EXPECT_EQ(list.Count(), 3);
  Fill(strip, 8, 4, clBlack);  // the list kept its own copy

  TBitmap target;
  Fill(target, 4, 4, clWhite);
  list.Draw(target.Canvas().Handle(), 0, 0, 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(target.PixelRGB(0, 0), 0xFFFFFFu);  // the key colour stays clear
  EXPECT_EQ(target.PixelRGB(1, 1), 0x0000FFu);
  list.Draw(target.Canvas().Handle(), 0, 0, 1);
  EXPECT_EQ(target.PixelRGB(0, 0), 0xFF0000u);
  list.Draw(target.Canvas().Handle(), 0, 0, 2);
  EXPECT_EQ(target.PixelRGB(3, 3), 0x00FFFFu);

  // A new size empties the list, whether it was made or not.
  list.SetWidth(8);
  EXPECT_EQ(list.Count(), 0);
  list.AddMasked(one);
  list.SetHeight(8);
  EXPECT_EQ(list.Count(), 0);
}

TEST(GraphicsHandles, OwnersFreeWhatTheyHold) {
  HPEN raw = CreatePen(PS_SOLID, 1, 0);
  {
    PenHandle a(raw);
    long held = HeldGdiObjects();
    PenHandle b(std::move(a));
    EXPECT_EQ(HeldGdiObjects(), held);  // one handle, one count, whoever owns it
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.get(), raw);
    EXPECT_NE(GetObjectType(raw), 0u);
  }
  EXPECT_EQ(GetObjectType(raw), 0u);
  BrushHandle br(CreateSolidBrush(0));
  HBRUSH first = br.get();
  br.reset(CreateSolidBrush(0xFF));
  EXPECT_EQ(GetObjectType(first), 0u);
}
