#include "framework/ExtCtrls.h"

const TEnumInfo& BevelCutInfo() {
  static const TEnumInfo e{"TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};
  return e;
}

// ---------------------------------------------------------------- TPanel

VELMORA_CLASS_INFO(TPanel) {
  b.Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, BevelCutInfo());
  b.Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, BevelCutInfo());
  b.Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth);
  b.Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth);
  b.Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment, AlignmentInfo());
  b.Creatable();
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FWidth = 185;
  FHeight = 41;
  FColor = clBtnFace;
  FParentColor = false;
}

void TPanel::Changed() {
  if (Loading()) return;
  AlignControls();
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut v) {
  if (v == FBevelInner) return;
  FBevelInner = v;
  Changed();
}

void TPanel::SetBevelOuter(TBevelCut v) {
  if (v == FBevelOuter) return;
  FBevelOuter = v;
  Changed();
}

void TPanel::SetBevelWidth(int v) {
  if (v < 1) v = 1;
  if (v == FBevelWidth) return;
  FBevelWidth = v;
  Changed();
}

void TPanel::SetBorderWidth(int v) {
  if (v < 0) v = 0;
  if (v == FBorderWidth) return;
  FBorderWidth = v;
  Changed();
}

void TPanel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

RECT TPanel::AlignRect() const {
  RECT r = ClientRect();
  int inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  InflateRect(&r, -inset, -inset);
  return r;
}

void TPanel::Paint() {
  RECT r = ClientRect();
  auto colors = [](TBevelCut cut, TColor& tl, TColor& br) {
    tl = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    br = cut == bvLowered ? clBtnHighlight : clBtnShadow;
  };
  TColor tl, br;
  if (FBevelOuter != bvNone) {
    colors(FBevelOuter, tl, br);
    if (FBevelOuter == bvSpace) tl = br = FColor;
    Frame3D(Canvas(), r, tl, br, FBevelWidth);
  }
  Frame3D(Canvas(), r, FColor, FColor, FBorderWidth);
  if (FBevelInner != bvNone) {
    colors(FBevelInner, tl, br);
    if (FBevelInner == bvSpace) tl = br = FColor;
    Frame3D(Canvas(), r, tl, br, FBevelWidth);
  }
  Canvas().Brush().SetColor(FColor);
  Canvas().Brush().SetStyle(bsSolid);
  Canvas().FillRect(r);
  if (!FCaption.empty()) {
    Canvas().Brush().SetStyle(bsClear);
    unsigned f = DT_VCENTER | DT_SINGLELINE | (FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT);
    Canvas().DrawText(FCaption, r, f);
  }
}

// ---------------------------------------------------------------- TImage

VELMORA_CLASS_INFO(TImage) {
  b.Object("Picture", &TImage::PicturePtr);
  b.Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize);
  b.Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent);
  b.Bool("Stretch", &TImage::Stretch, &TImage::SetStretch);
  b.Bool("Center", &TImage::Center, &TImage::SetCenter);
  b.Creatable();
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  FWidth = 105;
  FHeight = 105;
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::PictureChanged() {
  if (Loading()) return;
  if (TGraphic* g = FPicture->Graphic()) g->SetTransparent(FTransparent);
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
  Invalidate();
}

void TImage::Loaded() {
  TGraphicControl::Loaded();
  PictureChanged();
}

void TImage::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  PictureChanged();
}

void TImage::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  PictureChanged();
}

void TImage::SetStretch(bool v) {
  if (v == FStretch) return;
  FStretch = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  if (v == FCenter) return;
  FCenter = v;
  Invalidate();
}

void TImage::Paint() {
  TGraphic* g = FPicture->Graphic();
  if (!g || g->Empty()) return;
  RECT dest{0, 0, g->Width(), g->Height()};
  if (FStretch) {
    dest = ClientRect();
  } else if (FCenter) {
    OffsetRect(&dest, (FWidth - g->Width()) / 2, (FHeight - g->Height()) / 2);
  }
  if (FStretch)
    Canvas().StretchDraw(dest, *g);
  else
    Canvas().Draw(dest.left, dest.top, *g);
}

// ---------------------------------------------------------------- TNotebook

VELMORA_CLASS_INFO(TPage) { b.Creatable(); }

TPage::TPage(TComponent* AOwner) : TWinControl(AOwner) { FVisible = false; }

VELMORA_CLASS_INFO(TNotebook) {
  b.Int("PageIndex", &TNotebook::PageIndex, &TNotebook::SetPageIndex);
  b.Creatable();
}

TNotebook::TNotebook(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 150;
  FHeight = 150;
}

int TNotebook::PageCount() const {
  int n = 0;
  for (TControl* c : FControls) n += dynamic_cast<TPage*>(c) ? 1 : 0;
  return n;
}

TPage* TNotebook::Pages(int i) const {
  for (TControl* c : FControls)
    if (auto* p = dynamic_cast<TPage*>(c))
      if (i-- == 0) return p;
  return nullptr;
}

void TNotebook::SetPageIndex(int v) {
  if (v == FPageIndex) return;
  if (!Loading() && !Pages(v)) return;  // no such page: the current one stays
  FPageIndex = v;
  ShowPage();
}

void TNotebook::Loaded() {
  TWinControl::Loaded();
  if (!Pages(FPageIndex)) FPageIndex = 0;
  ShowPage();
}

void TNotebook::BoundsChanged() { ShowPage(); }

void TNotebook::ShowPage() {
  if (Loading()) return;
  RECT r = ClientRect();
  for (int i = 0; i < PageCount(); ++i) {
    TPage* p = Pages(i);
    p->SetBounds(0, 0, r.right, r.bottom);
    if (i == FPageIndex) p->SetVisible(true);
  }
  for (int i = 0; i < PageCount(); ++i)
    if (i != FPageIndex) Pages(i)->SetVisible(false);
}

void RegisterExtControlClasses() {
  for (const TClassInfo* c : {&TPanel::StaticClassInfo(), &TImage::StaticClassInfo(), &TPage::StaticClassInfo(),
                              &TNotebook::StaticClassInfo()})
    RegisterComponentClass(*c);
}
