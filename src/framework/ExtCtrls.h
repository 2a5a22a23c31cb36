// Panels with bevels, and images.
#pragma once
#include <memory>
#include "framework/Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
const TEnumInfo& BevelCutInfo();

class TPanel : public TCustomControl {
  VELMORA_CLASS(TPanel, TCustomControl)

 public:
  explicit TPanel(TComponent* AOwner);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  // The client area less the border and the bevels: what aligned children fill.
  RECT AlignRect() const override;

 protected:
  void Paint() override;

 private:
  void Changed();
  TBevelCut FBevelInner = bvNone, FBevelOuter = bvRaised;
  int FBevelWidth = 1, FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

class TImage : public TGraphicControl {
  VELMORA_CLASS(TImage, TGraphicControl)

 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture& Picture() { return *FPicture; }
  TPicture* PicturePtr() { return FPicture.get(); }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool v);
  bool Center() const { return FCenter; }
  void SetCenter(bool v);

 protected:
  void Paint() override;
  void Loaded() override;

 private:
  void PictureChanged();
  std::unique_ptr<TPicture> FPicture;
  bool FAutoSize = false, FTransparent = false, FStretch = false, FCenter = false;
};

// One page of a notebook.
class TPage : public TWinControl {
  VELMORA_CLASS(TPage, TWinControl)

 public:
  explicit TPage(TComponent* AOwner);
};

// Pages on top of one another without tabs; the program chooses which one shows.
class TNotebook : public TWinControl {
  VELMORA_CLASS(TNotebook, TWinControl)

 public:
  explicit TNotebook(TComponent* AOwner);
  int PageIndex() const { return FPageIndex; }
  void SetPageIndex(int v);
  int PageCount() const;
  TPage* Pages(int i) const;  // null outside 0..PageCount-1

 protected:
  void Loaded() override;
  void BoundsChanged() override;

 private:
  void ShowPage();
  int FPageIndex = 0;
};

void RegisterExtControlClasses();
