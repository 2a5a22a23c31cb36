// The wizard control read from a description: routes, the buttons per page, page events, the
// layout and the drawing of the footer, headers and watermark.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/StdCtrls.h"
#include "wizard/Wizard.h"

namespace {

class TWizForm : public TForm {
  VELMORA_CLASS(TWizForm, TForm)
 public:
  explicit TWizForm(TComponent* owner) : TForm(owner) {
    BindField("Wizard1", Wizard1);
    BindField("Welcome", Welcome);
    BindField("Step1", Step1);
    BindField("Step2", Step2);
    BindField("Complete", Complete);
    BindField("Spare", Spare);
    BindField("Edit1", Edit1);
    BindField("Images", Images);
    RegisterHandler("WizFinish", TNotifyEvent([this](TObject*) { Log.push_back("finish"); }));
    RegisterHandler("WizCancel", TNotifyEvent([this](TObject*) { Log.push_back("cancel"); }));
    RegisterHandler("WizChange", TNotifyEvent([this](TObject*) { Log.push_back("change"); }));
    LoadDescriptionText(R"(object WizForm: TWizForm
  BorderStyle = bsDialog
  Caption = 'Wizard test'
  ClientWidth = 497
  ClientHeight = 360
  Font.Name = 'MS Sans Serif'
  Font.Height = -11
  object Wizard1: TWizard
    Left = 0
    Top = 0
    Width = 497
    Height = 360
    Caption = 'Test Wizard'
    Images = Images
    Routes = <
      item
        Name = 'Default'
        RoutePagesItems = <
          item
            Page = Welcome
          end
          item
            Page = Step1
          end
          item
            Page = Step2
          end
          item
            Page = Complete
          end>
      end
      item
        Name = 'Short'
        RoutePagesItems = <
          item
            Page = Step2
          end>
      end>
    CurrentRouteName = 'Default'
    OnFinish = WizFinish
    OnCancel = WizCancel
    OnChange = WizChange
    object Welcome: TWelcomeWizardPage
      Title.Text = 'Welcome'
      Subtitle.Text = ''
      FinishButton.Visible = False
      WatermarkColor = clGreen
      WatermarkWidth = 160
    end
    object Step1: TInteriorWizardPage
      Title.Text = 'Step 1'
      Subtitle.Text = 'The first step'
      ImageIndex = 0
      FinishButton.Visible = False
      object Edit1: TEdit
        Left = 16
        Top = 80
        Width = 100
        Height = 21
      end
    end
    object Step2: TInteriorWizardPage
      Title.Text = 'Step 2'
      Subtitle.Text = 'The second step'
      FinishButton.Visible = False
    end
    object Complete: TWelcomeWizardPage
      Title.Text = 'Complete'
      Subtitle.Text = ''
    end
    object Spare: TInteriorWizardPage
      Title.Text = 'Not in any route'
    end
  end
  object Images: TImageList
    Width = 52
    Height = 52
  end
end)",
                        "wizard test");
  }
  TWizard* Wizard1 = nullptr;
  TWelcomeWizardPage *Welcome = nullptr, *Complete = nullptr;
  TInteriorWizardPage *Step1 = nullptr, *Step2 = nullptr, *Spare = nullptr;
  TEdit* Edit1 = nullptr;
  TImageList* Images = nullptr;
  std::vector<std::string> Log;
};
VELMORA_CLASS_INFO(TWizForm) {}

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      RegisterStdControlClasses();
      RegisterExtControlClasses();
      RegisterComCtrlClasses();
      RegisterWizardClasses();
      registered = true;
    }
    app = new TApplication(nullptr);
    app->Initialize();
    app->OnException = [this](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    f = new TWizForm(app);
    w = f->Wizard1;
    f->Show();
  }
  void TearDown() override {
    delete app;
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  // Caption, enabled, visible of the wizard's button.
  static std::string State(TButton* b) {
    return b->Caption() + (b->Enabled() ? " on" : " off") + (b->Visible() ? " shown" : " hidden");
  }
  void Click(TButton* b) { SendMessageA(b->Handle(), BM_CLICK, 0, 0); }
  TApplication* app = nullptr;
  TWizForm* f = nullptr;
  TWizard* w = nullptr;
  std::vector<std::string> errors;
};

}  // namespace

