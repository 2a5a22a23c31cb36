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
