#include "wizard/Wizard.h"
#include <algorithm>
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/StdCtrls.h"
#include "wizard/WizardLogic.h"

namespace {
const char* const kButtonNames[4] = {"btWzBack", "btWzNext", "btWzFinish", "btWzCancel"};
// Each with its accelerator (Alt and the underlined letter).
const char* const kButtonCaptions[4] = {"< &Back", "&Next >", "&Finish", "&Cancel"};

// The first control of c that can take the focus, in the order the controls were added.
TWinControl* FirstFocusable(TWinControl* c) {
  for (int i = 0; i < c->ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(c->Controls(i));
    if (!w || !w->Visible() || !w->Enabled()) continue;
    if (w->TabStop()) return w;
    if (TWinControl* inner = FirstFocusable(w)) return inner;
  }
  return nullptr;
}

// Stores value when it differs; true when it did.
template <class T>
bool Store(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

// Throws the list error of an out-of-range page position.
void CheckIndex(int value, int highest) {
  if (value < 0 || value > highest) throw Exception(wizlogic::PageIndexError(value, highest));
}
}  // namespace

const TEnumInfo& PageImageAlignInfo() {
  static const TEnumInfo e{"TPageImageAlign", {"iaLeft", "iaRight"}};
  return e;
}

// ---------------------------------------------------------------- TPageButton

VELMORA_CLASS_INFO(TPageButton) {
  b.Str("Caption", &TPageButton::Caption, &TPageButton::SetCaption);
  b.Bool("Enabled", &TPageButton::Enabled, &TPageButton::SetEnabled);
  b.Bool("Visible", &TPageButton::Visible, &TPageButton::SetVisible);
}

TPageButton::TPageButton(TCustomWizardPage* page, TPageButtonKind kind)
    : FPage(page), FKind(kind), FCaption(kButtonCaptions[kind]) {}

void TPageButton::SetCaption(const std::string& v) {
  if (Store(FCaption, v)) Changed();
}

void TPageButton::SetEnabled(bool v) {
  if (Store(FEnabled, v)) Changed();
}

void TPageButton::SetVisible(bool v) {
  if (Store(FVisible, v)) Changed();
}

void TPageButton::Changed() {
  // Whichever page is active: the next page change applies that page's settings again.
  TCustomWizard* w = FPage ? FPage->Wizard() : nullptr;
  if (w && !FPage->Loading()) ApplyTo(w->Button(FKind));
}

void TPageButton::ApplyTo(TButton* button) const {
  if (!button) return;
  button->SetCaption(FCaption);
  button->SetEnabled(FEnabled);
  button->SetVisible(FVisible);
}

void TPageButton::Assign(const TPageButton& source) {
  FCaption = source.FCaption;
  FEnabled = source.FEnabled;
  FVisible = source.FVisible;
  FKind = source.FKind;
  TCustomWizard* w = FPage ? FPage->Wizard() : nullptr;
  if (w && w->ActivePage() == FPage) ApplyTo(w->Button(FKind));
}

// ---------------------------------------------------------------- TTextProperties

VELMORA_CLASS_INFO(TTextProperties) {
  b.Str("Text", &TTextProperties::Text, &TTextProperties::SetText);
  b.Object("Font", &TTextProperties::FontPtr);
  b.Enum("Alignment", &TTextProperties::Alignment, &TTextProperties::SetAlignment, AlignmentInfo());
  b.Bool("AutoSize", &TTextProperties::AutoSize, &TTextProperties::SetAutoSize);
  b.Int("Left", &TTextProperties::Left, &TTextProperties::SetLeft);
  b.Int("Top", &TTextProperties::Top, &TTextProperties::SetTop);
  b.Int("Width", &TTextProperties::Width, &TTextProperties::SetWidth);
}

TTextProperties::TTextProperties(TCustomWizardPage* page, const std::string& text, int left, int top)
    : FPage(page), FText(text), FFont(std::make_unique<TFont>()), FLeft(left), FTop(top) {
  FFont->Assign(page->Font());
  FFont->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TTextProperties::SetText(const std::string& v) {
  if (Store(FText, v)) Changed();
}

void TTextProperties::SetAlignment(TAlignment v) {
  if (v == FAlignment || v < taLeftJustify || v > taCenter) return;
  FAlignment = v;
  Changed();
}

void TTextProperties::SetAutoSize(bool v) {
  if (Store(FAutoSize, v)) Changed();
}

void TTextProperties::SetLeft(int v) {
  if (Store(FLeft, v)) Changed();
}

void TTextProperties::SetTop(int v) {
  if (Store(FTop, v)) Changed();
}

void TTextProperties::SetWidth(int v) {
  if (Store(FWidth, v)) Changed();
}

void TTextProperties::Changed() {
  if (FAutoSize) {
    TCanvas measure;
    measure.Font().Assign(*FFont);
    FWidth = measure.TextWidth(FText);
  }
  if (FPage) FPage->Invalidate();
}

void TTextProperties::Draw(TCanvas& canvas, RECT r) {
  if (FText.empty()) return;
  canvas.Font().Assign(*FFont);
  canvas.Brush().SetStyle(bsClear);
  UINT flags = DT_EXPANDTABS | DT_NOPREFIX;
  flags |= FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
  if (!FAutoSize) flags |= DT_WORDBREAK;
  canvas.DrawText(FText, r, flags);
  canvas.Brush().SetStyle(bsSolid);
}

// ---------------------------------------------------------------- routes

VELMORA_CLASS_INFO(TWizardRoutePagesItem) {
  b.Ref<TCustomWizardPage>("Page", &TWizardRoutePagesItem::Page, &TWizardRoutePagesItem::SetPage);
}

void TWizardRoutePagesItem::SetPage(TCustomWizardPage* v) { FPage = v; }

VELMORA_CLASS_INFO(TWizardRoutePagesItems) {}

TWizardRoutePagesItems::TWizardRoutePagesItems(TPersistent* owner)
    : TCollection(owner, [](TCollection* c) { return new TWizardRoutePagesItem(c); }) {}

int TWizardRoutePagesItems::IndexOfPage(const TCustomWizardPage* page) const {
  if (!page) return -1;
  for (int i = 0; i < Count(); ++i)
    if (Page(i) == page) return i;
  return -1;
}

VELMORA_CLASS_INFO(TWizardRouteItem) {
  b.Str("Name", &TWizardRouteItem::Name, &TWizardRouteItem::SetName);
  b.Collection("RoutePagesItems", &TWizardRouteItem::RoutePagesItems);
}

TWizardRouteItem::TWizardRouteItem(TCollection* c) : TCollectionItem(c), FPages(this) {}

TCustomWizard* TWizardRouteItem::Wizard() const {
  return Collection() ? dynamic_cast<TCustomWizard*>(Collection()->Owner()) : nullptr;
}

void TWizardRouteItem::SetName(const std::string& v) {
  if (v == FName) return;
  TCustomWizard* w = Wizard();
  bool current = w && !FName.empty() && w->CurrentRoute() == this;
  FName = v;
  if (current) w->FCurrentRouteName = v;
}

VELMORA_CLASS_INFO(TWizardRouteItems) {}

TWizardRouteItems::TWizardRouteItems(TCustomWizard* wizard)
    : TCollection(wizard, [](TCollection* c) { return new TWizardRouteItem(c); }) {}

TWizardRouteItem* TWizardRouteItems::Find(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Route(i)->Name(), name)) return Route(i);
  return nullptr;
}

