// The system's standard and common controls wrapped as components, read from a description.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "TestSupport.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace {

class TCtlForm : public TForm {
  VELMORA_CLASS(TCtlForm, TForm)
 public:
  explicit TCtlForm(TComponent* owner) : TForm(owner) {
    BindField("Pages", Pages);
    BindField("Sheet1", Sheet1);
    BindField("Sheet2", Sheet2);
    BindField("Sheet3", Sheet3);
    BindField("Tree", Tree);
    BindField("List", List);
    BindField("Checks", Checks);
    BindField("Ok", Ok);
    BindField("Quit", Quit);
    BindField("Field", Field);
    BindField("Memo", Memo);
    BindField("Combo", Combo);
    BindField("Book", Book);
    BindField("Strip", Strip);
    RegisterHandler("PagesChange", TNotifyEvent([this](TObject*) { ++PageChanges; }));
    RegisterHandler("OkClick", TNotifyEvent([this](TObject*) { ++OkClicks; }));
    RegisterHandler("ComboChange", TNotifyEvent([this](TObject*) { ++ComboChanges; }));
    RegisterHandler("ChecksClick", TNotifyEvent([this](TObject*) { ++CheckClicks; }));
    RegisterHandler("StripChange", TNotifyEvent([this](TObject*) { ++StripChanges; }));
    RegisterHandler("TreeChange", TTVChangedEvent([this](TObject*, TTreeNode* n) { LastNode = n; }));
    LoadDescriptionText(R"(object CtlForm: TCtlForm
  BorderStyle = bsDialog
  Caption = 'Controls'
  ClientWidth = 400
  ClientHeight = 300
  Font.Name = 'Tahoma'
  Font.Height = -11
  object Pages: TPageControl
    Left = 5
    Top = 5
    Width = 250
    Height = 200
    MultiLine = True
    ActivePage = Sheet2
    OnChange = PagesChange
    object Sheet1: TTabSheet
      Caption = ' One '
      object Tree: TTreeView
        Left = 0
        Top = 0
        Width = 200
        Height = 100
        OnChange = TreeChange
      end
    end
    object Sheet2: TTabSheet
      Caption = ' Two '
      object List: TListView
        Left = 0
        Top = 0
        Width = 200
        Height = 100
        ViewStyle = vsReport
        Columns = <
          item
            Caption = 'Name'
            Width = 80
          end
          item
            Caption = 'Port'
            Width = 60
          end>
      end
    end
    object Sheet3: TTabSheet
      Caption = 'Three'
      TabVisible = False
      object Checks: TCheckListBox
        Left = 0
        Top = 0
        Width = 150
        Height = 80
        OnClickCheck = ChecksClick
      end
    end
  end
  object Ok: TButton
    Left = 260
    Top = 10
    Caption = 'OK'
    Default = True
    ModalResult = mrOk
    OnClick = OkClick
  end
  object Quit: TButton
    Left = 260
    Top = 40
    Caption = 'Close'
    Cancel = True
    ModalResult = mrCancel
  end
  object Field: TEdit
    Left = 260
    Top = 70
    ReadOnly = True
    Color = clBtnFace
    Text = 'read only'
  end
  object Memo: TMemo
    Left = 260
    Top = 100
    Width = 130
    Height = 60
    ScrollBars = ssBoth
    WordWrap = False
    Lines.Strings = (
      'first'
      'second')
  end
  object Combo: TComboBox
    Left = 260
    Top = 170
    Items.Strings = (
      'C:'
      'D:')
    OnChange = ComboChange
  end
  object Book: TNotebook
    Left = 5
    Top = 210
    Width = 100
    Height = 80
    object PageA: TPage
    end
    object PageB: TPage
    end
  end
  object Strip: TTabControl
    Left = 110
    Top = 210
    Width = 200
    Height = 80
    Tabs.Strings = (
      'User'
      'Common')
    OnChange = StripChange
  end
end
)", "Ctl");
  }
  TPageControl* Pages = nullptr;
  TTabSheet *Sheet1 = nullptr, *Sheet2 = nullptr, *Sheet3 = nullptr;
  TTreeView* Tree = nullptr;
  TListView* List = nullptr;
  TCheckListBox* Checks = nullptr;
  TButton *Ok = nullptr, *Quit = nullptr;
  TEdit* Field = nullptr;
  TMemo* Memo = nullptr;
  TComboBox* Combo = nullptr;
  TNotebook* Book = nullptr;
  TTabControl* Strip = nullptr;
  int PageChanges = 0, OkClicks = 0, ComboChanges = 0, CheckClicks = 0, StripChanges = 0;
  TTreeNode* LastNode = nullptr;
};
VELMORA_CLASS_INFO(TCtlForm) {}

