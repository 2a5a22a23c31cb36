#include "framework/StdCtrls.h"
#include "framework/Accelerators.h"
#include "framework/Forms.h"

const TEnumInfo& TextLayoutInfo() {
  static const TEnumInfo e{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
  return e;
}

VELMORA_CLASS_INFO(TLabel) {
  b.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, AlignmentInfo());
  b.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize);
  b.Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent);
  b.Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap);
  b.Enum("Layout", &TLabel::Layout, &TLabel::SetLayout, TextLayoutInfo());
  b.Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar);
  b.Creatable();
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FWidth = 65;
  FHeight = 17;
}

void TLabel::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TLabel::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AdjustBounds();
}

void TLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Invalidate();
}

void TLabel::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetLayout(TTextLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool v) {
  if (v == FShowAccelChar) return;
  FShowAccelChar = v;
  AdjustBounds();
  Invalidate();
}

unsigned TLabel::TextFlags() const {
  unsigned f = DT_EXPANDTABS;
  if (FWordWrap) f |= DT_WORDBREAK;
  if (!FShowAccelChar) f |= DT_NOPREFIX;
  f |= FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
  return f;
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || Loading()) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  RECT r{0, 0, FWordWrap ? FWidth : 0, 0};
  std::string text = FCaption.empty() ? std::string(" ") : FCaption;
  ::DrawTextA(dc, text.c_str(), -1, &r, TextFlags() | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int x = FLeft;
  if (FAlignment == taRightJustify) x += FWidth - r.right;
  else if (FAlignment == taCenter) x += (FWidth - r.right) / 2;
  SetBounds(x, FTop, r.right, r.bottom);
}

void TLabel::Paint() {
  RECT r = ClientRect();
  if (!FTransparent) {
    Canvas().Brush().SetColor(Color());
    Canvas().Brush().SetStyle(bsSolid);
    Canvas().FillRect(r);
  }
  Canvas().Brush().SetStyle(bsClear);
  unsigned flags = TextFlags();
  if (FLayout != tlTop) {
    RECT calc = r;
    Canvas().DrawText(FCaption, calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    r.top = FLayout == tlCenter ? (r.bottom - h) / 2 : r.bottom - h;
  }
  if (!Enabled()) {
    OffsetRect(&r, 1, 1);
    Canvas().Font().SetColor(clBtnHighlight);
    Canvas().DrawText(FCaption, r, flags);
    OffsetRect(&r, -1, -1);
    Canvas().Font().SetColor(clBtnShadow);
  }
  Canvas().DrawText(FCaption, r, flags);
}


// ---------------------------------------------------------------- TButton

VELMORA_CLASS_INFO(TButton) {
  b.Bool("Default", &TButton::Default, &TButton::SetDefault);
  b.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel);
  b.Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, &ModalResultIdents());
  b.Creatable();
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
  FTabStop = true;
}

TButton::~TButton() {
  if (FForm) {
    if (FForm->DefaultButton == this) FForm->DefaultButton = nullptr;
    if (FForm->CancelButton == this) FForm->CancelButton = nullptr;
  }
}

void TButton::Register() {
  if (Loading()) return;
  TForm* f = ParentForm(this);
  if (!f) return;
  FForm = f;
  if (FDefault) f->DefaultButton = this;
  else if (f->DefaultButton == this) f->DefaultButton = nullptr;
  if (FCancel) f->CancelButton = this;
  else if (f->CancelButton == this) f->CancelButton = nullptr;
  f->UpdateDefaultLook();
}

void TButton::SetDefault(bool v) {
  if (v == FDefault) return;
  FDefault = v;
  Register();
}