TEST_F(Wizard, ButtonsFollowThePagesOfTheRoute) {
  EXPECT_EQ(w->ActivePage(), f->Welcome);  // the route's first page after loading
  EXPECT_EQ(w->PageCount(), 5);
  EXPECT_EQ(State(w->BackButton()), "< &Back off shown");
  EXPECT_EQ(State(w->NextButton()), "&Next > on shown");
  EXPECT_EQ(State(w->FinishButton()), "&Finish on hidden");
  EXPECT_EQ(State(w->CancelButton()), "&Cancel on shown");
  Click(w->NextButton());
  EXPECT_EQ(w->ActivePage(), f->Step1);
  EXPECT_TRUE(f->Step1->Visible());
  EXPECT_FALSE(f->Welcome->Visible());
  EXPECT_EQ(State(w->BackButton()), "< &Back on shown");
  Click(w->NextButton());
  Click(w->NextButton());
  EXPECT_EQ(w->ActivePage(), f->Complete);
  EXPECT_EQ(State(w->NextButton()), "&Next > off shown");
  EXPECT_EQ(State(w->FinishButton()), "&Finish on shown");
  // Next is off on the last page, but the route itself wraps.
  w->SelectNextPage(true);
  EXPECT_EQ(w->ActivePage(), f->Welcome);
  Click(w->BackButton());  // disabled: nothing
  EXPECT_EQ(w->ActivePage(), f->Welcome);
  w->SelectNextPage(false);
  EXPECT_EQ(w->ActivePage(), f->Complete);
  Click(w->FinishButton());
  Click(w->CancelButton());
  EXPECT_EQ(f->Log.back(), "cancel");
  EXPECT_EQ(f->Log[f->Log.size() - 2], "finish");
  // A page button changed while its page is active shows at once.
  f->Complete->FinishButton()->SetCaption("Go");
  EXPECT_EQ(w->FinishButton()->Caption(), "Go");
}

TEST_F(Wizard, RefusingPagesAndPagesOutsideTheRoute) {
  f->Step1->OnCanShow = [](TObject*, bool, bool& allow) { allow = false; };
  w->SelectNextPage(true);
  EXPECT_EQ(w->ActivePage(), f->Step2);
  w->SelectNextPage(false);
  EXPECT_EQ(w->ActivePage(), f->Welcome);
  // From a page the route does not hold: forward starts at the first page, back at the last.
  w->SetActivePage(f->Spare);
  EXPECT_EQ(w->ActivePage(), f->Spare);
  EXPECT_TRUE(w->NextButton()->Enabled() && w->BackButton()->Enabled());  // neither first nor last
  w->SelectNextPage(true);
  EXPECT_EQ(w->ActivePage(), f->Welcome);
  w->SetActivePage(f->Spare);
  w->SelectNextPage(false);
  EXPECT_EQ(w->ActivePage(), f->Complete);
  // A page that refuses to hide keeps its place; so does a refused change.
  f->Complete->OnCanHide = [](TObject*, bool, bool& allow) { allow = false; };
  w->SetActivePageIndex(0);
  EXPECT_EQ(w->ActivePage(), f->Complete);
  f->Complete->OnCanHide = nullptr;
  w->OnChanging = [](TObject*, bool& allow) { allow = false; };
  w->SetActivePageIndex(0);
  EXPECT_EQ(w->ActivePage(), f->Complete);
  w->OnChanging = nullptr;
  // Nothing in the route may show: no page at all.
  for (auto* p : {(TCustomWizardPage*)f->Welcome, (TCustomWizardPage*)f->Step2, (TCustomWizardPage*)f->Complete})
    p->OnCanShow = [](TObject*, bool, bool& allow) { allow = false; };
  w->SelectNextPage(true);
  EXPECT_EQ(w->ActivePage(), nullptr);
  EXPECT_FALSE(w->NextButton()->Enabled());
  w->SetActivePageIndex(7);  // outside the list: none
  EXPECT_EQ(w->ActivePage(), nullptr);
}

