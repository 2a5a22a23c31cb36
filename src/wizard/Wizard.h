// The wizard control: pages shown one at a time above a footer with Back, Next, Finish and
// Cancel, visited along named routes. Interior pages have a header band, welcome pages a
// full-height side picture.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "framework/Bitmaps.h"
#include "framework/ExtCtrls.h"

class TButton;
class TImageList;
class TCustomWizard;
class TCustomWizardPage;

enum TPageImageAlign { iaLeft, iaRight };
enum TPageButtonKind { pbkBack, pbkNext, pbkFinish, pbkCancel };
const TEnumInfo& PageImageAlignInfo();

using TWizardChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
using TWizardGetImageIndexEvent = std::function<void(TObject* Sender, int PageIndex, int& ImageIndex)>;
using TWizardPageCanChangeEvent = std::function<void(TObject* Sender, bool GoForward, bool& AllowChange)>;
using TWizardPageChangeEvent = std::function<void(TObject* Sender, bool GoForward)>;

// One page's setting of one of the wizard's buttons, applied while that page is active.
class TPageButton : public TPersistent {
  VELMORA_CLASS(TPageButton, TPersistent)

 public:
  TPageButton(TCustomWizardPage* page, TPageButtonKind kind);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  TPageButtonKind Kind() const { return FKind; }
  // Caption, enabled, visible and kind; applied at once when this page is the active one.
  void Assign(const TPageButton& source);

 private:
  friend class TCustomWizard;
  // Sets the wizard's button to these values.
  void ApplyTo(TButton* button) const;
  void Changed();
  TCustomWizardPage* FPage;
  TPageButtonKind FKind;
  std::string FCaption;
  bool FEnabled = true, FVisible = true;
};

// A title or subtitle of a page.
class TTextProperties : public TPersistent {
  VELMORA_CLASS(TTextProperties, TPersistent)

 public:
  TTextProperties(TCustomWizardPage* page, const std::string& text, int left, int top);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& v);
  TFont& Font() { return *FFont; }
  TFont* FontPtr() { return FFont.get(); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  int Left() const { return FLeft; }
  void SetLeft(int v);
  int Top() const { return FTop; }
  void SetTop(int v);
  // With AutoSize, the text's width in its font.
  int Width() const { return FWidth; }
  void SetWidth(int v);
  // Draws into r (whose right edge is the text width with AutoSize, else Width), transparent.
  void Draw(TCanvas& canvas, RECT r);

 private:
  void Changed();
  TCustomWizardPage* FPage;
  std::string FText;
  std::unique_ptr<TFont> FFont;
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  int FLeft, FTop, FWidth = 0;
};

// Route pages and routes.
class TWizardRoutePagesItem : public TCollectionItem {
  VELMORA_CLASS(TWizardRoutePagesItem, TCollectionItem)

 public:
  using TCollectionItem::TCollectionItem;
  TCustomWizardPage* Page() const { return FPage; }
  void SetPage(TCustomWizardPage* v);

 private:
  TCustomWizardPage* FPage = nullptr;
};

class TWizardRoutePagesItems : public TCollection {
  VELMORA_CLASS(TWizardRoutePagesItems, TCollection)

 public:
  explicit TWizardRoutePagesItems(TPersistent* owner);
  TCustomWizardPage* Page(int i) const { return static_cast<TWizardRoutePagesItem*>(Items(i))->Page(); }
  // Route position of the page, or -1.
  int IndexOfPage(const TCustomWizardPage* page) const;
};

class TWizardRouteItem : public TCollectionItem {
  VELMORA_CLASS(TWizardRouteItem, TCollectionItem)

 public:
  explicit TWizardRouteItem(TCollection* c);
  const std::string& Name() const { return FName; }
  // Renaming the current route renames the wizard's CurrentRouteName with it.
  void SetName(const std::string& v);
  const std::string& DisplayName() const { return FName; }
  TWizardRoutePagesItems* RoutePagesItems() { return &FPages; }
  TCustomWizard* Wizard() const;

 private:
  std::string FName;
  TWizardRoutePagesItems FPages;
};

class TWizardRouteItems : public TCollection {
  VELMORA_CLASS(TWizardRouteItems, TCollection)

 public:
  explicit TWizardRouteItems(TCustomWizard* wizard);
  TWizardRouteItem* Route(int i) const { return static_cast<TWizardRouteItem*>(Items(i)); }
  // Found without regard to letter case, or null.
  TWizardRouteItem* Find(const std::string& name) const;
};

