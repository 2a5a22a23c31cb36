// Places aligned child controls inside their parent's client rectangle: top and bottom ones take
// the full width, left and right ones the height that remains, the client one the rest.
#pragma once
#include <vector>

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TAlignItem {
  TAlign Align;
  bool Visible;
  int Left, Top, Width, Height;  // in: current bounds; out: the aligned bounds
};

struct TAlignRect {
  int Left, Top, Right, Bottom;
};

// Updates the bounds of every visible aligned item, in place. Items of one kind are stacked in
// the order of their current position (top ones by Top, bottom ones from the lowest up, and so
// on), ties kept in list order.
void AlignItems(std::vector<TAlignItem>& items, TAlignRect rect);

// A window of w x h meant for (x, y), placed into a screen's work area: no taller than the area,
// then moved just far enough to lie inside it (its top-left corner wins where it cannot). Short
// is true when the height had to give way.
struct TFitWindow {
  int X, Y, Height;
  bool Short;
};
TFitWindow FitWindow(int x, int y, int w, int h, TAlignRect area);

// Scrolling a view of viewHeight over contents of contentHeight: the position limited to
// 0..contentHeight - viewHeight, and the nearest position that shows the part [top, bottom) of
// the contents (its top where it is taller than the view).
int ClampScroll(int pos, int viewHeight, int contentHeight);
int ScrollToShow(int pos, int viewHeight, int contentHeight, int top, int bottom);
