#include "framework/ImgList.h"

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
}

HIMAGELIST TImageList::Handle() {
  if (!FHandle) {
    NeedCommonControls();
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLORDDB | ILC_MASK, 8, 8);
  }
  return FHandle;
}

int TImageList::AddIcon(HICON icon) {
  if (!icon || !Handle()) return -1;
  return ImageList_ReplaceIcon(FHandle, -1, icon);
}

int TImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TImageList::Clear() {
  if (FHandle) ImageList_Remove(FHandle, -1);
}