// ---------------------------------------------------------------- TCustomWizard

VELMORA_CLASS_INFO(TCustomWizard) {
  b.Collection("Routes", &TCustomWizard::Routes);
  b.Str("CurrentRouteName", &TCustomWizard::CurrentRouteName, &TCustomWizard::SetCurrentRouteName);
  b.Int("FooterHeight", &TCustomWizard::FooterHeight, &TCustomWizard::SetFooterHeight);
  b.Bool("AutoFocus", &TCustomWizard::AutoFocus, &TCustomWizard::SetAutoFocus);
  b.Ref<TImageList>("Images", &TCustomWizard::Images, &TCustomWizard::SetImages);
  b.Int("btWzBackTabOrder", &TCustomWizard::TabOrderOf<pbkBack>, &TCustomWizard::SetTabOrderOf<pbkBack>);
  b.Int("btWzNextTabOrder", &TCustomWizard::TabOrderOf<pbkNext>, &TCustomWizard::SetTabOrderOf<pbkNext>);
  b.Int("btWzCancelTabOrder", &TCustomWizard::TabOrderOf<pbkCancel>, &TCustomWizard::SetTabOrderOf<pbkCancel>);
  b.Int("btWzFinishTabOrder", &TCustomWizard::TabOrderOf<pbkFinish>, &TCustomWizard::SetTabOrderOf<pbkFinish>);
  b.Event("OnChanging", &TCustomWizard::OnChanging);
  b.Event("OnChange", &TCustomWizard::OnChange);
  b.Event("OnCancel", &TCustomWizard::OnCancel);
  b.Event("OnFinish", &TCustomWizard::OnFinish);
  b.Event("OnGetImageIndex", &TCustomWizard::OnGetImageIndex);
}

TCustomWizard::TCustomWizard(TComponent* AOwner) : TPanel(AOwner), FRoutes(this) {
  SetBevelOuter(bvNone);
  SetAlign(alClient);
  for (int k = pbkBack; k <= pbkCancel; ++k) {
    auto* b = new TButton(this);
    b->SetName(kButtonNames[k]);
    b->SetCaption(kButtonCaptions[k]);
    b->SetBounds(0, 0, 75, 23);
    b->SetParent(this);
    b->OnClick = [this, k](TObject*) { ButtonClick(static_cast<TPageButtonKind>(k)); };
    FButtons[k] = b;
  }
  FButtons[pbkBack]->SetEnabled(false);
  FButtons[pbkNext]->SetEnabled(false);
  FButtons[pbkCancel]->SetModalResult(mrCancel);
  FButtons[pbkFinish]->SetModalResult(mrOk);
  LayoutButtons();
}

