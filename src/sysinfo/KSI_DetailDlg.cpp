#include "sysinfo/KSI_DetailDlg.h"
#include "framework/CheckLst.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "sysinfo/ReportText.h"

VELMORA_CLASS_INFO(TdlgKSI_Detail) {}

TdlgKSI_Detail::TdlgKSI_Detail(TComponent* AOwner) : TForm(AOwner) {
  BindField("imIcon", imIcon);
  BindField("lTitle", lTitle);
  BindField("bOK", bOK);
  BindField("nbPages", nbPages);
  BindField("mmText", mmText);
  BindField("clbItems", clbItems);
  BindField("lbItems", lbItems);
  BindField("lvValues", lvValues);
  RegisterHandler("clbClickCheck", TNotifyEvent([this](TObject* s) { clbClickCheck(s); }));
  LoadDescription("KSI_DETAILDLG");
  // The information icon of the system stands for every kind of detail.
  imIcon->Picture().Icon()->SetHandle(CopyIcon(LoadIconA(nullptr, IDI_ASTERISK)));
}

void TdlgKSI_Detail::Prepare(TDetailPage page, const std::string& title) {
  nbPages->SetPageIndex(page);
  lTitle->SetCaption(title);
}

void TdlgKSI_Detail::AddCheck(const std::string& item, bool checked) {
  clbItems->Items().Add(SingleLine(item));
  clbItems->SetChecked(clbItems->Items().Count() - 1, checked);
}

void TdlgKSI_Detail::AddValue(const std::string& name, const std::string& value) {
  TListItem* it = lvValues->Items().Add();
  it->SetCaption(SingleLine(name));
  it->SubItems().Add(SingleLine(value));
}

void TdlgKSI_Detail::clbClickCheck(TObject* Sender) {
  // The marks only show; a click must not change them.
  auto* c = static_cast<TCheckListBox*>(Sender);
  int i = c->ItemIndex();
  c->SetChecked(i, !c->Checked(i));
}