class StdControls : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterStdControlClasses();
      RegisterExtControlClasses();
      RegisterCheckListClasses();
      RegisterComCtrlClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    f = new TCtlForm(app);
    f->Show();
  }
  void TearDown() override {
    delete app;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  // What a user's choice of a tab sends: the system's notification to the control's parent.
  static void NotifyParent(TWinControl* c, UINT code) {
    NMHDR h{c->Handle(), 0, code};
    SendMessageA(GetParent(c->Handle()), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&h));
  }
  static std::string ItemText(HWND list, int item, int sub) {
    char buf[128] = "";
    LVITEMA it{};
    it.iSubItem = sub;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
    return buf;
  }
  static std::string TreeText(HWND tree, HTREEITEM h) {
    char buf[128] = "";
    TVITEMA it{};
    it.mask = TVIF_TEXT;
    it.hItem = h;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    return buf;
  }
  TApplication* app = nullptr;
  TCtlForm* f = nullptr;
  std::vector<std::string> errors;
};

HWND s_other = nullptr, s_memo = nullptr;
bool s_otherWasDisabled = false;
void CALLBACK WhileModal(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  s_otherWasDisabled = !IsWindowEnabled(s_other);
  PostMessageA(s_memo, WM_KEYDOWN, VK_ESCAPE, 0);
}

BOOL CALLBACK CountPageControls(HWND h, LPARAM n) {
  char cls[32];
  GetClassNameA(h, cls, sizeof cls);
  if (std::string(cls) == "TPageControl") ++*reinterpret_cast<int*>(n);
  return TRUE;
}

}  // namespace

TEST_F(StdControls, PageControlShowsVisibleTabsAndOnlyTheActivePage) {
  HWND tabs = f->Pages->Handle();
  char cls[64];
  GetClassNameA(tabs, cls, sizeof cls);
  EXPECT_STREQ(cls, "TPageControl");
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);  // the hidden sheet has no tab
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(GetWindowLongA(tabs, GWL_STYLE) & TCS_MULTILINE);
  EXPECT_TRUE(IsWindowVisible(f->Sheet2->Handle()));
  EXPECT_FALSE(IsWindowVisible(f->Sheet1->Handle()));
  // The pages fill the display area below the tabs.
  RECT r = f->Pages->AlignRect();
  EXPECT_EQ(f->Sheet1->Top(), r.top);
  EXPECT_GT(r.top, 10);
  EXPECT_EQ(f->Sheet2->Width(), r.right - r.left);

  SendMessageA(tabs, TCM_SETCURSEL, 0, 0);
  NotifyParent(f->Pages, TCN_SELCHANGE);
  EXPECT_EQ(f->Pages->ActivePage(), f->Sheet1);
  EXPECT_EQ(f->PageChanges, 1);
  EXPECT_TRUE(IsWindowVisible(f->Sheet1->Handle()));
  EXPECT_FALSE(IsWindowVisible(f->Sheet2->Handle()));

  f->Sheet3->SetTabVisible(true);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  f->Pages->SetActivePageIndex(2);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 2);
  // Hiding the active page's tab moves to the first visible one.
  f->Sheet3->SetTabVisible(false);
  EXPECT_EQ(f->Pages->ActivePage(), f->Sheet1);
  f->Sheet1->SetCaption("Uno");
  char text[32] = "";
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "Uno");

  // The tab strip keeps its choice; the notebook shows one page.
  EXPECT_EQ(f->Strip->TabIndex(), 0);
  SendMessageA(f->Strip->Handle(), TCM_SETCURSEL, 1, 0);
  NotifyParent(f->Strip, TCN_SELCHANGE);
  EXPECT_EQ(f->Strip->TabIndex(), 1);
  EXPECT_EQ(f->StripChanges, 1);
  EXPECT_TRUE(IsWindowVisible(f->Book->Pages(0)->Handle()));
  f->Book->SetPageIndex(1);
  EXPECT_FALSE(IsWindowVisible(f->Book->Pages(0)->Handle()));
  EXPECT_TRUE(IsWindowVisible(f->Book->Pages(1)->Handle()));
  f->Book->SetPageIndex(7);
  EXPECT_EQ(f->Book->PageIndex(), 1);
}

