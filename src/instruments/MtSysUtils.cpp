#include "instruments/MtSysUtils.h"
#include <algorithm>
#include "framework/Controls.h"
#include "instruments/MtDrawLogic.h"

void DrawFrame3D(TCanvas& Canvas, RECT& Rect, TColor TopColor, TColor BottomColor, int Width) {
  if (Width <= 0) return;
  // Rings past the middle of the rectangle cannot show: draw only those that can, however wide
  // the frame is asked to be, and shrink by the whole width.
  int visible = (std::max(RectWidth(Rect), RectHeight(Rect)) + 1) / 2 + 1;
  int drawn = Width < visible ? Width : std::max(visible, 0);
  Frame3D(Canvas, Rect, TopColor, BottomColor, drawn);
  InflateRect(&Rect, -(Width - drawn), -(Width - drawn));
}

void DrawGradient(TCanvas& Canvas, const RECT& Rect, TColor FromColor, TColor ToColor,
                  TMtGradientDirection Direction, int Step) {
  HDC dc = Canvas.Handle();
  if (!dc || Rect.right <= Rect.left || Rect.bottom <= Rect.top) return;
  if (Step < 1) Step = 1;
  bool horizontal = Direction == gdHorizontal;
  int extent = horizontal ? RectWidth(Rect) : RectHeight(Rect);
  std::vector<uint32_t> bands = GradientBands(ResolveColor(FromColor), ResolveColor(ToColor), extent, Step);
  COLORREF oldBk = GetBkColor(dc);
  for (size_t i = 0; i < bands.size(); ++i) {
    int k = static_cast<int>(i) * Step;
    // Bands stay inside the rectangle (the last one, at the full extent, lies outside it).
    RECT band = horizontal ? RECT{Rect.left + k, Rect.top, Rect.left + k + Step, Rect.bottom}
                           : RECT{Rect.left, Rect.top + k, Rect.right, Rect.top + k + Step};
    if (horizontal && band.right > Rect.right) band.right = Rect.right;
    if (!horizontal && band.bottom > Rect.bottom) band.bottom = Rect.bottom;
    if (band.right <= band.left || band.bottom <= band.top) continue;
    // An opaque empty text fills a rectangle without making a brush for every band.
    SetBkColor(dc, bands[i]);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
  }
  SetBkColor(dc, oldBk);
}

void DrawGradientEx(TCanvas& Canvas, const RECT& Rect, TColor A, TColor B, int BandSize) {
  HDC dc = Canvas.Handle();
  int h = RectHeight(Rect);
  if (!dc || h <= 0 || Rect.right <= Rect.left) return;
  if (BandSize < 1) BandSize = 1;
  COLORREF a = ResolveColor(A), b = ResolveColor(B);
  COLORREF oldBk = GetBkColor(dc);
  for (int r = 0; r < h; r += BandSize) {
    RECT band{Rect.left, Rect.top + r, Rect.right, Rect.top + std::min(r + BandSize, h)};
    SetBkColor(dc, mt::GradientExColor(a, b, r, h));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
  }
  SetBkColor(dc, oldBk);
}
