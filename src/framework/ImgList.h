// Lists of same-sized small pictures that tree and list views draw their items with.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <vector>
#include "framework/Classes.h"
#include "framework/Colors.h"

class TBitmap;

// The system's common controls, registered once before the first is created.
void NeedCommonControls();

class TImageList : public TComponent {
  VELMORA_CLASS(TImageList, TComponent)

 public:
  explicit TImageList(TComponent* AOwner);
  ~TImageList() override;
  int Width() const { return FWidth; }
  void SetWidth(int v);
  int Height() const { return FHeight; }
  void SetHeight(int v);
  // The system's list, made on first use (with the pictures added before it existed).
  HIMAGELIST Handle();
  // Adds a copy of the icon scaled to the list's size; returns its index, or -1.
  int AddIcon(HICON icon);
  // Adds the bitmap cut into cells of the list's size; pixels of the mask colour stay clear
  // (clDefault: the bitmap's bottom-left pixel). Returns the first new index, or -1. Before the
  // system's list exists the picture is kept until it is made, so that a list filled by a window
  // that is never shown costs no common-controls library.
  int AddMasked(TBitmap& bitmap, TColor mask = clDefault);
  int Count() const;
  void Clear();
  // Draws image index at (x, y); an index outside the list draws nothing.
  void Draw(HDC dc, int x, int y, int index);

 private:
  void Recreate();
  int AddMaskedNow(TBitmap& bitmap, TColor mask);
  struct TPending {
    std::unique_ptr<TBitmap> Bitmap;
    TColor Mask;
    int Cells;
  };
  int FWidth = 16, FHeight = 16;
  HIMAGELIST FHandle = nullptr;
  std::vector<TPending> FPending;
};