TEST_F(Wizard, PageEventsComeInOrderWithTheDirection) {
  std::vector<std::string> log;
  auto watch = [&](TCustomWizardPage* p, const std::string& name) {
    p->OnCanHide = [&log, name](TObject*, bool fwd, bool&) { log.push_back("canhide " + name + (fwd ? " >" : " <")); };
    p->OnHide = [&log, name](TObject*, bool fwd) { log.push_back("hide " + name + (fwd ? " >" : " <")); };
    p->OnShow = [&log, name](TObject*, bool fwd) { log.push_back("show " + name + (fwd ? " >" : " <")); };
  };
  watch(f->Welcome, "welcome");
  watch(f->Step1, "step1");
  f->Log.clear();
  w->SelectNextPage(true);
  w->SelectNextPage(false);
  EXPECT_EQ(log, (std::vector<std::string>{"canhide welcome >", "hide welcome >", "show step1 >", "canhide step1 <",
                                           "hide step1 <", "show welcome <"}));
  EXPECT_EQ(f->Log, (std::vector<std::string>{"change", "change"}));
  // The same page again changes nothing.
  w->SetActivePage(f->Welcome);
  EXPECT_EQ(f->Log.size(), 2u);
}

TEST_F(Wizard, FocusMovesToTheFirstControlAndACaughtFocusHoldsThePage) {
  w->SelectNextPage(true);
  EXPECT_EQ(GetFocus(), f->Edit1->Handle());
  // Going back from a page whose control has the focus: it leaves the page first.
  w->SelectNextPage(false);
  EXPECT_EQ(w->ActivePage(), f->Welcome);
  EXPECT_EQ(GetFocus(), w->NextButton()->Handle());  // nothing to focus on the welcome page
}

TEST_F(Wizard, RoutesByNameRenameAndDeletion) {
  w->SetCurrentRouteName("nowhere");
  EXPECT_EQ(w->CurrentRouteName(), "Default");
  w->SetCurrentRouteName("short");  // any letter case names the route
  EXPECT_EQ(w->ActivePage(), f->Step2);
  EXPECT_FALSE(w->NextButton()->Enabled() || w->BackButton()->Enabled());  // alone: first and last
  EXPECT_FALSE(w->FinishButton()->Visible());
  w->Routes()->Route(1)->SetName("Brief");
  EXPECT_EQ(w->CurrentRouteName(), "Brief");
  // Deleting the current route: the other one takes over, at its first page.
  w->DeleteRoute(1);
  EXPECT_EQ(w->CurrentRouteName(), "Default");
  EXPECT_EQ(w->ActivePage(), f->Welcome);
  TWizardRouteItem* r = w->AddRoute();
  EXPECT_EQ(r->Name(), "Route1");
  w->DeleteRoute(0);
  EXPECT_EQ(w->CurrentRouteName(), "Route1");
  EXPECT_EQ(w->ActivePage(), nullptr);  // it has no pages
  w->DeleteRoute(0);
  EXPECT_EQ(w->CurrentRouteName(), "");
  w->SelectNextPage(true);  // no route: nothing
  EXPECT_EQ(w->ActivePage(), nullptr);
}

TEST_F(Wizard, PagePositionsMoveAndCheckTheirRange) {
  f->Spare->SetPageIndex(0);
  EXPECT_EQ(w->Pages(0), f->Spare);
  EXPECT_EQ(f->Welcome->PageIndex(), 1);
  try {
    f->Spare->SetPageIndex(5);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "5 is an invalid PageIndex value.  PageIndex must be between 0 and 4");
  }
  // Into the route: a page not yet in it may take the position after the last.
  EXPECT_EQ(f->Spare->RoutePageIndex(), -1);
  EXPECT_THROW(f->Spare->SetRoutePageIndex(5), Exception);
  f->Spare->SetRoutePageIndex(4);
  EXPECT_EQ(f->Spare->RoutePageIndex(), 4);
  w->SetActivePage(f->Complete);
  EXPECT_TRUE(w->NextButton()->Enabled());  // no longer the last page
  f->Spare->SetRoutePageIndex(0);
  w->SetActivePage(f->Spare);
  EXPECT_FALSE(w->BackButton()->Enabled());
  // A page that goes is taken out of the list and the routes; the next one shows.
  delete f->Spare;
  EXPECT_EQ(w->PageCount(), 4);
  EXPECT_EQ(w->Routes()->Route(0)->RoutePagesItems()->Count(), 4);
  EXPECT_EQ(w->ActivePage(), f->Welcome);
}