TCustomWizard::~TCustomWizard() {
  for (TCustomWizardPage* p : FPages) p->FWizard = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TCustomWizardPage* TCustomWizard::Pages(int i) const {
  return i >= 0 && i < PageCount() ? FPages[static_cast<size_t>(i)] : nullptr;
}

int TCustomWizard::IndexOfPage(const TCustomWizardPage* page) const {
  auto it = std::find(FPages.begin(), FPages.end(), page);
  return page && it != FPages.end() ? static_cast<int>(it - FPages.begin()) : -1;
}

void TCustomWizard::SetParent(TWinControl* value) {
  TPanel::SetParent(value);
  RegisterCancelButton();
}

void TCustomWizard::RegisterCancelButton() {
  // The buttons tell their form themselves, once they know the form.
  if (Loading() || !ParentForm(this)) return;
  FButtons[pbkCancel]->SetCancel(false);
  FButtons[pbkCancel]->SetCancel(true);
  for (int k : {pbkNext, pbkFinish})
    if (FButtons[k]->Default()) {
      FButtons[k]->SetDefault(false);
      FButtons[k]->SetDefault(true);
    }
}

void TCustomWizard::FocusPage(TCustomWizardPage* page, bool goForward) {
  if (!page || !ParentForm(this)) return;
  TWinControl* first = FirstFocusable(page);
  if (!first) {
    // Nothing on the page takes the focus: the button that goes on does.
    TWizardRouteItem* r = CurrentRoute();
    bool last = r && page->RoutePageIndex() >= 0 && page->RoutePageIndex() == r->RoutePagesItems()->Count() - 1;
    TButton* b = goForward && last ? FButtons[pbkFinish] : FButtons[pbkNext];
    if (!b->Visible() || !b->Enabled()) b = FButtons[pbkFinish]->Visible() && FButtons[pbkFinish]->Enabled() ? FButtons[pbkFinish] : nullptr;
    first = b;
  }
  if (first) first->SetFocus();
}

void TCustomWizard::FocusActivePage() { FocusPage(FActivePage, true); }

void TCustomWizard::ApplyDefaultButton() {
  // Enter goes on: Finish where it is offered, else Next.
  TButton *finish = FButtons[pbkFinish], *next = FButtons[pbkNext];
  TButton* def = finish->Visible() && finish->Enabled() ? finish : next;
  (def == finish ? next : finish)->SetDefault(false);
  def->SetDefault(true);
}

void TCustomWizard::CreateParams(TCreateParams& p) {
  TPanel::CreateParams(p);
  p.ExStyle |= WS_EX_CONTROLPARENT;  // Tab walks into the pages
}

void TCustomWizard::CreateWnd() {
  TPanel::CreateWnd();
  ApplyTabOrders();
}

void TCustomWizard::Loaded() {
  TPanel::Loaded();
  RegisterCancelButton();
  // What the description left unshown: the current route's first page.
  if (!FActivePage)
    if (TWizardRouteItem* r = CurrentRoute(); r && r->RoutePagesItems()->Count() > 0)
      SetActivePage(r->RoutePagesItems()->Page(0));
  LayoutButtons();
  AlignControls();
  UpdateButtons();
  DoChange();
}

void TCustomWizard::Notification(TComponent* AComponent, TOperation Operation) {
  TPanel::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) {
    FImages = nullptr;
    if (FActivePage) FActivePage->Invalidate();
  }
}

void TCustomWizard::SetImages(TImageList* v) {
  if (v == FImages) return;
  FImages = v;
  if (v) v->FreeNotification(this);
  if (FActivePage) FActivePage->Invalidate();
}

void TCustomWizard::SetFooterHeight(int v) {
  if (v == FFooterHeight || v < 0) return;
  FFooterHeight = v;
  LayoutButtons();
  AlignControls();
  Invalidate();
}

void TCustomWizard::SetButtonTabOrder(TPageButtonKind k, int v) {
  FTabOrders[k] = v;
  ApplyTabOrders();
}

