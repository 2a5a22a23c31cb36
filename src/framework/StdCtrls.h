// Labels.
#pragma once
#include <memory>
#include "framework/Controls.h"
#include "framework/Strings.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
const TEnumInfo& TextLayoutInfo();

class TLabel : public TGraphicControl {
  VELMORA_CLASS(TLabel, TGraphicControl)

 public:
  explicit TLabel(TComponent* AOwner);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v);

 protected:
  void Paint() override;
  void Loaded() override;
  void TextChanged() override;
  void FontChanged() override;
  // The DrawText flags for the label's settings.
  unsigned TextFlags() const;
  void AdjustBounds();

 private:
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true, FTransparent = false, FWordWrap = false, FShowAccelChar = true;
  TTextLayout FLayout = tlTop;
};

void RegisterStdControlClasses();

class TForm;

// Push button. ModalResult closes a modal form with that result; Default and Cancel make it the
// button that Enter and Esc press in a dialog form.
class TButton : public TWinControl {
  VELMORA_CLASS(TButton, TWinControl)

 public:
  explicit TButton(TComponent* AOwner);
  ~TButton() override;
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool v);
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int v) { FModalResult = v; }
  void Click() override;
  // Alt and the caption's underlined letter press the button.
  bool DialogChar(char key) override;
  TControl* PushButton() override { return this; }
  // The thick frame of the button that Enter presses.
  void SetDefaultLook(bool v) override;
  bool DefaultLook() const { return FDefaultLook; }
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Loaded() override;

 private:
  void Register();
  bool FDefault = false, FCancel = false, FDefaultLook = false;
  int FModalResult = 0;
  TForm* FForm = nullptr;  // where this button is the default or cancel button
};

// Frame with a caption around other controls.
class TGroupBox : public TWinControl {
  VELMORA_CLASS(TGroupBox, TWinControl)

 public:
  explicit TGroupBox(TComponent* AOwner);
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  RECT AlignRect() const override;

 protected:
  void CreateParams(TCreateParams& params) override;
};

// Single-line text field. Text is the control's caption.
class TEdit : public TWinControl {
  VELMORA_CLASS(TEdit, TWinControl)

 public:
  explicit TEdit(TComponent* AOwner);
  std::string Text() const;
  void SetText(const std::string& v) { SetCaption(v); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  TNotifyEvent OnChange;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  bool FReadOnly = false;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
const TEnumInfo& ScrollStyleInfo();

// Multi-line text field showing Lines.
class TMemo : public TEdit {
  VELMORA_CLASS(TMemo, TEdit)

 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  TStrings& Lines() { return *FLines; }
  TStrings* LinesPtr() { return FLines.get(); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v) { FScrollBars = v; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v) { FWordWrap = v; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  std::unique_ptr<TStrings> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
};

// List of strings; the system list box shows Items.
class TListBox : public TWinControl {
  VELMORA_CLASS(TListBox, TWinControl)

 public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
  TStrings& Items() { return *FItems; }
  TStrings* ItemsPtr() { return FItems.get(); }
  int ItemIndex();
  void SetItemIndex(int v);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool v) { FSorted = v; }
  int Columns() const { return FColumns; }
  void SetColumns(int v);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int v);
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // Puts Items into the window again (after a change of the list).
  virtual void ItemsChanged();
  void ApplyColumns();
  std::unique_ptr<TStrings> FItems;
  bool FSorted = false;
  int FColumns = 0, FItemHeight = 13;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
const TEnumInfo& ComboBoxStyleInfo();

// Drop-down list.
class TComboBox : public TWinControl {
  VELMORA_CLASS(TComboBox, TWinControl)

 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  TStrings& Items() { return *FItems; }
  TStrings* ItemsPtr() { return FItems.get(); }
  int ItemIndex();
  void SetItemIndex(int v);
  std::string Text();
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle v) { FStyle = v; }
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int v) { FDropDownCount = v < 1 ? 1 : v; }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TNotifyEvent OnChange;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  void ItemsChanged();
  int DroppedHeight() const;
  std::unique_ptr<TStrings> FItems;
  TComboBoxStyle FStyle = csDropDownList;
  int FDropDownCount = 8;
  int FItemIndex = -1;
};
