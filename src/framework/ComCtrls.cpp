#include "framework/ComCtrls.h"
#include <algorithm>
#include "framework/Exception.h"

namespace {
// Selects a tab of a tab strip and puts the strip's focus on it, so that the arrow keys go on
// from the tab shown (the strip would otherwise keep the focus where it was). Moving the focus
// may select too and notify: selecting is set meanwhile, for the owner to ignore that.
void SelectStripTab(HWND strip, int tab, bool& selecting) {
  selecting = true;
  if (tab >= 0 && SendMessageA(strip, TCM_GETCURFOCUS, 0, 0) != tab) SendMessageA(strip, TCM_SETCURFOCUS, tab, 0);
  if (SendMessageA(strip, TCM_GETCURSEL, 0, 0) != tab) SendMessageA(strip, TCM_SETCURSEL, tab, 0);
  selecting = false;
}
}  // namespace

// ---------------------------------------------------------------- TTabSheet

VELMORA_CLASS_INFO(TTabSheet) {
  b.Bool("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible);
  b.Creatable();
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;  // the page control shows its active page
}

TPageControl* TTabSheet::PageControl() const { return dynamic_cast<TPageControl*>(FParent); }

int TTabSheet::PageIndex() const {
  TPageControl* pc = PageControl();
  if (!pc) return -1;
  for (int i = 0; i < pc->PageCount(); ++i)
    if (pc->Pages(i) == this) return i;
  return -1;
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == FTabVisible) return;
  FTabVisible = v;
  if (TPageControl* pc = PageControl(); pc && !Loading()) pc->UpdateTabs();
}

void TTabSheet::TextChanged() {
  TWinControl::TextChanged();
  if (TPageControl* pc = PageControl()) pc->UpdateTabs();
}

// ---------------------------------------------------------------- TPageControl

VELMORA_CLASS_INFO(TPageControl) {
  b.Ref<TTabSheet>("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
  b.Bool("MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine);
  b.Event("OnChange", &TPageControl::OnChange);
  b.Creatable();
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
}

int TPageControl::PageCount() const {
  int n = 0;
  for (TControl* c : FControls) n += dynamic_cast<TTabSheet*>(c) ? 1 : 0;
  return n;
}

TTabSheet* TPageControl::Pages(int i) const {
  for (TControl* c : FControls)
    if (auto* s = dynamic_cast<TTabSheet*>(c))
      if (i-- == 0) return s;
  return nullptr;
}

void TPageControl::CreateParams(TCreateParams& p) {
  NeedCommonControls();
  TWinControl::CreateParams(p);
  p.SysClassName = WC_TABCONTROLA;
  if (FMultiLine) p.Style |= TCS_MULTILINE;
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  FTabs.clear();  // a new strip holds no tabs yet
  UpdateTabs();
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  UpdateTabs();
}

void TPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FActivePage) FActivePage = nullptr;
}

void TPageControl::SetActivePage(TTabSheet* v) {
  if (v && v->PageControl() != this) return;
  if (v == FActivePage) return;
  FActivePage = v;
  if (v) v->FreeNotification(this);
  if (!Loading()) UpdateTabs();
}