void TButton::SetDefaultLook(bool v) {
  FDefaultLook = v;
  if (FHandle) SendMessageA(FHandle, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::SetCancel(bool v) {
  if (v == FCancel) return;
  FCancel = v;
  Register();
}

void TButton::Loaded() {
  TWinControl::Loaded();
  Register();
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "BUTTON";
  p.Style |= FDefaultLook ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

bool TButton::DialogChar(char key) {
  if (!Enabled() || !Visible() || !IsAccel(key, FCaption)) return false;
  // As a click does, the press takes the focus to the button.
  if (CanFocus()) SetFocus();
  Click();
  return true;
}

void TButton::Click() {
  if (FModalResult != 0)
    if (TForm* f = ParentForm(this)) f->SetModalResult(FModalResult);
  TWinControl::Click();
}

LRESULT TButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) {
    if (HIWORD(wp) == BN_CLICKED) Click();
    return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TGroupBox

VELMORA_CLASS_INFO(TGroupBox) { b.Creatable(); }

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 185;
  FHeight = 105;
}

void TGroupBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "BUTTON";
  p.Style |= BS_GROUPBOX;
}

RECT TGroupBox::AlignRect() const {
  RECT r = ClientRect();
  r.left += 2;
  r.right -= 2;
  r.top += 15;
  r.bottom -= 2;
  return r;
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: {
      // The system's group box draws only its frame and caption.
      RECT r;
      GetClientRect(FHandle, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, BackgroundBrush());
      return 1;
    }
    case WM_PAINT: {
      // The system draws the frame and the caption; the labels and meters inside come after.
      LRESULT r = TWinControl::WndProc(msg, wp, lp);
      HDC dc = GetDC(FHandle);
      PaintControls(dc);
      ReleaseDC(FHandle, dc);
      return r;
    }
    case WM_NCHITTEST:
      return HTCLIENT;  // the system's says "transparent", which hides it from its children's parent
  }
  return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TEdit, TMemo

VELMORA_CLASS_INFO(TEdit) {
  b.Str("Text", &TEdit::Text, &TEdit::SetText);
  b.Bool("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly);
  b.Event("OnChange", &TEdit::OnChange);
  b.Creatable();
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 121;
  FHeight = 21;
  FColor = clWindow;
  FParentColor = false;
  FTabStop = true;
}

std::string TEdit::Text() const {
  if (!FHandle) return FCaption;
  int n = GetWindowTextLengthA(FHandle);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(FHandle, s.data(), n + 1);
  s.resize(static_cast<size_t>(n < 0 ? 0 : n));
  return s;
}

void TEdit::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  if (FHandle) SendMessageA(FHandle, EM_SETREADONLY, v, 0);
}

void TEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "EDIT";
  p.Style |= ES_AUTOHSCROLL;
  if (FReadOnly) p.Style |= ES_READONLY;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) {
    if (HIWORD(wp) == EN_CHANGE && OnChange) OnChange(this);
    return 0;
  }
  // A read-only text takes no Tab nor Enter: they move on and press the default button.
  if (msg == WM_GETDLGCODE && FReadOnly)
    return TWinControl::WndProc(msg, wp, lp) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return TWinControl::WndProc(msg, wp, lp);
}