TEST_F(Wizard, LayoutOfTheFooterAndThePages) {
  for (TButton* b : {w->BackButton(), w->NextButton(), w->FinishButton(), w->CancelButton()}) {
    EXPECT_EQ(b->Top(), 330);
    EXPECT_EQ(b->Width(), 75);
    EXPECT_EQ(b->Height(), 23);
  }
  EXPECT_EQ(w->BackButton()->Left(), 167);
  EXPECT_EQ(w->NextButton()->Left(), 242);
  EXPECT_EQ(w->FinishButton()->Left(), 337);
  EXPECT_EQ(w->CancelButton()->Left(), 412);
  // The welcome page hides the caption and takes the whole area above the footer.
  EXPECT_EQ(f->Welcome->Height(), 320);
  TBitmap bmp;
  w->SelectNextPage(true);
  TCanvas measure;
  measure.Font().Assign(w->Font());
  int h = measure.TextHeight("W");
  EXPECT_EQ(f->Step1->Height(), 320 - (h / 2 + 1));
  EXPECT_EQ(f->Step1->Width(), 497);
  w->SetCaption("");
  EXPECT_EQ(f->Step1->Height(), 320);
  // Esc presses Cancel in the dialog.
  f->Log.clear();
  SendMessageA(f->Handle(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(f->Log, std::vector<std::string>{"cancel"});
}

TEST_F(Wizard, ADoubleClickActsOnce) {
  HWND next = w->NextButton()->Handle();
  // What a fast second click leaves in the queue when the first one is handled.
  PostMessageA(next, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(next, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Click(w->NextButton());
  PumpFor(50);
  EXPECT_EQ(w->ActivePage(), f->Step1);
}

TEST_F(Wizard, FooterHeadersAndWatermarkAreDrawn) {
  TBitmap bmp;
  w->SelectNextPage(true);
  w->PaintTo(bmp);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(bmp.PixelRGB(300, 320), shadow);
  EXPECT_EQ(bmp.PixelRGB(300, 321), light);
  EXPECT_EQ(bmp.PixelRGB(0, 320), GetSysColor(COLOR_BTNFACE));  // the caption's gap
  // The etched caption: shadow-coloured text somewhere left of the line's start.
  int textPixels = 0;
  for (int x = 0; x < 80; ++x)
    for (int y = 310; y < 330; ++y) textPixels += bmp.PixelRGB(x, y) == shadow;
  EXPECT_GT(textPixels, 20);

  // The interior header: white, the two lines, the image slot on the right in the header colour.
  f->Step1->PaintTo(bmp);
  EXPECT_EQ(bmp.PixelRGB(300, 5), RGB(255, 255, 255));
  EXPECT_EQ(bmp.PixelRGB(300, 60), shadow);
  EXPECT_EQ(bmp.PixelRGB(300, 61), light);
  EXPECT_EQ(bmp.PixelRGB(300, 100), GetSysColor(COLOR_BTNFACE));
  int title = 0;
  for (int x = 20; x < 80; ++x)
    for (int y = 10; y < 25; ++y) title += bmp.PixelRGB(x, y) == RGB(0, 0, 0);
  EXPECT_GT(title, 20);

  // The welcome page: the strip in its colour, the rest white.
  f->Welcome->PaintTo(bmp);
  EXPECT_EQ(bmp.PixelRGB(80, 300), RGB(0, 128, 0));
  EXPECT_EQ(bmp.PixelRGB(159, 10), RGB(0, 128, 0));
  EXPECT_EQ(bmp.PixelRGB(161, 10), RGB(255, 255, 255));
  EXPECT_EQ(bmp.PixelRGB(80, bmp.Height() - 1), RGB(255, 255, 255));  // one short of the bottom
  int welcome = 0;
  for (int x = 170; x < 260; ++x)
    for (int y = 10; y < 31; ++y) welcome += bmp.PixelRGB(x, y) == RGB(0, 0, 0);
  EXPECT_GT(welcome, 60);

  // A watermark picture is drawn over the strip at each paint, and not held between paints.
  f->Welcome->Watermark().SetResource("OPTWATERMARK");
  long bytes = HeldBitmapBytes();
  f->Welcome->PaintTo(bmp);
  EXPECT_EQ(HeldBitmapBytes(), bytes - 160 * 320 * 4);
  const int strip = CountPixels(bmp, RGB(0, 128, 0), RECT{0, 0, 160, bmp.Height() - 1}).Count;
  EXPECT_LT(strip, 160 * (bmp.Height() - 1) - 1000);
  f->Welcome->PaintTo(bmp);
  EXPECT_EQ(CountPixels(bmp, RGB(0, 128, 0), RECT{0, 0, 160, bmp.Height() - 1}).Count, strip);
  EXPECT_EQ(HeldBitmapBytes(), bytes - 160 * 320 * 4);
}
