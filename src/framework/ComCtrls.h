// The system's common controls as components: page control with tab sheets, tab strip, tree view
// and list view.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/Controls.h"
#include "framework/ImgList.h"
#include "framework/Strings.h"

class TPageControl;

// One page of a page control; its caption is the tab's text.
class TTabSheet : public TWinControl {
  VELMORA_CLASS(TTabSheet, TWinControl)

 public:
  explicit TTabSheet(TComponent* AOwner);
  TPageControl* PageControl() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool v);
  int PageIndex() const;  // among all sheets of the page control, or -1

 protected:
  void TextChanged() override;

 private:
  bool FTabVisible = true;
};

// Pages under tabs (on several rows when MultiLine); the active page alone is shown.
class TPageControl : public TWinControl {
  VELMORA_CLASS(TPageControl, TWinControl)

 public:
  explicit TPageControl(TComponent* AOwner);
  int PageCount() const;
  TTabSheet* Pages(int i) const;  // null outside 0..PageCount-1
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* v);
  int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
  void SetActivePageIndex(int i) { SetActivePage(Pages(i)); }
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool v) { FMultiLine = v; }
  RECT AlignRect() const override;
  // Tabs again from the sheets' captions and visibility.
  void UpdateTabs();
  // The next (or previous) page with a visible tab, round the end; raises OnChange.
  bool TurnPage(bool forward) override;
  TNotifyEvent OnChange;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void LayoutSheets();
  void ShowActive();
  TTabSheet* FActivePage = nullptr;
  bool FMultiLine = false;
  // The tabs the strip holds: a page change only selects one, the strip is made again only when
  // the pages' tabs themselves change.
  std::vector<std::pair<TTabSheet*, std::string>> FTabs;
  bool FSelecting = false;  // the program selects a tab: the strip's notices are its own
};

// A row (or rows) of tabs whose choice the program reads; children sit in its display area.
class TTabControl : public TWinControl {
  VELMORA_CLASS(TTabControl, TWinControl)

 public:
  explicit TTabControl(TComponent* AOwner);
  ~TTabControl() override;
  TStrings& Tabs() { return *FTabs; }
  TStrings* TabsPtr() { return FTabs.get(); }
  int TabIndex() const { return FTabIndex; }
  void SetTabIndex(int v);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool v) { FMultiLine = v; }
  RECT AlignRect() const override;
  TNotifyEvent OnChange;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  void TabsChanged();
  std::unique_ptr<TStrings> FTabs;
  int FTabIndex = -1;
  bool FSelecting = false;
  bool FMultiLine = false;
};

class TTreeView;

// A node of a tree view; it lives until the tree's items are cleared.
class TTreeNode {
 public:
  TTreeNode(TTreeView* tree, TTreeNode* parent, HTREEITEM item, const std::string& text);
  const std::string& Text() const { return FText; }
  TTreeNode* Parent() const { return FParent; }
  int Level() const { return FLevel; }
  HTREEITEM ItemId() const { return FItem; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int v);
  intptr_t Data = 0;
  void Expand(bool recurse);
  bool Expanded() const;
  // Sorts the children by their text (case-insensitive).
  void AlphaSort();
  int Count() const;

 private:
  friend class TTreeNodes;
  TTreeView* FTree;
  TTreeNode* FParent;
  HTREEITEM FItem;
  std::string FText;
  int FLevel;
  int FImageIndex = -1, FSelectedIndex = -1;
};

class TTreeNodes {
 public:
  explicit TTreeNodes(TTreeView* tree) : FTree(tree) {}
  // Adds a node as the last child of parent (null: a root node).
  TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
  void Clear();
  int Count() const { return static_cast<int>(FNodes.size()); }
  TTreeNode* Item(int i) const { return FNodes[i].get(); }
  TTreeNode* FromItem(HTREEITEM h) const;
  void BeginUpdate();
  void EndUpdate();

 private:
  TTreeView* FTree;
  std::vector<std::unique_ptr<TTreeNode>> FNodes;
};

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;