void TCustomWizard::ApplyTabOrders() {
  if (!HandleAllocated()) return;
  int order[4] = {pbkBack, pbkNext, pbkFinish, pbkCancel};
  std::stable_sort(order, order + 4, [this](int a, int b) { return FTabOrders[a] < FTabOrders[b]; });
  // The buttons follow the pages, in their tab order.
  for (int k : order)
    if (FButtons[k]->HandleAllocated())
      SetWindowPos(FButtons[k]->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int TCustomWizard::CaptionTextHeight() const {
  TCanvas measure;
  measure.Font().Assign(*FFont);
  return measure.TextHeight("W");
}

bool TCustomWizard::CaptionShown() const {
  return !FCaption.empty() && (!FActivePage || FActivePage->ShowWizardCaption());
}

RECT TCustomWizard::AlignRect() const {
  RECT r = ClientRect();
  int captionHeight = CaptionShown() ? CaptionTextHeight() : -1;
  r.bottom = wizlogic::ComputeLayout(r.right, r.bottom, FFooterHeight, captionHeight).PageAreaHeight;
  return r;
}

void TCustomWizard::LayoutButtons() {
  RECT c = ClientRect();
  wizlogic::Layout l = wizlogic::ComputeLayout(c.right, c.bottom, FFooterHeight, -1);
  const int lefts[4] = {l.BackLeft, l.NextLeft, l.FinishLeft, l.CancelLeft};
  for (int k = pbkBack; k <= pbkCancel; ++k) FButtons[k]->SetBounds(lefts[k], l.ButtonTop, 75, 23);
}

void TCustomWizard::BoundsChanged() {
  TPanel::BoundsChanged();
  LayoutButtons();
}

void TCustomWizard::TextChanged() {
  // The caption takes its share of the pages' area.
  AlignControls();
  Invalidate();
}

void TCustomWizard::FontChanged() {
  TPanel::FontChanged();
  AlignControls();
}

void TCustomWizard::Paint() {
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  const int w = r.right, f = r.bottom - FFooterHeight;
  c.Brush().SetColor(FColor);
  c.Brush().SetStyle(bsSolid);
  c.FillRect(r);
  c.Pen().SetColor(clBtnShadow);
  c.MoveTo(1, f);
  c.LineTo(w, f);
  c.Pen().SetColor(clBtnHighlight);
  c.MoveTo(0, f + 1);
  c.LineTo(w - 1, f + 1);
  if (!CaptionShown()) return;
  // The caption etched into the footer line.
  c.Font().Assign(Font());
  std::string t = " " + FCaption + " ";
  int d = c.TextHeight("W") / 2;
  RECT back{0, f - d - 1, c.TextWidth(t), f + d + 1};
  c.FillRect(back);
  c.Brush().SetStyle(bsClear);
  c.Font().SetColor(clBtnHighlight);
  c.TextOut(1, f - d, t);
  c.Font().SetColor(clBtnShadow);
  c.TextOut(0, f - d - 1, t);
  c.Brush().SetStyle(bsSolid);
}

LRESULT TCustomWizard::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // Nothing is painted while the active page changes; the change repaints at its end.
  if (msg == WM_PAINT && FChanging) {
    ValidateRect(FHandle, nullptr);
    return 0;
  }
  return TPanel::WndProc(msg, wp, lp);
}

void TCustomWizard::InsertPage(TCustomWizardPage* page) {
  if (IndexOfPage(page) >= 0) return;
  FPages.push_back(page);
  page->FWizard = this;
  if (Loading()) return;
  if (TWizardRouteItem* r = CurrentRoute(); r && r->RoutePagesItems()->IndexOfPage(page) < 0)
    static_cast<TWizardRoutePagesItem*>(r->RoutePagesItems()->Add())->SetPage(page);
  UpdateButtons();
}

void TCustomWizard::RemovePage(TCustomWizardPage* page) {
  if (IndexOfPage(page) < 0) return;
  bool going = Destroying() || (Owner() && Owner()->Destroying());
  TCustomWizardPage* next = nullptr;
  if (!going && page == FActivePage) {
    bool check = true;
    TWizardRouteItem* r = CurrentRoute();
    next = FindNextPage(r, page, true, check);
    if (!next || next == page) next = FindNextPage(r, page, false, check);
    if (next == page) next = nullptr;
  }
  std::erase(FPages, page);
  page->FWizard = nullptr;
  for (int i = 0; i < FRoutes.Count(); ++i) {
    TWizardRoutePagesItems* items = FRoutes.Route(i)->RoutePagesItems();
    for (int j = items->Count() - 1; j >= 0; --j)
      if (items->Page(j) == page) items->Delete(j);
  }
  if (page != FActivePage) {
    if (!going) UpdateButtons();
    return;
  }
  if (going) {
    FActivePage = nullptr;
    return;
  }
  // The page is no longer in this wizard: it is left as it is, and the next one shown.
  FActivePage = nullptr;
  SetActivePage(next);
  UpdateButtons();
}

void TCustomWizard::MovePage(TCustomWizardPage* page, int index) {
  int cur = IndexOfPage(page);
  if (cur < 0 || cur == index) return;
  FPages.erase(FPages.begin() + cur);
  FPages.insert(FPages.begin() + index, page);
}

void TCustomWizard::SetCurrentRouteName(const std::string& v) {
  if (v == FCurrentRouteName || FChanging) return;
  TWizardRouteItem* r = FRoutes.Find(v);
  if (!r && !Loading()) return;
  FCurrentRouteName = v;
  TWizardRoutePagesItems* items = r ? r->RoutePagesItems() : nullptr;
  SetActivePage(items && items->Count() > 0 ? items->Page(0) : nullptr);
}

TWizardRouteItem* TCustomWizard::AddRoute() {
  std::vector<std::string> names;
  for (int i = 0; i < FRoutes.Count(); ++i) names.push_back(FRoutes.Route(i)->Name());
  auto* r = static_cast<TWizardRouteItem*>(FRoutes.Add());
  r->SetName(wizlogic::NewRouteName(names));
  return r;
}

void TCustomWizard::DeleteRoute(int index) {
  if (index < 0 || index >= FRoutes.Count()) return;
  if (FRoutes.Route(index) != CurrentRoute()) {
    FRoutes.Delete(index);
    UpdateButtons();
    return;
  }
  int other = wizlogic::RouteAfterDeletion(FRoutes.Count(), index);
  std::string next = other >= 0 ? FRoutes.Route(other)->Name() : std::string();
  FRoutes.Delete(index);
  if (next.empty()) {
    FCurrentRouteName.clear();
    UpdateButtons();
  } else {
    // The deleted route's name may still match: start from nothing so that the change is made.
    FCurrentRouteName.clear();
    SetCurrentRouteName(next);
  }
}

TCustomWizardPage* TCustomWizard::FindNextPage(TWizardRouteItem* route, TCustomWizardPage* from, bool goForward,
                                               bool check) {
  if (!route) return nullptr;
  TWizardRoutePagesItems* items = route->RoutePagesItems();
  int pos = wizlogic::FindNextRoutePos(items->Count(), items->IndexOfPage(from), goForward, [&](int i) {
    TCustomWizardPage* p = items->Page(i);
    if (!p) return false;
    if (!check || !p->OnCanShow) return true;
    bool allow = true;
    p->OnCanShow(p, goForward, allow);
    return allow;
  });
  return pos >= 0 ? items->Page(pos) : nullptr;
}

void TCustomWizard::SelectNextPage(bool GoForward) {
  TWizardRouteItem* r = CurrentRoute();
  if (!r) return;
  SetActivePage(FindNextPage(r, FActivePage, GoForward, true));
}

void TCustomWizard::SetActivePage(TCustomWizardPage* page) {
  if (page && page->Wizard() != this) return;
  if (!Loading() && OnChanging) {
    bool allow = true;
    OnChanging(this, allow);
    if (!allow) return;
  }
  if (FChanging) return;  // a page change from inside a page change
  FChanging = true;
  struct Done {
    TCustomWizard* w;
    ~Done() {
      w->FChanging = false;
      w->Invalidate();
    }
  } done{this};
  if (page != FActivePage) {
    TCustomWizardPage* old = FActivePage;
    if (old && old->HandleAllocated()) {
      // The focus leaves the page first; a control that keeps it stops the change.
      HWND focus = GetFocus();
      if (focus && IsChild(old->Handle(), focus)) {
        ::SetFocus(old->Handle());
        if (GetFocus() != old->Handle()) return;
      }
    }
    bool goForward = true;
    if (page && old) {
      TWizardRouteItem* r = CurrentRoute();
      TWizardRoutePagesItems* items = r ? r->RoutePagesItems() : nullptr;
      int to = items ? items->IndexOfPage(page) : -1, from = items ? items->IndexOfPage(old) : -1;
      goForward = to >= from;
    }
    if (old && old->OnCanHide) {
      bool allow = true;
      old->OnCanHide(old, goForward, allow);
      if (!allow) return;
    }
    if (old && old->OnHide) old->OnHide(old, goForward);
    if (page && ParentForm(this)) {
      page->BringToFront();
      page->SetVisible(true);
      for (int k = pbkBack; k <= pbkCancel; ++k) page->PageButton(static_cast<TPageButtonKind>(k))->ApplyTo(FButtons[k]);
      // On a window not shown yet, the focus is given when it is activated.
      if (FAutoFocus) FocusPage(page, goForward);
      if (page->OnShow) page->OnShow(page, goForward);
    }
    if (old) old->SetVisible(false);
    FActivePage = page;
    // The caption may come or go with the page, and the pages' area with it.
    AlignControls();
    DoChange();
  }
  UpdateButtons();
  if (page) page->AlignControls();
}

void TCustomWizard::DoChange() {
  if (!Loading() && OnChange) OnChange(this);
}

void TCustomWizard::UpdateButtons() {
  TWizardRouteItem* r = CurrentRoute();
  if (!r || !FActivePage) {
    FButtons[pbkNext]->SetEnabled(false);
    FButtons[pbkBack]->SetEnabled(false);
    return;
  }
  for (int k = pbkBack; k <= pbkCancel; ++k)
    FActivePage->PageButton(static_cast<TPageButtonKind>(k))->ApplyTo(FButtons[k]);
  TWizardRoutePagesItems* items = r->RoutePagesItems();
  int n = items->Count(), pos = items->IndexOfPage(FActivePage);
  FButtons[pbkNext]->SetEnabled(FButtons[pbkNext]->Enabled() && !wizlogic::IsLastInRoute(n, pos));
  FButtons[pbkBack]->SetEnabled(FButtons[pbkBack]->Enabled() && !wizlogic::IsFirstInRoute(n, pos));
  ApplyDefaultButton();
  // A button that had the focus and is off now leaves the keyboard nowhere: the focus goes on.
  TForm* f = ParentForm(this);
  TWinControl* focused = f ? f->ActiveControl() : nullptr;
  for (TButton* b : FButtons)
    if (b == focused && (!b->Visible() || !b->Enabled())) FocusPage(FActivePage, true);
}

void TCustomWizard::ButtonClick(TPageButtonKind k) {
  // A click sent to a button that is off or hidden is not the user's.
  if (!FButtons[k]->Enabled() || !FButtons[k]->Visible()) return;
  switch (k) {
    case pbkBack: SelectNextPage(false); break;
    case pbkNext: SelectNextPage(true); break;
    case pbkCancel:
      if (OnCancel) OnCancel(this);
      break;
    case pbkFinish:
      if (OnFinish) OnFinish(this);
      break;
  }
  // A double click must not act twice: what is still queued for the button goes.
  if (!FButtons[k]->HandleAllocated()) return;
  MSG m;
  while (PeekMessageA(&m, FButtons[k]->Handle(), WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
  }
}

int TCustomWizard::EffectiveImageIndex(TCustomWizardPage* page) {
  int index = page->ImageIndex();
  if (OnGetImageIndex) OnGetImageIndex(this, page->PageIndex(), index);
  return index;
}

VELMORA_CLASS_INFO(TWizard) { b.Creatable(); }

// ---------------------------------------------------------------- TCustomWizardPage

VELMORA_CLASS_INFO(TCustomWizardPage) {
  b.Object("BackButton", &TCustomWizardPage::BackButton);
  b.Object("NextButton", &TCustomWizardPage::NextButton);
  b.Object("FinishButton", &TCustomWizardPage::FinishButton);
  b.Object("CancelButton", &TCustomWizardPage::CancelButton);
  b.Object("Title", &TCustomWizardPage::Title);
  b.Object("Subtitle", &TCustomWizardPage::Subtitle);
  b.Int("ImageIndex", &TCustomWizardPage::ImageIndex, &TCustomWizardPage::SetImageIndex);
  b.Int("HeaderImageWidth", &TCustomWizardPage::HeaderImageWidth, &TCustomWizardPage::SetHeaderImageWidth);
  b.Bool("ShowWizardCaption", &TCustomWizardPage::ShowWizardCaption, &TCustomWizardPage::SetShowWizardCaption);
  b.Int("PageIndex", &TCustomWizardPage::PageIndex, &TCustomWizardPage::SetPageIndex);
  b.Event("OnCanShow", &TCustomWizardPage::OnCanShow);
  b.Event("OnCanHide", &TCustomWizardPage::OnCanHide);
  b.Event("OnShow", &TCustomWizardPage::OnShow);
  b.Event("OnHide", &TCustomWizardPage::OnHide);
}

TCustomWizardPage::TCustomWizardPage(TComponent* AOwner)
    : TCustomControl(AOwner),
      FBack(this, pbkBack),
      FNext(this, pbkNext),
      FFinish(this, pbkFinish),
      FCancel(this, pbkCancel),
      FTitle(this, "Title", 0, 0),
      FSubtitle(this, "Subtitle", 0, 0) {
  FVisible = false;
  FAlign = alClient;
}

TCustomWizardPage::~TCustomWizardPage() {
  if (FWizard) FWizard->RemovePage(this);
}

TPageButton* TCustomWizardPage::PageButton(TPageButtonKind k) {
  switch (k) {
    case pbkBack: return &FBack;
    case pbkNext: return &FNext;
    case pbkFinish: return &FFinish;
    case pbkCancel: return &FCancel;
  }
  return &FNext;
}

void TCustomWizardPage::SetParent(TWinControl* value) {
  if (value == FParent) return;
  if (FWizard) FWizard->RemovePage(this);
  TCustomControl::SetParent(value);
  if (auto* w = dynamic_cast<TCustomWizard*>(value)) w->InsertPage(this);
}

void TCustomWizardPage::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.ExStyle |= WS_EX_CONTROLPARENT;
}

void TCustomWizardPage::SetImageIndex(int v) {
  if (Store(FImageIndex, v)) Invalidate();
}

void TCustomWizardPage::SetHeaderImageWidth(int v) {
  if (Store(FHeaderImageWidth, v)) Invalidate();
}

void TCustomWizardPage::SetShowWizardCaption(bool v) {
  if (v == FShowWizardCaption) return;
  FShowWizardCaption = v;
  if (FWizard && FWizard->ActivePage() == this) {
    FWizard->AlignControls();
    FWizard->Invalidate();
  }
}

int TCustomWizardPage::PageIndex() const { return FWizard ? FWizard->IndexOfPage(this) : -1; }

void TCustomWizardPage::SetPageIndex(int v) {
  if (!FWizard) return;
  CheckIndex(v, FWizard->PageCount() - 1);
  FWizard->MovePage(this, v);
}

int TCustomWizardPage::RoutePageIndex() const {
  TWizardRouteItem* r = FWizard ? FWizard->CurrentRoute() : nullptr;
  return r ? r->RoutePagesItems()->IndexOfPage(this) : -1;
}

void TCustomWizardPage::SetRoutePageIndex(int v) {
  TWizardRouteItem* r = FWizard ? FWizard->CurrentRoute() : nullptr;
  if (!r) return;
  TWizardRoutePagesItems* items = r->RoutePagesItems();
  int cur = items->IndexOfPage(this);
  CheckIndex(v, cur < 0 ? items->Count() : items->Count() - 1);
  if (cur < 0) {
    static_cast<TWizardRoutePagesItem*>(items->Add())->SetPage(this);
    cur = items->Count() - 1;
  }
  items->Move(cur, v);
  FWizard->UpdateButtons();
}

bool TCustomWizardPage::HasImage() {
  if (!FWizard) return false;
  int index = FWizard->EffectiveImageIndex(this);
  return index != -1;
}

void TCustomWizardPage::DrawImage(const RECT& r, TColor back) {
  int index = FWizard->EffectiveImageIndex(this);
  TImageList* list = FWizard->Images();
  // No list: an empty picture; an index the list does not have: likewise.
  TBitmap img;
  img.SetSize(list ? list->Width() : 0, list ? list->Height() : 0);
  if (img.Empty()) return;
  RECT all{0, 0, img.Width(), img.Height()};
  img.Canvas().Brush().SetColor(back);
  img.Canvas().FillRect(all);
  if (index >= 0 && index < list->Count()) ImageList_Draw(list->Handle(), index, img.Canvas().Handle(), 0, 0, ILD_NORMAL);
  FCanvas.StretchDraw(r, img);
}

// ---------------------------------------------------------------- TInteriorWizardPage

VELMORA_CLASS_INFO(TInteriorWizardPage) {
  b.Int("HeaderColor", &TInteriorWizardPage::HeaderColor, &TInteriorWizardPage::SetHeaderColor, &ColorIdents());
  b.Int("HeaderHeight", &TInteriorWizardPage::HeaderHeight, &TInteriorWizardPage::SetHeaderHeight);
  b.Enum("HeaderImageAlign", &TInteriorWizardPage::HeaderImageAlign, &TInteriorWizardPage::SetHeaderImageAlign,
         PageImageAlignInfo());
  b.Bool("HeaderVisible", &TInteriorWizardPage::HeaderVisible, &TInteriorWizardPage::SetHeaderVisible);
  b.Bool("TopLineVisible", &TInteriorWizardPage::TopLineVisible, &TInteriorWizardPage::SetTopLineVisible);
  b.Creatable();
}

TInteriorWizardPage::TInteriorWizardPage(TComponent* AOwner) : TCustomWizardPage(AOwner) {
  FTitle.Font().SetStyle(FontStyleBit(fsBold));
  FTitle.SetLeft(20);
  FTitle.SetTop(10);
  FSubtitle.SetLeft(40);
  FSubtitle.SetTop(30);
}

void TInteriorWizardPage::Changed() {
  Invalidate();
  AlignControls();
}

void TInteriorWizardPage::SetHeaderColor(TColor v) {
  if (Store(FHeaderColor, v)) Invalidate();
}

void TInteriorWizardPage::SetHeaderHeight(int v) {
  if (v == FHeaderHeight || v < 0) return;
  FHeaderHeight = v;
  Changed();
}

void TInteriorWizardPage::SetHeaderImageAlign(TPageImageAlign v) {
  if (v == FHeaderImageAlign || v < iaLeft || v > iaRight) return;
  FHeaderImageAlign = v;
  Invalidate();
}

void TInteriorWizardPage::SetHeaderVisible(bool v) {
  if (Store(FHeaderVisible, v)) Invalidate();
}

void TInteriorWizardPage::SetTopLineVisible(bool v) {
  if (Store(FTopLineVisible, v)) Invalidate();
}

RECT TInteriorWizardPage::AlignRect() const {
  RECT r = ClientRect();
  r.top = std::min<LONG>(r.bottom, FHeaderHeight);
  return r;
}

void TInteriorWizardPage::Paint() {
  if (!FHeaderVisible) return;
  TCanvas& c = FCanvas;
  const int w = ClientWidth(), h = FHeaderHeight;
  c.Brush().SetColor(FHeaderColor);
  c.Brush().SetStyle(bsSolid);
  c.FillRect(RECT{0, 0, w, h});
  if (FTopLineVisible) {
    c.Pen().SetColor(clBtnShadow);
    c.MoveTo(0, h - 2);
    c.LineTo(w - 1, h - 2);
    c.Pen().SetColor(clBtnHighlight);
    c.MoveTo(1, h - 1);
    c.LineTo(w, h - 1);
  }
  bool image = HasImage();
  if (image) {
    RECT r{0, 4, 0, h - 4 - (FTopLineVisible ? 2 : 0)};
    if (FHeaderImageAlign == iaLeft) {
      r.left = 4;
      r.right = 4 + FHeaderImageWidth;
    } else {
      r.left = w - FHeaderImageWidth - 4;
      r.right = w - 4;
    }
    DrawImage(r, FHeaderColor);
  }
  int shift = image && FHeaderImageAlign == iaLeft ? FHeaderImageWidth : 0;
  for (TTextProperties* t : {&FTitle, &FSubtitle}) {
    RECT r{0, t->Top(), t->Width(), h - (FTopLineVisible ? 2 : 0)};
    OffsetRect(&r, shift + t->Left(), 0);
    t->Draw(c, r);
  }
}

// ---------------------------------------------------------------- TWelcomeWizardPage

VELMORA_CLASS_INFO(TWelcomeWizardPage) {
  b.Object("Watermark", &TWelcomeWizardPage::WatermarkPtr);
  b.Enum("WatermarkAlign", &TWelcomeWizardPage::WatermarkAlign, &TWelcomeWizardPage::SetWatermarkAlign,
         PageImageAlignInfo());
  b.Int("WatermarkColor", &TWelcomeWizardPage::WatermarkColor, &TWelcomeWizardPage::SetWatermarkColor, &ColorIdents());
  b.Int("WatermarkWidth", &TWelcomeWizardPage::WatermarkWidth, &TWelcomeWizardPage::SetWatermarkWidth);
  b.Int("HeaderImageLeft", &TWelcomeWizardPage::HeaderImageLeft, &TWelcomeWizardPage::SetHeaderImageLeft);
  b.Int("HeaderImageTop", &TWelcomeWizardPage::HeaderImageTop, &TWelcomeWizardPage::SetHeaderImageTop);
  b.Int("HeaderImageHeight", &TWelcomeWizardPage::HeaderImageHeight, &TWelcomeWizardPage::SetHeaderImageHeight);
  b.Creatable();
}

TWelcomeWizardPage::TWelcomeWizardPage(TComponent* AOwner)
    : TCustomWizardPage(AOwner), FWatermark(std::make_unique<TPicture>()) {
  FColor = clWhite;
  FParentColor = false;
  FShowWizardCaption = false;
  FTitle.SetText("Welcome");
  FTitle.Font().SetHeight(21);
  FTitle.Font().SetStyle(FontStyleBit(fsBold));
  FTitle.SetLeft(10);
  FTitle.SetTop(10);
  FSubtitle.SetLeft(10);
  FSubtitle.SetTop(60);
  FWatermark->OnChange = [this](TObject*) { Invalidate(); };
}

TWelcomeWizardPage::~TWelcomeWizardPage() = default;

// The watermark is decoded from the program's resources for each paint and let go after it: the
// page is painted seldom, and a wizard that waits hidden should not hold a picture of 200 KB.
void TWelcomeWizardPage::Loaded() {
  TCustomWizardPage::Loaded();
  FWatermark->Unload();
}

void TWelcomeWizardPage::Changed() {
  Invalidate();
  AlignControls();
}

void TWelcomeWizardPage::SetWatermarkAlign(TPageImageAlign v) {
  if (v == FWatermarkAlign || v < iaLeft || v > iaRight) return;
  FWatermarkAlign = v;
  Changed();
}

void TWelcomeWizardPage::SetWatermarkColor(TColor v) {
  if (Store(FWatermarkColor, v)) Invalidate();
}

void TWelcomeWizardPage::SetWatermarkWidth(int v) {
  if (v == FWatermarkWidth || v < 0) return;
  FWatermarkWidth = v;
  Changed();
}

void TWelcomeWizardPage::SetHeaderImageLeft(int v) {
  if (Store(FHeaderImageLeft, v)) Invalidate();
}

void TWelcomeWizardPage::SetHeaderImageTop(int v) {
  if (Store(FHeaderImageTop, v)) Invalidate();
}

void TWelcomeWizardPage::SetHeaderImageHeight(int v) {
  if (Store(FHeaderImageHeight, v)) Invalidate();
}

RECT TWelcomeWizardPage::AlignRect() const {
  RECT r = ClientRect();
  if (FWatermarkAlign == iaLeft)
    r.left = std::min<LONG>(r.right, FWatermarkWidth + 1);
  else
    r.right = std::max<LONG>(r.left, r.right - (FWatermarkWidth + 1));
  return r;
}

void TWelcomeWizardPage::Paint() {
  TCanvas& c = FCanvas;
  const int w = ClientWidth(), h = ClientHeight();
  RECT strip{0, 0, w, h - 1};
  if (FWatermarkAlign == iaLeft)
    strip.right = std::min(w, FWatermarkWidth);
  else
    strip.left = std::max(0, w - FWatermarkWidth);
  c.Brush().SetColor(FWatermarkColor);
  c.FillRect(strip);
  if (TGraphic* g = FWatermark->Graphic(); g && !g->Empty()) {
    g->SetTransparent(true);
    c.StretchDraw(strip, *g);
  }
  FWatermark->Unload();
  if (HasImage()) {
    RECT r{0, FHeaderImageTop, 0, FHeaderImageTop + FHeaderImageHeight};
    if (FWatermarkAlign == iaLeft) {
      r.left = FHeaderImageLeft;
      r.right = r.left + FHeaderImageWidth;
    } else {
      r.right = w - FHeaderImageLeft;
      r.left = r.right - FHeaderImageWidth;
    }
    RECT around = r;
    InflateRect(&around, 4, 4);
    c.Brush().SetColor(FColor);
    c.FillRect(around);
    DrawImage(r, FColor);
  }
  int shift = FWatermarkAlign == iaLeft ? FWatermarkWidth : 0;
  for (TTextProperties* t : {&FTitle, &FSubtitle}) {
    RECT r{0, t->Top(), t->Width(), h};
    OffsetRect(&r, shift + t->Left(), 0);
    t->Draw(c, r);
  }
}

void RegisterWizardClasses() {
  for (const TClassInfo* c : {&TWizard::StaticClassInfo(), &TInteriorWizardPage::StaticClassInfo(),
                              &TWelcomeWizardPage::StaticClassInfo()})
    RegisterComponentClass(*c);
}