RECT TPageControl::AlignRect() const {
  RECT r = ClientRect();
  if (FHandle) SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

void TPageControl::UpdateTabs() {
  if (Loading()) return;
  // A hidden tab cannot be the active page: the first visible one takes its place.
  if (!FActivePage || !FActivePage->TabVisible()) {
    FActivePage = nullptr;
    for (int i = 0; i < PageCount(); ++i)
      if (Pages(i)->TabVisible()) {
        FActivePage = Pages(i);
        break;
      }
  }
  if (FHandle) {
    std::vector<std::pair<TTabSheet*, std::string>> tabs;
    int current = -1;
    for (int i = 0; i < PageCount(); ++i) {
      TTabSheet* s = Pages(i);
      if (!s->TabVisible()) continue;
      if (s == FActivePage) current = static_cast<int>(tabs.size());
      tabs.emplace_back(s, s->Caption());
    }
    if (tabs != FTabs) {
      FSelecting = true;
      SendMessageA(FHandle, TCM_DELETEALLITEMS, 0, 0);
      for (size_t t = 0; t < tabs.size(); ++t) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<char*>(tabs[t].second.c_str());
        item.lParam = reinterpret_cast<LPARAM>(tabs[t].first);
        SendMessageA(FHandle, TCM_INSERTITEMA, t, reinterpret_cast<LPARAM>(&item));
      }
      FSelecting = false;
      FTabs = std::move(tabs);
    }
    SelectStripTab(FHandle, current, FSelecting);
  }
  LayoutSheets();
  ShowActive();
}

bool TPageControl::TurnPage(bool forward) {
  int n = PageCount(), at = ActivePageIndex();
  for (int step = 1; step <= n; ++step) {
    TTabSheet* s = Pages(((at + (forward ? step : -step)) % n + n) % n);
    if (!s->TabVisible()) continue;
    if (s == FActivePage) return true;
    SetActivePage(s);
    if (OnChange) OnChange(this);
    return true;
  }
  return false;
}

void TPageControl::LayoutSheets() {
  RECT r = AlignRect();
  for (int i = 0; i < PageCount(); ++i) Pages(i)->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::ShowActive() {
  // The new page shows before the old one hides, so nothing flickers through.
  if (FActivePage) {
    FActivePage->SetVisible(true);
    if (FActivePage->HandleAllocated()) SetWindowPos(FActivePage->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  for (int i = 0; i < PageCount(); ++i)
    if (Pages(i) != FActivePage) Pages(i)->SetVisible(false);
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case CN_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->code == TCN_SELCHANGE && !FSelecting) {
        int cur = static_cast<int>(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0));
        TCITEMA item{};
        item.mask = TCIF_PARAM;
        if (cur >= 0 && SendMessageA(FHandle, TCM_GETITEMA, cur, reinterpret_cast<LPARAM>(&item))) {
          FActivePage = reinterpret_cast<TTabSheet*>(item.lParam);
          ShowActive();
        }
        if (OnChange) OnChange(this);
      }
      return 0;
    }
    case WM_SIZE: {
      LRESULT r = TWinControl::WndProc(msg, wp, lp);
      LayoutSheets();
      return r;
    }
  }
  return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TTabControl