class TCustomWizard : public TPanel {
  VELMORA_CLASS(TCustomWizard, TPanel)

 public:
  explicit TCustomWizard(TComponent* AOwner);
  ~TCustomWizard() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  TCustomWizardPage* Pages(int i) const;  // null outside the list
  int IndexOfPage(const TCustomWizardPage* page) const;
  TCustomWizardPage* ActivePage() const { return FActivePage; }
  void SetActivePage(TCustomWizardPage* page);
  int ActivePageIndex() const { return IndexOfPage(FActivePage); }
  // The page at that index of the page list, or none outside it.
  void SetActivePageIndex(int i) { SetActivePage(Pages(i)); }

  TWizardRouteItems* Routes() { return &FRoutes; }
  const std::string& CurrentRouteName() const { return FCurrentRouteName; }
  void SetCurrentRouteName(const std::string& v);
  TWizardRouteItem* CurrentRoute() const { return FRoutes.Find(FCurrentRouteName); }
  // Adds a route with a fresh name.
  TWizardRouteItem* AddRoute();
  // Deleting the current route makes another one current (none when it was the only one).
  void DeleteRoute(int index);

  int FooterHeight() const { return FFooterHeight; }
  void SetFooterHeight(int v);
  bool AutoFocus() const { return FAutoFocus; }
  void SetAutoFocus(bool v) { FAutoFocus = v; }
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* v);

  TButton* BackButton() const { return FButtons[pbkBack]; }
  TButton* NextButton() const { return FButtons[pbkNext]; }
  TButton* FinishButton() const { return FButtons[pbkFinish]; }
  TButton* CancelButton() const { return FButtons[pbkCancel]; }
  TButton* Button(TPageButtonKind k) const { return FButtons[k]; }
  int ButtonTabOrder(TPageButtonKind k) const { return FTabOrders[k]; }
  void SetButtonTabOrder(TPageButtonKind k, int v);
  template <int K>
  int TabOrderOf() const { return FTabOrders[K]; }
  template <int K>
  void SetTabOrderOf(int v) { SetButtonTabOrder(static_cast<TPageButtonKind>(K), v); }

  // The page that Back (false) or Next (true) leads to in the route, or none.
  TCustomWizardPage* FindNextPage(TWizardRouteItem* route, TCustomWizardPage* from, bool goForward, bool check);
  void SelectNextPage(bool GoForward);
  void UpdateButtons();
  // Gives the focus to the active page's first control that takes it, or, on a page without
  // one, to the button that goes on (on a window not shown yet, when it is activated).
  void FocusActivePage();
  // The caption is etched into the footer now.
  bool CaptionShown() const;
  // The page's ImageIndex after OnGetImageIndex.
  int EffectiveImageIndex(TCustomWizardPage* page);
  bool Changing() const { return FChanging; }

  TWizardChangingEvent OnChanging;
  TNotifyEvent OnChange, OnCancel, OnFinish;
  TWizardGetImageIndexEvent OnGetImageIndex;

  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  RECT AlignRect() const override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void BoundsChanged() override;
  void TextChanged() override;
  void FontChanged() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void SetParent(TWinControl* value) override;

 private:
  friend class TCustomWizardPage;
  friend class TPageButton;
  friend class TWizardRouteItem;
  void InsertPage(TCustomWizardPage* page);
  void RemovePage(TCustomWizardPage* page);
  void MovePage(TCustomWizardPage* page, int index);
  void LayoutButtons();
  void ApplyTabOrders();
  void ButtonClick(TPageButtonKind k);
  void DoChange();
  int CaptionTextHeight() const;
  // The wizard's buttons become the form's Esc and Enter buttons once the wizard sits on a form.
  void RegisterCancelButton();
  void ApplyDefaultButton();
  void FocusPage(TCustomWizardPage* page, bool goForward);

  std::vector<TCustomWizardPage*> FPages;
  TCustomWizardPage* FActivePage = nullptr;
  TWizardRouteItems FRoutes;
  std::string FCurrentRouteName;
  int FFooterHeight = 40;
  bool FAutoFocus = true;
  TImageList* FImages = nullptr;
  TButton* FButtons[4] = {};
  int FTabOrders[4] = {0, 1, 3, 2};
  bool FChanging = false;
};

class TWizard : public TCustomWizard {
  VELMORA_CLASS(TWizard, TCustomWizard)

 public:
  using TCustomWizard::TCustomWizard;
};

class TCustomWizardPage : public TCustomControl {
  VELMORA_CLASS(TCustomWizardPage, TCustomControl)

