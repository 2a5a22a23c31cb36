// The small modal dialog that the system information dialog opens to show one list: a text, a
// check list, a plain list or variable/value pairs.
#pragma once
#include <string>
#include "framework/Forms.h"

class TPanel;
class TImage;
class TLabel;
class TButton;
class TNotebook;
class TMemo;
class TCheckListBox;
class TListBox;
class TListView;

enum TDetailPage : int { dpMemo, dpChecks, dpList, dpValues };

class TdlgKSI_Detail : public TForm {
  VELMORA_CLASS(TdlgKSI_Detail, TForm)

 public:
  explicit TdlgKSI_Detail(TComponent* AOwner);

  TImage* imIcon = nullptr;
  TLabel* lTitle = nullptr;
  TButton* bOK = nullptr;
  TNotebook* nbPages = nullptr;
  TMemo* mmText = nullptr;
  TCheckListBox* clbItems = nullptr;
  TListBox* lbItems = nullptr;
  TListView* lvValues = nullptr;

  // Chooses the page and the title before the dialog is shown.
  void Prepare(TDetailPage page, const std::string& title);
  void AddCheck(const std::string& item, bool checked);
  void AddValue(const std::string& name, const std::string& value);
  void clbClickCheck(TObject* Sender);
};
