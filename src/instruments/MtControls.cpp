#include "instruments/MtControls.h"
#include <algorithm>

VELMORA_CLASS_INFO(TMtComponent) { b.Str("Version", &TMtComponent::Version, &TMtComponent::SetVersion); }
VELMORA_CLASS_INFO(TMtCustomControl) {
  b.Str("Version", &TMtCustomControl::Version, &TMtCustomControl::SetVersion);
}
VELMORA_CLASS_INFO(TMtCustomImageControl) {}
VELMORA_CLASS_INFO(TMtGraphicControl) {
  b.Str("Version", &TMtGraphicControl::Version, &TMtGraphicControl::SetVersion);
}
VELMORA_CLASS_INFO(TMtGraphicImageControl) {}
VELMORA_CLASS_INFO(TMtSharedComponent) {}

void InitMtControls() {
  // A resource cursor is the module's to keep: nothing to free.
  if (HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), "MTCURSORHANDPOINT")) RegisterCursor(crMtHandPoint, hand);
}

// ---------------------------------------------------------------- TMtCustomControl

void TMtCustomControl::UpdateControlCanvas() {
  if (Loading() || !FHandle) return;
  InvalidateRect(FHandle, nullptr, FALSE);
  UpdateWindow(FHandle);
}


// ---------------------------------------------------------------- TMtGraphicControl

void TMtGraphicControl::PaintNow() {
  TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated() || !FVisible || FWidth <= 0 || FHeight <= 0) return;
  HWND h = parent->Handle();
  // A hidden window paints everything when it shows: nothing to do now.
  if (!IsWindowVisible(h)) return;
  if (!FOpaque) {
    Invalidate();
    parent->Update();
    return;
  }
  HDC dc = GetDC(h);
  if (!dc) return;
  int saved = SaveDC(dc);
  IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
  OffsetViewportOrgEx(dc, FLeft, FTop, nullptr);
  PaintOn(dc);
  RestoreDC(dc, saved);
  ReleaseDC(h, dc);
}

void TMtGraphicControl::UpdateControlCanvas() {
  if (!Loading()) PaintNow();
}

void TMtGraphicControl::UpdateControlBounds() {
  if (FAutoSize && FAlign != alClient)
    ReapplyBounds();
  else
    UpdateControlCanvas();
}

void TMtGraphicControl::ReapplyBounds() {
  if (Loading()) return;
  RECT before = BoundsRect();
  bool autoSize = FAutoSize;
  FAutoSize = true;  // lets SetBounds take the preferred size whatever the setting
  SetBounds(FLeft, FTop, FWidth, FHeight);
  FAutoSize = autoSize;
  RECT after = BoundsRect();
  if (EqualRect(&before, &after)) UpdateControlCanvas();
}

void TMtGraphicControl::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  if (v) UpdateControlBounds();
}

void TMtGraphicControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize && FAlign != alClient && !Loading()) CanAutoSize(AWidth, AHeight);
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TMtGraphicControl::Loaded() {
  inherited::Loaded();
  if (FAutoSize && FAlign != alClient) SetBounds(FLeft, FTop, FWidth, FHeight);
}


// ---------------------------------------------------------------- TMtGraphicImageControl

void TMtGraphicImageControl::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  FOpaque = !v;
  FCaptureDue = true;
  if (v) {
    // What lies under the control shows only after the parent has painted it again.
    Invalidate();
    return;
  }
  UpdateControlCanvas();
}

void TMtGraphicImageControl::UpdateControlCanvas() {
  if (Loading()) return;
  if (FTransparent && !FBackground.Empty()) {
    // The background already held is still right: paint over it straight away.
    FCaptureDue = false;
    FOpaque = true;
    TMtGraphicControl::UpdateControlCanvas();
    FOpaque = false;
    FCaptureDue = true;
    return;
  }
  TMtGraphicControl::UpdateControlCanvas();
}

void TMtGraphicImageControl::WindowHidden() {
  TMtImageBase::WindowHidden();
  FBackground.SetSize(0, 0);
  FCaptureDue = true;
}

void TMtGraphicImageControl::ClearBitmapCanvas() {
  TBitmap& bitmap = Bitmap();
  if (bitmap.Width() != FWidth || bitmap.Height() != FHeight) bitmap.SetSize(FWidth, FHeight);
  RECT all{0, 0, bitmap.Width(), bitmap.Height()};
  if (FTransparent) {
    HDC under = FCanvas.Handle();
    if ((FCaptureDue || FBackground.Empty()) && under) {
      FBackground.SetSize(FWidth, FHeight);
      BitBlt(FBackground.Canvas().Handle(), 0, 0, FWidth, FHeight, under, 0, 0, SRCCOPY);
      FCaptureDue = false;
    }
    if (!FBackground.Empty()) {
      BitmapCanvas().CopyRect(all, FBackground.Canvas(), all);
      return;
    }
  }
  FillBitmap();
}

void TMtGraphicImageControl::Paint() {
  CopyBitmapOut();
  if (FTransparent) {
    FCaptureDue = true;
    FOpaque = false;
  }
}

// ---------------------------------------------------------------- change links

TMtChangeLink::~TMtChangeLink() {
  if (FSender) FSender->RemoveLink(this);
}

void TMtChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TMtSharedComponent::~TMtSharedComponent() {
  while (!FLinks.empty()) RemoveLink(FLinks.back());
}

void TMtSharedComponent::InsertLink(TMtChangeLink* Link) {
  if (!Link) return;
  if (Link->FSender && Link->FSender != this) Link->FSender->RemoveLink(Link);
  Link->FSender = this;
  if (std::find(FLinks.begin(), FLinks.end(), Link) == FLinks.end()) FLinks.push_back(Link);
}

void TMtSharedComponent::RemoveLink(TMtChangeLink* Link) {
  if (!Link) return;
  if (Link->FSender == this) Link->FSender = nullptr;
  std::erase(FLinks, Link);
}

void TMtSharedComponent::NotifyClients() {
  std::vector<TMtChangeLink*> links = FLinks;
  for (TMtChangeLink* l : links)
    if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->Change();
}
