#include "framework/ImgList.h"
#include <algorithm>
#include "framework/Bitmaps.h"

void NeedCommonControls() {
  static bool done = false;
  if (done) return;
  done = true;
  InitCommonControls();  // exists on every version; the newer ...Ex does not
}

VELMORA_CLASS_INFO(TImageList) {
  b.Int("Width", &TImageList::Width, &TImageList::SetWidth);
  b.Int("Height", &TImageList::Height, &TImageList::SetHeight);
  b.Creatable();
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

TImageList::~TImageList() {
  if (FHandle) ImageList_Destroy(FHandle);
}

void TImageList::SetWidth(int v) {
  if (v == FWidth || v < 1 || v > 256) return;
  FWidth = v;
  Recreate();
}

void TImageList::SetHeight(int v) {
  if (v == FHeight || v < 1 || v > 256) return;
  FHeight = v;
  Recreate();
}

void TImageList::Recreate() {
  // A new size empties the list, as the system's lists hold one size only.
  if (FHandle) ImageList_Destroy(FHandle);
  FHandle = nullptr;
  FPending.clear();
}

HIMAGELIST TImageList::Handle() {
  if (!FHandle) {
    NeedCommonControls();
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLORDDB | ILC_MASK, 8, 8);
    std::vector<TPending> pending = std::move(FPending);
    FPending.clear();
    if (FHandle)
      for (TPending& p : pending) AddMaskedNow(*p.Bitmap, p.Mask);
  }
  return FHandle;
}

int TImageList::AddIcon(HICON icon) {
  if (!icon || !Handle()) return -1;
  return ImageList_ReplaceIcon(FHandle, -1, icon);
}

int TImageList::Count() const {
  if (FHandle) return ImageList_GetImageCount(FHandle);
  int n = 0;
  for (const TPending& p : FPending) n += p.Cells;
  return n;
}

void TImageList::Clear() {
  FPending.clear();
  if (FHandle) ImageList_Remove(FHandle, -1);
}

int TImageList::AddMasked(TBitmap& bitmap, TColor mask) {
  int cells = bitmap.Width() / FWidth;
  if (bitmap.Empty() || cells < 1) return -1;
  if (!FHandle) {
    int first = Count();
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(bitmap);
    // The mask colour as it is now: the copy's bottom-left pixel is the same.
    FPending.push_back(TPending{std::move(copy), mask, cells});
    return first;
  }
  return AddMaskedNow(bitmap, mask);
}

int TImageList::AddMaskedNow(TBitmap& bitmap, TColor mask) {
  int cells = bitmap.Width() / FWidth;
  COLORREF key = ColorToRGB(mask == clDefault ? bitmap.TransparentColor() : mask);
  // A screen bitmap of our own, a whole number of cells wide: the list must not find it selected
  // into a context, reads whole cells from it and blacks out its masked pixels.
  int w = cells * FWidth;
  HDC screen = GetDC(nullptr);
  BitmapHandle copy(CreateCompatibleBitmap(screen, w, FHeight));
  ReleaseDC(nullptr, screen);
  MemoryDC dc = MemoryDC::Create();
  if (!copy || !dc) return -1;
  {
    SelectedObject sel(dc.get(), copy.get());
    BrushHandle fill(CreateSolidBrush(key));
    RECT r{0, 0, w, FHeight};
    FillRect(dc.get(), &r, fill.get());
    BitBlt(dc.get(), 0, 0, w, std::min(FHeight, bitmap.Height()), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
  }
  return ImageList_AddMasked(FHandle, copy.get(), key);
}

void TImageList::Draw(HDC dc, int x, int y, int index) {
  if (index < 0 || index >= Count() || !Handle()) return;
  ImageList_Draw(FHandle, index, dc, x, y, ILD_TRANSPARENT);
}