const TEnumInfo& ScrollStyleInfo() {
  static const TEnumInfo e{"TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};
  return e;
}

VELMORA_CLASS_INFO(TMemo) {
  b.Strings("Lines", &TMemo::LinesPtr);
  b.Enum("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars, ScrollStyleInfo());
  b.Bool("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap);
  b.Creatable();
}

TMemo::TMemo(TComponent* AOwner) : TEdit(AOwner), FLines(std::make_unique<TStringList>()) {
  FWidth = 185;
  FHeight = 89;
  FLines->OnChange = [this](TObject*) {
    FCaption = FLines->Text();
    if (FCaption.size() >= 2) FCaption.resize(FCaption.size() - 2);  // no empty line after the last
    if (FHandle) SetWindowTextA(FHandle, FCaption.c_str());
  };
}

TMemo::~TMemo() { FLines->OnChange = nullptr; }

void TMemo::CreateParams(TCreateParams& p) {
  TEdit::CreateParams(p);
  p.Style &= ~ES_AUTOHSCROLL;
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (!FWordWrap || FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
}

void TMemo::CreateWnd() {
  TEdit::CreateWnd();
  SetWindowTextA(FHandle, FCaption.c_str());
}

// ---------------------------------------------------------------- TListBox

VELMORA_CLASS_INFO(TListBox) {
  b.Strings("Items", &TListBox::ItemsPtr);
  b.Bool("Sorted", &TListBox::Sorted, &TListBox::SetSorted);
  b.Int("Columns", &TListBox::Columns, &TListBox::SetColumns);
  b.Int("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight);
  b.Creatable();
}

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
  FWidth = 121;
  FHeight = 97;
  FColor = clWindow;
  FParentColor = false;
  FTabStop = true;
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TListBox::~TListBox() { FItems->OnChange = nullptr; }

void TListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "LISTBOX";
  p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  if (FSorted) p.Style |= LBS_SORT;
  if (FColumns > 0) p.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyColumns();
  ItemsChanged();
}

void TListBox::ApplyColumns() {
  if (FHandle && FColumns > 0) SendMessageA(FHandle, LB_SETCOLUMNWIDTH, (FWidth - 4) / FColumns, 0);
}

void TListBox::SetColumns(int v) {
  if (v < 0) v = 0;
  if (v == FColumns) return;
  FColumns = v;
  ApplyColumns();
}

void TListBox::SetItemHeight(int v) {
  if (v < 1 || v > 255) return;  // what a list box item can be
  FItemHeight = v;
}

void TListBox::ItemsChanged() {
  if (!FHandle) return;
  SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
  SendMessageA(FHandle, LB_RESETCONTENT, 0, 0);
  for (const std::string& s : FItems->Items()) SendMessageA(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FHandle, nullptr, TRUE);
}

int TListBox::ItemIndex() { return FHandle ? static_cast<int>(SendMessageA(FHandle, LB_GETCURSEL, 0, 0)) : -1; }

void TListBox::SetItemIndex(int v) {
  if (FHandle) SendMessageA(FHandle, LB_SETCURSEL, v, 0);
}

LRESULT TListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) return 0;
  return TWinControl::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TComboBox

const TEnumInfo& ComboBoxStyleInfo() {
  static const TEnumInfo e{"TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList"}};
  return e;
}

VELMORA_CLASS_INFO(TComboBox) {
  b.Strings("Items", &TComboBox::ItemsPtr);
  b.Enum("Style", &TComboBox::Style, &TComboBox::SetStyle, ComboBoxStyleInfo());
  b.Int("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount);
  b.Event("OnChange", &TComboBox::OnChange);
  b.Creatable();
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
  FWidth = 145;
  FHeight = 21;
  FColor = clWindow;
  FParentColor = false;
  FTabStop = true;
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TComboBox::~TComboBox() { FItems->OnChange = nullptr; }

int TComboBox::DroppedHeight() const { return FHeight + FDropDownCount * 14 + 4; }

void TComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "COMBOBOX";
  p.Style |= WS_VSCROLL | (FStyle == csDropDownList ? CBS_DROPDOWNLIST : FStyle == csSimple ? CBS_SIMPLE : CBS_DROPDOWN);
  // The window's height includes the dropped-down list.
  p.Height = DroppedHeight();
}

void TComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  ItemsChanged();
  // The closed box takes the height its font gives it.
  RECT r;
  GetWindowRect(FHandle, &r);
  FHeight = r.bottom - r.top;
}

void TComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FHandle) SetWindowPos(FHandle, nullptr, 0, 0, FWidth, DroppedHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TComboBox::ItemsChanged() {
  if (!FHandle) return;
  SendMessageA(FHandle, CB_RESETCONTENT, 0, 0);
  for (const std::string& s : FItems->Items()) SendMessageA(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (FItemIndex >= 0 && FItemIndex < FItems->Count()) SendMessageA(FHandle, CB_SETCURSEL, FItemIndex, 0);
  else FItemIndex = -1;
}

int TComboBox::ItemIndex() {
  if (FHandle) FItemIndex = static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TComboBox::SetItemIndex(int v) {
  if (v < -1 || v >= FItems->Count()) v = -1;
  FItemIndex = v;
  if (FHandle) SendMessageA(FHandle, CB_SETCURSEL, v, 0);
}

std::string TComboBox::Text() {
  int i = ItemIndex();
  if (FStyle == csDropDownList) return i >= 0 && i < FItems->Count() ? (*FItems)[i] : std::string();
  if (!FHandle) return FCaption;
  char buf[1024];
  int n = GetWindowTextA(FHandle, buf, sizeof buf);
  return std::string(buf, static_cast<size_t>(n < 0 ? 0 : n));
}

LRESULT TComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == CN_COMMAND) {
    if (HIWORD(wp) == CBN_SELCHANGE) {
      FItemIndex = static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
      if (OnChange) OnChange(this);
    }
    return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

void RegisterStdControlClasses() {
  for (const TClassInfo* c : {&TLabel::StaticClassInfo(), &TButton::StaticClassInfo(), &TGroupBox::StaticClassInfo(),
                              &TEdit::StaticClassInfo(), &TMemo::StaticClassInfo(), &TListBox::StaticClassInfo(),
                              &TComboBox::StaticClassInfo()})
    RegisterComponentClass(*c);
}