VELMORA_CLASS_INFO(TTabControl) {
  b.Strings("Tabs", &TTabControl::TabsPtr);
  b.Int("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex);
  b.Bool("MultiLine", &TTabControl::MultiLine, &TTabControl::SetMultiLine);
  b.Event("OnChange", &TTabControl::OnChange);
  b.Creatable();
}

TTabControl::TTabControl(TComponent* AOwner) : TWinControl(AOwner), FTabs(std::make_unique<TStringList>()) {
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
  FTabs->OnChange = [this](TObject*) { TabsChanged(); };
}

TTabControl::~TTabControl() { FTabs->OnChange = nullptr; }

void TTabControl::CreateParams(TCreateParams& p) {
  NeedCommonControls();
  TWinControl::CreateParams(p);
  p.SysClassName = WC_TABCONTROLA;
  if (FMultiLine) p.Style |= TCS_MULTILINE;
}

void TTabControl::CreateWnd() {
  TWinControl::CreateWnd();
  TabsChanged();
}

void TTabControl::TabsChanged() {
  if (FTabIndex >= FTabs->Count()) FTabIndex = FTabs->Count() - 1;
  if (FTabIndex < 0 && FTabs->Count() > 0) FTabIndex = 0;
  if (!FHandle) return;
  SendMessageA(FHandle, TCM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < FTabs->Count(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>((*FTabs)[i].c_str());
    SendMessageA(FHandle, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  SelectStripTab(FHandle, FTabIndex, FSelecting);
  AlignControls();
}

void TTabControl::SetTabIndex(int v) {
  if (v < -1 || (v >= FTabs->Count() && !Loading())) return;
  FTabIndex = v;
  if (FHandle) SelectStripTab(FHandle, v, FSelecting);
}

RECT TTabControl::AlignRect() const {
  RECT r = ClientRect();
  if (FHandle) SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

LRESULT TTabControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_NOTIFY) {
    if (reinterpret_cast<NMHDR*>(lp)->code == TCN_SELCHANGE && !FSelecting) {
      FTabIndex = static_cast<int>(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0));
      if (OnChange) OnChange(this);
    }
    return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TTreeView

TTreeNode::TTreeNode(TTreeView* tree, TTreeNode* parent, HTREEITEM item, const std::string& text)
    : FTree(tree), FParent(parent), FItem(item), FText(text), FLevel(parent ? parent->FLevel + 1 : 0) {}

void TTreeNode::SetImageIndex(int v) {
  FImageIndex = v;
  TVITEMA it{};
  it.mask = TVIF_IMAGE;
  it.hItem = FItem;
  it.iImage = v;
  SendMessageA(FTree->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TTreeNode::SetSelectedIndex(int v) {
  FSelectedIndex = v;
  TVITEMA it{};
  it.mask = TVIF_SELECTEDIMAGE;
  it.hItem = FItem;
  it.iSelectedImage = v;
  SendMessageA(FTree->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TTreeNode::Expand(bool recurse) {
  SendMessageA(FTree->Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItem));
  if (recurse)
    for (int i = 0; i < FTree->Items().Count(); ++i)
      if (FTree->Items().Item(i)->Parent() == this) FTree->Items().Item(i)->Expand(true);
}

bool TTreeNode::Expanded() const {
  UINT state = static_cast<UINT>(SendMessageA(FTree->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItem), TVIS_EXPANDED));
  return (state & TVIS_EXPANDED) != 0;
}

void TTreeNode::AlphaSort() { SendMessageA(FTree->Handle(), TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(FItem)); }

int TTreeNode::Count() const {
  int n = 0;
  for (int i = 0; i < FTree->Items().Count(); ++i) n += FTree->Items().Item(i)->Parent() == this ? 1 : 0;
  return n;
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
  HWND h = FTree->Handle();
  auto node = std::make_unique<TTreeNode>(FTree, parent, nullptr, text);
  TVINSERTSTRUCTA ins{};
  ins.hParent = parent ? parent->ItemId() : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = const_cast<char*>(text.c_str());
  ins.item.lParam = reinterpret_cast<LPARAM>(node.get());
  ins.item.iImage = ins.item.iSelectedImage = -1;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  if (!item) throw Exception("Cannot add \"" + text + "\" to the tree");
  node->FItem = item;
  FNodes.push_back(std::move(node));
  return FNodes.back().get();
}

void TTreeNodes::Clear() {
  if (FTree->HandleAllocated()) {
    FTree->FClearing = true;  // no selection changes while everything goes
    SendMessageA(FTree->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    FTree->FClearing = false;
  }
  FNodes.clear();
}

TTreeNode* TTreeNodes::FromItem(HTREEITEM h) const {
  if (!h) return nullptr;
  for (const auto& n : FNodes)
    if (n->ItemId() == h) return n.get();
  return nullptr;
}

void TTreeNodes::BeginUpdate() { SendMessageA(FTree->Handle(), WM_SETREDRAW, FALSE, 0); }

void TTreeNodes::EndUpdate() {
  SendMessageA(FTree->Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FTree->Handle(), nullptr, TRUE);
}

VELMORA_CLASS_INFO(TTreeView) {
  b.Ref<TImageList>("Images", &TTreeView::Images, &TTreeView::SetImages);
  b.Bool("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly);
  b.Bool("HideSelection", &TTreeView::HideSelection, &TTreeView::SetHideSelection);
  b.Event("OnChange", &TTreeView::OnChange);
  b.Creatable();
}

TTreeView::TTreeView(TComponent* AOwner) : TWinControl(AOwner), FItems(this) {
  FWidth = 121;
  FHeight = 97;
  FColor = clWindow;
  FParentColor = false;
  FTabStop = true;
}

TTreeView::~TTreeView() {
  FClearing = true;
  OnChange = nullptr;
}

void TTreeView::CreateParams(TCreateParams& p) {
  NeedCommonControls();
  TWinControl::CreateParams(p);
  p.SysClassName = WC_TREEVIEWA;
  p.Style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
  if (!FReadOnly) p.Style |= TVS_EDITLABELS;
  if (!FHideSelection) p.Style |= TVS_SHOWSELALWAYS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  if (FImages) SendMessageA(FHandle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(FImages->Handle()));
}

void TTreeView::SetImages(TImageList* v) {
  if (v == FImages) return;
  FImages = v;
  if (v) v->FreeNotification(this);
  if (FHandle) SendMessageA(FHandle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(v ? v->Handle() : nullptr));
}

void TTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) {
    FImages = nullptr;
    if (FHandle) SendMessageA(FHandle, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
  }
}

TTreeNode* TTreeView::Selected() {
  if (!FHandle) return nullptr;
  auto h = reinterpret_cast<HTREEITEM>(SendMessageA(FHandle, TVM_GETNEXTITEM, TVGN_CARET, 0));
  return FItems.FromItem(h);
}

void TTreeView::SetSelected(TTreeNode* node) {
  SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->ItemId() : nullptr));
}

LRESULT TTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    if (hdr->code == TVN_SELCHANGEDA && !FClearing && OnChange) {
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(lp);
      OnChange(this, FItems.FromItem(nm->itemNew.hItem));
    }
    return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TListView

VELMORA_CLASS_INFO(TListColumn) {
  b.Str("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
  b.Int("Width", &TListColumn::Width, &TListColumn::SetWidth);
}

void TListColumn::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Changed();
}

void TListColumn::SetWidth(int v) {
  if (v == FWidth) return;
  FWidth = v;
  Changed();
}

namespace {
bool g_virtualAllowed = true;

// LVS_OWNERDATA came with the common controls of 4.70, as InitCommonControlsEx did.
bool VirtualListsSupported() {
  NeedCommonControls();
  static const bool supported = [] {
    HMODULE m = GetModuleHandleA("comctl32.dll");
    return m && GetProcAddress(m, "InitCommonControlsEx");
  }();
  return supported;
}
}  // namespace

void SetVirtualListViews(bool allowed) { g_virtualAllowed = allowed; }

TListItem::TListItem(TListView* view) : FView(view), FSubItems(std::make_unique<TStringList>()) {
  FSubItems->OnChange = [this](TObject*) { PushSubItems(); };
}

std::string TListItem::Text(int column) const {
  if (column == 0) return FCaption;
  return column > 0 && column <= FSubItems->Count() ? (*FSubItems)[column - 1] : std::string();
}

void TListItem::SetCaption(const std::string& v) {
  FCaption = v;
  int i = Index();
  if (i < 0 || !FView->HandleAllocated()) return;
  if (FView->Virtual()) return FView->RedrawRow(i);
  LVITEMA it{};
  it.iSubItem = 0;
  it.pszText = const_cast<char*>(v.c_str());
  SendMessageA(FView->Handle(), LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
}

void TListItem::SetImageIndex(int v) {
  FImageIndex = v;
  int i = Index();
  if (i < 0 || !FView->HandleAllocated()) return;
  if (FView->Virtual()) return FView->RedrawRow(i);
  LVITEMA it{};
  it.mask = LVIF_IMAGE;
  it.iItem = i;
  it.iImage = v;
  SendMessageA(FView->Handle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TListItem::PushSubItems() {
  int i = Index();
  if (i < 0 || !FView->HandleAllocated()) return;
  if (FView->Virtual()) return FView->RedrawRow(i);
  int columns = std::max(FView->Columns()->Count(), 1);
  for (int k = 1; k < columns; ++k) {
    LVITEMA it{};
    it.iSubItem = k;
    std::string s = k - 1 < FSubItems->Count() ? (*FSubItems)[k - 1] : std::string();
    it.pszText = const_cast<char*>(s.c_str());
    SendMessageA(FView->Handle(), LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
  }
}

void TListItem::Delete() { FView->Items().Delete(Index()); }

void TListItems::Insert(TListItem* item, int i) {
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  it.iItem = i;
  it.pszText = const_cast<char*>(item->FCaption.c_str());
  it.iImage = item->FImageIndex;
  it.lParam = reinterpret_cast<LPARAM>(item);
  SendMessageA(FView->Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  item->PushSubItems();
}

TListItem* TListItems::Add() {
  FItems.push_back(std::make_unique<TListItem>(FView));
  TListItem* item = FItems.back().get();
  item->FIndex = Count() - 1;
  if (!FView->HandleAllocated()) return item;
  if (!FView->Virtual())
    Insert(item, Count() - 1);
  else if (!Updating())
    FView->SyncRows();
  return item;
}

void TListItems::Clear() {
  if (FView->HandleAllocated()) SendMessageA(FView->Handle(), LVM_DELETEALLITEMS, 0, 0);
  FItems.clear();
}

void TListItems::Delete(int i) {
  if (i < 0 || i >= Count()) return;
  // The control (virtual or not) moves the selection of the rows after it up by one.
  if (FView->HandleAllocated()) SendMessageA(FView->Handle(), LVM_DELETEITEM, i, 0);
  FItems.erase(FItems.begin() + i);
  for (int k = i; k < Count(); ++k) FItems[k]->FIndex = k;
}

int TListItems::IndexOf(const TListItem* item) const {
  return item && item->FView == FView && Item(item->FIndex) == item ? item->FIndex : -1;
}

void TListItems::BeginUpdate() {
  if (FUpdating++ == 0 && FView->HandleAllocated()) SendMessageA(FView->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (FUpdating == 0 || --FUpdating > 0 || !FView->HandleAllocated()) return;
  if (FView->Virtual()) FView->SyncRows();
  SendMessageA(FView->Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FView->Handle(), nullptr, TRUE);
}

const TEnumInfo& ViewStyleInfo() {
  static const TEnumInfo e{"TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
  return e;
}

VELMORA_CLASS_INFO(TListView) {
  b.Collection("Columns", &TListView::Columns);
  b.Enum("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle, ViewStyleInfo());
  b.Ref<TImageList>("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages);
  b.Ref<TImageList>("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages);
  b.Bool("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly);
  b.Bool("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect);
  b.Bool("ShowColumnHeaders", &TListView::ShowColumnHeaders, &TListView::SetShowColumnHeaders);
  b.Bool("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection);
  b.Event("OnChange", &TListView::OnChange);
  b.Creatable();
}

TListView::TListView(TComponent* AOwner)
    : TWinControl(AOwner), FColumns(this, [](TCollection* c) { return new TListColumn(c); }), FItems(this) {
  FWidth = 250;
  FHeight = 150;
  FColor = clWindow;
  FParentColor = false;
  FTabStop = true;
  FColumns.OnUpdate = [this](TCollectionItem*) { ColumnsChanged(); };
}

TListView::~TListView() {
  FColumns.OnUpdate = nullptr;
  OnChange = nullptr;
}

void TListView::CreateParams(TCreateParams& p) {
  NeedCommonControls();
  TWinControl::CreateParams(p);
  p.SysClassName = WC_LISTVIEWA;
  static const DWORD styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  p.Style |= styles[FViewStyle] | LVS_SHAREIMAGELISTS | LVS_SINGLESEL;
  // A list of thousands of rows fills in no time and shows at once when the control asks for
  // the rows it draws; edited labels would have to be stored back, so those lists hold theirs.
  FVirtual = FReadOnly && g_virtualAllowed && VirtualListsSupported();
  if (FVirtual) p.Style |= LVS_OWNERDATA;
  if (!FReadOnly) p.Style |= LVS_EDITLABELS;
  if (!FShowColumnHeaders) p.Style |= LVS_NOCOLUMNHEADER;
  if (!FHideSelection) p.Style |= LVS_SHOWSELALWAYS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd() {
  TWinControl::CreateWnd();
  ColumnsChanged();
  ApplyImages();
  SetRowSelect(FRowSelect);
  SyncRows();
}

void TListView::SyncRows() {
  if (!FHandle) return;
  if (!FVirtual) {
    for (int i = 0; i < FItems.Count(); ++i) FItems.Insert(FItems.Item(i), i);
    return;
  }
  SendMessageA(FHandle, LVM_SETITEMCOUNT, FItems.Count(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  InvalidateRect(FHandle, nullptr, TRUE);
}

void TListView::RedrawRow(int i) {
  if (FHandle && !FItems.Updating()) SendMessageA(FHandle, LVM_REDRAWITEMS, i, i);
}

LRESULT TListView::DisplayInfo(NMHDR* hdr) {
  // The A and W forms differ only in the text's type.
  auto* info = reinterpret_cast<NMLVDISPINFOA*>(hdr);
  LVITEMA& it = info->item;
  TListItem* row = FItems.Item(it.iItem);
  if (!row) return 0;
  if ((it.mask & LVIF_IMAGE) && it.iSubItem == 0) it.iImage = row->ImageIndex();
  if ((it.mask & LVIF_INDENT) && it.iSubItem == 0) it.iIndent = 0;
  if (!(it.mask & LVIF_TEXT) || !it.pszText || it.cchTextMax <= 0) return 0;
  // Copied into the control's buffer, as much as it holds, whole characters only.
  const std::string text = row->Text(it.iSubItem);
  if (hdr->code == LVN_GETDISPINFOW) {
    auto* w = reinterpret_cast<LPWSTR>(it.pszText);
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    size_t keep = std::min(wide.size(), static_cast<size_t>(it.cchTextMax - 1));
    if (keep > 0 && keep < wide.size() && wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF) --keep;
    std::copy(wide.begin(), wide.begin() + keep, w);
    w[keep] = L'\0';
    return 0;
  }
  size_t keep = 0;
  for (const char* p = text.c_str(); *p;) {
    const char* next = CharNextA(p);
    if (static_cast<size_t>(next - text.c_str()) > static_cast<size_t>(it.cchTextMax - 1)) break;
    keep = static_cast<size_t>(next - text.c_str());
    p = next;
  }
  text.copy(it.pszText, keep);
  it.pszText[keep] = '\0';
  return 0;
}

int TListView::FindRow(NMHDR* hdr) const {
  // Typing a name goes to the next row that begins with it, as in a list of real rows. Some
  // versions ask in the W form whatever the parent's: the two differ in the text's type only.
  const NMLVFINDITEMA& find = *reinterpret_cast<NMLVFINDITEMA*>(hdr);
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
  std::string wanted;
  if (hdr->code == LVN_ODFINDITEMW) {
    const auto* w = reinterpret_cast<LPCWSTR>(find.lvfi.psz);
    const int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return -1;
    wanted.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, 0, w, -1, wanted.data(), n, nullptr, nullptr);
    wanted.resize(static_cast<size_t>(n - 1));
  } else {
    wanted = find.lvfi.psz;
  }
  const int n = FItems.Count();
  if (n == 0) return -1;
  const int start = find.iStart >= 0 && find.iStart < n ? find.iStart : 0;
  const bool wrap = (find.lvfi.flags & LVFI_WRAP) != 0;
  for (int k = 0; k < n; ++k) {
    const int i = start + k;
    if (i >= n && !wrap) break;
    const std::string& caption = FItems.Item(i % n)->Caption();
    if (caption.size() < wanted.size()) continue;
    const bool partial = (find.lvfi.flags & LVFI_PARTIAL) != 0;
    if (!partial && caption.size() != wanted.size()) continue;
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.data(), static_cast<int>(wanted.size()), wanted.data(),
                       static_cast<int>(wanted.size())) == CSTR_EQUAL)
      return i % n;
  }
  return -1;
}

void TListView::ColumnsChanged() {
  if (!FHandle) return;
  while (SendMessageA(FHandle, LVM_DELETECOLUMN, 0, 0)) {
  }
  for (int i = 0; i < FColumns.Count(); ++i) {
    auto* c = static_cast<TListColumn*>(FColumns.Items(i));
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(c->Caption().c_str());
    col.cx = c->Width();
    col.iSubItem = i;
    SendMessageA(FHandle, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
}

void TListView::ApplyImages() {
  if (!FHandle) return;
  SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(FSmallImages ? FSmallImages->Handle() : nullptr));
  SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(FLargeImages ? FLargeImages->Handle() : nullptr));
}

void TListView::SetViewStyle(TViewStyle v) {
  if (v == FViewStyle || v < vsIcon || v > vsReport) return;
  FViewStyle = v;
  if (FHandle) {
    static const DWORD styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    LONG s = GetWindowLongA(FHandle, GWL_STYLE);
    SetWindowLongA(FHandle, GWL_STYLE, (s & ~LVS_TYPEMASK) | styles[v]);
  }
}

void TListView::SetSmallImages(TImageList* v) {
  if (v == FSmallImages) return;
  FSmallImages = v;
  if (v) v->FreeNotification(this);
  ApplyImages();
}

void TListView::SetLargeImages(TImageList* v) {
  if (v == FLargeImages) return;
  FLargeImages = v;
  if (v) v->FreeNotification(this);
  ApplyImages();
}

void TListView::SetRowSelect(bool v) {
  FRowSelect = v;
  // Older common controls ignore the extended style; the first column alone is then highlighted.
  if (FHandle) SendMessageA(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, v ? LVS_EX_FULLROWSELECT : 0);
}

void TListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FSmallImages) FSmallImages = nullptr;
  else if (AComponent == FLargeImages) FLargeImages = nullptr;
  else return;
  ApplyImages();
}

TListItem* TListView::Selected() {
  if (!FHandle) return nullptr;
  int i = static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  return FItems.Item(i);
}

void TListView::SetSelected(TListItem* item) {
  if (!FHandle) return;
  LVITEMA it{};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = 0;
  SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
  int i = FItems.IndexOf(item);
  if (i < 0) return;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(FHandle, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&it));
  SendMessageA(FHandle, LVM_ENSUREVISIBLE, i, FALSE);
}

LRESULT TListView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    if (hdr->code == LVN_GETDISPINFOA || hdr->code == LVN_GETDISPINFOW) return DisplayInfo(hdr);
    if (hdr->code == LVN_ODFINDITEMA || hdr->code == LVN_ODFINDITEMW) return FindRow(hdr);
    if (hdr->code == LVN_ITEMCHANGED && OnChange) {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(lp);
      if (nm->uChanged & LVIF_STATE) OnChange(this);
    }
    return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

void RegisterComCtrlClasses() {
  for (const TClassInfo* c : {&TTabSheet::StaticClassInfo(), &TPageControl::StaticClassInfo(), &TTabControl::StaticClassInfo(),
                              &TTreeView::StaticClassInfo(), &TListView::StaticClassInfo(), &TImageList::StaticClassInfo()})
    RegisterComponentClass(*c);
}
