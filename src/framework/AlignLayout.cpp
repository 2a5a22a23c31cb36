#include "framework/AlignLayout.h"
#include <algorithm>
#include <numeric>

void AlignItems(std::vector<TAlignItem>& items, TAlignRect r) {
  const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : order) {
    std::vector<size_t> idx;
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].Visible && items[i].Align == a) idx.push_back(i);
    // Keep the stacking the controls already have: nearest to the edge first.
    std::stable_sort(idx.begin(), idx.end(), [&](size_t x, size_t y) {
      const TAlignItem &p = items[x], &q = items[y];
      switch (a) {
        case alTop: return p.Top < q.Top;
        case alBottom: return p.Top + p.Height > q.Top + q.Height;
        case alLeft: return p.Left < q.Left;
        case alRight: return p.Left + p.Width > q.Left + q.Width;
        default: return false;
      }
    });
    for (size_t i : idx) {
      TAlignItem& it = items[i];
      int w = std::max(0, r.Right - r.Left), h = std::max(0, r.Bottom - r.Top);
      switch (a) {
        case alTop:
          it.Left = r.Left;
          it.Top = r.Top;
          it.Width = w;
          r.Top += it.Height;
          break;
        case alBottom:
          it.Left = r.Left;
          it.Top = r.Bottom - it.Height;
          it.Width = w;
          r.Bottom -= it.Height;
          break;
        case alLeft:
          it.Left = r.Left;
          it.Top = r.Top;
          it.Height = h;
          r.Left += it.Width;
          break;
        case alRight:
          it.Left = r.Right - it.Width;
          it.Top = r.Top;
          it.Height = h;
          r.Right -= it.Width;
          break;
        case alClient:
          it.Left = r.Left;
          it.Top = r.Top;
          it.Width = w;
          it.Height = h;
          break;
        default:
          break;
      }
    }
  }
}

TFitWindow FitWindow(int x, int y, int w, int h, TAlignRect area) {
  TFitWindow f{x, y, h, false};
  const int areaHeight = area.Bottom - area.Top;
  if (h > areaHeight) {
    f.Height = std::max(0, areaHeight);
    f.Short = true;
  }
  f.X = std::max(area.Left, std::min(x, area.Right - w));
  f.Y = std::max(area.Top, std::min(y, area.Bottom - f.Height));
  return f;
}

int ClampScroll(int pos, int viewHeight, int contentHeight) {
  return std::max(0, std::min(pos, contentHeight - viewHeight));
}

int ScrollToShow(int pos, int viewHeight, int contentHeight, int top, int bottom) {
  if (bottom > pos + viewHeight) pos = bottom - viewHeight;
  if (top < pos) pos = top;
  return ClampScroll(pos, viewHeight, contentHeight);
}