TEST_F(StdControls, TreeViewNodesSortSelectAndClear) {
  TTreeNodes& n = f->Tree->Items();
  TTreeNode* root = n.AddChild(nullptr, "PC");
  TTreeNode* disks = n.AddChild(root, "Disk drives");
  n.AddChild(disks, "Zip 100");
  TTreeNode* a = n.AddChild(disks, "ATA disk");
  a->Data = 42;
  disks->AlphaSort();
  root->Expand(false);
  HWND h = f->Tree->Handle();
  EXPECT_EQ(SendMessageA(h, TVM_GETCOUNT, 0, 0), 4);
  auto first = reinterpret_cast<HTREEITEM>(SendMessageA(h, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(disks->ItemId())));
  EXPECT_EQ(TreeText(h, first), "ATA disk");
  EXPECT_EQ(a->Level(), 2);
  EXPECT_EQ(disks->Count(), 2);
  EXPECT_TRUE(root->Expanded());

  f->Tree->SetSelected(a);
  EXPECT_EQ(f->Tree->Selected(), a);
  EXPECT_EQ(f->LastNode, a);
  EXPECT_EQ(f->Tree->Selected()->Data, 42);
  n.Clear();
  EXPECT_EQ(SendMessageA(h, TVM_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(f->Tree->Selected(), nullptr);
  EXPECT_EQ(f->LastNode, a);  // clearing reports no selection change
}

// Virtual (the control asks for the rows it shows) and, as on the first common controls of
// Windows 95, holding its rows: the same rows either way.
TEST_F(StdControls, ListViewRowsWithColumnsSubItemsAndDeletion) {
  for (bool virtualList : {true, false}) {
    SCOPED_TRACE(virtualList ? "virtual" : "holding its rows");
    SetVirtualListViews(virtualList);
    auto* g = new TCtlForm(nullptr);
    TListView* list = g->List;
    TListItems& items = list->Items();
    // Rows added before the control exists are there when it comes.
    items.Add()->SetCaption("Early");
    HWND h = list->Handle();
    SetVirtualListViews(true);
    EXPECT_EQ(list->Virtual(), virtualList);
    HWND header = reinterpret_cast<HWND>(SendMessageA(h, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(h, LVM_GETCOLUMNWIDTH, 0, 0), 80);
    EXPECT_EQ(ItemText(h, 0, 0), "Early");
    items.Clear();
    items.BeginUpdate();
    for (const char* name : {"Laser", "Inkjet", "Plotter"}) {
      TListItem* it = items.Add();
      it->SetCaption(name);
      it->SetImageIndex(name[0] == 'I' ? 2 : 1);
      it->SubItems().Add(std::string("LPT") + name[0]);
    }
    items.EndUpdate();
    EXPECT_EQ(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(ItemText(h, 1, 0), "Inkjet");
    EXPECT_EQ(ItemText(h, 1, 1), "LPTI");
    EXPECT_EQ(ItemText(h, 1, 2), "");  // beyond the sub-items
    LVITEMA image{};
    image.mask = LVIF_IMAGE;
    image.iItem = 1;
    SendMessageA(h, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&image));
    EXPECT_EQ(image.iImage, 2);
    // Changed after it was added: the control shows the new text.
    items.Item(2)->SetCaption("Plotter 2");
    EXPECT_EQ(ItemText(h, 2, 0), "Plotter 2");
    // A text longer than the asker's buffer comes cut to it (what a list holding its rows gives
    // is the control's own affair).
    items.Item(0)->SubItems().Put(0, std::string(300, 'p'));
    char small[9] = "";
    LVITEMA it{};
    it.iSubItem = 1;
    it.pszText = small;
    it.cchTextMax = sizeof small - 1;
    SendMessageA(h, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&it));
    if (virtualList) EXPECT_STREQ(small, "ppppppp");
    // Typing a name finds the row that begins with it.
    LVFINDINFOA find{};
    find.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
    find.psz = "plo";
    EXPECT_EQ(SendMessageA(h, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 2);
    list->SetSelected(items.Item(1));
    EXPECT_EQ(list->Selected(), items.Item(1));
    list->Selected()->Delete();
    EXPECT_EQ(items.Count(), 2);
    EXPECT_EQ(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ItemText(h, 1, 0), "Plotter 2");
    EXPECT_EQ(items.Item(1)->Index(), 1);
    EXPECT_EQ(list->Selected(), nullptr);
    list->SetSelected(items.Item(1));
    EXPECT_EQ(list->Selected(), items.Item(1));
    items.Clear();
    EXPECT_EQ(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(list->Selected(), nullptr);
    delete g;
  }
}

TEST_F(StdControls, CheckListTogglesOnItsBoxAndKeepsMarksWhileGrowing) {
  f->Sheet3->SetTabVisible(true);
  f->Pages->SetActivePage(f->Sheet3);
  TCheckListBox* c = f->Checks;
  c->Items().Add("Long Filenames");
  c->SetChecked(0, true);
  c->Items().Add("Case Sensitive");
  EXPECT_TRUE(c->Checked(0));
  EXPECT_FALSE(c->Checked(1));
  HWND h = c->Handle();
  RECT r;
  SendMessageA(h, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 5, r.top + 3));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 5, r.top + 3));
  EXPECT_TRUE(c->Checked(1));
  EXPECT_EQ(f->CheckClicks, 1);
  // A click on the text selects without toggling.
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 60, r.top + 3));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 60, r.top + 3));
  EXPECT_TRUE(c->Checked(1));
  EXPECT_EQ(c->ItemIndex(), 1);
  SendMessageA(h, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_FALSE(c->Checked(1));
  EXPECT_EQ(f->CheckClicks, 2);
  c->Items().Clear();
  EXPECT_FALSE(c->Checked(0));
}