class TTreeView : public TWinControl {
  VELMORA_CLASS(TTreeView, TWinControl)

 public:
  explicit TTreeView(TComponent* AOwner);
  ~TTreeView() override;
  TTreeNodes& Items() { return FItems; }
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* v);
  TTreeNode* Selected();
  void SetSelected(TTreeNode* node);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v) { FHideSelection = v; }
  TTVChangedEvent OnChange;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TTreeNodes FItems;
  TImageList* FImages = nullptr;
  bool FReadOnly = true, FHideSelection = true, FClearing = false;
  friend class TTreeNodes;
};

class TListColumn : public TCollectionItem {
  VELMORA_CLASS(TListColumn, TCollectionItem)

 public:
  explicit TListColumn(TCollection* c) : TCollectionItem(c) {}
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  int Width() const { return FWidth; }
  void SetWidth(int v);

 private:
  std::string FCaption;
  int FWidth = 50;
};

class TListView;

// A row of a list view: the caption is the first column, SubItems the others.
class TListItem {
 public:
  explicit TListItem(TListView* view);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TStrings& SubItems() { return *FSubItems; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v);
  intptr_t Data = 0;
  int Index() const { return FIndex; }
  // The text of column 0 (the caption) or of a sub-item; empty beyond them.
  std::string Text(int column) const;
  // Removes the row from its list view and frees it.
  void Delete();

 private:
  friend class TListItems;
  void PushSubItems();
  TListView* FView;
  std::string FCaption;
  std::unique_ptr<TStrings> FSubItems;
  int FImageIndex = -1;
  int FIndex = -1;
};

class TListItems {
 public:
  explicit TListItems(TListView* view) : FView(view) {}
  TListItem* Add();
  void Clear();
  void Delete(int i);
  int Count() const { return static_cast<int>(FItems.size()); }
  TListItem* Item(int i) const { return i >= 0 && i < Count() ? FItems[i].get() : nullptr; }
  int IndexOf(const TListItem* item) const;
  // Between the two, rows are added without the control being told row by row.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FUpdating > 0; }

 private:
  friend class TListView;
  void Insert(TListItem* item, int i);
  TListView* FView;
  std::vector<std::unique_ptr<TListItem>> FItems;
  int FUpdating = 0;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
const TEnumInfo& ViewStyleInfo();

class TListView : public TWinControl {
  VELMORA_CLASS(TListView, TWinControl)

 public:
  explicit TListView(TComponent* AOwner);
  ~TListView() override;
  TCollection* Columns() { return &FColumns; }
  TListItems& Items() { return FItems; }
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle v);
  TImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TImageList* v);
  TImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TImageList* v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool v);
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool v) { FShowColumnHeaders = v; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v) { FHideSelection = v; }
  TListItem* Selected();
  void SetSelected(TListItem* item);
  // Whether the control holds no rows of its own and asks for each one it shows (a read-only
  // list, where the common controls can do that: 4.70 and later).
  bool Virtual() const { return FVirtual; }
  TNotifyEvent OnChange;  // the selection moved
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TListItem;
  friend class TListItems;
  void ColumnsChanged();
  void ApplyImages();
  // The control told of the rows it has (all of them, or the count of a virtual list).
  void SyncRows();
  void RedrawRow(int i);
  LRESULT DisplayInfo(NMHDR* hdr);
  int FindRow(NMHDR* find) const;
  bool FVirtual = false;
  TCollection FColumns;
  TListItems FItems;
  TViewStyle FViewStyle = vsIcon;
  TImageList *FSmallImages = nullptr, *FLargeImages = nullptr;
  bool FReadOnly = true, FRowSelect = false, FShowColumnHeaders = true, FHideSelection = true;
};

// Whether list views may be virtual where the common controls allow it; tests turn it off to
// play the first common controls of Windows 95, which do not.
void SetVirtualListViews(bool allowed);

void RegisterComCtrlClasses();