 public:
  explicit TCustomWizardPage(TComponent* AOwner);
  ~TCustomWizardPage() override;

  TCustomWizard* Wizard() const { return FWizard; }
  TPageButton* BackButton() { return &FBack; }
  TPageButton* NextButton() { return &FNext; }
  TPageButton* FinishButton() { return &FFinish; }
  TPageButton* CancelButton() { return &FCancel; }
  TPageButton* PageButton(TPageButtonKind k);
  TTextProperties* Title() { return &FTitle; }
  TTextProperties* Subtitle() { return &FSubtitle; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v);
  int HeaderImageWidth() const { return FHeaderImageWidth; }
  void SetHeaderImageWidth(int v);
  bool ShowWizardCaption() const { return FShowWizardCaption; }
  void SetShowWizardCaption(bool v);
  int PageIndex() const;
  // Moves the page within the wizard's page list; throws for an index outside it.
  void SetPageIndex(int v);
  int RoutePageIndex() const;
  // Moves the page within the current route (adding it there when absent); throws for an
  // index outside it.
  void SetRoutePageIndex(int v);

  TWizardPageCanChangeEvent OnCanShow, OnCanHide;
  TWizardPageChangeEvent OnShow, OnHide;

  void SetParent(TWinControl* value) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void TextChanged() override {}
  // Draws the page's image from the wizard's list, stretched into r over the colour back.
  void DrawImage(const RECT& r, TColor back);
  bool HasImage();

  TPageButton FBack, FNext, FFinish, FCancel;
  TTextProperties FTitle, FSubtitle;
  int FImageIndex = -1;
  int FHeaderImageWidth = 52;
  bool FShowWizardCaption = true;

 private:
  friend class TCustomWizard;
  TCustomWizard* FWizard = nullptr;
};

class TInteriorWizardPage : public TCustomWizardPage {
  VELMORA_CLASS(TInteriorWizardPage, TCustomWizardPage)

 public:
  explicit TInteriorWizardPage(TComponent* AOwner);
  TColor HeaderColor() const { return FHeaderColor; }
  void SetHeaderColor(TColor v);
  int HeaderHeight() const { return FHeaderHeight; }
  void SetHeaderHeight(int v);
  TPageImageAlign HeaderImageAlign() const { return FHeaderImageAlign; }
  void SetHeaderImageAlign(TPageImageAlign v);
  bool HeaderVisible() const { return FHeaderVisible; }
  void SetHeaderVisible(bool v);
  bool TopLineVisible() const { return FTopLineVisible; }
  void SetTopLineVisible(bool v);
  RECT AlignRect() const override;

 protected:
  void Paint() override;

 private:
  void Changed();
  TColor FHeaderColor = clWhite;
  int FHeaderHeight = 62;
  TPageImageAlign FHeaderImageAlign = iaRight;
  bool FHeaderVisible = true, FTopLineVisible = true;
};

class TWelcomeWizardPage : public TCustomWizardPage {
  VELMORA_CLASS(TWelcomeWizardPage, TCustomWizardPage)

 public:
  explicit TWelcomeWizardPage(TComponent* AOwner);
  ~TWelcomeWizardPage() override;
  TPicture& Watermark() { return *FWatermark; }
  TPicture* WatermarkPtr() { return FWatermark.get(); }
  TPageImageAlign WatermarkAlign() const { return FWatermarkAlign; }
  void SetWatermarkAlign(TPageImageAlign v);
  TColor WatermarkColor() const { return FWatermarkColor; }
  void SetWatermarkColor(TColor v);
  int WatermarkWidth() const { return FWatermarkWidth; }
  void SetWatermarkWidth(int v);
  int HeaderImageLeft() const { return FHeaderImageLeft; }
  void SetHeaderImageLeft(int v);
  int HeaderImageTop() const { return FHeaderImageTop; }
  void SetHeaderImageTop(int v);
  int HeaderImageHeight() const { return FHeaderImageHeight; }
  void SetHeaderImageHeight(int v);
  RECT AlignRect() const override;

 protected:
  void Loaded() override;
  void Paint() override;

 private:
  void Changed();
  std::unique_ptr<TPicture> FWatermark;
  TPageImageAlign FWatermarkAlign = iaLeft;
  TColor FWatermarkColor = clActiveCaption;
  int FWatermarkWidth = 164;
  int FHeaderImageLeft = 90, FHeaderImageTop = 18, FHeaderImageHeight = 52;
};

void RegisterWizardClasses();