TEST_F(StdControls, ButtonsEditsMemosAndCombos) {
  // A click is reported once, by the system control itself.
  HWND ok = f->Ok->Handle();
  SendMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(f->OkClicks, 1);
  SendMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_EQ(f->OkClicks, 2);
  EXPECT_TRUE(GetWindowLongA(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_EQ(f->DefaultButton, f->Ok);
  EXPECT_EQ(f->CancelButton, f->Quit);

  EXPECT_EQ(f->Field->Text(), "read only");
  EXPECT_TRUE(GetWindowLongA(f->Field->Handle(), GWL_STYLE) & ES_READONLY);
  // The field paints with its own colour.
  HDC dc = GetDC(f->Field->Handle());
  LRESULT brush = SendMessageA(f->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(f->Field->Handle()));
  EXPECT_NE(brush, 0);
  EXPECT_EQ(GetBkColor(dc), ColorToRGB(clBtnFace));
  ReleaseDC(f->Field->Handle(), dc);

  char text[64];
  GetWindowTextA(f->Memo->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "first\r\nsecond");
  f->Memo->Lines().Add("third");
  EXPECT_EQ(SendMessageA(f->Memo->Handle(), EM_GETLINECOUNT, 0, 0), 3);

  HWND cb = f->Combo->Handle();
  EXPECT_EQ(SendMessageA(cb, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(f->Combo->ItemIndex(), -1);
  f->Combo->SetItemIndex(1);
  EXPECT_EQ(f->Combo->Text(), "D:");
  SendMessageA(cb, CB_SETCURSEL, 0, 0);
  SendMessageA(f->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(cb));
  EXPECT_EQ(f->ComboChanges, 1);
  EXPECT_EQ(f->Combo->Text(), "C:");
  f->Combo->Items().Put(0, "C: [SYSTEM]");
  EXPECT_EQ(f->Combo->ItemIndex(), 0);  // the choice survives a change of its text
  EXPECT_EQ(f->Combo->Height(), f->Combo->BoundsRect().bottom - f->Combo->Top());
  RECT wr;
  GetWindowRect(cb, &wr);
  EXPECT_LT(wr.bottom - wr.top, 40);  // the closed box, not the dropped list
}

TEST_F(StdControls, ModalFormEndsWithTheButtonsResultAndEnablesTheOthersAgain) {
  auto* other = new TForm(app);
  other->SetBounds(0, 0, 100, 100);
  other->Show();
  // Enter presses the default button, Esc the cancel button.
  PostMessageA(f->Ok->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  f->Hide();
  EXPECT_EQ(f->ShowModal(), mrOk);
  EXPECT_FALSE(IsWindowVisible(f->Handle()));
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));

  // While the modal loop runs, the other window is disabled; Esc then ends the loop.
  s_other = other->Handle();
  s_memo = f->Memo->Handle();
  SetTimer(nullptr, 0, 10, WhileModal);
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_TRUE(s_otherWasDisabled);
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  // Closing the window ends it as cancelled too.
  PostMessageA(f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(f->ShowModal(), mrCancel);
}

// A window freed (closed from outside) while a window it owns runs its modal loop is freed once
// that loop has ended, not under it.
TEST_F(StdControls, AnOwnerFreedDuringItsModalWindowsLoopGoesAfterIt) {
  auto* owner = new TForm(app);
  owner->SetBounds(0, 0, 100, 100);
  owner->Show();
  bool ownerGone = false, modalGone = false;
  owner->OnDestroy = [&](TObject*) { ownerGone = true; };
  auto* modal = new TForm(owner);
  modal->SetBounds(0, 0, 100, 100);
  modal->OnDestroy = [&](TObject*) { modalGone = true; };
  owner->Release();
  PostMessageA(modal->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(modal->ShowModal(), mrCancel);
  EXPECT_FALSE(ownerGone);
  EXPECT_FALSE(modalGone);
  EXPECT_TRUE(PumpUntil([&] { return ownerGone; }));
  EXPECT_TRUE(modalGone);
}

TEST_F(StdControls, SaveDialogGoesThroughTheHookWhenSet) {
  TSaveDialog d(nullptr);
  d.SetFileName("SystemInfo.txt");
  std::string proposed;
  SetSaveDialogHook([&](TSaveDialog& dlg) {
    proposed = dlg.FileName();
    dlg.SetFileName("C:\\out.txt");
    return true;
  });
  EXPECT_TRUE(d.Execute());
  SetSaveDialogHook(nullptr);
  EXPECT_EQ(proposed, "SystemInfo.txt");
  EXPECT_EQ(d.FileName(), "C:\\out.txt");
}

namespace {
std::string s_proposed;
void CALLBACK ReadAndCancelSaveDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", nullptr);
  if (!box || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;  // not yet
  KillTimer(nullptr, id);
  char text[1024] = "";
  GetDlgItemTextA(box, 0x47C, text, sizeof text);
  s_proposed = text;
  PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}
}  // namespace

// The system's dialog copies the proposed name into a buffer of MAX_PATH characters of its own
// on some versions: a longer name is cut before it is handed over.
TEST_F(StdControls, SaveDialogGetsAProposedNameItCanHold) {
  TSaveDialog d(nullptr);
  d.SetFileName(std::string(3000, 'n') + ".txt");
  s_proposed.clear();
  UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadAndCancelSaveDialog);
  EXPECT_FALSE(d.Execute(f->Handle()));
  KillTimer(nullptr, timer);
  EXPECT_EQ(s_proposed, std::string(MAX_PATH - 1, 'n'));
}

TEST_F(StdControls, AChildAskedForItsWindowFirstIsCreatedOnce) {
  // A form that never showed: the tree deep inside asks first, and its parents follow.
  auto* g = new TCtlForm(nullptr);
  HWND tree = g->Tree->Handle();
  EXPECT_EQ(GetParent(tree), g->Sheet1->Handle());
  EXPECT_EQ(GetParent(g->Sheet1->Handle()), g->Pages->Handle());
  int windows = 0;
  EnumChildWindows(g->Handle(), CountPageControls, reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 1);
  delete g;
}

TEST_F(StdControls, CtrlTabTurnsThePagesAroundTheFocus) {
  BYTE keys[256], saved[256];
  GetKeyboardState(saved);
  auto press = [&](bool shift) {
    std::copy(saved, saved + 256, keys);
    keys[VK_CONTROL] = 0x80;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(f->Memo->Handle(), WM_KEYDOWN, VK_TAB, 0);
    app->ProcessMessages();
    SetKeyboardState(saved);
  };
  ASSERT_EQ(f->Pages->ActivePage(), f->Sheet2);
  press(false);  // the hidden third page is passed over, round to the first
  EXPECT_EQ(f->Pages->ActivePage(), f->Sheet1);
  EXPECT_EQ(f->PageChanges, 1);
  press(true);
  EXPECT_EQ(f->Pages->ActivePage(), f->Sheet2);
  EXPECT_EQ(SendMessageA(f->Pages->Handle(), TCM_GETCURSEL, 0, 0), 1);
}
